// The bytes of an index key, column by column, as Jet 4 writes them.
//
// Each column adds a start flag (7F ascending, 80 descending) and its value, or only a null
// flag (00 ascending, FF descending); a Yes/No column is never null. Values are big-endian
// and arranged so that unsigned byte order is value order: integers with the sign bit
// inverted, floating point numbers and dates with the sign bit inverted when positive and
// every bit inverted when negative, decimals with a leading FF (positive) or 00 (negative),
// binary data and GUIDs in 8-byte groups each followed by a length byte (9: more follows).
// A descending column inverts its value bytes. Text follows text_index_key.h.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_KEY_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_KEY_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"

namespace dbaccess::mdb {

constexpr uint8_t kKeyStartAscending = 0x7F;
constexpr uint8_t kKeyStartDescending = 0x80;
constexpr uint8_t kKeyNullAscending = 0x00;
constexpr uint8_t kKeyNullDescending = 0xFF;

// The only text sort order whose keys we can build: "General" of Jet 4 files.
constexpr int kGeneralSortOrder = 1033;
constexpr int kGeneralLegacySortOrderVersion = 0;

// True when an index over a column of `type` (ColumnType) can have its keys built here.
bool KeyableType(uint8_t type);

void AppendNullKey(bool ascending, std::vector<uint8_t>& out);
void AppendBooleanKey(bool value, bool ascending, std::vector<uint8_t>& out);

// A non-null value of a fixed-length type or Binary, from its bytes as a row stores them
// (little-endian numbers, GUID with its first three groups little-endian, Decimal as a sign
// byte and four little-endian 32-bit words, most significant first). Throws FormatError for
// a value of the wrong size or a type that is not keyable here.
void AppendStoredValueKey(uint8_t type, ByteView stored, bool ascending, std::vector<uint8_t>& out);

// A non-null Text or Memo value under the "General" sort order.
void AppendTextKey(std::u16string_view text, bool ascending, std::vector<uint8_t>& out);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_KEY_H_
