// Taking the structure snapshot from a database through its schema rowsets, and the table
// comparison of two database files.

#include <utility>

#include "dbaccess/ado/recordset.h"
#include "dbaccess/catalog/data_type.h"
#include "engine/compare_tables.h"
#include "engine/name_match.h"
#include "engine/snapshot.h"

namespace uAlg {
namespace {

using dbaccess::Variant;
using dbaccess::ado::Recordset;

// Fields of the tables and columns rowsets.
constexpr std::string_view kTableNameField = "TABLE_NAME";
constexpr std::string_view kColumnNameField = "COLUMN_NAME";
constexpr std::string_view kOrdinalPositionField = "Ordinal_Position";
constexpr std::string_view kDataTypeField = "DATA_TYPE";
constexpr std::string_view kMaxLengthField = "CHARACTER_MAXIMUM_LENGTH";
constexpr std::string_view kIsNullableField = "IS_NULLABLE";
constexpr std::string_view kColumnDefaultField = "COLUMN_DEFAULT";
// Fields that tell the types beyond the type code; a rowset without them (another provider)
// gives the ten types of the type-name table only.
constexpr std::string_view kColumnFlagsField = "COLUMN_FLAGS";
constexpr std::string_view kPrecisionField = "NUMERIC_PRECISION";
constexpr std::string_view kScaleField = "NUMERIC_SCALE";
constexpr std::string_view kAutoIncrementField = "AUTOINCREMENT";

// Type names that carry a SIZE, compared without regard to Latin letter case.
constexpr std::string_view kSizedTypeName = "TEXT";

// NotNull is the negation of the engine's nullability flag.
bool NotNullFrom(const Variant& is_nullable) {
  if (is_nullable.IsBoolean()) return !is_nullable.AsBoolean();
  if (is_nullable.IsInteger()) return is_nullable.AsInteger() == 0;
  return false;
}

// The named field of the current row, or null when the rowset has no such field.
Variant OptionalField(const Recordset& rowset, std::string_view name) {
  for (int i = 0; i < rowset.FieldCount(); ++i) {
    if (NamesMatch(rowset.FieldName(i), name)) return rowset.Field(name);
  }
  return Variant::Null();
}

int64_t IntegerOr(const Variant& value, int64_t otherwise) {
  return value.IsInteger() ? value.AsInteger() : otherwise;
}

TField ReadField(const Recordset& columns) {
  TField field;
  field.Name = FieldText(columns, kColumnNameField);
  for (int k = 0; k < kPropCount; ++k) field.Props[k].Name = std::string(kPropNames[k]);

  field.Props[kOrdinalPositionProp].Value = columns.Field(kOrdinalPositionField);
  const Variant& data_type = columns.Field(kDataTypeField);
  ColumnType type;
  type.data_type = IntegerOr(data_type, -1);
  type.is_long =
      (IntegerOr(OptionalField(columns, kColumnFlagsField), dbaccess::kColumnFlagIsLong) &
       dbaccess::kColumnFlagIsLong) != 0;
  type.max_length = IntegerOr(columns.Field(kMaxLengthField), 0);
  type.precision = IntegerOr(OptionalField(columns, kPrecisionField), 0);
  type.scale = IntegerOr(OptionalField(columns, kScaleField), 0);
  const Variant auto_increment = OptionalField(columns, kAutoIncrementField);
  type.auto_increment = auto_increment.IsBoolean() && auto_increment.AsBoolean();
  std::string type_name = ColumnTypeName(type);
  // Only text columns carry a size; a size the engine reports for any other type is left
  // out, so that it never reaches a column definition.
  if (NamesMatch(type_name, kSizedTypeName)) {
    field.Props[kSizeProp].Value = columns.Field(kMaxLengthField);
  }
  field.Props[kTypeProp].Value = Variant::Text(std::move(type_name));
  field.Props[kNotNullProp].Value = Variant::Boolean(NotNullFrom(columns.Field(kIsNullableField)));
  field.Props[kDefaultValueProp].Value = columns.Field(kColumnDefaultField);
  return field;
}

}  // namespace

TTables ReadTables(SchemaSource& schema) {
  Recordset tables = schema.Tables();
  tables.SetFilter(kUserTablesFilter);
  TTables result(tables.RecordCount());
  tables.MoveFirst();
  for (TTable& table : result) {
    table.Name = FieldText(tables, kTableNameField);
    Recordset columns = schema.Columns(table.Name);
    columns.SetSort(kOrdinalPositionField);
    table.Fields.reserve(columns.RecordCount());
    for (columns.MoveFirst(); !columns.Eof(); columns.MoveNext()) {
      table.Fields.push_back(ReadField(columns));
    }
    tables.MoveNext();
  }
  return result;
}

TTables LoadTables(const std::string& path, const std::string& password) {
  AdoSchema schema(path, password);
  return ReadTables(schema);
}

TResults CompareTables(const std::string& working_path, const std::string& new_path,
                       const std::string& working_password, const std::string& new_password) {
  const TTables working = LoadTables(working_path, working_password);
  const TTables fresh = LoadTables(new_path, new_password);
  return CompareTables(working, fresh);
}

}  // namespace uAlg
