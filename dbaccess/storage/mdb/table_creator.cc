#include "dbaccess/storage/mdb/table_creator.h"

#include <algorithm>
#include <optional>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_tree.h"
#include "dbaccess/storage/mdb/long_value_writer.h"
#include "dbaccess/storage/mdb/page_ownership_check.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"
#include "dbaccess/storage/mdb/relationships.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_editor.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

constexpr uint32_t kMapStartAlignment = 8;

// A new inline usage map: from page 0 while that covers `page`, else from `page` rounded
// down to a multiple of 8, as Access starts them.
std::vector<uint8_t> NewUsageMapRow(std::optional<uint32_t> page) {
  std::vector<uint8_t> row(kUsageMapInlineBitmapOffset + kNewUsageMapBitmapBytes, 0);
  row[0] = kUsageMapInline;
  if (!page) return row;
  const uint32_t start =
      *page < kNewUsageMapBitmapBytes * 8 ? 0 : *page / kMapStartAlignment * kMapStartAlignment;
  for (int i = 0; i < 4; ++i) row[1 + i] = static_cast<uint8_t>(start >> (8 * i));
  const uint32_t bit = *page - start;
  row[kUsageMapInlineBitmapOffset + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
  return row;
}

// Appends usage map rows to data pages of no table, taking a new page when one is full.
class UsageMapRows {
 public:
  UsageMapRows(PageWriter& pages, uint32_t first) : pages_(pages), page_(first) {}

  RowPointer Add(const std::vector<uint8_t>& row) {
    const Layout& layout = pages_.layout();
    if (page_ == 0) page_ = pages_.Allocate();
    DataPageContent content = Content(page_);
    if (!DataPageHasRoom(content, row.size(), layout) ||
        content.rows.size() >= kMaxRowsPerDataPage) {
      page_ = pages_.Allocate();
      content = DataPageContent{};
    }
    content.rows.push_back(PageRow{0, row});
    pages_.Edit(page_) = EncodeDataPage(content, layout);
    return RowPointer{page_, static_cast<uint8_t>(content.rows.size() - 1)};
  }
  uint32_t page() const { return page_; }

 private:
  DataPageContent Content(uint32_t page) {
    const Page& bytes = pages_.Read(page);
    if (std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; })) return {};
    DataPageContent content = DecodeDataPage(ByteView(bytes), pages_.layout());
    if (content.owner != 0) throw FormatError("usage map page of a table");
    return content;
  }

  PageWriter& pages_;
  uint32_t page_;
};

bool IsLongValueColumn(const ColumnDefinition& column) {
  return column.type == kTypeMemo || column.type == kTypeOle;
}

// The pages of a table to give back, and the rows on shared pages to delete.
class TablePages {
 public:
  TablePages(PageWriter& pages, const std::string& name, uint32_t definition_page)
      : pages_(pages), view_(pages.View()) {
    DecodedTableDefinition stored = ReadDecodedTableDefinition(*view_, definition_page);
    def_ = std::move(stored.definition);
    extras_ = std::move(stored.extras);
    std::vector<CheckFinding> findings;
    CheckTablePages(*view_, OwnedTable{name, def_}, findings);
    if (!findings.empty()) throw FormatError(findings.front().ToString());
    release_.insert(stored.pages.begin(), stored.pages.end());
  }

  const TableDefinition& definition() const { return def_; }

  void Collect() {
    AddMap(def_.owned_pages, true);
    AddMap(def_.free_pages, false);
    for (const RealIndex& index : def_.real_indexes) AddMap(index.usage_map, true);
    std::set<uint32_t> long_value_pages;
    for (const ColumnUsageMaps& maps : extras_.column_usage_maps) {
      for (uint32_t page : ReadUsageMap(*view_, maps.owned_pages)) long_value_pages.insert(page);
      AddMap(maps.owned_pages, false);
      AddMap(maps.free_pages, false);
    }
    // The long values of the rows: their pages go when nothing else lives on them.
    ForEachLiveRow(*view_, def_, [&](RowPointer, ByteView row) {
      const std::vector<RawField> fields = CrackRow(row, def_, pages_.layout());
      for (size_t i = 0; i < fields.size(); ++i) {
        if (!IsLongValueColumn(def_.columns[i]) || fields[i].kind != RawField::Kind::kBytes) {
          continue;
        }
        for (const RowPointer at : LongValueRows(pages_, fields[i].bytes)) {
          long_value_rows_[at.page].insert(at.row);
          long_value_pages.insert(at.page);
        }
      }
    });
    for (uint32_t page : long_value_pages) DeleteRows(page, long_value_rows_[page], true);
  }

  // Gives the pages back; with `keep_definition_page`, all but the definition's first.
  void Release(bool keep_definition_page = false) {
    for (const auto& [page, rows] : map_rows_) DeleteRows(page, rows, false);
    if (keep_definition_page) release_.erase(def_.page);
    for (uint32_t page : release_) pages_.Release(page);
  }

  // The page that held the table's first usage map.
  uint32_t usage_map_page() const { return def_.owned_pages.page; }

 private:
  // The pages a usage map lists (when `owns` them) and those holding a reference map.
  void AddMap(RowPointer where, bool owns) {
    const std::optional<RowBytes> row = ReadRow(*view_, where);
    if (!row) throw FormatError("usage map row missing");
    if (row->bytes.U8(0) == kUsageMapReference) {
      for (size_t at = 1; at + 4 <= row->bytes.size(); at += 4) {
        if (const uint32_t map_page = row->bytes.U32(at); map_page != 0) release_.insert(map_page);
      }
    }
    if (owns) {
      for (uint32_t page : ReadUsageMap(*view_, where)) release_.insert(page);
    }
    map_rows_[where.page].insert(where.row);
  }

  // Deletes `rows` of the data page; the page goes when no other row lives on it. A long
  // value page keeps the rows of other values; a page that is no long value page is kept.
  void DeleteRows(uint32_t page, const std::set<uint8_t>& rows, bool long_values) {
    DataPageContent content = DecodeDataPage(ByteView(pages_.Read(page)), pages_.layout());
    if (long_values && content.owner != kLongValuePageOwner) return;
    bool others = false;
    for (size_t i = 0; i < content.rows.size(); ++i) {
      if (rows.count(static_cast<uint8_t>(i)) != 0) {
        content.rows[i] = PageRow{kRowDeletedSlot, {}};
      } else if ((content.rows[i].flags & kRowDeletedFlag) == 0) {
        others = true;
      }
    }
    if (others) {
      pages_.Edit(page) = EncodeDataPage(content, pages_.layout());
    } else {
      release_.insert(page);
    }
  }

  PageWriter& pages_;
  std::unique_ptr<PageFile> view_;
  TableDefinition def_;
  TableDefinitionExtras extras_;
  std::set<uint32_t> release_;
  std::map<uint32_t, std::set<uint8_t>> map_rows_;
  std::map<uint32_t, std::set<uint8_t>> long_value_rows_;
};

// Whether MSysRelationships names the table on either side.
bool InRelationship(PageWriter& pages, const CatalogWriter& catalog, std::string_view name) {
  for (const CatalogObject& object : catalog.objects()) {
    if (object.type != kObjectTypeTable || !object.system() ||
        object.name != kRelationshipsTableName) {
      continue;
    }
    const std::unique_ptr<PageFile> view = pages.View();
    const TextDecoder text(view->header().version, view->header().code_page);
    const TableDefinition def = ReadTableDefinition(*view, static_cast<uint32_t>(object.id), text);
    TableReader reader(*view, text, ReadLimits::ForFileSize(view->byte_size()));
    const RelationshipRowDecoder decode_relationship(def);
    for (const Row& row : reader.ReadRows(def)) {
      const RelationshipRow rel = decode_relationship.Decode(row);
      if (SameName(rel.foreign_table, name) || SameName(rel.primary_table, name)) return true;
    }
  }
  return false;
}

}  // namespace

WrittenTable WriteTablePages(PageWriter& pages, DefinedTable table, const TablePlacement& where) {
  TableDefinition& def = table.definition;
  TableDefinitionExtras& extras = table.extras;
  def.page = where.definition_page != 0 ? where.definition_page : pages.Allocate();
  UsageMapRows maps(pages, where.usage_map_page);
  def.owned_pages = maps.Add(NewUsageMapRow(std::nullopt));
  def.free_pages = maps.Add(NewUsageMapRow(std::nullopt));
  std::vector<const ColumnDefinition*> long_value_columns;
  for (const ColumnDefinition& column : def.columns) {
    if (IsLongValueColumn(column)) long_value_columns.push_back(&column);
  }
  std::stable_sort(
      long_value_columns.begin(), long_value_columns.end(),
      [](const ColumnDefinition* a, const ColumnDefinition* b) { return a->number < b->number; });
  std::map<uint16_t, ColumnUsageMaps> column_maps;
  for (const ColumnDefinition* column : long_value_columns) {
    ColumnUsageMaps& entry = column_maps[column->number];
    entry.column_number = column->number;
    entry.owned_pages = maps.Add(NewUsageMapRow(std::nullopt));
    entry.free_pages = maps.Add(NewUsageMapRow(std::nullopt));
  }
  extras.column_usage_maps.clear();
  for (const ColumnDefinition& column : def.columns) {
    if (IsLongValueColumn(column)) extras.column_usage_maps.push_back(column_maps[column.number]);
  }
  extras.real_indexes.resize(def.real_indexes.size());
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const uint32_t root = pages.Allocate();
    const BuiltIndexTree tree =
        BuildIndexTree({}, def.page, pages.layout(), [root] { return root; });
    pages.Edit(root) = tree.pages.front().bytes;
    def.real_indexes[i].first_page = root;
    def.real_indexes[i].usage_map = maps.Add(NewUsageMapRow(root));
    extras.real_indexes[i].usage_map = def.real_indexes[i].usage_map;
  }
  const std::vector<uint8_t> bytes = EncodeTableDefinition(def, extras, pages.layout());
  StoreTableDefinition(pages, ByteView(bytes), {def.page});
  return WrittenTable{def.page, maps.page()};
}

uint32_t CreateTable(PageWriter& pages, const TableDescription& description, double now) {
  CatalogWriter catalog(pages);
  const uint32_t page = CreateTable(pages, catalog, description, now);
  catalog.Save();
  return page;
}

uint32_t CreateTable(PageWriter& pages, CatalogWriter& catalog, const TableDescription& description,
                     double now) {
  if (catalog.FindTable(description.name)) throw jet_errors::TableExists(description.name);
  DefinedTable defined = DefineTable(description, pages.header());
  const std::vector<uint8_t> properties = EncodePropertyBlob(defined.properties);
  const WrittenTable written = WriteTablePages(pages, std::move(defined));
  NewCatalogObject object;
  object.id = static_cast<int32_t>(written.definition_page);
  object.parent_id = catalog.tables_container();
  object.name = description.name;
  object.type = kObjectTypeTable;
  object.flags = description.system ? kObjectFlagSystem : 0;
  object.created = now;
  object.owner = catalog.new_object_owner();
  object.properties = properties;
  catalog.AddObject(object);
  return written.definition_page;
}

void RewriteTable(PageWriter& pages, std::string_view name, uint32_t definition_page,
                  DefinedTable table, const dbaccess::TableRows& rows) {
  TablePlacement where;
  where.definition_page = definition_page;
  try {
    TablePages old(pages, std::string(name), definition_page);
    old.Collect();
    old.Release(true);
    // The new maps go where the old ones were, unless that page was given back with them.
    if (pages.free_pages().count(old.usage_map_page()) == 0) {
      where.usage_map_page = old.usage_map_page();
    }
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
  table.definition.row_count = 0;
  WriteTablePages(pages, std::move(table), where);
  std::optional<TableEditor> editor;
  rows.ForEach([&](const Row& row) {
    if (!editor) editor.emplace(pages, definition_page, std::string(name));
    editor->Insert(row);
  });
  if (editor) editor->Save();
}

void DropTable(PageWriter& pages, std::string_view name) {
  CatalogWriter catalog(pages);
  const std::optional<CatalogObject> object = catalog.FindTable(name);
  if (!object || object->type == kObjectTypeQuery) throw jet_errors::TableDoesNotExist(name);
  if (object->system() || object->access_system()) {
    throw jet_errors::TableNotWritable(object->name, "it is a system table");
  }
  try {
    if (InRelationship(pages, catalog, object->name)) throw jet_errors::TableInRelationship();
    if (object->type == kObjectTypeTable) {
      TablePages table(pages, object->name, static_cast<uint32_t>(object->id));
      for (const LogicalIndex& index : table.definition().logical_indexes) {
        if (index.type == kLogicalIndexForeignKey) throw jet_errors::TableInRelationship();
      }
      table.Collect();
      table.Release();
    }
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
  catalog.RemoveObject(object->id);
  catalog.Save();
}

}  // namespace dbaccess::mdb
