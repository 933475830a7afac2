// The index key of a text value under the "General" sort order of Jet 4 files (1033,
// version 0), as Access writes it.
//
// The key is the inline codes of the characters, an end byte, then a tail that exists only
// when some character needs it: accent bytes (one per character, 02 where there is none,
// trailing 00..02 bytes dropped), and after two more end bytes the packed flags of "crazy"
// characters and the positions and codes of unprintable characters. The value is cut to
// 255 units and loses its trailing spaces first. A descending key is the same bytes and a 00
// inverted, then a 00.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_INDEX_KEY_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_INDEX_KEY_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace dbaccess::mdb {

// The number of UTF-16 units of a text value that take part in its key.
constexpr size_t kTextKeyMaxUnits = 255;

// Appends the key of `text` (UTF-16 units) after the column's start flag.
void AppendGeneralLegacyTextKey(std::u16string_view text, bool ascending,
                                std::vector<uint8_t>& out);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TEXT_INDEX_KEY_H_
