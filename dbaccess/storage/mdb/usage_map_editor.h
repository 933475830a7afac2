// A usage map changed: pages added and removed, then written back in the form that holds
// them.
//
// An inline map (kind 0) keeps its row's size: its start page moves down to the lowest
// page when the pages no longer fit after it, and when they span more pages than its
// bitmap holds it becomes a reference map (kind 1), whose bitmaps lie on usage map pages
// (type 0x05) of their own, each covering (page size - 4) * 8 pages.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_EDITOR_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_EDITOR_H_

#include <cstdint>
#include <set>
#include <vector>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/page_writer.h"

namespace dbaccess::mdb {

class UsageMapEditor {
 public:
  // The map in the row at `where`, read through `pages`. Throws FormatError.
  UsageMapEditor(PageWriter& pages, RowPointer where);

  const std::set<uint32_t>& pages() const { return pages_; }
  bool Contains(uint32_t page) const { return pages_.count(page) != 0; }
  void Add(uint32_t page);
  void Remove(uint32_t page);

  // Writes the map back into its row (and its usage map pages) when it changed.
  void Save();

 private:
  std::vector<uint8_t> EncodeReference();

  PageWriter& writer_;
  RowPointer where_;
  uint8_t kind_ = kUsageMapInline;
  uint32_t start_ = 0;
  size_t bitmap_bytes_ = 0;          // inline maps
  std::vector<uint32_t> map_pages_;  // reference maps: one entry per span, 0 for none
  std::set<uint32_t> pages_;
  bool changed_ = false;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_USAGE_MAP_EDITOR_H_
