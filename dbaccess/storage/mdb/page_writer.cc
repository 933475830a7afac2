#include "dbaccess/storage/mdb/page_writer.h"

#include <algorithm>
#include <vector>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

constexpr int kGlobalUsageMapRow = 0;

}  // namespace

// The pages of the writer as the file would store them (encrypted where the file is).
class PageWriter::ViewSource : public ByteSource {
 public:
  explicit ViewSource(PageWriter& writer)
      : writer_(writer),
        page_size_(static_cast<size_t>(writer.layout().page_size)),
        size_(uint64_t{writer.page_count_} * page_size_) {}
  uint64_t size() const override { return size_; }
  bool Read(uint64_t offset, size_t length, uint8_t* out) const override {
    if (offset > size_ || length > size_ - offset) return false;
    while (length > 0) {
      const uint32_t number = static_cast<uint32_t>(offset / page_size_);
      const size_t at = static_cast<size_t>(offset % page_size_);
      const size_t n = std::min(length, page_size_ - at);
      const Page page = Stored(number);
      std::copy_n(page.begin() + static_cast<long>(at), n, out);
      out += n;
      offset += n;
      length -= n;
    }
    return true;
  }

 private:
  Page Stored(uint32_t number) const {
    Page page;
    if (const Page* changed = writer_.changed_.Find(number)) {
      page = *changed;
    } else if (number < writer_.file_.page_count()) {
      page = *writer_.file_.Read(number);
    } else {
      page.assign(page_size_, 0);
    }
    ApplyPageEncryption(writer_.header(), number, page);
    return page;
  }

  PageWriter& writer_;
  size_t page_size_;
  uint64_t size_;
};

PageWriter::PageWriter(const PageFile& file, std::string path)
    : file_(file),
      path_(std::move(path)),
      page_count_(file.page_count()),
      changed_(static_cast<size_t>(file.layout().page_size)) {
  if (file.header().version != JetVersion::kJet4) throw jet_errors::Jet3FileReadOnly(path_);
  const auto row = ReadRow(file_, RowPointer{kGlobalUsageMapPage, kGlobalUsageMapRow});
  if (!row || row->bytes.size() < kUsageMapInlineBitmapOffset) {
    throw FormatError("global usage map missing");
  }
  if (row->bytes.U8(0) == kUsageMapInline) {
    if (row->bytes.U32(1) != 0) throw FormatError("global usage map not from page 0");
    global_map_bytes_ = row->bytes.size() - kUsageMapInlineBitmapOffset;
  } else {
    for (size_t at = 1; at + 4 <= row->bytes.size(); at += 4) {
      global_map_pages_.push_back(row->bytes.U32(at));
    }
  }
  for (uint32_t page : DecodeUsageMap(row->bytes, file_)) free_.insert(page);
}

const Page& PageWriter::Read(uint32_t number) {
  if (Page* changed = changed_.Find(number)) return *changed;
  if (number >= file_.page_count()) return Edit(number);
  auto [it, added] = read_.try_emplace(number);
  if (added) {
    it->second = file_.Read(number);
    read_order_.push_back(number);
    if (read_order_.size() > PageStore::kMemoryPages) {
      read_.erase(read_order_.front());
      read_order_.pop_front();
    }
  }
  return *it->second;
}

Page& PageWriter::Edit(uint32_t number) {
  if (Page* changed = changed_.Find(number)) return *changed;
  if (number >= page_count_) throw FormatError("page outside the file");
  if (number >= file_.page_count()) return changed_.Put(number, Page(layout().page_size, 0));
  const auto read = read_.find(number);
  return changed_.Put(number, read != read_.end() ? *read->second : *file_.Read(number));
}

uint32_t PageWriter::Allocate() {
  uint32_t number;
  if (!free_.empty()) {
    number = *free_.begin();
    free_.erase(free_.begin());
  } else {
    number = page_count_++;
  }
  global_map_changed_ = true;
  changed_.Put(number, Page(layout().page_size, 0));
  return number;
}

void PageWriter::Release(uint32_t number) {
  if (number <= kSystemCatalogPage || number >= page_count_) {
    throw FormatError("page cannot be released");
  }
  changed_.Put(number, Page(layout().page_size, 0));
  free_.insert(number);
  global_map_changed_ = true;
}

void PageWriter::WriteGlobalUsageMap() {
  // The map covers every page of the file: an inline bitmap from page 0 that grows with the
  // file while page 1 holds it, then usage map pages, one for each span of pages.
  Page& page = Edit(kGlobalUsageMapPage);
  DataPageContent content = DecodeDataPage(ByteView(page), layout());
  if (content.rows.empty()) throw FormatError("global usage map row missing");
  std::vector<uint8_t>& map = content.rows[kGlobalUsageMapRow].bytes;
  const size_t bytes = std::max<size_t>(global_map_bytes_, (page_count_ + 7) / 8);
  map.assign(kUsageMapInlineBitmapOffset + bytes, 0);
  map[0] = kUsageMapInline;
  for (uint32_t free_page : free_) {
    map[kUsageMapInlineBitmapOffset + free_page / 8] |= static_cast<uint8_t>(1u << (free_page % 8));
  }
  if (global_map_pages_.empty() && DataPageFreeSpace(content, layout()) >= 0) {
    page = EncodeDataPage(content, layout());
    return;
  }
  const size_t span = static_cast<size_t>(layout().page_size - kUsageMapPageBitmapOffset) * 8;
  while (global_map_pages_.size() * span < page_count_) {
    const uint32_t map_page = page_count_++;  // never a free page: their bits are being set
    global_map_pages_.push_back(map_page);
  }
  std::vector<Page> bitmaps(global_map_pages_.size(), Page(layout().page_size, 0));
  for (Page& bitmap : bitmaps) {
    bitmap[0] = kPageUsageMap;
    bitmap[1] = 1;
  }
  for (uint32_t free_page : free_) {
    const size_t bit = free_page % span;
    bitmaps[free_page / span][kUsageMapPageBitmapOffset + bit / 8] |=
        static_cast<uint8_t>(1u << (bit % 8));
  }
  map.assign(1 + 4 * global_map_pages_.size(), 0);
  map[0] = kUsageMapReference;
  for (size_t i = 0; i < global_map_pages_.size(); ++i) {
    for (int b = 0; b < 4; ++b) {
      map[1 + 4 * i + b] = static_cast<uint8_t>(global_map_pages_[i] >> (8 * b));
    }
    changed_.Put(global_map_pages_[i], std::move(bitmaps[i]));
  }
  Edit(kGlobalUsageMapPage) = EncodeDataPage(content, layout());
}

std::unique_ptr<PageFile> PageWriter::View() {
  if (global_map_changed_) WriteGlobalUsageMap();
  return std::make_unique<PageFile>(std::make_unique<ViewSource>(*this));
}

void PageWriter::Commit() {
  if (global_map_changed_) WriteGlobalUsageMap();
  PageSource source;
  source.numbers = changed_.Numbers();
  source.pages = [this](const PageVisitor& visit) {
    Page bytes;
    changed_.ForEach([&](uint32_t number, const Page& page) {
      bytes = page;
      ApplyPageEncryption(header(), number, bytes);
      visit(number, bytes);
    });
  };
  WritePagesAtomically(path_, static_cast<size_t>(layout().page_size), source);
  changed_.Clear();
  read_.clear();
  read_order_.clear();
  global_map_changed_ = false;
}

}  // namespace dbaccess::mdb
