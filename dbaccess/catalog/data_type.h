// The column types of a Jet 4 database, their Jet SQL names and synonyms, and the OLE DB
// type codes the COLUMNS schema rowset reports for them.
#ifndef SKARNVEL_DBACCESS_CATALOG_DATA_TYPE_H_
#define SKARNVEL_DBACCESS_CATALOG_DATA_TYPE_H_

#include <optional>
#include <string_view>

namespace dbaccess {

enum class DataType {
  kBit,  // Yes/No
  kByte,
  kShort,  // Integer (16 bits)
  kLong,   // Long Integer (32 bits); also AutoNumber (Column::auto_increment)
  kSingle,
  kDouble,
  kCurrency,
  kDateTime,
  kText,  // Text(n), n = 1..255 characters
  kMemo,
  kBinary,      // Binary(n), n = 1..255 bytes
  kLongBinary,  // OLE Object
  kGuid,        // Replication ID
  kDecimal,
};

// OLE DB DATA_TYPE codes (DBTYPE_*) as the Jet 4.0 provider reports them.
constexpr int kDbTypeI2 = 2;
constexpr int kDbTypeI4 = 3;
constexpr int kDbTypeR4 = 4;
constexpr int kDbTypeR8 = 5;
constexpr int kDbTypeCy = 6;
constexpr int kDbTypeDate = 7;
constexpr int kDbTypeBool = 11;
constexpr int kDbTypeUi1 = 17;
constexpr int kDbTypeGuid = 72;
constexpr int kDbTypeBytes = 128;
constexpr int kDbTypeWStr = 130;
constexpr int kDbTypeNumeric = 131;

// COLUMN_FLAGS bit of a long (memo, OLE) column.
constexpr int kColumnFlagIsLong = 0x80;

constexpr int kMaxTextLength = 255;
constexpr int kDefaultDecimalPrecision = 18;
constexpr int kDefaultDecimalScale = 0;

int OleDbTypeCode(DataType type);
bool IsLongType(DataType type);  // Memo and OLE Object

// The type's name in the DDL our engine writes (e.g. "Long", "Text", "DateTime").
std::string_view SqlTypeName(DataType type);

// A type word of Jet SQL DDL, synonyms included (case-insensitive): "INTEGER" is kLong,
// "COUNTER" is kLong with auto_increment. "TEXT" means Text(n) when a length follows and a
// Memo without one, as through ADO; the caller decides that from the presence of "(n)".
struct TypeWord {
  DataType type;
  bool auto_increment = false;
  bool takes_length = false;  // TEXT/CHAR/VARCHAR/BINARY...: accepts "(n)"
};
std::optional<TypeWord> ParseTypeWord(std::string_view word);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_DATA_TYPE_H_
