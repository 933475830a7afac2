#include "cli/list_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include "cli/table_text.h"
#include "dbaccess/base/shown_text.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace cli {
namespace {

constexpr int kMaxCellWidth = 60;

int Width(const std::string& utf8) {
  int width = 0;
  for (size_t i = 0; i < utf8.size();) {
    dbaccess::NextCodePoint(utf8, i);
    ++width;
  }
  return width;
}

std::string ListCellText(const dbaccess::Variant& value) {
  std::string text = value.DisplayText();
  std::string flat;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      flat += " / ";
    } else if (text[i] == '\t') {
      flat += ' ';
    } else {
      flat += text[i];
    }
  }
  flat = dbaccess::ShownControls(flat);  // no escape sequence from a database reaches the terminal
  if (Width(flat) > kMaxCellWidth) flat = actions::CutToCharacters(flat, kMaxCellWidth - 1) + "…";
  return flat;
}

void Pad(std::ostream& out, const std::string& text, int width) {
  out << text << std::string(static_cast<size_t>(std::max(0, width - Width(text))), ' ');
}

}  // namespace

void PrintList(std::ostream& out, actions::ListId id, const actions::ActionList& list) {
  const actions::ListLayout& layout = actions::LayoutOf(id);
  out << layout.page_caption << " (" << layout.file_name << "): ";
  if (!list.IsOpen()) {
    out << "-\n";
    return;
  }
  out << list.RowCount() << '\n';
  if (list.RowCount() == 0) return;

  // The grid's columns that the list has, in the grid's order.
  std::vector<std::pair<int, std::string>> columns;  // list column, title
  std::vector<actions::GridColumn> grid(layout.columns.begin(), layout.columns.end());
  std::sort(grid.begin(), grid.end(),
            [](const auto& a, const auto& b) { return a.grid_place < b.grid_place; });
  for (const actions::GridColumn& column : grid) {
    const int index = list.FindColumn(column.name);
    if (index >= 0) columns.emplace_back(index, std::string(column.title));
  }
  std::vector<std::vector<std::string>> cells;
  std::vector<int> widths;
  for (const auto& column : columns) widths.push_back(Width(column.second));
  for (int row = 0; row < list.RowCount(); ++row) {
    std::vector<std::string> line;
    for (size_t c = 0; c < columns.size(); ++c) {
      line.push_back(ListCellText(list.Cell(row, columns[c].first)));
      widths[c] = std::max(widths[c], Width(line.back()));
    }
    cells.push_back(std::move(line));
  }
  const auto print_line = [&](const std::vector<std::string>& line) {
    out << "  ";
    for (size_t c = 0; c < line.size(); ++c) {
      if (c + 1 < line.size()) {
        Pad(out, line[c], widths[c]);
        out << " | ";
      } else {
        out << line[c];
      }
    }
    out << '\n';
  };
  std::vector<std::string> titles;
  for (const auto& column : columns) titles.push_back(column.second);
  print_line(titles);
  for (const auto& line : cells) print_line(line);
}

}  // namespace cli
