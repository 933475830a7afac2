// The four OLE DB schema rowsets of the Jet 4.0 provider, built from a catalog: TABLES,
// COLUMNS, INDEXES and FOREIGN_KEYS, every column in OLE DB's order under its OLE DB name.
//
// Values: texts are texts, integers integers, booleans booleans, an absent value is null
// (catalog, schema, GUID and property-id columns are always null). Restrictions come in
// OLE DB's order for the rowset; an empty, null or "" entry restricts nothing, names are
// matched by the engine's case-insensitive rule, more entries than the rowset has throw
// JetError 3001. Building a rowset takes time linear in the catalog (plus sorting names);
// restricted to one table (or, for TABLES, one name), linear in that table and its
// relationships, so that reading a catalog table by table stays linear as a whole.
//
// Row order:
//   TABLES        TABLE_TYPE ("ACCESS TABLE" < "LINK" < "SYSTEM TABLE" < "TABLE" < "VIEW"),
//                 then TABLE_NAME
//   COLUMNS       TABLE_NAME, then ORDINAL_POSITION
//   INDEXES       TABLE_NAME, then INDEX_NAME, then ORDINAL_POSITION (the column's place in
//                 the index)
//   FOREIGN_KEYS  FK_TABLE_NAME, then PK_TABLE_NAME, then FK_NAME, then ORDINAL
// where names are ordered without regard to case (NameLess).
//
// Contents:
//   TABLES        user tables "TABLE"; "SYSTEM TABLE", "ACCESS TABLE", "LINK" by TableKind;
//                 saved queries that are a plain SELECT or UNION without parameters "VIEW"
//                 (other queries are procedures and not listed).
//   COLUMNS       the columns of every table (not of views). DATA_TYPE is the OLE DB type
//                 code; CHARACTER_MAXIMUM_LENGTH is n for Text(n) and Binary(n), 0 for Memo
//                 and OLE Object (which carry COLUMN_FLAGS ISLONG 0x80), null otherwise;
//                 IS_NULLABLE is false for a required column; COLUMN_DEFAULT is the default
//                 expression as stored, null when none; ORDINAL_POSITION is 1-based;
//                 NUMERIC_PRECISION and NUMERIC_SCALE give a Decimal's precision and scale.
//                 After OLE DB's columns comes one of the provider's own, AUTOINCREMENT
//                 (boolean): true for an AutoNumber (COUNTER) column, which the provider
//                 otherwise tells only as a column property.
//   INDEXES       one row per index column. The hidden index that an enforced relationship
//                 keeps on its foreign table is a plain index (not primary, not unique
//                 unless the catalog says so) named after the relationship.
//   FOREIGN_KEYS  one row per column pair of each enforced relationship (a relationship
//                 without referential integrity is no foreign key). UPDATE_RULE and
//                 DELETE_RULE are "CASCADE", "NO ACTION", "SET NULL" or "SET DEFAULT";
//                 PK_NAME is the primary table's primary key or unique index over the
//                 referenced columns (null when there is none).
#ifndef SKARNVEL_DBACCESS_ADO_SCHEMA_ROWSETS_H_
#define SKARNVEL_DBACCESS_ADO_SCHEMA_ROWSETS_H_

#include <string>
#include <utility>
#include <vector>

#include "dbaccess/ado/schema_row_sink.h"
#include "dbaccess/base/variant.h"
#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

struct SchemaRowset {
  std::vector<std::string> columns;
  std::vector<std::vector<Variant>> rows;  // one value per column
};

// The sink that keeps what it is given: a rowset whole.
class SchemaRowsetBuilder final : public SchemaRowSink {
 public:
  void Columns(const std::vector<std::string>& names) override;
  void Row(std::vector<Variant>&& row) override;
  SchemaRowset Take() { return std::move(rowset_); }

 private:
  SchemaRowset rowset_;
};

// Each rowset is made either whole or into a sink, in the same order. A restriction error
// is thrown before the sink is given anything.

// Restrictions: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE.
SchemaRowset TablesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions = {});
void TablesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                  SchemaRowSink& sink);

// Restrictions: TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME.
SchemaRowset ColumnsRowset(const Catalog& catalog, const std::vector<Variant>& restrictions = {});
void ColumnsRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                   SchemaRowSink& sink);

// Restrictions: TABLE_CATALOG, TABLE_SCHEMA, INDEX_NAME, TYPE, TABLE_NAME.
SchemaRowset IndexesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions = {});
void IndexesRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                   SchemaRowSink& sink);

// Restrictions: PK_TABLE_CATALOG, PK_TABLE_SCHEMA, PK_TABLE_NAME, FK_TABLE_CATALOG,
// FK_TABLE_SCHEMA, FK_TABLE_NAME.
SchemaRowset ForeignKeysRowset(const Catalog& catalog,
                               const std::vector<Variant>& restrictions = {});
void ForeignKeysRowset(const Catalog& catalog, const std::vector<Variant>& restrictions,
                       SchemaRowSink& sink);

// Codes the rowsets use (OLE DB's constants).
constexpr int kIndexTypeBtree = 1;             // DBPROPVAL_IT_BTREE
constexpr int kIndexNullsAllow = 0;            // DBPROPVAL_IN_ALLOWNULL
constexpr int kIndexNullsDisallow = 1;         // DBPROPVAL_IN_DISALLOWNULL
constexpr int kIndexNullsIgnore = 2;           // DBPROPVAL_IN_IGNORENULL
constexpr int kNullCollationLow = 4;           // DBPROPVAL_NC_LOW
constexpr int kCollationAscending = 1;         // DB_COLLATION_ASC
constexpr int kCollationDescending = 2;        // DB_COLLATION_DESC
constexpr int kIndexFillFactor = 100;          // Jet fills index pages completely
constexpr int kNotDeferrable = 3;              // DBPROPVAL_DF_NOT_DEFERRABLE
constexpr int kColumnFlagMayDefer = 0x02;      // DBCOLUMNFLAGS_MAYDEFER
constexpr int kColumnFlagWriteUnknown = 0x08;  // DBCOLUMNFLAGS_WRITEUNKNOWN
constexpr int kColumnFlagFixedLength = 0x10;   // DBCOLUMNFLAGS_ISFIXEDLENGTH
constexpr int kColumnFlagNullable = 0x20;      // DBCOLUMNFLAGS_ISNULLABLE
constexpr int kColumnFlagMaybeNull = 0x40;     // DBCOLUMNFLAGS_MAYBENULL
// DBCOLUMNFLAGS_ISLONG is kColumnFlagIsLong in data_type.h.

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_ADO_SCHEMA_ROWSETS_H_
