#include "engine/snapshot.h"

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

}  // namespace

std::string TypeName(int64_t data_type) {
  for (const TypeNameEntry& entry : kTypeNames) {
    if (entry.code == data_type) return std::string(entry.name);
  }
  return std::string();
}

}  // namespace uAlg
