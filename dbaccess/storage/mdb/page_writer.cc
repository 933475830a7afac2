#include "dbaccess/storage/mdb/page_writer.h"

#include <algorithm>
#include <vector>

#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

constexpr int kGlobalUsageMapRow = 0;

}  // namespace

PageWriter::PageWriter(const PageFile& file, std::string path)
    : file_(file), path_(std::move(path)), page_count_(file.page_count()) {
  if (file.header().version != JetVersion::kJet4) throw FormatError("only Jet 4 files are written");
  const auto row = ReadRow(file_, RowPointer{kGlobalUsageMapPage, kGlobalUsageMapRow});
  if (!row || row->bytes.size() < kUsageMapInlineBitmapOffset ||
      row->bytes.U8(0) != kUsageMapInline || row->bytes.U32(1) != 0) {
    throw FormatError("global usage map of a kind we do not write");
  }
  global_map_bytes_ = row->bytes.size() - kUsageMapInlineBitmapOffset;
  for (uint32_t page : DecodeUsageMap(row->bytes, file_)) free_.insert(page);
}

const Page& PageWriter::Read(uint32_t number) {
  const auto found = changed_.find(number);
  if (found != changed_.end()) return found->second;
  if (number >= file_.page_count()) return Edit(number);
  auto& read = read_[number];  // kept, so that the reference stays valid
  if (!read) read = file_.Read(number);
  return *read;
}

Page& PageWriter::Edit(uint32_t number) {
  const auto found = changed_.find(number);
  if (found != changed_.end()) return found->second;
  if (number >= page_count_) throw FormatError("page outside the file");
  if (number >= file_.page_count()) {
    return changed_.emplace(number, Page(layout().page_size, 0)).first->second;
  }
  const auto read = read_.find(number);
  Page bytes = read != read_.end() ? *read->second : *file_.Read(number);
  if (read != read_.end()) read_.erase(read);
  return changed_.emplace(number, std::move(bytes)).first->second;
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
  changed_[number] = Page(layout().page_size, 0);
  return number;
}

void PageWriter::Release(uint32_t number) {
  if (number <= kSystemCatalogPage || number >= page_count_) {
    throw FormatError("page cannot be released");
  }
  changed_[number] = Page(layout().page_size, 0);
  free_.insert(number);
  global_map_changed_ = true;
}

void PageWriter::WriteGlobalUsageMap() {
  // Every page of the file is covered; the bitmap never shrinks.
  const size_t bytes = std::max<size_t>(global_map_bytes_, (page_count_ + 7) / 8);
  std::vector<uint8_t> map(kUsageMapInlineBitmapOffset + bytes, 0);  // start page 0
  map[0] = kUsageMapInline;
  for (uint32_t page : free_) {
    map[kUsageMapInlineBitmapOffset + page / 8] |= static_cast<uint8_t>(1u << (page % 8));
  }
  Page& page = Edit(kGlobalUsageMapPage);
  DataPageContent content = DecodeDataPage(ByteView(page), layout());
  if (content.rows.empty()) throw FormatError("global usage map row missing");
  content.rows[kGlobalUsageMapRow].bytes = std::move(map);
  if (DataPageFreeSpace(content, layout()) < 0) {
    throw FormatError("the database outgrew its global usage map");
  }
  page = EncodeDataPage(content, layout());
}

void PageWriter::Commit() {
  if (global_map_changed_) WriteGlobalUsageMap();
  std::map<uint32_t, std::vector<uint8_t>> stored;
  for (auto& [number, page] : changed_) {
    Page bytes = page;
    ApplyPageEncryption(header(), number, bytes);
    stored.emplace(number, std::move(bytes));
  }
  WritePagesAtomically(path_, static_cast<size_t>(layout().page_size), stored);
  changed_.clear();
  read_.clear();
  global_map_changed_ = false;
}

}  // namespace dbaccess::mdb
