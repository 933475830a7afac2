#include "dbaccess/storage/mdb/query_writer.h"

#include <optional>
#include <string>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/query_rows.h"
#include "dbaccess/storage/mdb/query_text.h"
#include "dbaccess/storage/mdb/table_editor.h"

namespace dbaccess::mdb {
namespace {

template <typename F>
void Guarded(PageWriter& pages, F&& f) {
  try {
    f();
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(pages.path());
  }
}

}  // namespace

void CreateQuery(PageWriter& pages, std::string_view name, std::string_view sql, double now) {
  const QueryDefinitionRows definition = QueryRowsFromSql(sql);
  Guarded(pages, [&] {
    CatalogWriter catalog(pages);
    if (catalog.FindTable(name)) throw jet_errors::ObjectExists(name);
    NewCatalogObject object;
    object.id = catalog.NextObjectId();
    object.parent_id = catalog.tables_container();
    object.name = std::string(name);
    object.type = kObjectTypeQuery;
    object.flags = definition.object_flags;
    object.created = now;
    object.owner = catalog.new_object_owner();
    TableEditor rows(pages, catalog.SystemTablePage(kQueriesTableName), kQueriesTableName);
    for (QueryRow row : definition.rows) {
      row.object_id = object.id;
      rows.Insert(EncodeQueryRow(rows.definition(), row));
    }
    rows.Save();
    catalog.AddObject(object);
    catalog.Save();
  });
}

void DeleteQuery(PageWriter& pages, std::string_view name) {
  Guarded(pages, [&] {
    CatalogWriter catalog(pages);
    const std::optional<CatalogObject> object = catalog.FindTable(name);
    if (!object || object->type != kObjectTypeQuery) throw jet_errors::ItemNotFound();
    TableEditor rows(pages, catalog.SystemTablePage(kQueriesTableName), kQueriesTableName);
    const QueryRowDecoder decode_query(rows.definition());
    for (const TableRow& row : rows.Rows()) {
      if (decode_query.Decode(row.cells).object_id == object->id) {
        rows.Delete(row.where);
      }
    }
    rows.Save();
    catalog.RemoveObject(object->id);
    catalog.Save();
  });
}

}  // namespace dbaccess::mdb
