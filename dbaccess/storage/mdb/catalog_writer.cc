#include "dbaccess/storage/mdb/catalog_writer.h"

#include <algorithm>
#include <limits>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::mdb {
namespace {

Cell BytesCell(const std::vector<uint8_t>& bytes) {
  return bytes.empty() ? Cell{} : Cell{Bytes{bytes}};
}

bool IsTableLike(int type) {
  return type == kObjectTypeTable || type == kObjectTypeQuery || type == kObjectTypeLinkedTable ||
         type == kObjectTypeLinkedOdbcTable;
}

}  // namespace

Row CatalogObjectRow(const TableDefinition& catalog, const NewCatalogObject& object) {
  Row row(catalog.columns.size());
  SetField(catalog, row, "Id", int64_t{object.id});
  SetField(catalog, row, "ParentId", int64_t{object.parent_id});
  SetField(catalog, row, "Name", object.name);
  SetField(catalog, row, "Type", int64_t{object.type});
  SetField(catalog, row, "DateCreate", object.created);
  SetField(catalog, row, "DateUpdate", object.created);
  SetField(catalog, row, "Owner", BytesCell(object.owner));
  SetField(catalog, row, "Flags", int64_t{static_cast<int32_t>(object.flags)});
  SetField(catalog, row, "LvProp", BytesCell(object.properties));
  return row;
}

Row AccessControlRow(const TableDefinition& aces, const AccessControlEntry& entry) {
  Row row(aces.columns.size());
  SetField(aces, row, "ACM", int64_t{entry.acm});
  SetField(aces, row, "FInheritable", entry.inheritable);
  SetField(aces, row, "ObjectId", int64_t{entry.object_id});
  SetField(aces, row, "SID", BytesCell(entry.sid));
  return row;
}

CatalogWriter::CatalogWriter(PageWriter& pages) : pages_(pages) {
  catalog_ = std::make_unique<TableEditor>(pages, kSystemCatalogPage, kCatalogTableName);
  catalog_rows_ = catalog_->Rows();
  uint32_t aces_page = 0;
  const CatalogObjectDecoder decode_object(catalog_->definition());
  for (const TableRow& row : catalog_rows_) {
    CatalogObject object = decode_object.Decode(row.cells);
    if (object.type == kObjectTypeTable && object.system() &&
        object.name == kAccessControlTableName) {
      aces_page = static_cast<uint32_t>(object.id);
    }
    if (object.name == kDatabaseObjectName) {
      owner_ = RowFields(catalog_->definition(), row.cells).Binary("Owner");
    }
    objects_.push_back(std::move(object));
  }
  if (aces_page == 0) throw jet_errors::UnrecognizedFormat(pages.path());
  tables_container_ = TablesContainerId(objects_);
  aces_page_ = aces_page;
}

TableEditor& CatalogWriter::Aces() const {
  // Opened when first needed: a change of an object's properties alone never reads it.
  if (!aces_) {
    aces_ = std::make_unique<TableEditor>(pages_, aces_page_, kAccessControlTableName);
    ace_rows_ = aces_->Rows();
  }
  return *aces_;
}

std::optional<CatalogObject> CatalogWriter::FindTable(std::string_view name) const {
  // The places of the objects by folded name, made again after a removal, kept up to date
  // by additions: many tables made in one change look each name up once.
  if (by_name_.size() != objects_.size()) {
    by_name_.clear();
    for (size_t i = 0; i < objects_.size(); ++i) by_name_.emplace(FoldName(objects_[i].name), i);
  }
  const auto [first, last] = by_name_.equal_range(FoldName(name));
  for (auto it = first; it != last; ++it) {
    const CatalogObject& object = objects_[it->second];
    if (object.parent_id == tables_container_ && IsTableLike(object.type)) return object;
  }
  return std::nullopt;
}

CatalogObject CatalogWriter::UserTable(std::string_view name) const {
  const std::optional<CatalogObject> object = FindTable(name);
  if (!object || object->type == kObjectTypeQuery) {
    throw jet_errors::UnrecognizedFormat(pages_.path());
  }
  if (object->type != kObjectTypeTable) {
    throw jet_errors::TableNotWritable(object->name, "it is a linked table");
  }
  if (object->system() || object->access_system()) {
    throw jet_errors::TableNotWritable(object->name, "it is a system table");
  }
  return *object;
}

uint32_t CatalogWriter::SystemTablePage(std::string_view name) const {
  for (const CatalogObject& object : objects_) {
    if (object.type == kObjectTypeTable && object.system() && object.name == name &&
        object.parent_id == tables_container_) {
      return static_cast<uint32_t>(object.id);
    }
  }
  throw jet_errors::UnrecognizedFormat(pages_.path());
}

std::vector<AccessControlEntry> CatalogWriter::NewObjectEntries(int32_t object_id) const {
  // The container's entries do not change through this writer: looked up once.
  if (!table_sids_) {
    table_sids_.emplace();
    const TableDefinition& def = Aces().definition();
    for (const TableRow& row : ace_rows_) {
      const RowFields fields(def, row.cells);
      const Cell* inheritable = fields.Find("FInheritable");
      if (fields.Integer("ObjectId") != tables_container_ ||
          fields.Integer("ACM") != kFullAccessAcm || inheritable == nullptr ||
          !std::holds_alternative<bool>(*inheritable) || !std::get<bool>(*inheritable)) {
        continue;
      }
      table_sids_->push_back(fields.Binary("SID"));
    }
    if (table_sids_->empty()) table_sids_->push_back(owner_);
  }
  std::vector<AccessControlEntry> entries;
  for (const std::vector<uint8_t>& sid : *table_sids_) {
    entries.push_back(AccessControlEntry{object_id, kFullAccessAcm, false, sid});
  }
  return entries;
}

std::vector<AccessControlEntry> CatalogWriter::NewRelationshipEntries(int32_t object_id) const {
  std::vector<AccessControlEntry> entries;
  entries.push_back(AccessControlEntry{object_id, kRelationshipOwnerAcm, false, owner_});
  const int32_t container = relationships_container();
  const TableDefinition& def = Aces().definition();
  for (const TableRow& row : ace_rows_) {
    const RowFields fields(def, row.cells);
    const Cell* inheritable = fields.Find("FInheritable");
    if (fields.Integer("ObjectId") != container || fields.Integer("ACM") != kAllRightsAcm ||
        inheritable == nullptr || !std::holds_alternative<bool>(*inheritable) ||
        !std::get<bool>(*inheritable)) {
      continue;
    }
    std::vector<uint8_t> sid = fields.Binary("SID");
    if (sid == owner_) continue;
    entries.push_back(AccessControlEntry{object_id, kAllRightsAcm, false, std::move(sid)});
  }
  return entries;
}

int32_t CatalogWriter::relationships_container() const {
  for (const CatalogObject& object : objects_) {
    if (object.type == kObjectTypeContainer && object.parent_id == kRootContainerId &&
        SameName(object.name, kRelationshipsContainerName)) {
      return object.id;
    }
  }
  return kRelationshipsContainerId;
}

int32_t CatalogWriter::NextObjectId() const {
  int64_t highest = std::numeric_limits<int32_t>::min() - int64_t{1};
  for (const CatalogObject& object : objects_) {
    if (object.id < 0) highest = std::max<int64_t>(highest, object.id);
  }
  // The ids below zero are Access's; -1 is never given.
  if (highest + 1 >= -1) throw jet_errors::UnrecognizedFormat(pages_.path());
  return static_cast<int32_t>(highest + 1);
}

void CatalogWriter::AddObject(const NewCatalogObject& object) {
  AddObject(object, NewObjectEntries(object.id));
}

void CatalogWriter::AddObject(const NewCatalogObject& object,
                              const std::vector<AccessControlEntry>& entries) {
  Row row = CatalogObjectRow(catalog_->definition(), object);
  const RowPointer where = catalog_->Insert(row);
  catalog_rows_.push_back(TableRow{where, std::move(row)});
  objects_.push_back(DecodeCatalogObject(catalog_->definition(), catalog_rows_.back().cells));
  if (by_name_.size() + 1 == objects_.size()) {
    by_name_.emplace(FoldName(objects_.back().name), objects_.size() - 1);
  }
  for (const AccessControlEntry& entry : entries) {
    Row ace = AccessControlRow(Aces().definition(), entry);
    const RowPointer at = Aces().Insert(ace);
    ace_rows_.push_back(TableRow{at, std::move(ace)});
  }
}

void CatalogWriter::RemoveObject(int32_t id) {
  auto remove = [](TableEditor& editor, std::vector<TableRow>& rows, const char* column,
                   int32_t wanted) {
    for (auto it = rows.begin(); it != rows.end();) {
      if (RowFields(editor.definition(), it->cells).Integer(column) == wanted) {
        editor.Delete(it->where);
        it = rows.erase(it);
      } else {
        ++it;
      }
    }
  };
  remove(*catalog_, catalog_rows_, "Id", id);
  remove(Aces(), ace_rows_, "ObjectId", id);
  std::erase_if(objects_, [id](const CatalogObject& object) { return object.id == id; });
  by_name_.clear();
}

void CatalogWriter::UpdateObject(int32_t id, const std::vector<uint8_t>& properties,
                                 double updated) {
  const TableDefinition& def = catalog_->definition();
  for (TableRow& row : catalog_rows_) {
    if (RowFields(def, row.cells).Integer("Id") != id) continue;
    SetField(def, row.cells, "LvProp", BytesCell(properties));
    SetField(def, row.cells, "DateUpdate", updated);
    catalog_->Update(row.where, row.cells);
    for (CatalogObject& object : objects_) {
      if (object.id == id) object.properties = properties;
    }
    return;
  }
  throw jet_errors::UnrecognizedFormat(pages_.path());
}

void CatalogWriter::Save() {
  catalog_->Save();
  if (aces_) aces_->Save();
}

}  // namespace dbaccess::mdb
