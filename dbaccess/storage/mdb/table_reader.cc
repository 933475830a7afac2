#include "dbaccess/storage/mdb/table_reader.h"

#include <algorithm>
#include <set>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

// A row of 255 null columns takes about 35 bytes on disk: 8 cells a byte covers any file.
constexpr uint64_t kCellsPerFileByte = 8;
constexpr uint64_t kMinimumCells = uint64_t{1} << 20;
// Each long value is stored once; a file cannot legitimately hold more than its own size.
constexpr uint64_t kMinimumLongValueBytes = uint64_t{16} << 20;
// Every page belongs to one table and every long value row to one value: a few visits per
// page are plenty, and keep a hostile file's reading time linear in its size.
constexpr uint64_t kSmallestPage = 2048;
constexpr uint64_t kRowsPerPage = 256;
constexpr uint64_t kVisitsPerPage = 4;
constexpr uint64_t kMinimumVisits = 4096;

}  // namespace

void ForEachLiveRow(const PageFile& file, const TableDefinition& def,
                    const std::function<void(RowPointer, ByteView)>& visit) {
  const Layout& layout = file.layout();
  std::set<uint32_t> seen;
  for (uint32_t page_number : ReadUsageMap(file, def.owned_pages)) {
    if (!seen.insert(page_number).second) continue;
    std::shared_ptr<const Page> page = file.Read(page_number);
    const ByteView view(*page);
    if (view.U8(0) != kPageData || view.U32(kDataPageTableDefinitionOffset) != def.page) continue;
    const int rows = DataPageRowCount(view, layout);
    for (int row = 0; row < rows; ++row) {
      if (DataPageRowSlot(view, row, layout).deleted) continue;
      const RowPointer pointer{page_number, static_cast<uint8_t>(row)};
      const std::optional<RowBytes> bytes = ReadRow(file, pointer);
      if (bytes) visit(pointer, bytes->bytes);
    }
  }
}

ReadLimits ReadLimits::ForFileSize(uint64_t file_bytes) {
  const uint64_t pages = file_bytes / kSmallestPage;
  return ReadLimits{kMinimumCells + kCellsPerFileByte * file_bytes,
                    kMinimumLongValueBytes + 2 * file_bytes, kMinimumVisits + kRowsPerPage * pages,
                    kMinimumVisits + kVisitsPerPage * pages};
}

TableReader::TableReader(const PageFile& file, const TextDecoder& text, const ReadLimits& limits)
    : file_(file),
      text_(text),
      long_values_(file, limits.long_value_bytes, limits.long_value_hops),
      cells_left_(limits.cells),
      page_visits_left_(limits.page_visits) {}

std::vector<Row> TableReader::ReadRows(const TableDefinition& def) {
  std::vector<Row> rows;
  ForEachRow(def, [&rows](Row&& row) { rows.push_back(std::move(row)); });
  return rows;
}

void TableReader::ForEachRow(const TableDefinition& def, const std::function<void(Row&&)>& visit,
                             const std::vector<bool>& columns) {
  const Layout& layout = file_.layout();
  for (uint32_t page_number : ReadUsageMap(file_, def.owned_pages)) {
    if (page_visits_left_ == 0) throw FormatError("usage maps list pages many times over");
    --page_visits_left_;
    std::shared_ptr<const Page> page = file_.Read(page_number);
    const ByteView view(*page);
    if (view.U8(0) != kPageData || view.U32(kDataPageTableDefinitionOffset) != def.page) continue;
    mdb::ForEachRow(file_, page_number, [&](const RowBytes& bytes) {
      const uint64_t cost = std::max<uint64_t>(1, def.columns.size());
      if (cost > cells_left_) throw FormatError("more rows than the file can hold");
      cells_left_ -= cost;
      const std::vector<RawField> fields = CrackRow(bytes.bytes, def, layout);
      Row row;
      row.reserve(fields.size());
      for (size_t i = 0; i < fields.size(); ++i) {
        if (columns.empty() || (i < columns.size() && columns[i])) {
          row.push_back(DecodeField(def.columns[i], fields[i], text_, long_values_));
        } else {
          row.emplace_back();
        }
      }
      visit(std::move(row));
    });
  }
}

}  // namespace dbaccess::mdb
