#include "dbaccess/catalog/data_type.h"

#include <string>

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {

int OleDbTypeCode(DataType type) {
  switch (type) {
    case DataType::kBit:
      return kDbTypeBool;
    case DataType::kByte:
      return kDbTypeUi1;
    case DataType::kShort:
      return kDbTypeI2;
    case DataType::kLong:
      return kDbTypeI4;
    case DataType::kSingle:
      return kDbTypeR4;
    case DataType::kDouble:
      return kDbTypeR8;
    case DataType::kCurrency:
      return kDbTypeCy;
    case DataType::kDateTime:
      return kDbTypeDate;
    case DataType::kText:
    case DataType::kMemo:
      return kDbTypeWStr;
    case DataType::kBinary:
    case DataType::kLongBinary:
      return kDbTypeBytes;
    case DataType::kGuid:
      return kDbTypeGuid;
    case DataType::kDecimal:
      return kDbTypeNumeric;
  }
  return 0;
}

bool IsLongType(DataType type) { return type == DataType::kMemo || type == DataType::kLongBinary; }

std::string_view SqlTypeName(DataType type) {
  switch (type) {
    case DataType::kBit:
      return "Bit";
    case DataType::kByte:
      return "Byte";
    case DataType::kShort:
      return "Short";
    case DataType::kLong:
      return "Long";
    case DataType::kSingle:
      return "IEEESingle";
    case DataType::kDouble:
      return "IEEEDouble";
    case DataType::kCurrency:
      return "Currency";
    case DataType::kDateTime:
      return "DateTime";
    case DataType::kText:
      return "Text";
    case DataType::kMemo:
      return "Memo";
    case DataType::kBinary:
      return "Binary";
    case DataType::kLongBinary:
      return "LongBinary";
    case DataType::kGuid:
      return "GUID";
    case DataType::kDecimal:
      return "Decimal";
  }
  return "";
}

std::optional<TypeWord> ParseTypeWord(std::string_view word) {
  struct Entry {
    const char* word;
    TypeWord type;
  };
  static const Entry kWords[] = {
      {"bit", {DataType::kBit}},
      {"boolean", {DataType::kBit}},
      {"logical", {DataType::kBit}},
      {"logical1", {DataType::kBit}},
      {"yesno", {DataType::kBit}},
      {"byte", {DataType::kByte}},
      {"tinyint", {DataType::kByte}},
      {"integer1", {DataType::kByte}},
      {"short", {DataType::kShort}},
      {"smallint", {DataType::kShort}},
      {"integer2", {DataType::kShort}},
      {"long", {DataType::kLong}},
      {"int", {DataType::kLong}},
      {"integer", {DataType::kLong}},
      {"integer4", {DataType::kLong}},
      {"counter", {DataType::kLong, true}},
      {"autoincrement", {DataType::kLong, true}},
      {"single", {DataType::kSingle}},
      {"real", {DataType::kSingle}},
      {"ieeesingle", {DataType::kSingle}},
      {"float4", {DataType::kSingle}},
      {"double", {DataType::kDouble}},
      {"float", {DataType::kDouble}},
      {"ieeedouble", {DataType::kDouble}},
      {"float8", {DataType::kDouble}},
      {"number", {DataType::kDouble}},
      {"currency", {DataType::kCurrency}},
      {"money", {DataType::kCurrency}},
      {"datetime", {DataType::kDateTime}},
      {"date", {DataType::kDateTime}},
      {"time", {DataType::kDateTime}},
      {"timestamp", {DataType::kDateTime}},
      {"guid", {DataType::kGuid}},
      {"uniqueidentifier", {DataType::kGuid}},
      {"decimal", {DataType::kDecimal}},
      {"numeric", {DataType::kDecimal}},
      {"dec", {DataType::kDecimal}},
      {"binary", {DataType::kBinary, false, true}},
      {"varbinary", {DataType::kBinary, false, true}},
      {"longbinary", {DataType::kLongBinary}},
      {"image", {DataType::kLongBinary}},
      {"oleobject", {DataType::kLongBinary}},
      {"general", {DataType::kLongBinary}},
      {"text", {DataType::kText, false, true}},
      {"char", {DataType::kText, false, true}},
      {"varchar", {DataType::kText, false, true}},
      {"alphanumeric", {DataType::kText, false, true}},
      {"string", {DataType::kText, false, true}},
      {"character", {DataType::kText, false, true}},
      {"nchar", {DataType::kText, false, true}},
      {"nvarchar", {DataType::kText, false, true}},
      {"longtext", {DataType::kMemo}},
      {"memo", {DataType::kMemo}},
      {"note", {DataType::kMemo}},
      {"longchar", {DataType::kMemo}},
      {"ntext", {DataType::kMemo}},
  };
  const std::string folded = FoldName(word);
  for (const Entry& e : kWords) {
    if (folded == e.word) return e.type;
  }
  return std::nullopt;
}

}  // namespace dbaccess
