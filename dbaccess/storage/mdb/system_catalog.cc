#include "dbaccess/storage/mdb/system_catalog.h"

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::mdb {

const Cell* RowFields::Find(std::string_view column) const {
  for (size_t i = 0; i < def_.columns.size() && i < row_.size(); ++i) {
    if (SameName(def_.columns[i].name, column)) return &row_[i];
  }
  return nullptr;
}

namespace {

std::optional<int64_t> IntegerOf(const Cell* cell) {
  if (cell == nullptr) return std::nullopt;
  if (const int64_t* i = std::get_if<int64_t>(cell)) return *i;
  if (const bool* b = std::get_if<bool>(cell)) return *b ? 1 : 0;
  return std::nullopt;
}

std::optional<std::string> OptionalTextOf(const Cell* cell) {
  if (cell == nullptr) return std::nullopt;
  if (const std::string* s = std::get_if<std::string>(cell)) return *s;
  return std::nullopt;
}

std::vector<uint8_t> BinaryOf(const Cell* cell) {
  if (cell == nullptr) return {};
  if (const Bytes* b = std::get_if<Bytes>(cell)) return b->data;
  return {};
}

}  // namespace

std::optional<int64_t> RowFields::Integer(std::string_view column) const {
  return IntegerOf(Find(column));
}

std::string RowFields::Text(std::string_view column) const {
  return OptionalText(column).value_or(std::string());
}

std::optional<std::string> RowFields::OptionalText(std::string_view column) const {
  return OptionalTextOf(Find(column));
}

std::vector<uint8_t> RowFields::Binary(std::string_view column) const {
  return BinaryOf(Find(column));
}

CatalogObjectDecoder::CatalogObjectDecoder(const TableDefinition& def) {
  static constexpr std::array<std::string_view, kFieldCount> kNames = {
      "Id", "ParentId", "Name", "Type", "Flags", "Database", "Connect", "ForeignName", "LvProp"};
  for (size_t f = 0; f < kFieldCount; ++f) {
    positions_[f] = kAbsent;
    for (size_t i = 0; i < def.columns.size(); ++i) {
      if (SameName(def.columns[i].name, kNames[f])) {
        positions_[f] = i;
        break;
      }
    }
  }
}

const Cell* CatalogObjectDecoder::At(const Row& row, Field field) const {
  const size_t i = positions_[field];
  return i < row.size() ? &row[i] : nullptr;
}

CatalogObject CatalogObjectDecoder::Decode(const Row& row) const {
  CatalogObject object;
  object.id = static_cast<int32_t>(IntegerOf(At(row, kId)).value_or(0));
  object.parent_id = static_cast<int32_t>(IntegerOf(At(row, kParentId)).value_or(0));
  object.name = OptionalTextOf(At(row, kName)).value_or(std::string());
  object.type = static_cast<int>(IntegerOf(At(row, kType)).value_or(0));
  object.flags = static_cast<uint32_t>(IntegerOf(At(row, kFlags)).value_or(0));
  object.database = OptionalTextOf(At(row, kDatabase)).value_or(std::string());
  object.connect = OptionalTextOf(At(row, kConnect)).value_or(std::string());
  object.foreign_name = OptionalTextOf(At(row, kForeignName)).value_or(std::string());
  object.properties = BinaryOf(At(row, kLvProp));
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
