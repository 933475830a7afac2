// The four action lists of the main window and their column sets: `qT` (table and field
// actions), `qI` (index actions), `qFK` (relation actions), `qQ` (saved-query actions).
//
// Beside each column's name and kind the layout keeps what the window shows: the column's
// place in the list's grid (from 1), its width in characters and its title, and for the list
// its grid, data source, page, page caption, path field and list file name.
#ifndef SKARNVEL_ACTIONS_COLUMN_SETS_H_
#define SKARNVEL_ACTIONS_COLUMN_SETS_H_

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "actions/action_list.h"

namespace actions {

// The lists, named as the main window names them.
enum class ListId { qT, qI, qFK, qQ };

// The lists in the order in which they are loaded and saved.
inline constexpr std::array<ListId, 4> kAllLists = {ListId::qT, ListId::qI, ListId::qFK,
                                                    ListId::qQ};

// Columns every list has.
inline constexpr std::string_view kTickColumn = "V";
inline constexpr std::string_view kResultColumn = "Result";

struct GridColumn {
  std::string_view name;
  ColumnKind kind;
  int grid_place;  // from 1
  int width;       // in characters
  std::string_view title;
};

struct ListLayout {
  std::string_view name;                // qT
  std::string_view grid;                // gT
  std::string_view data_source;         // dsT
  std::string_view page;                // TabT
  std::string_view page_caption;        // the page's caption without row count
  std::string_view path_field;          // FileT
  std::string_view file_name;           // the list file's name beside the program
  std::span<const GridColumn> columns;  // in stored order
};

const ListLayout& LayoutOf(ListId id);

// The list's columns, in stored order, as the list holds them. String columns that hold
// names keep kNameWidth characters, the others kStringWidth.
std::vector<Column> ColumnsOf(ListId id);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_COLUMN_SETS_H_
