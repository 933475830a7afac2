#include "dbaccess/storage/mdb/database_reader.h"

#include <set>
#include <unordered_map>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr char kQueriesTable[] = "MSysQueries";
constexpr char kRelationshipsTable[] = "MSysRelationships";

bool IsTableObject(const CatalogObject& object, int32_t tables_container) {
  return object.parent_id == tables_container &&
         (object.type == kObjectTypeTable || object.type == kObjectTypeLinkedTable ||
          object.type == kObjectTypeLinkedOdbcTable);
}

}  // namespace

StoredDatabase ReadDatabase(const PageFile& file, const ReadOptions& options) {
  StoredDatabase db;
  db.header = file.header();
  const TextDecoder text(db.header.version, db.header.code_page);
  TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));

  const TableDefinition catalog_def = ReadTableDefinition(file, kSystemCatalogPage, text);
  const CatalogObjectDecoder decode_object(catalog_def);
  std::vector<CatalogObject> objects;
  reader.ForEachRow(
      catalog_def, [&](Row&& row) { objects.push_back(decode_object.Decode(row)); },
      decode_object.columns());
  const int32_t tables_container = TablesContainerId(objects);

  std::set<uint32_t> definition_pages;
  std::unordered_map<int32_t, size_t> query_by_id;
  for (CatalogObject& object : objects) {
    if (object.type == kObjectTypeQuery && object.parent_id == tables_container) {
      query_by_id[object.id] = db.queries.size();
      db.queries.push_back(StoredQuery{std::move(object), {}});
      continue;
    }
    if (!IsTableObject(object, tables_container)) continue;
    StoredTable table;
    table.linked = object.type != kObjectTypeTable;
    if (!table.linked) {
      const uint32_t page = static_cast<uint32_t>(object.id);
      // Two tables never share a definition; a file where they do is damaged.
      if (!definition_pages.insert(page).second) throw FormatError("shared table definition");
      table.definition = ReadTableDefinition(file, page, text);
    }
    table.object = std::move(object);
    db.tables.push_back(std::move(table));
  }

  for (StoredTable& table : db.tables) {
    if (table.linked) continue;
    const bool system = table.object.system() || table.object.access_system();
    if (table.object.system() && SameName(table.object.name, kQueriesTable)) {
      const QueryRowDecoder decode_query(table.definition);
      reader.ForEachRow(
          table.definition,
          [&](Row&& row) {
            QueryRow q = decode_query.Decode(row);
            auto it = query_by_id.find(q.object_id);
            if (it != query_by_id.end()) db.queries[it->second].rows.push_back(std::move(q));
          },
          decode_query.columns());
    } else if (table.object.system() && SameName(table.object.name, kRelationshipsTable)) {
      const RelationshipRowDecoder decode_relationship(table.definition);
      reader.ForEachRow(
          table.definition,
          [&](Row&& row) { db.relationships.push_back(decode_relationship.Decode(row)); },
          decode_relationship.columns());
    } else if (!system && options.user_table_rows) {
      table.rows = reader.ReadRows(table.definition);
    }
  }
  return db;
}

}  // namespace dbaccess::mdb
