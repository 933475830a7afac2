// Table definitions (TDEF pages): the columns, the real (physical) indexes, the logical
// indexes that name them, and where the table's pages are recorded.
//
// A definition may span several pages linked from offset 4; each continuation page adds
// its bytes after an 8-byte page header. The definition is laid out as a fixed header,
// then one row-count entry per real index, the column blocks, the column names, the real
// index blocks, the logical index blocks and the logical index names.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {

struct ColumnDefinition {
  std::string name = {};
  uint8_t type = 0;             // ColumnType
  uint16_t number = 0;          // the column's bit in the null mask; gaps after deletions
  uint16_t variable_index = 0;  // variable-length columns: entry in the row's offset table
  uint16_t fixed_offset = 0;    // fixed-length columns: offset in the fixed data
  uint16_t length = 0;          // bytes (Text: 2 per character in Jet 4); 0 for long values
  uint8_t precision = 0;        // Numeric
  uint8_t scale = 0;            // Numeric
  uint8_t flags = 0;            // kColumnFlag*
  uint8_t ext_flags = 0;        // kColumnExtFlag* (Jet 4)
  // Text and Memo: the sort order (an LCID; 0 means the database's) and, in Jet 4, its
  // version (0 for the "General" of Jet 4 files, 1 for the newer one of Access 2010).
  uint16_t sort_order = 0;
  uint8_t sort_order_version = 0;

  bool fixed() const { return (flags & kColumnFlagFixed) != 0; }
};

struct RealIndexColumn {
  uint16_t column_number = 0;
  bool ascending = true;
};

struct RealIndex {
  std::vector<RealIndexColumn> columns;
  RowPointer usage_map;  // the map of the index's pages
  uint32_t first_page = 0;
  uint8_t flags = 0;  // kIndexFlag*
};

struct LogicalIndex {
  std::string name;
  uint32_t number = 0;
  uint32_t real_index = 0;  // position in TableDefinition::real_indexes
  uint8_t type = 0;         // kLogicalIndex*
  // Foreign-key indexes: the other side of the relationship.
  uint8_t relationship_side = 0;  // kRelationshipSide* of this index
  uint32_t other_index = 0xFFFFFFFF;
  uint32_t other_table_page = 0;
  bool cascade_updates = false;
  bool cascade_deletes = false;
};

struct TableDefinition {
  uint32_t page = 0;
  uint8_t table_type = 0;  // kTableTypeUser or kTableTypeSystem
  uint32_t row_count = 0;  // as recorded; may be stale
  uint16_t max_columns = 0;
  uint16_t variable_columns = 0;
  RowPointer owned_pages;  // usage map of the table's pages
  RowPointer free_pages;
  std::vector<ColumnDefinition> columns;  // in definition order
  std::vector<RealIndex> real_indexes;
  std::vector<LogicalIndex> logical_indexes;
};

// Reads the definition whose first page is `page`. Throws FormatError.
TableDefinition ReadTableDefinition(const PageFile& file, uint32_t page, const TextDecoder& text);

// Decodes a definition from its bytes (the pages already joined). Throws FormatError.
TableDefinition DecodeTableDefinition(ByteView bytes, const Layout& layout,
                                      const TextDecoder& text);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_H_
