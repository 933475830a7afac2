#include "actions/presentation.h"

#include "actions/workbench_texts.h"
#include "dbaccess/base/ascii_case.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

using dbaccess::EqualsIgnoringAsciiCase;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string_view WithoutTrailingSeparators(std::string_view path) {
  while (!path.empty() && path.back() == '/') path.remove_suffix(1);
  return path;
}

}  // namespace

CellLook CalcCellLook(ListId list, std::string_view column, std::string_view text,
                      std::string_view row_sql, int row_number, int PreCount, bool highlighted) {
  CellLook look;
  if (EqualsIgnoringAsciiCase(column, kResultColumn)) {
    // Later rules override earlier ones.
    if (Contains(text, texts::kNewMark)) look.text = CellTextColor::kGreen;
    if (Contains(text, texts::kDroppedMark)) look.text = CellTextColor::kRed;
    if (text == texts::kRenamedField) look.text = CellTextColor::kFuchsia;
  }
  if (list == ListId::qT) {
    look.bold = Contains(row_sql, texts::kStatementSeparator);
    look.tooltip_background = row_number <= PreCount && !highlighted;
  }
  return look;
}

bool TabCaptionMarked(std::string_view caption) { return Contains(caption, texts::kTabCountMark); }

std::string PickedDatabasePath(std::string_view picked_file, std::string_view program_folder) {
  const size_t slash = picked_file.rfind('/');
  if (slash == std::string_view::npos) return std::string(picked_file);
  const std::string_view folder = WithoutTrailingSeparators(picked_file.substr(0, slash));
  if (folder == WithoutTrailingSeparators(program_folder)) {
    return std::string(picked_file.substr(slash + 1));
  }
  return std::string(picked_file);
}

std::string EditorText(std::string_view stored) {
  std::string text;
  text.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\r') {
      text += '\n';
      if (i + 1 < stored.size() && stored[i + 1] == '\n') ++i;
    } else {
      text += stored[i];
    }
  }
  return text;
}

std::string StoredText(std::string_view edited, std::string_view original) {
  if (edited == EditorText(original)) return std::string(original);
  if (original.find("\r\n") == std::string_view::npos) return std::string(edited);
  std::string text;
  text.reserve(edited.size() + edited.size() / 16);
  for (char c : edited) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

}  // namespace actions
