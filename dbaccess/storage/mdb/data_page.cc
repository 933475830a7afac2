#include "dbaccess/storage/mdb/data_page.h"

#include <string>

namespace dbaccess::mdb {
namespace {

constexpr int kMaxMovedRowHops = 4;
constexpr size_t kRowPointerSize = 4;

ByteView RequireDataPage(const std::shared_ptr<const Page>& page, uint32_t number) {
  const ByteView view(*page);
  if (view.U8(0) != kPageData) {
    throw FormatError("page " + std::to_string(number) + " is not a data page");
  }
  return view;
}

// The bytes of a row that is used; its offsets must lie after the row table.
ByteView SlotBytes(ByteView page, const RowSlot& slot, const Layout& layout) {
  const size_t table_end =
      layout.data_row_table_offset + 2 * static_cast<size_t>(DataPageRowCount(page, layout));
  if (slot.start < table_end || slot.start > slot.end || slot.end > page.size()) {
    throw FormatError("bad row offsets");
  }
  return page.Sub(slot.start, slot.end - slot.start);
}

// Follows the row at (page, row) to its data, starting at hop `hop`.
std::optional<RowBytes> Follow(const PageFile& file, uint32_t page_number, int row) {
  const Layout& layout = file.layout();
  for (int hop = 0; hop <= kMaxMovedRowHops; ++hop) {
    std::shared_ptr<const Page> page = file.Read(page_number);
    const ByteView view = RequireDataPage(page, page_number);
    const RowSlot slot = DataPageRowSlot(view, row, layout);
    // Only the row we start from can be deleted; a moved row's data is always flagged so.
    if (hop == 0 && slot.deleted) return std::nullopt;
    const ByteView bytes = SlotBytes(view, slot, layout);
    if (!slot.overflow) return RowBytes{page, bytes};
    if (bytes.size() < kRowPointerSize) throw FormatError("short moved-row pointer");
    const RowPointer next = RowPointer::Decode(bytes.U32(0));
    page_number = next.page;
    row = next.row;
  }
  throw FormatError("moved row chain too long");
}

}  // namespace

int DataPageRowCount(ByteView page, const Layout& layout) {
  const int count = page.U16(layout.data_row_count_offset);
  page.Require(layout.data_row_table_offset, static_cast<size_t>(count) * 2);
  return count;
}

RowSlot DataPageRowSlot(ByteView page, int row, const Layout& layout) {
  const int count = DataPageRowCount(page, layout);
  if (row < 0 || row >= count) throw FormatError("row " + std::to_string(row) + " not on page");
  const uint16_t raw = page.U16(layout.data_row_table_offset + 2 * row);
  RowSlot slot;
  slot.deleted = (raw & kRowDeletedFlag) != 0;
  slot.overflow = (raw & kRowOverflowFlag) != 0;
  slot.start = raw & kRowOffsetMask;
  slot.end = row == 0 ? static_cast<uint16_t>(layout.page_size)
                      : page.U16(layout.data_row_table_offset + 2 * (row - 1)) & kRowOffsetMask;
  return slot;
}

std::optional<RowBytes> ReadRow(const PageFile& file, RowPointer pointer) {
  return Follow(file, pointer.page, pointer.row);
}

void ForEachRow(const PageFile& file, uint32_t page_number,
                const std::function<void(const RowBytes&)>& visit) {
  std::shared_ptr<const Page> page = file.Read(page_number);
  const ByteView view = RequireDataPage(page, page_number);
  const int count = DataPageRowCount(view, file.layout());
  for (int row = 0; row < count; ++row) {
    if (auto bytes = Follow(file, page_number, row)) visit(*bytes);
  }
}

}  // namespace dbaccess::mdb
