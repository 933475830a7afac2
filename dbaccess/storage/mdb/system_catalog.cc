#include "dbaccess/storage/mdb/system_catalog.h"

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::mdb {

const Cell* RowFields::Find(std::string_view column) const {
  for (size_t i = 0; i < def_.columns.size() && i < row_.size(); ++i) {
    if (SameName(def_.columns[i].name, column)) return &row_[i];
  }
  return nullptr;
}

std::optional<int64_t> CellInteger(const Cell* cell) {
  if (cell == nullptr) return std::nullopt;
  if (const int64_t* i = std::get_if<int64_t>(cell)) return *i;
  if (const bool* b = std::get_if<bool>(cell)) return *b ? 1 : 0;
  return std::nullopt;
}

std::optional<std::string> CellText(const Cell* cell) {
  if (cell == nullptr) return std::nullopt;
  if (const std::string* s = std::get_if<std::string>(cell)) return *s;
  return std::nullopt;
}

std::vector<uint8_t> CellBinary(const Cell* cell) {
  if (cell == nullptr) return {};
  if (const Bytes* b = std::get_if<Bytes>(cell)) return b->data;
  return {};
}

std::optional<int64_t> RowFields::Integer(std::string_view column) const {
  return CellInteger(Find(column));
}

std::string RowFields::Text(std::string_view column) const {
  return OptionalText(column).value_or(std::string());
}

std::optional<std::string> RowFields::OptionalText(std::string_view column) const {
  return CellText(Find(column));
}

std::vector<uint8_t> RowFields::Binary(std::string_view column) const {
  return CellBinary(Find(column));
}

namespace {
enum CatalogField {
  kId,
  kParentId,
  kName,
  kType,
  kFlags,
  kDatabase,
  kConnect,
  kForeignName,
  kLvProp
};
}  // namespace

CatalogObjectDecoder::CatalogObjectDecoder(const TableDefinition& def)
    : cells_(def, {"Id", "ParentId", "Name", "Type", "Flags", "Database", "Connect", "ForeignName",
                   "LvProp"}) {}

CatalogObject CatalogObjectDecoder::Decode(const Row& row) const {
  const auto integer = [&](CatalogField f) { return CellInteger(cells_(row, f)).value_or(0); };
  const auto text = [&](CatalogField f) { return CellText(cells_(row, f)).value_or(""); };
  CatalogObject object;
  object.id = static_cast<int32_t>(integer(kId));
  object.parent_id = static_cast<int32_t>(integer(kParentId));
  object.name = text(kName);
  object.type = static_cast<int>(integer(kType));
  object.flags = static_cast<uint32_t>(integer(kFlags));
  object.database = text(kDatabase);
  object.connect = text(kConnect);
  object.foreign_name = text(kForeignName);
  object.properties = CellBinary(cells_(row, kLvProp));
  return object;
}

CatalogObject DecodeCatalogObject(const TableDefinition& def, const Row& row) {
  return CatalogObjectDecoder(def).Decode(row);
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
