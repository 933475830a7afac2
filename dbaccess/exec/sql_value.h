// A value on its way into a column: the result of an INSERT value or a DEFAULT expression,
// or a stored cell whose column changes its type (ALTER COLUMN). ConvertValue turns it into
// a cell of the target column, by these rules:
//
//  target            accepts                                   refuses
//  ---------------   ---------------------------------------   -------------------------------
//  Bit               booleans; numbers and dates (0 is False,  binary; other texts
//                    anything else True); texts "True",
//                    "False", "Yes", "No", "On", "Off" and
//                    numeric texts
//  Byte, Short,      numbers, dates, booleans (True is -1),    binary, GUIDs, texts that are
//  Long              numeric texts; rounded half to even,      not numbers; overflow outside
//                    then range-checked                        0..255 / 16 / 32 bits
//  Currency          as above, rounded to 4 decimals half to   overflow beyond
//                    even, exact from decimal text             +-922,337,203,685,477.5807
//  Decimal(p,s)      as above, rounded to s decimals           overflow beyond p-s digits
//  Single, Double    numbers, dates, booleans, numeric texts   overflow beyond the type's range
//  DateTime          dates; numbers as OLE dates (within       overflow outside the years
//                    100..9999); date texts (ole_date.h)       100..9999; other texts
//  Text(n), Memo     everything but binary, as text: numbers   binary; more than n characters
//                    shortest exact for integers, Currency     (UTF-16 code units, as Jet
//                    and Decimal; Single 7 and Double 15       counts) gives "too long"
//                    significant digits; dates as in
//                    ole_date.h; booleans "True"/"False"
//  GUID              texts "{8-4-4-4-12 hex}" (braces and      everything else
//                    case free); stored upper case in braces
//  Binary(n),        binary                                    everything else; more than n
//  LongBinary                                                  bytes gives "too long"
//
// Null stays null (the caller checks Required), except in a Bit column: Jet keeps a Yes/No
// value in the row's null mask, so a Bit field is never Null and Null becomes False. A text
// of blanks only becomes null in every target but Text and Memo (a blank field becomes
// empty, as when Access changes a type).
#ifndef SKARNVEL_DBACCESS_EXEC_SQL_VALUE_H_
#define SKARNVEL_DBACCESS_EXEC_SQL_VALUE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/cell.h"
#include "dbaccess/catalog/data_type.h"

namespace dbaccess {

struct SqlValue {
  enum class Kind {
    kNull,
    kBoolean,
    kNumber,  // an exact decimal number: `text` ("12.50", "-3", "1E+3")
    kDouble,  // a binary floating-point number: `number`; `single` for a Single column's
    kDate,    // an OLE date: `number`
    kText,
    kBinary,
  };
  Kind kind = Kind::kNull;
  bool boolean = false;
  bool single = false;
  double number = 0;
  std::string text;
  std::vector<uint8_t> bytes;

  static SqlValue Null() { return SqlValue(); }
  static SqlValue Boolean(bool b);
  static SqlValue Number(std::string decimal_text);
  static SqlValue Double(double d, bool single = false);
  static SqlValue Date(double ole_date);
  static SqlValue Text(std::string s);
  static SqlValue Binary(std::vector<uint8_t> b);
};

enum class ConvertStatus { kOk, kMismatch, kOverflow, kTooLong };

ConvertStatus ConvertValue(const SqlValue& value, const Column& column, Cell& out);

// A stored cell of a column of type `type`, as a value.
SqlValue ValueFromCell(const Cell& cell, DataType type);

// The text a value has where a text is wanted ("&" and conversion to Text); binary gives "".
std::string ValueAsText(const SqlValue& value);

// Length of UTF-8 text in UTF-16 code units, as Jet measures a Text field.
size_t Utf16Length(std::string_view utf8);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from the text of a GUID, braces optional;
// false for anything else.
bool CanonicalGuid(std::string_view text, std::string& out);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_EXEC_SQL_VALUE_H_
