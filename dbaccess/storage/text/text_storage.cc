#include "dbaccess/storage/text/text_storage.h"

#include <iostream>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/catalog_names.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/text/password_hash.h"
#include "dbaccess/storage/text/text_script.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kPasswordPrefix = "-- Database password: ";
constexpr std::string_view kCutShortText =
    "The file ends before its end mark: it was cut short, and is not read.";
constexpr std::string_view kUnmarkedWarning =
    "written by an older version without an end mark, so a file cut short cannot be told "
    "from it; the next change adds the mark.";

std::string_view WithoutBom(std::string_view text) {
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  return text;
}

std::string_view Line(std::string_view text, size_t& pos) {
  const size_t end = text.find('\n', pos);
  std::string_view line = text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
  pos = end == std::string_view::npos ? text.size() : end + 1;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The password record of the second line, "" when there is none.
std::string PasswordRecord(std::string_view text) {
  size_t pos = 0;
  Line(WithoutBom(text), pos);
  const std::string_view second = Line(WithoutBom(text), pos);
  if (second.substr(0, kPasswordPrefix.size()) != kPasswordPrefix) return std::string();
  return std::string(second.substr(kPasswordPrefix.size()));
}

}  // namespace

bool TextStorage::Recognizes(std::string_view head) {
  size_t pos = 0;
  const std::string_view first = Line(WithoutBom(head), pos);
  return first == kScriptSignature || first == kUnmarkedScriptSignature;
}

std::unique_ptr<TextStorage> TextStorage::Open(const std::string& path, const std::string& password,
                                               std::string head) {
  const std::string text = head.empty() ? ReadFileHead(path, kHeadBytes) : std::move(head);
  if (!Recognizes(text)) throw jet_errors::UnrecognizedFormat(path);
  std::string record = PasswordRecord(text);
  if (!record.empty() && !VerifyPassword(password, record)) throw jet_errors::NotAValidPassword();
  return std::unique_ptr<TextStorage>(new TextStorage(path, std::move(record)));
}

void TextStorage::Create(const std::string& path, const std::string& password) {
  TextStorage storage(path, password.empty() ? std::string() : HashPassword(password));
  CreateFileAtomically(path, storage.FileText(Catalog()));
}

std::string TextStorage::FileTextFor(const Catalog& catalog, const std::string& password) {
  return TextStorage(std::string(), password.empty() ? std::string() : HashPassword(password))
      .FileText(catalog);
}

std::string TextStorage::FileText(const Catalog& catalog) const {
  std::string script = WriteScript(catalog);
  if (password_record_.empty()) return script;
  const size_t first_line_end = script.find('\n') + 1;
  script.insert(first_line_end, std::string(kPasswordPrefix) + password_record_ + "\n");
  return script;
}

Catalog TextStorage::Load() {
  const std::string text = ReadWholeFile(path_);
  if (!Recognizes(text)) throw jet_errors::UnrecognizedFormat(path_);
  if (!EndsWithEndMark(text)) {
    size_t pos = 0;
    if (Line(WithoutBom(text), pos) == kScriptSignature) {
      throw JetError(3343, std::string(jet_errors::UnrecognizedFormat(path_).what()) + " " +
                               std::string(kCutShortText));
    }
    std::cerr << "Warning: " << path_ << ": " << kUnmarkedWarning << std::endl;
  }
  Catalog catalog;
  try {
    catalog = ReadScript(WithoutBom(text));
  } catch (const JetError& e) {
    throw JetError(3343,
                   std::string(jet_errors::UnrecognizedFormat(path_).what()) + " " + e.what());
  }
  CheckCatalogNames(catalog, path_);
  password_record_ = PasswordRecord(text);
  stamp_ = FileStamp::Of(path_, text);
  return catalog;
}

void TextStorage::Commit(const Catalog& /*before*/, const Catalog& after,
                         const ChangeList& /*changes*/) {
  // The rename would replace a file made read-only all the same.
  if (!MayWrite(path_)) throw jet_errors::ReadOnlyDatabase();
  if (ChangedOnDisk()) throw jet_errors::ChangedByAnotherProgram(path_);
  const std::string text = FileText(after);
  ReplaceFileAtomically(path_, text);
  stamp_ = FileStamp::Of(path_, text);
}

bool TextStorage::ChangedOnDisk() const { return !stamp_ || stamp_->Changed(path_); }

}  // namespace dbaccess
