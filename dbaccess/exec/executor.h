// Carries out Jet SQL statements and DAO's structure operations on a catalog, with Jet's
// rules and Jet's error texts.
//
// Every function either succeeds, changing `catalog` and appending the typed changes it
// made to `changes`, or throws JetError and leaves both exactly as they were.
//
// The rules, beyond the syntax (sql/parser.h) and the names (object_names.h: the name rule
// and the names given to unnamed constraints):
//  - Tables and saved queries share one namespace: CREATE TABLE over either is 3010.
//  - A table that is not there is 3376 (INSERT INTO: 3078); a field that is not there is
//    3265 in ALTER/DROP COLUMN and in DAO, 3409 in an index or relationship definition (as is
//    an OLE Object field in an index, which Jet cannot index, made or altered into one),
//    3127 in INSERT; an index or constraint that is not there is 3371.
//  - CREATE TABLE with a field twice is 3191, ALTER TABLE ADD of an existing field 3380.
//    A table holds at most 255 fields (3190) and 32 indexes (3039, the hidden indexes of
//    relationships included), an index at most 10 fields (3277).
//  - A second primary key is 3283, an index name a table already has 3375.
//  - A new unique index or primary key over existing rows: 3022 for a key held twice (text
//    without regard to case; several keys with a null are allowed unless the index refuses
//    nulls), 3058 for a null under a primary key or DISALLOW NULL index.
//  - FOREIGN KEY / REFERENCES: the referenced table must exist (3376); without a column
//    list it means the referenced table's primary key (3373 when there is none); both
//    sides pair up in number and type (3368; an AutoNumber is a Long, text lengths may
//    differ); the referenced columns carry the primary key or a unique index (3609); the
//    name is free among relationships (3378) and among the foreign table's indexes (3375);
//    existing rows of the foreign table must find their keys (3379). The relationship keeps
//    a hidden index (Index::foreign) on the foreign table, named after it, made and dropped
//    with it. ALTER TABLE DROP CONSTRAINT on the foreign table drops it (on another table
//    3377).
//  - Dropping a table that is in a relationship, or an index a relationship needs, is 3281;
//    dropping a field in a relationship 3383, in an index 3280 (also the table's last
//    field); ALTER COLUMN of a field in a relationship 3720.
//  - ADD COLUMN: existing rows get Null; an AutoNumber column counts them 1, 2, ...; a NOT
//    NULL column takes its DEFAULT for them, and without one is 3314 when the table has
//    rows; a Bit field, never Null, takes its DEFAULT or False.
//  - ALTER COLUMN gives the field exactly the definition written (type, size, NOT NULL,
//    DEFAULT; its other properties stay) and converts every value by the rules of
//    sql_value.h, changing nothing when one does not convert (3421), overflows (3349) or is
//    too long (3163), or when a null meets NOT NULL (3314); indexes over the field are
//    checked again. Making an existing field an AutoNumber needs an empty table (3282).
//  - INSERT: values convert by the same rules (3464 for one that does not), Required (3314),
//    unique indexes (3022, 3058) and relationships (3201) are checked; AutoNumbers count on
//    from the largest value; left-out fields take their DEFAULT (expression_eval.h).
//  - DAO: Required = True over nulls is 3314; renaming a field to another field's name is
//    3191, and its indexes and relationships follow the new name; CreateQueryDef over any
//    table or query name is 3012; a missing query, table or field is 3265.
#ifndef SKARNVEL_DBACCESS_EXEC_EXECUTOR_H_
#define SKARNVEL_DBACCESS_EXEC_EXECUTOR_H_

#include <string_view>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/change.h"
#include "dbaccess/sql/statement.h"

namespace dbaccess {

// One statement of the dialect: CREATE TABLE, DROP TABLE, ALTER TABLE (ADD [COLUMN],
// ALTER [COLUMN], DROP [COLUMN], ADD CONSTRAINT, DROP CONSTRAINT), CREATE [UNIQUE] INDEX,
// DROP INDEX, INSERT INTO ... VALUES. A trailing ";" is allowed.
void ExecuteSql(Catalog& catalog, std::string_view sql, ChangeList& changes);

// The same for a statement already parsed, the statements only database scripts hold
// included (text_script.h).
void ExecuteStatement(Catalog& catalog, const sql::Statement& statement, ChangeList& changes);

// Whether the relationship has `column` of `table` among its columns, on either side.
bool UsesColumn(const Relationship& relationship, std::string_view table, std::string_view column);

// The column a definition describes, its name checked (3xxx for a name Jet refuses).
Column MakeColumn(const sql::ColumnDef& def);

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

#endif  // SKARNVEL_DBACCESS_EXEC_EXECUTOR_H_
