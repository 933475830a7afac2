#include "engine/snapshot.h"

#include <string>

#include "dbaccess/catalog/data_type.h"

namespace uAlg {
namespace {

struct TypeNameEntry {
  int code;
  std::string_view name;
};
constexpr TypeNameEntry kTypeNames[] = {
    {dbaccess::kDbTypeI2, "Short"},         {dbaccess::kDbTypeI4, "Long"},
    {dbaccess::kDbTypeR4, "IEEESingle"},    {dbaccess::kDbTypeR8, "IEEEDouble"},
    {dbaccess::kDbTypeCy, "Currency"},      {dbaccess::kDbTypeDate, "DateTime"},
    {dbaccess::kDbTypeBool, "Bit"},         {dbaccess::kDbTypeUi1, "Byte"},
    {dbaccess::kDbTypeBytes, "LongBinary"}, {dbaccess::kDbTypeWStr, kTextTypeName},
};

// DDL type words of the types beyond the table.
constexpr std::string_view kCounterTypeName = "COUNTER";
constexpr std::string_view kGuidTypeName = "GUID";
constexpr std::string_view kDecimalTypeName = "DECIMAL";
constexpr std::string_view kBinaryTypeName = "BINARY";

}  // namespace

std::string TypeName(int64_t data_type) {
  for (const TypeNameEntry& entry : kTypeNames) {
    if (entry.code == data_type) return std::string(entry.name);
  }
  return std::string();
}

std::string ColumnTypeName(const ColumnType& type) {
  switch (type.data_type) {
    case dbaccess::kDbTypeI4:
      if (type.auto_increment) return std::string(kCounterTypeName);
      break;
    case dbaccess::kDbTypeGuid:
      return std::string(kGuidTypeName);
    case dbaccess::kDbTypeNumeric:
      return std::string(kDecimalTypeName) + "(" + std::to_string(type.precision) + "," +
             std::to_string(type.scale) + ")";
    case dbaccess::kDbTypeBytes:
      if (!type.is_long && type.max_length > 0) {
        return std::string(kBinaryTypeName) + "(" + std::to_string(type.max_length) + ")";
      }
      break;
    default:
      break;
  }
  return TypeName(type.data_type);
}

}  // namespace uAlg
