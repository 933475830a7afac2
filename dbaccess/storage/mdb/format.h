// The fixed facts of the Jet 3 (Access 97) and Jet 4 (Access 2000-2003) file formats: page
// sizes, page types and the offsets of every field the reader uses.
//
// A file is a sequence of pages. Page 0 is the database header, page 1 the global usage
// map, page 2 the table definition of MSysObjects. Multi-byte numbers are little-endian.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace dbaccess::mdb {

enum class JetVersion { kJet3, kJet4 };

// The first byte of every page.
enum PageType : uint8_t {
  kPageHeader = 0x00,
  kPageData = 0x01,  // also long value (LVAL) pages
  kPageTableDefinition = 0x02,
  kPageIndexNode = 0x03,
  kPageIndexLeaf = 0x04,
  kPageUsageMap = 0x05,
};

// Header page (page 0).
constexpr int kHeaderEngineNameOffset = 0x04;  // "Standard Jet DB" (15 bytes)
constexpr int kHeaderEngineNameLength = 15;
constexpr int kHeaderVersionOffset = 0x14;  // 0 Jet 3, 1 Jet 4, 2+ Access 2007 and later
constexpr uint8_t kHeaderVersionJet3 = 0;
constexpr uint8_t kHeaderVersionJet4 = 1;
constexpr int kHeaderMaskedOffset = 0x18;  // start of the RC4-masked area
constexpr int kHeaderCodePageOffset = 0x3C;
constexpr int kHeaderDatabaseKeyOffset = 0x3E;  // non-zero: every other page is RC4-encrypted
constexpr int kHeaderPasswordOffset = 0x42;
// Right after the password, apparently the build number of the engine that made the file:
// the Jet 4 files we have hold 4518, 8618, 9025, 9511 and 9756, which are builds of Jet 4.0
// (msjet40.dll 4.0.8618 ... 4.0.9756) and of Access 2007's engine (12.0.4518).
constexpr int kHeaderJet3EngineBuildOffset = 0x56;
constexpr int kHeaderJet4EngineBuildOffset = 0x6A;
constexpr int kHeaderJet3SortOrderOffset = 0x3A;
constexpr int kHeaderJet4SortOrderOffset = 0x6E;
constexpr int kHeaderJet4CreationDateOffset = 0x72;
// The key of the RC4 stream that masks the header area.
constexpr uint8_t kHeaderMaskKey[4] = {0xC7, 0xDA, 0x39, 0x6B};

constexpr uint32_t kSystemCatalogPage = 2;  // the table definition of MSysObjects

// Data and long value pages.
constexpr int kDataPageTableDefinitionOffset = 4;  // "LVAL" on long value pages
constexpr uint16_t kRowOffsetMask = 0x1FFF;
constexpr uint16_t kRowDeletedFlag = 0x8000;
constexpr uint16_t kRowOverflowFlag = 0x4000;  // the row holds a pointer to the real row
// A deleted row as Jet leaves it: no bytes, and both flags set (the deleted flag alone marks
// the data of a row that moved there).
constexpr uint16_t kRowDeletedSlot = kRowDeletedFlag | kRowOverflowFlag;

// Table definition pages.
constexpr int kTableDefinitionNextPageOffset = 4;
constexpr int kTableDefinitionPageHeader = 8;  // bytes before the data on every page
constexpr uint8_t kTableTypeUser = 0x4E;
constexpr uint8_t kTableTypeSystem = 0x53;

// Column flags (column definition block).
constexpr uint8_t kColumnFlagFixed = 0x01;
constexpr uint8_t kColumnFlagAutoNumber = 0x04;
constexpr uint8_t kColumnFlagAutoGuid = 0x40;
constexpr uint8_t kColumnFlagHyperlink = 0x80;
constexpr uint8_t kColumnExtFlagCompressedUnicode = 0x01;

// Real (physical) index flags and column order flag.
constexpr uint8_t kIndexFlagUnique = 0x01;
constexpr uint8_t kIndexFlagIgnoreNulls = 0x02;
constexpr uint8_t kIndexFlagRequired = 0x08;
constexpr uint8_t kIndexColumnAscending = 0x01;
constexpr uint16_t kIndexColumnUnused = 0xFFFF;
constexpr int kIndexMaxColumns = 10;

// Logical index types.
constexpr uint8_t kLogicalIndexNormal = 0;
constexpr uint8_t kLogicalIndexPrimaryKey = 1;
constexpr uint8_t kLogicalIndexForeignKey = 2;
// Which side of a relationship a foreign-key logical index sits on.
constexpr uint8_t kRelationshipSidePrimary = 1;
constexpr uint8_t kRelationshipSideForeign = 2;

// Column type codes as stored in a column definition.
enum ColumnType : uint8_t {
  kTypeBoolean = 0x01,
  kTypeByte = 0x02,
  kTypeInt = 0x03,
  kTypeLong = 0x04,
  kTypeMoney = 0x05,
  kTypeFloat = 0x06,
  kTypeDouble = 0x07,
  kTypeDateTime = 0x08,
  kTypeBinary = 0x09,
  kTypeText = 0x0A,
  kTypeOle = 0x0B,
  kTypeMemo = 0x0C,
  kTypeGuid = 0x0F,
  kTypeNumeric = 0x10,
};

// Stored sizes of the fixed-length types that are not plain numbers.
constexpr size_t kGuidSize = 16;
constexpr size_t kDecimalSize = 17;  // sign, then a 16-byte integer

// Long value (memo, OLE) field: a 12-byte definition in the row.
constexpr int kLongValueDefinitionSize = 12;
constexpr uint32_t kLongValueLengthMask = 0x3FFFFFFF;
constexpr uint8_t kLongValueInline = 0x80;
constexpr uint8_t kLongValueSinglePage = 0x40;

// Usage maps.
constexpr uint8_t kUsageMapInline = 0x00;
constexpr uint8_t kUsageMapReference = 0x01;
constexpr int kUsageMapInlineBitmapOffset = 5;
constexpr int kUsageMapPageBitmapOffset = 4;  // on a usage map page (type 0x05)

// Text: Jet 4 stores UCS-2; a value starting with these two bytes uses the compressed form.
constexpr uint8_t kCompressedTextMarker[2] = {0xFF, 0xFE};

// Property blobs (MSysObjects.LvProp).
constexpr char kPropertyBlobJet4[4] = {'M', 'R', '2', '\0'};
constexpr char kPropertyBlobJet3[4] = {'K', 'K', 'D', '\0'};

// Where the fields of the version-dependent structures are.
struct Layout {
  JetVersion version;
  int page_size;
  int header_masked_length;
  int password_size;
  bool wide_text;  // names and text in UCS-2 (Jet 4) or in the code page (Jet 3)

  // Data pages.
  int data_row_count_offset;
  int data_row_table_offset;

  // Table definition: header fields.
  int tdef_row_count_offset;
  int tdef_table_type_offset;
  int tdef_max_columns_offset;
  int tdef_variable_columns_offset;
  int tdef_column_count_offset;
  int tdef_logical_index_count_offset;
  int tdef_real_index_count_offset;
  int tdef_owned_pages_offset;
  int tdef_free_pages_offset;
  int tdef_blocks_offset;  // the first variable-size block
  int tdef_real_index_count_entry_size;

  // Table definition: one column block.
  int column_block_size;
  int column_type_offset;
  int column_number_offset;
  int column_variable_index_offset;
  int column_precision_offset;
  int column_scale_offset;
  int column_flags_offset;
  int column_ext_flags_offset;  // -1: none
  int column_fixed_offset_offset;
  int column_length_offset;
  int column_sort_order_offset;          // Text and Memo: 2-byte LCID
  int column_sort_order_version_offset;  // -1: none

  // Names: the size of the length prefix.
  int name_length_size;

  // Real index blocks.
  int real_index_block_size;
  int real_index_skip_before;
  int real_index_skip_before_flags;

  // Logical index blocks.
  int logical_index_block_size;
  int logical_index_skip_before;

  // Rows.
  int row_column_count_size;
  int row_fixed_data_offset;
};

inline constexpr Layout kJet3Layout = {
    .version = JetVersion::kJet3,
    .page_size = 2048,
    .header_masked_length = 126,
    .password_size = 20,
    .wide_text = false,
    .data_row_count_offset = 8,
    .data_row_table_offset = 10,
    .tdef_row_count_offset = 12,
    .tdef_table_type_offset = 20,
    .tdef_max_columns_offset = 21,
    .tdef_variable_columns_offset = 23,
    .tdef_column_count_offset = 25,
    .tdef_logical_index_count_offset = 27,
    .tdef_real_index_count_offset = 31,
    .tdef_owned_pages_offset = 35,
    .tdef_free_pages_offset = 39,
    .tdef_blocks_offset = 43,
    .tdef_real_index_count_entry_size = 8,
    .column_block_size = 18,
    .column_type_offset = 0,
    .column_number_offset = 1,
    .column_variable_index_offset = 3,
    .column_precision_offset = 11,
    .column_scale_offset = 12,
    .column_flags_offset = 13,
    .column_ext_flags_offset = -1,
    .column_fixed_offset_offset = 14,
    .column_length_offset = 16,
    .column_sort_order_offset = 9,
    .column_sort_order_version_offset = -1,
    .name_length_size = 1,
    .real_index_block_size = 39,
    .real_index_skip_before = 0,
    .real_index_skip_before_flags = 0,
    .logical_index_block_size = 20,
    .logical_index_skip_before = 0,
    .row_column_count_size = 1,
    .row_fixed_data_offset = 1,
};

inline constexpr Layout kJet4Layout = {
    .version = JetVersion::kJet4,
    .page_size = 4096,
    .header_masked_length = 128,
    .password_size = 40,
    .wide_text = true,
    .data_row_count_offset = 12,
    .data_row_table_offset = 14,
    .tdef_row_count_offset = 16,
    .tdef_table_type_offset = 40,
    .tdef_max_columns_offset = 41,
    .tdef_variable_columns_offset = 43,
    .tdef_column_count_offset = 45,
    .tdef_logical_index_count_offset = 47,
    .tdef_real_index_count_offset = 51,
    .tdef_owned_pages_offset = 55,
    .tdef_free_pages_offset = 59,
    .tdef_blocks_offset = 63,
    .tdef_real_index_count_entry_size = 12,
    .column_block_size = 25,
    .column_type_offset = 0,
    .column_number_offset = 5,
    .column_variable_index_offset = 7,
    .column_precision_offset = 11,
    .column_scale_offset = 12,
    .column_flags_offset = 15,
    .column_ext_flags_offset = 16,
    .column_fixed_offset_offset = 21,
    .column_length_offset = 23,
    .column_sort_order_offset = 11,
    .column_sort_order_version_offset = 14,
    .name_length_size = 2,
    .real_index_block_size = 52,
    .real_index_skip_before = 4,
    .real_index_skip_before_flags = 4,
    .logical_index_block_size = 28,
    .logical_index_skip_before = 4,
    .row_column_count_size = 2,
    .row_fixed_data_offset = 2,
};

inline const Layout& LayoutFor(JetVersion version) {
  return version == JetVersion::kJet3 ? kJet3Layout : kJet4Layout;
}

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_H_
