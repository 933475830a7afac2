// The primary key and unique index comparison. Key columns pair by table and column name
// (NamesMatch), never by index name: a key that bears another name on the same table and
// columns is no difference, and a column counts as covered when any key of the other
// database has it. One call handles one key kind.
//
// A key changes as a whole: a working key with a column the new database does not cover is
// removed, a new key with a column that no staying working key covers is added, and adding
// a key removes the working key in its way (the table's primary key, or a unique index of
// the same name). So a key whose columns changed is dropped and re-created with all of
// them, never extended by a column it cannot take.
//
// The comparison appends to the results it is given (so both kinds can be collected in one
// array): first every row of the removed keys, in the working database's reading order,
// then every row of the new keys, in the new database's. A key gives one row per column;
// each ADD statement ends in "] )", which the index list joins on.
#ifndef SKARNVEL_ENGINE_COMPARE_INDEXES_H_
#define SKARNVEL_ENGINE_COMPARE_INDEXES_H_

#include <string>
#include <vector>

#include "engine/schema_source.h"

namespace uAlg {

// The key kind: primary keys or unique indexes (that are not primary keys).
inline constexpr bool kPrimaryKeys = true;
inline constexpr bool kUniqueIndexes = false;

// One column of one key, as the indexes rowset gives it.
struct TInd {
  std::string TABLE_NAME;
  std::string COLUMN_NAME;
  std::string INDEX_NAME;
};
using TInds = std::vector<TInd>;  // tables in rowset order, within a table in rowset order

struct TIResult {
  std::string TABLE_NAME;
  std::string COLUMN_NAME;
  std::string INDEX_NAME;
  std::string Result;  // one of the key texts of result_texts.h
  std::string SQL;
};
using TIResults = std::vector<TIResult>;

// The key rows of one kind of the database at `path`. Errors pass on with the engine's
// text; the connection is released in every case.
TInds LoadIndexes(const std::string& path, const std::string& password, bool primary_keys);
TInds ReadIndexes(SchemaSource& schema, bool primary_keys);

// Appends the differences between two key lists, `working` first.
void CompareIndexes(const TInds& working, const TInds& fresh, TIResults& results,
                    bool primary_keys);

// Loads both databases (working first), then appends the differences. When a load fails
// the error passes on and nothing is appended.
void CompareIndexes(const std::string& working_path, const std::string& new_path,
                    const std::string& working_password, const std::string& new_password,
                    TIResults& results, bool primary_keys);

// "ALTER TABLE [t] DROP CONSTRAINT [i]" and
// "ALTER TABLE [t] ADD CONSTRAINT [i] PRIMARY KEY ([c] )" (UNIQUE for unique indexes).
std::string DropKeySQL(const TInd& key);
std::string AddKeySQL(const TInd& key, bool primary_keys);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_COMPARE_INDEXES_H_
