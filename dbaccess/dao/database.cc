// The open database: saved queries, table definitions and their fields.
#include <utility>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/dao/dao.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::dao {
namespace {

void RequireWritable(bool read_only) {
  if (read_only) throw jet_errors::ReadOnlyDatabase();
}

const Column& FindField(const Catalog& catalog, std::string_view table, std::string_view field) {
  const Table* t = catalog.FindTable(table);
  const Column* c = t == nullptr ? nullptr : t->FindColumn(field);
  if (c == nullptr) throw jet_errors::ItemNotFound();
  return *c;
}

}  // namespace

DaoDatabase::DaoDatabase(std::shared_ptr<DatabaseFile> file, bool read_only)
    : file_(std::move(file)), read_only_(read_only) {}

DaoQueryDefs DaoDatabase::QueryDefs() const { return DaoQueryDefs(file_, read_only_); }

DaoQueryDef DaoDatabase::CreateQueryDef(std::string_view name, std::string_view sql) {
  RequireWritable(read_only_);
  file_->Apply(
      [name = std::string(name), sql = std::string(sql)](Catalog& catalog, ChangeList& changes) {
        dbaccess::CreateQueryDef(catalog, name, sql, changes);
      });
  return DaoQueryDef(std::string(name), std::string(sql));
}

DaoTableDef DaoDatabase::TableDefs(std::string_view name) const {
  const std::shared_ptr<const Catalog> catalog = file_->Snapshot();
  const Table* table = catalog->FindTable(name);
  if (table == nullptr) throw jet_errors::ItemNotFound();
  return DaoTableDef(file_, table->name, read_only_);
}

DaoQueryDefs::DaoQueryDefs(std::shared_ptr<DatabaseFile> file, bool read_only)
    : file_(std::move(file)), read_only_(read_only) {}

int DaoQueryDefs::Count() const { return static_cast<int>(file_->Snapshot()->queries().size()); }

DaoQueryDef DaoQueryDefs::Item(int index) const {
  const std::shared_ptr<const Catalog> catalog = file_->Snapshot();
  if (index < 0 || static_cast<size_t>(index) >= catalog->queries().size()) {
    throw jet_errors::ItemNotFound();
  }
  const Query& query = catalog->queries()[index];
  return DaoQueryDef(query.name, query.sql);
}

void DaoQueryDefs::Delete(std::string_view name) {
  RequireWritable(read_only_);
  file_->Apply([name = std::string(name)](Catalog& catalog, ChangeList& changes) {
    if (catalog.FindQuery(name) == nullptr) throw jet_errors::ItemNotFound();
    DeleteQueryDef(catalog, name, changes);
  });
}

DaoTableDef::DaoTableDef(std::shared_ptr<DatabaseFile> file, std::string name, bool read_only)
    : file_(std::move(file)), name_(std::move(name)), read_only_(read_only) {}

std::string DaoTableDef::Name() const { return name_; }

DaoField DaoTableDef::Fields(std::string_view name) const {
  const std::shared_ptr<const Catalog> catalog = file_->Snapshot();
  return DaoField(file_, name_, FindField(*catalog, name_, name).name, read_only_);
}

DaoField::DaoField(std::shared_ptr<DatabaseFile> file, std::string table, std::string name,
                   bool read_only)
    : file_(std::move(file)),
      table_(std::move(table)),
      name_(std::move(name)),
      read_only_(read_only) {}

std::string DaoField::Name() const { return name_; }

bool DaoField::Required() const {
  const std::shared_ptr<const Catalog> catalog = file_->Snapshot();
  return FindField(*catalog, table_, name_).required;
}

void DaoField::SetRequired(bool required) {
  RequireWritable(read_only_);
  file_->Apply([table = table_, name = name_, required](Catalog& catalog, ChangeList& changes) {
    SetColumnRequired(catalog, table, name, required, changes);
  });
}

void DaoField::SetName(const std::string& new_name) {
  RequireWritable(read_only_);
  file_->Apply([table = table_, name = name_, new_name](Catalog& catalog, ChangeList& changes) {
    RenameColumn(catalog, table, name, new_name, changes);
  });
  name_ = new_name;
}

}  // namespace dbaccess::dao
