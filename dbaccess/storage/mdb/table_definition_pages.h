// A table definition's bytes on its TDEF pages, and back.
//
// The first page holds the definition's first page_size bytes, page header included; each
// continuation page holds the next page_size - 8 bytes after an 8-byte header of its own
// (type, 0x01, free space, next page). Every page links to the next at offset 4, the last
// to 0. A page's free space is page_size - 8 - the bytes it uses, and 0 on a full page, so
// that the used part of any TDEF page is known from its header (TableDefinitionPageUsed).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_PAGES_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_PAGES_H_

#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"

namespace dbaccess::mdb {

// The offset of the free space figure on a TDEF page.
constexpr int kTableDefinitionFreeSpaceOffset = 2;

// The number of pages a definition of `size` bytes takes.
size_t TableDefinitionPageCount(size_t size, const Layout& layout);

// The pages of `definition` (as EncodeTableDefinition gives it), to be written at `pages`
// (the first is the table's definition page); bytes past the used part are zero. Throws
// FormatError when `pages` does not hold exactly TableDefinitionPageCount pages, or holds
// page 0 or the same page twice.
std::vector<Page> LayOutTableDefinition(ByteView definition, const std::vector<uint32_t>& pages,
                                        const Layout& layout);

// Writes `definition` on the pages of the chain `pages` (the table's definition page
// first), taking more pages from `writer` when it has grown and giving back those it no
// longer needs. Returns the chain now used. Throws FormatError as LayOutTableDefinition.
std::vector<uint32_t> StoreTableDefinition(PageWriter& writer, ByteView definition,
                                           std::vector<uint32_t> pages);

// How many bytes of a TDEF page are used, from its free space figure.
size_t TableDefinitionPageUsed(ByteView page);

struct StoredTableDefinition {
  std::vector<uint32_t> pages;  // the chain, first page first
  std::vector<uint8_t> bytes;   // the definition joined, cut at its recorded length
};

// Reads the definition whose first page is `page` as stored. Throws FormatError on a page
// that is not a TDEF page, a chain that loops, or a length the pages do not hold.
StoredTableDefinition ReadStoredTableDefinition(const PageFile& file, uint32_t page);

// The same decoded: the definition (its page set), the extras a writer keeps, the chain.
struct DecodedTableDefinition {
  TableDefinition definition;
  TableDefinitionExtras extras;
  std::vector<uint32_t> pages;
};
DecodedTableDefinition ReadDecodedTableDefinition(const PageFile& file, uint32_t page);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_DEFINITION_PAGES_H_
