// One table of a Jet 4 database changed through a PageWriter: rows inserted, updated and
// deleted as cell values, and the table made whole again on Save.
//
// Rows are cells in the order of the definition's columns (as the reader gives them). Memo
// and OLE values of up to 64 bytes stay in the row, longer ones go to long value pages of the
// column. A null autonumber gets the next number, a given one moves the counter past it; a
// null GUID autonumber gets a new GUID.
//
// Save writes the table's usage maps, its exact row count and autonumber, and rebuilds every
// real index from the rows: the old index pages are given back, the new ones laid out from
// the sorted entries, the index's usage map, first page and Access's counts (entries and
// distinct keys) recorded, and the definition rewritten on as many pages as it needs. A
// unique index with two equal keys without nulls refuses the save with 3022, a null in an
// index that allows none with 3058.
//
// Opening the editor checks what its changes read: the definition, the pages of the table's
// usage maps (their kind and owner) and every index against the rows. A finding, or any
// damage met later, refuses with 3343 "Unrecognized database format '<path>'."; an index
// whose keys cannot be built here (a text sort order other than General) is refused at once
// with an error naming it. Nothing reaches the file before the writer's Commit: after any
// error the writer must be dropped, not committed.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_EDITOR_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_EDITOR_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/long_value_writer.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"
#include "dbaccess/storage/mdb/table_rows.h"
#include "dbaccess/storage/mdb/text_codec.h"
#include "dbaccess/storage/mdb/usage_map_editor.h"

namespace dbaccess::mdb {

struct TableRow {
  RowPointer where;
  Row cells;
};

class TableEditor {
 public:
  // The table whose definition starts at `definition_page`; `name` names it in errors.
  // Throws JetError as above.
  TableEditor(PageWriter& pages, uint32_t definition_page, std::string name);
  ~TableEditor();

  const TableDefinition& definition() const { return def_; }
  const TableDefinitionExtras& extras() const { return extras_; }
  const std::string& name() const { return name_; }
  // The pages of the definition, first page first.
  const std::vector<uint32_t>& definition_pages() const { return definition_pages_; }

  // Every live row, in page and row order.
  std::vector<TableRow> Rows();

  // Throws FormatError for cells that do not fit the columns (one per column, of the kinds
  // cell.h gives each type), JetError 3047 for a row longer than a page holds.
  RowPointer Insert(Row cells);
  // The row at `where` gets `cells`; a null autonumber keeps the old number.
  void Update(RowPointer where, Row cells);
  void Delete(RowPointer where);

  bool changed() const { return changed_; }
  void Save();

 private:
  struct LongValueColumn;
  template <typename F>
  auto Guarded(F&& f);
  [[noreturn]] void Unrecognized() const;
  void CheckBeforeChanges();
  // Autonumbers filled in and the row encoded once without writing, so that a value that
  // does not fit is refused before anything changes.
  void Prepare(Row& cells, const Row* old);
  std::vector<uint8_t> EncodeStored(const Row& cells);
  Row DecodeCells(ByteView bytes, LongValueReader& long_values) const;
  void DeleteLongValues(RowPointer where);
  void RebuildIndexes();
  LongValueWriter& LongValues(size_t column);

  PageWriter& pages_;
  std::string name_;
  TextDecoder text_;
  TableDefinition def_;
  TableDefinitionExtras extras_;
  std::vector<uint32_t> definition_pages_;
  std::unique_ptr<TableRows> rows_;
  std::map<size_t, std::unique_ptr<LongValueColumn>> long_values_;  // by column position
  uint32_t next_autonumber_ = 0;
  bool changed_ = false;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_EDITOR_H_
