// The keys of indexes and relationships, compared as Jet compares them: texts without
// regard to letter case (Jet's text keys fold it) and by what their keys hold, their first
// kKeyTextUnits UTF-16 units without trailing spaces ("a" and "a " are one key, and so are
// two memos that begin alike); numbers by value; a key with a null in any of its columns as
// no key at all (several such rows may stand in a unique index; a primary key or a
// DISALLOW NULL index refuses them).
#ifndef SKARNVEL_DBACCESS_CATALOG_KEY_CHECK_H_
#define SKARNVEL_DBACCESS_CATALOG_KEY_CHECK_H_

#include <string>
#include <vector>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

// How much of a text a key holds, in UTF-16 units.
constexpr size_t kKeyTextUnits = 255;

// Positions of the named columns in `table` (-1 for a name it does not have).
std::vector<int> ColumnPositions(const Table& table, const std::vector<std::string>& names);
std::vector<int> ColumnPositions(const Table& table, const std::vector<IndexColumn>& columns);

// The key of `row` (a row of `table`) in the columns at `positions`, in a form that
// compares by ==. False (and `key` unspecified) when one of the cells is null.
bool EncodeKey(const Table& table, const Row& row, const std::vector<int>& positions,
               std::string& key);

// Every row of the table against the index: 3058 for a null the index refuses, 3022 for
// a key a unique index would hold twice. Rows not in memory are read one at a time; only
// their keys are kept.
void CheckIndexRows(const Table& table, const Index& index);

// A new row against the table's rows and the index: 3058 or 3022 as above.
void CheckRowAgainstIndex(const Table& table, const Index& index, const Row& row);

// Every row of the foreign table whose key has no null must find its key among the
// primary table's rows; 3379 otherwise.
void CheckRelationshipRows(const Table& primary, const Table& foreign,
                           const Relationship& relationship);

// True when some row of `table` has `key` in the columns at `positions`.
bool TableHasKey(const Table& table, const std::vector<int>& positions, const std::string& key);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_KEY_CHECK_H_
