// The in-memory model of one database: tables with their columns, indexes and rows,
// relationships and saved queries. Every storage loads into it and every statement is
// checked and carried out against it.
//
// Names keep the letters they were created with; look-ups follow the engine's
// case-insensitive rule (SameName in jet_names.h). Columns are kept in ordinal order;
// a column's ordinal position is its index + 1.
#ifndef SKARNVEL_DBACCESS_CATALOG_CATALOG_H_
#define SKARNVEL_DBACCESS_CATALOG_CATALOG_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/catalog/data_type.h"
#include "dbaccess/catalog/table_rows.h"

namespace dbaccess {

struct Column {
  std::string name;
  DataType type = DataType::kText;
  int size = 0;       // Text: characters (1..255); Binary: bytes; 0 for every other type
  int precision = 0;  // Decimal only
  int scale = 0;      // Decimal only
  bool required = false;
  bool auto_increment = false;
  std::optional<std::string> default_value;  // the expression text as written; none = null
  // Further column properties a storage read and keeps (e.g. "Description", "Format"),
  // by name, as display text. The engine neither checks nor changes them.
  std::map<std::string, std::string> extra_properties;

  friend bool operator==(const Column&, const Column&) = default;
};

struct IndexColumn {
  std::string name;
  bool descending = false;
  friend bool operator==(const IndexColumn&, const IndexColumn&) = default;
};

struct Index {
  std::string name;
  std::vector<IndexColumn> columns;
  bool primary = false;
  bool unique = false;        // primary keys are unique too
  bool ignore_nulls = false;  // WITH IGNORE NULL
  bool required = false;      // WITH DISALLOW NULL (and every primary key)
  bool foreign = false;  // the hidden index an enforced relationship keeps on its foreign table

  friend bool operator==(const Index&, const Index&) = default;
};

enum class Rule { kNoAction, kCascade, kSetNull, kSetDefault };
std::string_view RuleText(Rule rule);  // "NO ACTION", "CASCADE", "SET NULL", "SET DEFAULT"

struct Relationship {
  std::string name;
  std::string primary_table;
  std::vector<std::string> primary_columns;
  std::string foreign_table;
  std::vector<std::string> foreign_columns;  // pairs with primary_columns
  Rule update_rule = Rule::kNoAction;
  Rule delete_rule = Rule::kNoAction;
  bool enforced = true;  // a relationship drawn in Access without referential integrity is not

  friend bool operator==(const Relationship&, const Relationship&) = default;
};

struct Query {
  std::string name;
  std::string sql;  // the text as DAO's QueryDef.SQL shows it
  friend bool operator==(const Query&, const Query&) = default;
};

// TABLE_TYPE of the TABLES rowset.
enum class TableKind { kUser, kSystem, kAccessSystem, kLinked };
std::string_view TableTypeText(TableKind kind);  // "TABLE", "SYSTEM TABLE", "ACCESS TABLE", "LINK"

struct Table {
  std::string name;
  TableKind kind = TableKind::kUser;
  std::vector<Column> columns;
  std::vector<Index> indexes;
  TableRows rows;  // shared by copies until changed; read when first needed (table_rows.h)

  Column* FindColumn(std::string_view name);
  const Column* FindColumn(std::string_view name) const;
  // Position of the column in `columns`, or -1.
  int ColumnIndex(std::string_view name) const;
  Index* FindIndex(std::string_view name);
  const Index* FindIndex(std::string_view name) const;
  const Index* PrimaryKey() const;

  friend bool operator==(const Table&, const Table&) = default;
};

// The whole database. Tables and queries are found by name through hashed look-ups on
// the folded name, so that large catalogs stay linear to load and query.
class Catalog {
 public:
  const std::vector<Table>& tables() const { return tables_; }
  Table* FindTable(std::string_view name);
  const Table* FindTable(std::string_view name) const;
  Table& AddTable(Table table);  // the caller has checked that the name is free
  void RemoveTable(std::string_view name);
  void RenameTable(std::string_view name, std::string new_name);  // relationships follow

  // Relationships are found by name and by table through hashed look-ups as well. Change
  // their names and tables only through AddRelationship, RemoveRelationship and
  // RenameTable; the non-const vector may be edited freely (the look-ups are rebuilt after
  // it was handed out), the pointer FindRelationship gives only in rules and columns.
  std::vector<Relationship>& relationships();
  const std::vector<Relationship>& relationships() const { return relationships_; }
  Relationship* FindRelationship(std::string_view name);
  const Relationship* FindRelationship(std::string_view name) const;
  Relationship& AddRelationship(Relationship relationship);  // the caller checked the name
  void RemoveRelationship(std::string_view name);
  // The relationships whose primary or foreign table is `table` (a relationship of a table
  // with itself once), in the order of relationships().
  std::vector<const Relationship*> RelationshipsOf(std::string_view table) const;

  const std::vector<Query>& queries() const { return queries_; }
  Query* FindQuery(std::string_view name);
  const Query* FindQuery(std::string_view name) const;
  Query& AddQuery(Query query);  // appended: DAO's QueryDefs keep creation order
  void RemoveQuery(std::string_view name);

  friend bool operator==(const Catalog& a, const Catalog& b) {
    return a.tables_ == b.tables_ && a.relationships_ == b.relationships_ &&
           a.queries_ == b.queries_;
  }

 private:
  void ReindexTables();
  void ReindexRelationshipsIfStale() const;

  std::vector<Table> tables_;
  std::vector<Relationship> relationships_;
  std::vector<Query> queries_;
  std::unordered_map<std::string, size_t> table_index_;  // folded name -> position
  std::unordered_map<std::string, size_t> query_index_;
  // Folded relationship name -> position; folded table name -> positions of its
  // relationships. Rebuilt on demand after the vector was handed out for editing.
  mutable std::unordered_map<std::string, size_t> relationship_index_;
  mutable std::unordered_map<std::string, std::vector<size_t>> relationships_by_table_;
  mutable bool relationship_index_stale_ = false;
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_CATALOG_H_
