#include "dbaccess/storage/mdb/usage_map_editor.h"

#include "dbaccess/storage/mdb/data_page_builder.h"

namespace dbaccess::mdb {
namespace {

constexpr uint8_t kUsageMapPageMarker = 0x01;  // the byte after the page type

size_t PagesPerMapPage(const Layout& layout) {
  return static_cast<size_t>(layout.page_size - kUsageMapPageBitmapOffset) * 8;
}

void AddBits(ByteView bitmap, uint64_t first, std::set<uint32_t>& pages) {
  for (size_t byte = 0; byte < bitmap.size(); ++byte) {
    const uint8_t bits = bitmap.data()[byte];
    for (int bit = 0; bit < 8; ++bit) {
      if ((bits & (1u << bit)) != 0) pages.insert(static_cast<uint32_t>(first + byte * 8 + bit));
    }
  }
}

}  // namespace

UsageMapEditor::UsageMapEditor(PageWriter& pages, RowPointer where)
    : writer_(pages), where_(where) {
  const DataPageContent content =
      DecodeDataPage(ByteView(writer_.Read(where.page)), writer_.layout());
  if (where.row >= content.rows.size()) throw FormatError("usage map row missing");
  const ByteView map(content.rows[where.row].bytes);
  kind_ = map.U8(0);
  if (kind_ == kUsageMapInline) {
    start_ = map.U32(1);
    bitmap_bytes_ = map.size() - kUsageMapInlineBitmapOffset;
    AddBits(map.From(kUsageMapInlineBitmapOffset), start_, pages_);
  } else if (kind_ == kUsageMapReference) {
    const size_t span = PagesPerMapPage(writer_.layout());
    for (size_t i = 0; 1 + 4 * (i + 1) <= map.size(); ++i) {
      const uint32_t map_page = map.U32(1 + 4 * i);
      map_pages_.push_back(map_page);
      if (map_page == 0) continue;
      const ByteView bits(writer_.Read(map_page));
      if (bits.U8(0) != kPageUsageMap) throw FormatError("usage map page of wrong type");
      AddBits(bits.From(kUsageMapPageBitmapOffset), i * span, pages_);
    }
  } else {
    throw FormatError("unknown usage map kind");
  }
}

void UsageMapEditor::Add(uint32_t page) { changed_ |= pages_.insert(page).second; }

void UsageMapEditor::Remove(uint32_t page) { changed_ |= pages_.erase(page) != 0; }

std::vector<uint8_t> UsageMapEditor::EncodeReference() {
  const Layout& layout = writer_.layout();
  const size_t span = PagesPerMapPage(layout);
  const size_t needed = pages_.empty() ? 0 : *pages_.rbegin() / span + 1;
  if (map_pages_.size() < needed) map_pages_.resize(needed, 0);
  std::vector<Page*> bitmaps(map_pages_.size(), nullptr);
  for (size_t i = 0; i < map_pages_.size(); ++i) {
    if (map_pages_[i] == 0) {
      bool used = false;
      for (auto it = pages_.lower_bound(static_cast<uint32_t>(i * span));
           it != pages_.end() && *it < (i + 1) * span; ++it) {
        used = true;
        break;
      }
      if (!used) continue;
      map_pages_[i] = writer_.Allocate();
    }
    Page& page = writer_.Edit(map_pages_[i]);
    std::fill(page.begin(), page.end(), 0);
    page[0] = kPageUsageMap;
    page[1] = kUsageMapPageMarker;
    bitmaps[i] = &page;
  }
  for (uint32_t p : pages_) {
    const size_t bit = p % span;
    (*bitmaps[p / span])[kUsageMapPageBitmapOffset + bit / 8] |=
        static_cast<uint8_t>(1u << (bit % 8));
  }
  std::vector<uint8_t> map(1 + 4 * map_pages_.size(), 0);
  map[0] = kUsageMapReference;
  for (size_t i = 0; i < map_pages_.size(); ++i) {
    for (int b = 0; b < 4; ++b) map[1 + 4 * i + b] = static_cast<uint8_t>(map_pages_[i] >> (8 * b));
  }
  return map;
}

void UsageMapEditor::Save() {
  if (!changed_) return;
  std::vector<uint8_t> map;
  if (kind_ == kUsageMapInline) {
    const size_t capacity = bitmap_bytes_ * 8;
    if (!pages_.empty() && (*pages_.begin() < start_ || *pages_.rbegin() - start_ >= capacity)) {
      start_ = *pages_.begin();
    }
    if (pages_.empty() || *pages_.rbegin() - start_ < capacity) {
      map.assign(kUsageMapInlineBitmapOffset + bitmap_bytes_, 0);
      map[0] = kUsageMapInline;
      for (int b = 0; b < 4; ++b) map[1 + b] = static_cast<uint8_t>(start_ >> (8 * b));
      for (uint32_t p : pages_) {
        const uint32_t bit = p - start_;
        map[kUsageMapInlineBitmapOffset + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
      }
    } else {
      kind_ = kUsageMapReference;
    }
  }
  if (kind_ == kUsageMapReference) map = EncodeReference();
  Page& page = writer_.Edit(where_.page);
  DataPageContent content = DecodeDataPage(ByteView(page), writer_.layout());
  content.rows[where_.row].bytes = std::move(map);
  page = EncodeDataPage(content, writer_.layout());
  changed_ = false;
}

}  // namespace dbaccess::mdb
