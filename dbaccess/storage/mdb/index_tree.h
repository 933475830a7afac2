// Building the pages of a whole index from its sorted entries.
//
// Leaves are filled in order, as many entries to a page as fit; pages of one level are
// linked to their neighbours. Each intermediate page lists its children by their last
// entry, except its last child, which it names as its tail page, as Access does. A tree
// whose entries fit on one page is that one leaf.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_TREE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_TREE_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/index_page.h"

namespace dbaccess::mdb {

struct BuiltIndexPage {
  uint32_t number = 0;
  std::vector<uint8_t> bytes;
};

struct BuiltIndexTree {
  uint32_t root = 0;
  std::vector<BuiltIndexPage> pages;  // leaves first, the root last
};

struct IndexTreeOptions {
  // Compress each page by the prefix its first and last entries share. Access leaves
  // pages it fills one insert at a time uncompressed.
  bool compress = false;
  // At most this many bytes of entries per page (0: as many as fit).
  size_t page_fill = 0;
};

// `entries` must be in EntryLess order (throws FormatError otherwise); `allocate` hands out
// the number of a free page each time it is called. The single leaf of a small tree gets
// the first number handed out.
BuiltIndexTree BuildIndexTree(const std::vector<IndexEntry>& entries, uint32_t table_page,
                              const Layout& layout, const std::function<uint32_t()>& allocate,
                              const IndexTreeOptions& options = {});

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_TREE_H_
