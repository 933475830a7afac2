// Usage maps: which pages belong to a table (or are free, for the global map).
//
// A map lives in a row. Its first byte gives the kind: 0, a start page followed by a
// bitmap (bit i set: page start + i); 1, the numbers of usage map pages (type 0x05), each
// a bitmap from byte 4 covering the next (page size - 4) * 8 pages. Bits are read from the
// low-order bit of each byte.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_H_

#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

// The pages the map marks, ascending, without pages past the end of the file. Throws
// FormatError for a map of unknown kind or a reference to a page that is no usage map page.
std::vector<uint32_t> DecodeUsageMap(ByteView map, const PageFile& file);

// The map stored in the row at `where`.
std::vector<uint32_t> ReadUsageMap(const PageFile& file, RowPointer where);

// The inline map (kind 0) marking `pages`, all within 8 * `bitmap_bytes` pages of the first;
// for tests and writers.
std::vector<uint8_t> EncodeInlineUsageMap(const std::vector<uint32_t>& pages, size_t bitmap_bytes);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_H_
