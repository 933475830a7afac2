// Carries out Jet SQL statements and DAO's structure operations on a catalog, with Jet's
// rules and Jet's error texts.
//
// Every function either succeeds, changing `catalog` and appending the typed changes it
// made to `changes`, or throws JetError and leaves both exactly as they were.
#ifndef SKARNVEL_DBACCESS_EXECUTOR_H_
#define SKARNVEL_DBACCESS_EXECUTOR_H_

#include <string_view>

#include "dbaccess/catalog.h"
#include "dbaccess/change.h"

namespace dbaccess {

// One statement of the dialect: CREATE TABLE, DROP TABLE, ALTER TABLE (ADD [COLUMN],
// ALTER [COLUMN], DROP [COLUMN], ADD CONSTRAINT, DROP CONSTRAINT), CREATE [UNIQUE] INDEX,
// DROP INDEX, INSERT INTO ... VALUES. A trailing ";" is allowed.
void ExecuteSql(Catalog& catalog, std::string_view sql, ChangeList& changes);

// DAO: Field.Required = required.
void SetColumnRequired(Catalog& catalog, std::string_view table, std::string_view column,
                       bool required, ChangeList& changes);

// DAO: Field.Name = new_name. Indexes and relationships that use the column follow it.
void RenameColumn(Catalog& catalog, std::string_view table, std::string_view column,
                  std::string_view new_name, ChangeList& changes);

// DAO: CreateQueryDef(name, sql) and QueryDefs.Delete(name). The text is stored exactly
// as given.
void CreateQueryDef(Catalog& catalog, std::string_view name, std::string_view sql,
                    ChangeList& changes);
void DeleteQueryDef(Catalog& catalog, std::string_view name, ChangeList& changes);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_EXECUTOR_H_
