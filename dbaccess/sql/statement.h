// The statements of the dialect as plain records, the parser's output and the executor's
// input. Names are kept as written (without brackets); the executor looks them up.
#ifndef SKARNVEL_DBACCESS_SQL_STATEMENT_H_
#define SKARNVEL_DBACCESS_SQL_STATEMENT_H_

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/data_type.h"
#include "dbaccess/sql/expression.h"

namespace dbaccess::sql {

struct TypeSpec {
  DataType type = DataType::kLong;
  bool auto_increment = false;
  int size = 0;       // Text: characters; Binary: bytes
  int precision = 0;  // Decimal
  int scale = 0;      // Decimal
};

// A CONSTRAINT clause, of a column or of a table.
struct ConstraintDef {
  enum class Kind { kPrimaryKey, kUnique, kForeignKey, kNotNull };
  Kind kind = Kind::kPrimaryKey;
  std::string name;                      // empty when the clause named none
  std::vector<std::string> columns;      // a column's clause: that column
  std::string ref_table;                 // FOREIGN KEY / REFERENCES
  std::vector<std::string> ref_columns;  // empty: the referenced table's primary key
  Rule on_update = Rule::kNoAction;
  Rule on_delete = Rule::kNoAction;
  bool enforced = true;  // false only in database scripts ("NOT ENFORCED")
};

struct ColumnDef {
  std::string name;
  TypeSpec type;
  bool not_null = false;
  std::optional<std::string> default_text;  // the DEFAULT expression exactly as written
  std::vector<ConstraintDef> constraints;   // the column's own CONSTRAINT clauses
};

struct CreateTable {
  std::string table;
  std::vector<ColumnDef> columns;
  std::vector<ConstraintDef> constraints;  // table constraints, in order
};

struct DropTable {
  std::string table;
};

struct AddColumn {
  std::string table;
  ColumnDef column;
};

struct AlterColumn {
  std::string table;
  ColumnDef column;
};

struct DropColumn {
  std::string table;
  std::string column;
};

struct AddConstraint {
  std::string table;
  ConstraintDef constraint;
};

struct DropConstraint {
  std::string table;
  std::string name;
};

struct CreateIndex {
  std::string index;
  std::string table;
  bool unique = false;
  std::vector<IndexColumn> columns;
  bool primary = false;        // WITH PRIMARY
  bool disallow_null = false;  // WITH DISALLOW NULL
  bool ignore_null = false;    // WITH IGNORE NULL
};

struct DropIndex {
  std::string index;
  std::string table;
};

struct InsertInto {
  std::string table;
  std::optional<std::vector<std::string>> columns;  // none: every column in order
  std::vector<Expr> values;
};

// Statements that only database scripts hold (see text_script.h).
struct CreateQueryDef {  // CREATE QUERYDEF [name] AS <text>
  std::string name;
  std::string sql;
};
struct SetColumnProperty {  // ALTER TABLE [t] ALTER COLUMN [c] SET PROPERTY 'name' = <text>
  std::string table;
  std::string column;
  std::string property;
  std::string value;
};
struct SetTableType {  // ALTER TABLE [t] SET TYPE 'SYSTEM TABLE'
  std::string table;
  TableKind kind = TableKind::kUser;
};

using Statement = std::variant<CreateTable, DropTable, AddColumn, AlterColumn, DropColumn,
                               AddConstraint, DropConstraint, CreateIndex, DropIndex, InsertInto,
                               CreateQueryDef, SetColumnProperty, SetTableType>;

}  // namespace dbaccess::sql

#endif  // SKARNVEL_DBACCESS_SQL_STATEMENT_H_
