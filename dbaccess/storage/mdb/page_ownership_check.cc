#include "dbaccess/storage/mdb/page_ownership_check.h"

#include <cstring>
#include <map>
#include <set>

#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

constexpr RowPointer kGlobalUsageMap{1, 0};
constexpr char kLongValueTag[] = "LVAL";
constexpr size_t kMaxFindingsPerMap = 10;

bool IsLongValuePage(ByteView page) {
  return page.Fits(kDataPageTableDefinitionOffset, 4) &&
         std::memcmp(page.data() + kDataPageTableDefinitionOffset, kLongValueTag, 4) == 0;
}

std::string PageKind(uint8_t type) {
  switch (type) {
    case kPageData:
      return "data page";
    case kPageTableDefinition:
      return "table definition page";
    case kPageIndexNode:
    case kPageIndexLeaf:
      return "index page";
    case kPageUsageMap:
      return "usage map page";
    default:
      return "page of type " + std::to_string(type);
  }
}

// The maps of one table: each page of a map is in use and a page of this table of the kind
// the map holds; data and index pages are entered in `data_owner` and `index_owner`, and a
// page already there is reported.
void CheckMapsOfTable(const PageFile& file, const OwnedTable& table, const std::set<uint32_t>& free,
                      std::map<uint32_t, std::string>& data_owner,
                      std::map<uint32_t, std::string>& index_owner,
                      std::vector<CheckFinding>& findings) {
  const TableDefinition& def = table.definition;
  const std::string object = "table '" + table.name + "'";
  auto check_map = [&](RowPointer where, const std::string& what, bool index_pages,
                       std::map<uint32_t, std::string>* owner) {
    std::vector<uint32_t> pages;
    try {
      pages = ReadUsageMap(file, where);
    } catch (const FormatError& e) {
      findings.push_back(CheckFinding{object, where.page, "unreadable " + what + ": " + e.what()});
      return std::vector<uint32_t>{};
    }
    size_t reported = 0;
    auto report = [&](uint32_t page, std::string message) {
      if (reported++ < kMaxFindingsPerMap) {
        findings.push_back(CheckFinding{object, page, std::move(message)});
      }
    };
    for (uint32_t page : pages) {
      if (free.count(page) != 0) {
        report(page, "page in the " + what + " is marked free");
        continue;
      }
      const std::shared_ptr<const Page> bytes = file.Read(page);
      const ByteView view(*bytes);
      const uint8_t type = view.U8(0);
      const bool right_kind = index_pages ? (type == kPageIndexNode || type == kPageIndexLeaf)
                                          : (type == kPageData && !IsLongValuePage(view));
      if (!right_kind || view.U32(kDataPageTableDefinitionOffset) != def.page) {
        report(page, PageKind(type) + " in the " + what + " is no " +
                         (index_pages ? "index" : "data") + " page of this table");
        continue;
      }
      if (owner != nullptr && !owner->emplace(page, object).second) {
        report(page, "page also in the usage map of " + (*owner)[page]);
      }
    }
    return pages;
  };
  const std::vector<uint32_t> owned = check_map(def.owned_pages, "usage map", false, &data_owner);
  const std::set<uint32_t> owned_set(owned.begin(), owned.end());
  for (uint32_t page : check_map(def.free_pages, "free-space map", false, nullptr)) {
    if (owned_set.count(page) == 0) {
      findings.push_back(
          CheckFinding{object, page, "page in the free-space map is not in the usage map"});
    }
  }
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    check_map(def.real_indexes[i].usage_map, "usage map of index #" + std::to_string(i), true,
              &index_owner);
  }
}

std::set<uint32_t> FreePages(const PageFile& file) {
  const std::vector<uint32_t> free_list = ReadUsageMap(file, kGlobalUsageMap);
  return std::set<uint32_t>(free_list.begin(), free_list.end());
}

}  // namespace

void CheckTablePages(const PageFile& file, const OwnedTable& table,
                     std::vector<CheckFinding>& findings) {
  std::map<uint32_t, std::string> data_owner, index_owner;
  CheckMapsOfTable(file, table, FreePages(file), data_owner, index_owner, findings);
}

void CheckPageOwnership(const PageFile& file, const std::vector<OwnedTable>& tables,
                        std::vector<CheckFinding>& findings) {
  const std::set<uint32_t> free = FreePages(file);
  std::map<uint32_t, std::string> data_owner;   // data page -> table object
  std::map<uint32_t, std::string> index_owner;  // index page -> table object
  std::set<uint32_t> known_tables;
  for (const OwnedTable& table : tables) {
    known_tables.insert(table.definition.page);
    CheckMapsOfTable(file, table, free, data_owner, index_owner, findings);
  }

  // Every page in use that names a table must be in that table's maps. The global map's
  // own page (1) names no table.
  for (uint32_t page = kGlobalUsageMap.page + 1; page < file.page_count(); ++page) {
    if (free.count(page) != 0) continue;
    const std::shared_ptr<const Page> bytes = file.Read(page);
    const ByteView view(*bytes);
    const uint8_t type = view.U8(0);
    const bool data = type == kPageData && !IsLongValuePage(view);
    const bool index = type == kPageIndexNode || type == kPageIndexLeaf;
    if (!data && !index) continue;
    const uint32_t table = view.U32(kDataPageTableDefinitionOffset);
    if (table == 0) continue;  // pages holding usage maps and other rows of no table
    const std::map<uint32_t, std::string>& owners = data ? data_owner : index_owner;
    if (owners.count(page) != 0) continue;
    if (known_tables.count(table) == 0) {
      findings.push_back(CheckFinding{"database", page,
                                      PageKind(type) + " in use names table definition " +
                                          std::to_string(table) + ", which no table has"});
    } else {
      findings.push_back(CheckFinding{"database", page,
                                      PageKind(type) + " in use is in no usage map of table " +
                                          "definition " + std::to_string(table)});
    }
  }
}

}  // namespace dbaccess::mdb
