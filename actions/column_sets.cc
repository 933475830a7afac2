#include "actions/column_sets.h"

#include <iterator>
#include <stdexcept>

#include "actions/workbench_texts.h"

namespace actions {
namespace {

constexpr GridColumn kqTColumns[] = {
    {"V", ColumnKind::kBoolean, 1, 3, "V"},
    {"TableName", ColumnKind::kString, 3, 20, texts::kColumnTable},
    {"FieldName", ColumnKind::kString, 4, 17, texts::kColumnField},
    {"PropName", ColumnKind::kString, 5, 13, texts::kColumnProperty},
    {"OldPropValue", ColumnKind::kString, 6, 19, texts::kColumnOldValue},
    {"NewPropValue", ColumnKind::kString, 7, 19, texts::kColumnNewValue},
    {"Result", ColumnKind::kString, 2, 25, texts::kColumnResult},
    {"SQL", ColumnKind::kMemo, 8, 50, texts::kColumnTableCommand},
};

constexpr GridColumn kqIColumns[] = {
    {"V", ColumnKind::kBoolean, 1, 3, "V"},
    {"Result", ColumnKind::kString, 2, 25, texts::kColumnResult},
    {"TABLE_NAME", ColumnKind::kString, 3, 20, "TABLE_NAME"},
    {"COLUMN_NAME", ColumnKind::kString, 4, 20, "COLUMN_NAME"},
    {"INDEX_NAME", ColumnKind::kString, 5, 20, "INDEX_NAME"},
    {"SQL", ColumnKind::kMemo, 6, 97, texts::kColumnCommand},
};

constexpr GridColumn kqFKColumns[] = {
    {"V", ColumnKind::kBoolean, 1, 3, "V"},
    {"Result", ColumnKind::kString, 2, 25, texts::kColumnResult},
    {"PK_TABLE_NAME", ColumnKind::kString, 3, 16, "PK_TABLE_NAME"},
    {"PK_COLUMN_NAME", ColumnKind::kString, 4, 18, "PK_COLUMN_NAME"},
    {"FK_TABLE_NAME", ColumnKind::kString, 5, 18, "FK_TABLE_NAME"},
    {"FK_COLUMN_NAME", ColumnKind::kString, 6, 18, "FK_COLUMN_NAME"},
    {"FK_NAME", ColumnKind::kString, 7, 16, "FK_NAME"},
    {"OldUpdate_Rule", ColumnKind::kString, 8, 17, "OldUpdate_Rule"},
    {"NewUpdate_Rule", ColumnKind::kString, 9, 23, "NewUpdate_Rule"},
    {"OldDelete_Rule", ColumnKind::kString, 10, 18, "OldDelete_Rule"},
    {"NewDelete_Rule", ColumnKind::kString, 11, 26, "NewDelete_Rule"},
    {"SQL", ColumnKind::kMemo, 12, 50, texts::kColumnCommand},
};

constexpr GridColumn kqQColumns[] = {
    {"V", ColumnKind::kBoolean, 1, 3, "V"},
    {"Result", ColumnKind::kString, 2, 25, texts::kColumnResult},
    {"Name", ColumnKind::kString, 4, 21, texts::kColumnQuery},
    {"Act", ColumnKind::kString, 3, 18, texts::kColumnAction},
    {"OldSQL", ColumnKind::kMemo, 5, 50, texts::kColumnOldQueryText},
    {"NewSQL", ColumnKind::kMemo, 6, 50, texts::kColumnNewQueryText},
};

// The string columns that hold names (a rename's new name in NewPropValue, its old one in
// OldPropValue): they keep whole Jet names.
constexpr std::string_view kNameColumns[] = {
    "TableName",      "FieldName",  "OldPropValue",  "NewPropValue",   "TABLE_NAME",
    "COLUMN_NAME",    "INDEX_NAME", "PK_TABLE_NAME", "PK_COLUMN_NAME", "FK_TABLE_NAME",
    "FK_COLUMN_NAME", "FK_NAME",    "Name",
};

int StringWidthOf(std::string_view column) {
  for (std::string_view name : kNameColumns) {
    if (name == column) return kNameWidth;
  }
  return kStringWidth;
}

constexpr ListLayout kLayouts[] = {
    {"qT", "gT", "dsT", "TabT", texts::kPageTables, "FileT", "updTable.xml", kqTColumns},
    {"qI", "gI", "dsI", "TabI", texts::kPageIndexes, "FileI", "updIndex.xml", kqIColumns},
    {"qFK", "gFK", "dsFK", "TabFK", texts::kPageRelations, "FileFK", "updFKey.xml", kqFKColumns},
    {"qQ", "gQ", "dsQ", "TabQ", texts::kPageQueries, "FileQ", "updQuery.xml", kqQColumns},
};

}  // namespace

const ListLayout& LayoutOf(ListId id) {
  const auto index = static_cast<size_t>(id);
  if (index >= std::size(kLayouts)) throw std::out_of_range("no such action list");
  return kLayouts[index];
}

std::vector<Column> ColumnsOf(ListId id) {
  std::vector<Column> columns;
  for (const GridColumn& c : LayoutOf(id).columns) {
    columns.push_back(
        {std::string(c.name), c.kind, c.kind == ColumnKind::kString ? StringWidthOf(c.name) : 0});
  }
  return columns;
}

}  // namespace actions
