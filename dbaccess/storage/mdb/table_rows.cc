#include "dbaccess/storage/mdb/table_rows.h"

#include "dbaccess/storage/mdb/data_page_builder.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kRowPointerBytes = 4;
// A page stays in the free space map while a row of this size still fits.
constexpr size_t kSmallestUsefulRow = 16;

std::vector<uint8_t> PointerBytes(RowPointer to) {
  const uint32_t packed = to.Encode();
  return {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
          static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 24)};
}

}  // namespace

size_t MaxRowBytes(const Layout& layout) {
  return static_cast<size_t>(layout.page_size - layout.data_row_table_offset - 2);
}

TableRows::TableRows(PageWriter& pages, const TableDefinition& def)
    : pages_(pages),
      def_(def),
      owned_(pages, def.owned_pages),
      free_space_(pages, def.free_pages) {}

DataPageContent TableRows::Content(uint32_t page) {
  DataPageContent content = DecodeDataPage(ByteView(pages_.Read(page)), pages_.layout());
  if (content.owner != def_.page) throw FormatError("data page of another table");
  return content;
}

void TableRows::Store(uint32_t page, const DataPageContent& content) {
  pages_.Edit(page) = EncodeDataPage(content, pages_.layout());
  if (DataPageHasRoom(content, kSmallestUsefulRow, pages_.layout())) {
    free_space_.Add(page);
  } else {
    free_space_.Remove(page);
  }
}

std::optional<RowPointer> TableRows::MovedTo(const PageRow& slot) const {
  if ((slot.flags & kRowOverflowFlag) == 0) return std::nullopt;
  if (slot.bytes.size() < kRowPointerBytes) throw FormatError("short moved-row pointer");
  const ByteView bytes(slot.bytes);
  return RowPointer::Decode(bytes.U32(0));
}

RowPointer TableRows::Place(const std::vector<uint8_t>& row, uint16_t flags, uint32_t avoid) {
  if (row.size() > MaxRowBytes(pages_.layout())) throw FormatError("row too long for a page");
  // Newest pages first. A page without room for the row leaves the free-space map, as Jet
  // lets it go: each page is looked at in vain once, so filling a table stays linear.
  const std::set<uint32_t>& candidates = free_space_.pages();
  std::vector<uint32_t> full;
  std::optional<RowPointer> placed;
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    if (*it == avoid || !owned_.Contains(*it)) continue;
    DataPageContent content = Content(*it);
    if (!DataPageHasRoom(content, row.size(), pages_.layout())) {
      full.push_back(*it);
      continue;
    }
    const uint32_t page = *it;  // Store may change the map: no iterator past this point
    content.rows.push_back({flags, row});
    Store(page, content);
    placed = RowPointer{page, static_cast<uint8_t>(content.rows.size() - 1)};
    break;
  }
  for (uint32_t page : full) free_space_.Remove(page);
  if (placed) return *placed;
  const uint32_t page = pages_.Allocate();
  DataPageContent content;
  content.owner = def_.page;
  content.rows.push_back({flags, row});
  owned_.Add(page);
  Store(page, content);
  return RowPointer{page, 0};
}

RowPointer TableRows::Insert(const std::vector<uint8_t>& row) {
  const RowPointer where = Place(row, 0, 0);
  ++row_count_change_;
  return where;
}

void TableRows::Delete(RowPointer where) {
  DataPageContent content = Content(where.page);
  if (where.row >= content.rows.size() || (content.rows[where.row].flags & kRowDeletedFlag)) {
    throw FormatError("no row to delete");
  }
  if (const auto moved = MovedTo(content.rows[where.row])) {
    DataPageContent target = Content(moved->page);
    if (moved->row >= target.rows.size()) throw FormatError("broken moved-row pointer");
    target.rows[moved->row] = {kRowDeletedSlot, {}};
    Store(moved->page, target);
    if (moved->page == where.page) content = Content(where.page);
  }
  content.rows[where.row] = {kRowDeletedSlot, {}};
  Store(where.page, content);
  --row_count_change_;
}

void TableRows::Replace(RowPointer where, const std::vector<uint8_t>& row) {
  DataPageContent content = Content(where.page);
  if (where.row >= content.rows.size() || (content.rows[where.row].flags & kRowDeletedFlag)) {
    throw FormatError("no row to replace");
  }
  if (const auto moved = MovedTo(content.rows[where.row])) {
    DataPageContent target = Content(moved->page);
    if (moved->row >= target.rows.size()) throw FormatError("broken moved-row pointer");
    target.rows[moved->row] = {kRowDeletedSlot, {}};
    Store(moved->page, target);
    content = Content(where.page);
  }
  content.rows[where.row] = {0, {}};
  if (DataPageFreeSpace(content, pages_.layout()) >= static_cast<long>(row.size())) {
    content.rows[where.row].bytes = row;
    Store(where.page, content);
    return;
  }
  // Moved: the data goes elsewhere (flagged as a deleted row, so that a scan of the pages
  // meets it only through the pointer), and the row keeps a pointer to it.
  const RowPointer to = Place(row, kRowDeletedFlag, where.page);
  content = Content(where.page);
  content.rows[where.row] = {kRowOverflowFlag, PointerBytes(to)};
  Store(where.page, content);
}

void TableRows::Save() {
  owned_.Save();
  free_space_.Save();
  if (row_count_change_ != 0) {
    Page& tdef = pages_.Edit(def_.page);
    const size_t at = static_cast<size_t>(pages_.layout().tdef_row_count_offset);
    const ByteView view(tdef);
    const uint32_t count =
        static_cast<uint32_t>(static_cast<int64_t>(view.U32(at)) + row_count_change_);
    for (int i = 0; i < 4; ++i) tdef[at + i] = static_cast<uint8_t>(count >> (8 * i));
    row_count_change_ = 0;
  }
}

}  // namespace dbaccess::mdb
