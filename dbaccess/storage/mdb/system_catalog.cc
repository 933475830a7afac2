#include "dbaccess/storage/mdb/system_catalog.h"

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::mdb {

const Cell* RowFields::Find(std::string_view column) const {
  for (size_t i = 0; i < def_.columns.size() && i < row_.size(); ++i) {
    if (SameName(def_.columns[i].name, column)) return &row_[i];
  }
  return nullptr;
}

std::optional<int64_t> RowFields::Integer(std::string_view column) const {
  const Cell* cell = Find(column);
  if (cell == nullptr) return std::nullopt;
  if (const int64_t* i = std::get_if<int64_t>(cell)) return *i;
  if (const bool* b = std::get_if<bool>(cell)) return *b ? 1 : 0;
  return std::nullopt;
}

std::string RowFields::Text(std::string_view column) const {
  return OptionalText(column).value_or(std::string());
}

std::optional<std::string> RowFields::OptionalText(std::string_view column) const {
  const Cell* cell = Find(column);
  if (cell == nullptr) return std::nullopt;
  if (const std::string* s = std::get_if<std::string>(cell)) return *s;
  return std::nullopt;
}

std::vector<uint8_t> RowFields::Binary(std::string_view column) const {
  const Cell* cell = Find(column);
  if (cell == nullptr) return {};
  if (const Bytes* b = std::get_if<Bytes>(cell)) return b->data;
  return {};
}

CatalogObject DecodeCatalogObject(const TableDefinition& def, const Row& row) {
  const RowFields fields(def, row);
  CatalogObject object;
  object.id = static_cast<int32_t>(fields.Integer("Id").value_or(0));
  object.parent_id = static_cast<int32_t>(fields.Integer("ParentId").value_or(0));
  object.name = fields.Text("Name");
  object.type = static_cast<int>(fields.Integer("Type").value_or(0));
  object.flags = static_cast<uint32_t>(fields.Integer("Flags").value_or(0));
  object.database = fields.Text("Database");
  object.connect = fields.Text("Connect");
  object.foreign_name = fields.Text("ForeignName");
  object.properties = fields.Binary("LvProp");
  return object;
}

void SetField(const TableDefinition& def, Row& row, std::string_view column, Cell value) {
  for (size_t i = 0; i < def.columns.size() && i < row.size(); ++i) {
    if (def.columns[i].name == column) row[i] = std::move(value);
  }
}

int32_t TablesContainerId(const std::vector<CatalogObject>& objects) {
  for (const CatalogObject& object : objects) {
    if (object.type == kObjectTypeContainer && object.parent_id == kRootContainerId &&
        SameName(object.name, kTablesContainerName)) {
      return object.id;
    }
  }
  return kTablesContainerId;
}

}  // namespace dbaccess::mdb
