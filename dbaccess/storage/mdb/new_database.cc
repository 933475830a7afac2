#include "dbaccess/storage/mdb/new_database.h"

#include <algorithm>
#include <map>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/header_encoder.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_tree.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/system_tables.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"

namespace dbaccess::mdb {
namespace {

// The engine's layout: page 0 the header, 1 the global usage map, 2 to 5 the definitions,
// 6 every usage map of the system tables, 7 to 13 the index leaves, 14 and 15 the rows of
// MSysObjects and MSysACEs.
constexpr uint32_t kPages = 16;
constexpr uint32_t kCatalogDataPage = 14;
constexpr uint32_t kAccessControlDataPage = 15;
// What the engine writes on page 1 where a data page names its table.
constexpr uint32_t kGlobalMapOwner = 1;
// The engine's inline maps: from page 0, 64 bytes of bitmap.
constexpr size_t kMapBitmapBytes = 64;

std::vector<uint8_t> InlineMap(const std::vector<uint32_t>& pages) {
  std::vector<uint8_t> map(kUsageMapInlineBitmapOffset + kMapBitmapBytes, 0);
  map[0] = kUsageMapInline;
  for (uint32_t page : pages) map[kUsageMapInlineBitmapOffset + page / 8] |= 1u << (page % 8);
  return map;
}

Page DataPageOf(const SystemTable& table, const std::vector<Row>& rows) {
  DataPageContent content;
  content.owner = table.definition.page;
  for (const Row& row : rows) {
    std::vector<StoredField> fields;
    for (size_t c = 0; c < row.size(); ++c) {
      fields.push_back(EncodeField(table.definition.columns[c], row[c]));
    }
    content.rows.push_back({0, EncodeRow(table.definition, fields)});
  }
  return EncodeDataPage(content, kJet4Layout);
}

}  // namespace

std::vector<uint8_t> NewDatabaseImage(double made, std::string_view password) {
  std::vector<Page> pages(kPages);
  pages[0] = EncodeHeader(NewDatabaseHeader(kEngineCreationDate), password);

  // The global map marks every page from the end of the file to the end of its bitmap free.
  std::vector<uint32_t> free_pages;
  for (uint32_t p = kPages; p < 8 * kMapBitmapBytes; ++p) free_pages.push_back(p);
  pages[1] = EncodeDataPage({kGlobalMapOwner, {}, {{0, InlineMap(free_pages)}, {0, InlineMap({})}}},
                            kJet4Layout);

  std::vector<SystemTable> tables = SystemTables();
  const std::vector<TablePlacement> placement = EnginePlacement();
  for (size_t i = 0; i < tables.size(); ++i) {
    PlaceTable(placement[i], tables[i].definition, tables[i].extras);
    const std::vector<uint8_t> bytes =
        EncodeTableDefinition(tables[i].definition, tables[i].extras, kJet4Layout);
    pages[tables[i].definition.page] =
        LayOutTableDefinition(ByteView(bytes), {tables[i].definition.page}, kJet4Layout)[0];
  }

  // The maps in the order the placement numbers them: each table's data page marked as
  // owned and as having free space, each index's map marking its leaf.
  std::map<uint8_t, std::vector<uint32_t>> marked = {
      {placement[0].owned_pages.row, {kCatalogDataPage}},
      {placement[0].free_pages.row, {kCatalogDataPage}},
      {placement[1].owned_pages.row, {kAccessControlDataPage}},
      {placement[1].free_pages.row, {kAccessControlDataPage}}};
  uint8_t last_row = 0;
  for (const TablePlacement& table : placement) {
    last_row = std::max({last_row, table.owned_pages.row, table.free_pages.row});
    for (const ColumnUsageMaps& maps : table.long_value_maps) {
      last_row = std::max({last_row, maps.owned_pages.row, maps.free_pages.row});
    }
    for (const TablePlacement::Index& index : table.indexes) {
      marked[index.usage_map.row] = {index.first_page};
      last_row = std::max(last_row, index.usage_map.row);
    }
  }
  DataPageContent maps;
  maps.owner = 0;
  for (int row = 0; row <= last_row; ++row) maps.rows.push_back({0, InlineMap(marked[row])});
  pages[kSystemUsageMapsPage] = EncodeDataPage(maps, kJet4Layout);

  pages[kCatalogDataPage] = DataPageOf(tables[0], InitialCatalogRows(made));
  pages[kAccessControlDataPage] = DataPageOf(tables[1], InitialAccessControlRows());

  // The leaves, built from the rows as every other index is.
  for (const SystemTable& table : tables) {
    for (const RealIndex& index : table.definition.real_indexes) {
      pages[index.first_page] = Page(kJet4Layout.page_size, 0);
    }
  }
  std::vector<uint8_t> image;
  image.reserve(size_t{kPages} * kJet4Layout.page_size);
  for (const Page& page : pages) image.insert(image.end(), page.begin(), page.end());
  const PageFile file(MemorySource(image));
  for (const SystemTable& table : tables) {
    for (const RealIndex& index : table.definition.real_indexes) {
      const BuiltIndexTree tree =
          BuildIndexTree(RebuildIndexEntries(file, table.definition, index), table.definition.page,
                         kJet4Layout, [&] { return index.first_page; });
      if (tree.pages.size() != 1) throw FormatError("an index of the new database fills a page");
      std::copy(tree.pages[0].bytes.begin(), tree.pages[0].bytes.end(),
                image.begin() + size_t{index.first_page} * kJet4Layout.page_size);
    }
  }
  return image;
}

void CreateDatabaseFile(const std::string& path, std::string_view password) {
  std::vector<uint8_t> image;
  try {
    image = NewDatabaseImage(OleDateNow(), password);
  } catch (const FormatError&) {
    throw jet_errors::NotAValidPassword();
  }
  CreateFileAtomically(path,
                       std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

}  // namespace dbaccess::mdb
