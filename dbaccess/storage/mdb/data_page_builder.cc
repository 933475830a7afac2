#include "dbaccess/storage/mdb/data_page_builder.h"

#include "dbaccess/storage/mdb/data_page.h"

namespace dbaccess::mdb {
namespace {

constexpr int kDataPageMarkerOffset = 1;  // always 1 on a Jet 4 data page
constexpr int kDataPageReservedOffset = 8;

void Put16(Page& page, size_t at, uint32_t v) {
  page[at] = static_cast<uint8_t>(v);
  page[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Page& page, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) page[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

size_t UsedBytes(const DataPageContent& content, const Layout& layout) {
  size_t used = layout.data_row_table_offset + 2 * content.rows.size();
  for (const PageRow& row : content.rows) used += row.bytes.size();
  return used;
}

}  // namespace

DataPageContent DecodeDataPage(ByteView page, const Layout& layout) {
  if (layout.version != JetVersion::kJet4) throw FormatError("only Jet 4 pages are written");
  if (page.U8(0) != kPageData) throw FormatError("not a data page");
  DataPageContent content;
  content.owner = page.U32(kDataPageTableDefinitionOffset);
  for (int i = 0; i < 4; ++i) content.reserved[i] = page.U8(kDataPageReservedOffset + i);
  const int count = DataPageRowCount(page, layout);
  for (int row = 0; row < count; ++row) {
    const RowSlot slot = DataPageRowSlot(page, row, layout);
    PageRow out;
    out.flags = static_cast<uint16_t>((slot.deleted ? kRowDeletedFlag : 0) |
                                      (slot.overflow ? kRowOverflowFlag : 0));
    const size_t table_end = layout.data_row_table_offset + 2 * static_cast<size_t>(count);
    if (slot.start < table_end || slot.start > slot.end || slot.end > page.size()) {
      throw FormatError("bad row offsets");
    }
    out.bytes = page.Sub(slot.start, slot.end - slot.start).ToVector();
    content.rows.push_back(std::move(out));
  }
  return content;
}

long DataPageFreeSpace(const DataPageContent& content, const Layout& layout) {
  return static_cast<long>(layout.page_size) - static_cast<long>(UsedBytes(content, layout));
}

bool DataPageHasRoom(const DataPageContent& content, size_t row_bytes, const Layout& layout) {
  return content.rows.size() < kMaxRowsPerDataPage &&
         DataPageFreeSpace(content, layout) >= static_cast<long>(row_bytes + 2);
}

Page EncodeDataPage(const DataPageContent& content, const Layout& layout) {
  if (layout.version != JetVersion::kJet4) throw FormatError("only Jet 4 pages are written");
  const long free = DataPageFreeSpace(content, layout);
  if (free < 0 || content.rows.size() > kMaxRowsPerDataPage) {
    throw FormatError("rows do not fit on a page");
  }
  Page page(layout.page_size, 0);
  page[0] = kPageData;
  page[kDataPageMarkerOffset] = 1;
  Put16(page, kDataPageFreeSpaceOffset, static_cast<uint32_t>(free));
  Put32(page, kDataPageTableDefinitionOffset, content.owner);
  for (int i = 0; i < 4; ++i) page[kDataPageReservedOffset + i] = content.reserved[i];
  Put16(page, layout.data_row_count_offset, static_cast<uint32_t>(content.rows.size()));
  size_t end = page.size();
  for (size_t i = 0; i < content.rows.size(); ++i) {
    const PageRow& row = content.rows[i];
    const size_t start = end - row.bytes.size();
    std::copy(row.bytes.begin(), row.bytes.end(), page.begin() + static_cast<long>(start));
    Put16(page, layout.data_row_table_offset + 2 * i, static_cast<uint32_t>(start) | row.flags);
    end = start;
  }
  return page;
}

}  // namespace dbaccess::mdb
