#include "dbaccess/storage/mdb/row_content_check.h"

#include <cstring>
#include <optional>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_reader.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kMaxFindingsPerColumn = 5;
constexpr char kLongValueTag[] = "LVAL";

bool IsLongValuePage(const PageFile& file, uint32_t page) {
  if (page == 0 || page >= file.page_count()) return false;
  const std::shared_ptr<const Page> bytes = file.Read(page);
  const ByteView view(*bytes);
  return view.U8(0) == kPageData && view.Fits(kDataPageTableDefinitionOffset, 4) &&
         std::memcmp(view.data() + kDataPageTableDefinitionOffset, kLongValueTag, 4) == 0;
}

std::string RowName(RowPointer where) {
  return "row " + std::to_string(where.row) + " of page " + std::to_string(where.page);
}

}  // namespace

void CheckRowContent(const PageFile& file, const TableDefinition& def, const std::string& object,
                     std::vector<CheckFinding>& findings) {
  const uint64_t file_bytes = uint64_t{file.page_count()} * file.layout().page_size;
  const ReadLimits limits = ReadLimits::ForFileSize(file_bytes);
  LongValueReader long_values(file, limits.long_value_bytes, limits.long_value_hops);
  std::vector<size_t> reported(def.columns.size(), 0);
  std::optional<int64_t> largest_autonumber;
  std::vector<uint32_t> pages;
  ForEachLiveRow(file, def, [&](RowPointer where, ByteView row) {
    const std::vector<RawField> fields = CrackRow(row, def, file.layout());
    for (size_t i = 0; i < def.columns.size(); ++i) {
      const ColumnDefinition& column = def.columns[i];
      const RawField& field = fields[i];
      if (field.kind != RawField::Kind::kBytes) continue;
      if (column.type == kTypeLong && (column.flags & kColumnFlagAutoNumber) != 0 &&
          field.bytes.size() >= 4) {
        const int64_t value = field.bytes.I32(0);
        if (!largest_autonumber || value > *largest_autonumber) largest_autonumber = value;
      }
      if (column.type != kTypeMemo && column.type != kTypeOle) continue;
      pages.clear();
      std::string problem;
      try {
        long_values.Read(field.bytes, &pages);
        for (uint32_t page : pages) {
          if (!IsLongValuePage(file, page)) {
            problem = "its data lies on page " + std::to_string(page) + ", no long value page";
            break;
          }
        }
      } catch (const FormatError& e) {
        problem = e.what();
      }
      if (!problem.empty() && reported[i]++ < kMaxFindingsPerColumn) {
        findings.push_back(
            CheckFinding{object + ", column '" + column.name + "'", where.page,
                         "the long value of " + RowName(where) + " cannot be read: " + problem});
      }
    }
  });
  if (!largest_autonumber || file.header().version != JetVersion::kJet4) return;
  const StoredTableDefinition stored = ReadStoredTableDefinition(file, def.page);
  const TableDefinitionExtras extras =
      DecodeTableDefinitionExtras(ByteView(stored.bytes), file.layout());
  if (*largest_autonumber > static_cast<int64_t>(extras.next_autonumber)) {
    findings.push_back(CheckFinding{
        object, def.page,
        "the table definition's last autonumber is " + std::to_string(extras.next_autonumber) +
            ", below the largest value in the rows, " + std::to_string(*largest_autonumber)});
  }
}

}  // namespace dbaccess::mdb
