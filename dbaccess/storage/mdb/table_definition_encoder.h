// Table definitions written: the mirror of DecodeTableDefinition for Jet 4.
//
// A TableDefinition holds what the reader needs. Writing a definition back takes more: the
// next autonumber, the counts Access keeps beside each real index, the usage maps of the
// long value columns, and bytes whose meaning nobody knows but which Access sets. Those
// live in TableDefinitionExtras; DecodeTableDefinitionExtras reads them from a stored
// definition, so that EncodeTableDefinition(decoded, extras) gives back Access's bytes. A
// default-constructed extra is what a new table gets.
//
// The result is the definition as one run of bytes, as ReadTableDefinition joins it; the
// page header fields in its first 8 bytes (free space, next page) are left zero for
// table_definition_pages.h to fill in.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_ENCODER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_ENCODER_H_

#include <array>
#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/table_definition.h"

namespace dbaccess::mdb {

// The number Jet writes in the definition header and in every column and logical index
// block, and the one it writes in every real index block.
constexpr uint32_t kTableDefinitionMagic = 0x0659;
constexpr uint32_t kRealIndexMagic = 0x0783;
// The order byte Access writes for a descending index column.
constexpr uint8_t kIndexColumnDescending = 0x00;
// Ends the list of long value column usage maps.
constexpr uint16_t kColumnUsageMapsEnd = 0xFFFF;

struct ColumnDefinitionExtras {
  uint32_t magic = kTableDefinitionMagic;  // block bytes 1..4
  uint16_t display_index = 0;              // bytes 9..10: the column's place as Access shows it
  uint16_t misc_ext = 0;                   // bytes 13..14 (the text sort order's version)
  uint32_t reserved = 0;                   // bytes 17..20
};

struct RealIndexExtras {
  // The 12-byte entry before the column blocks. Access keeps counts of the index here (the
  // middle one follows its entries); they are kept as read, zeros for a new index.
  std::array<uint32_t, 3> counts{};
  uint32_t magic = kRealIndexMagic;      // block bytes 0..3
  RowPointer usage_map;                  // the index's own usage map (block bytes 34..37)
  uint32_t before_flags = 0;             // bytes 42..45: often stale bytes of another record
  std::array<uint8_t, 5> after_flags{};  // bytes 47..51
  // The order byte of each of the column slots as stored (bit 0x01 set: ascending; 0 in an
  // unused slot); written only where it agrees with RealIndex::columns.
  std::array<uint8_t, kIndexMaxColumns> order{};
};

struct LogicalIndexExtras {
  uint32_t magic = kTableDefinitionMagic;  // block bytes 0..3
  // The cascade bytes as stored: Access leaves 4 (and other values) on indexes that are not
  // foreign keys, and those are written as they are; a foreign key's are written only when
  // they agree with the LogicalIndex's flags.
  uint8_t cascade_updates = 0;
  uint8_t cascade_deletes = 0;
  uint32_t reserved = 0;  // bytes 24..27
};

// The pages of one long value (memo, OLE) column: after the logical index names.
struct ColumnUsageMaps {
  uint16_t column_number = 0;
  RowPointer owned_pages;
  RowPointer free_pages;
};

struct TableDefinitionExtras {
  uint32_t magic = kTableDefinitionMagic;     // header bytes 12..15
  uint32_t next_autonumber = 0;               // bytes 20..23: the last autonumber given out
  uint8_t autonumber_flag = 1;                // byte 24: Jet sets it on every table
  std::array<uint8_t, 15> header_reserved{};  // bytes 25..39
  // One per column, real index and logical index of the definition, in its order; missing
  // ones take the defaults.
  std::vector<ColumnDefinitionExtras> columns;
  std::vector<RealIndexExtras> real_indexes;
  std::vector<LogicalIndexExtras> logical_indexes;
  std::vector<ColumnUsageMaps> column_usage_maps;
};

// Reads the extras of a stored Jet 4 definition (the pages joined, as DecodeTableDefinition
// takes them). Throws FormatError on a damaged definition or a Jet 3 layout.
TableDefinitionExtras DecodeTableDefinitionExtras(ByteView bytes, const Layout& layout);

// The definition's bytes. Throws FormatError for a Jet 3 layout, a name longer than Jet
// allows, more than kIndexMaxColumns columns in a real index, a logical index naming a real
// index that is not there, or counts that do not fit their fields.
std::vector<uint8_t> EncodeTableDefinition(const TableDefinition& def,
                                           const TableDefinitionExtras& extras,
                                           const Layout& layout);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_ENCODER_H_
