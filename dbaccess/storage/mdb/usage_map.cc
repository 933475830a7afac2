#include "dbaccess/storage/mdb/usage_map.h"

#include <algorithm>

namespace dbaccess::mdb {
namespace {

// Appends the pages of a bitmap whose bit 0 stands for page `first`.
void AddBitmapPages(ByteView bitmap, uint64_t first, uint32_t page_count,
                    std::vector<uint32_t>& pages) {
  for (size_t byte = 0; byte < bitmap.size(); ++byte) {
    const uint8_t bits = bitmap.data()[byte];
    if (bits == 0) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bits & (1u << bit)) == 0) continue;
      const uint64_t page = first + byte * 8 + bit;
      if (page >= page_count) return;
      pages.push_back(static_cast<uint32_t>(page));
    }
  }
}

}  // namespace

std::vector<uint32_t> DecodeUsageMap(ByteView map, const PageFile& file) {
  std::vector<uint32_t> pages;
  const uint32_t page_count = file.page_count();
  switch (map.U8(0)) {
    case kUsageMapInline: {
      const uint32_t start = map.U32(1);
      AddBitmapPages(map.From(kUsageMapInlineBitmapOffset), start, page_count, pages);
      break;
    }
    case kUsageMapReference: {
      const uint64_t pages_per_map_page =
          static_cast<uint64_t>(file.layout().page_size - kUsageMapPageBitmapOffset) * 8;
      for (size_t i = 0; 1 + 4 * (i + 1) <= map.size(); ++i) {
        const uint32_t map_page = map.U32(1 + 4 * i);
        if (map_page == 0) continue;
        const uint64_t first = i * pages_per_map_page;
        if (first >= page_count) break;
        std::shared_ptr<const Page> page = file.Read(map_page);
        const ByteView view(*page);
        if (view.U8(0) != kPageUsageMap) throw FormatError("usage map page of wrong type");
        AddBitmapPages(view.From(kUsageMapPageBitmapOffset), first, page_count, pages);
      }
      break;
    }
    default:
      throw FormatError("unknown usage map kind");
  }
  // Bitmaps are ascending by construction; reference maps could repeat a page.
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

std::vector<uint32_t> ReadUsageMap(const PageFile& file, RowPointer where) {
  const auto row = ReadRow(file, where);
  if (!row) throw FormatError("usage map row deleted");
  return DecodeUsageMap(row->bytes, file);
}

std::vector<uint8_t> EncodeInlineUsageMap(const std::vector<uint32_t>& pages, size_t bitmap_bytes) {
  std::vector<uint8_t> map(kUsageMapInlineBitmapOffset + bitmap_bytes, 0);
  const uint32_t start = pages.empty() ? 0 : *std::min_element(pages.begin(), pages.end());
  map[0] = kUsageMapInline;
  for (int i = 0; i < 4; ++i) map[1 + i] = static_cast<uint8_t>(start >> (8 * i));
  for (uint32_t page : pages) {
    const uint32_t bit = page - start;
    if (bit / 8 < bitmap_bytes) map[kUsageMapInlineBitmapOffset + bit / 8] |= 1u << (bit % 8);
  }
  return map;
}

}  // namespace dbaccess::mdb
