// The table and column comparison: what has to happen to the working database so that its
// tables and columns look like those of the new one, one TResult per difference, each with
// the Jet SQL command that removes it.
//
// Order of the results: for each table of the working database, in snapshot order, its
// changed and dropped columns in column order (one result per differing property, TYPE,
// SIZE, NotNull, DefaultValue in that order), then its new columns in the new table's
// column order, or instead the single dropped-table result; after all of them the new
// tables in the new snapshot's order. Tables and columns pair by NamesMatch, the first
// match winning; the ordinal position is never compared.
#ifndef SKARNVEL_ENGINE_COMPARE_TABLES_H_
#define SKARNVEL_ENGINE_COMPARE_TABLES_H_

#include <string>
#include <vector>

#include "dbaccess/base/variant.h"
#include "engine/snapshot.h"

namespace uAlg {

struct TResult {
  std::string TableName;
  std::string FieldName;           // empty for a table result
  std::string PropName;            // a property difference: its name; else empty
  dbaccess::Variant OldPropValue;  // a property difference: the working value; else empty
  dbaccess::Variant NewPropValue;  // a property difference: the new value; else empty
  std::string Result;              // one of the table texts of result_texts.h
  std::string SQL;
  TProps Props;  // a dropped or new column: its five values (names left empty); else empty
};

using TResults = std::vector<TResult>;

// One column definition: "[name] TYPE", "(size)" when SIZE read as an integer is above 0,
// " NOT NULL" when NotNull is true, " DEFAULT " and the default text when it is not empty.
std::string FieldSQL(const TField& field);

// "CREATE TABLE [name] (" and the column definitions, each on a line of its own after CR
// LF, separated by commas, then ")". The name is bracketed like every other name, so that
// tables named with blanks or reserved words ("Order Details") can be created.
std::string CreateTableSQL(const TTable& table);

// The differences between two snapshots, `working` first. A default of the new database
// that would enter a command must be exactly one expression (default_check.h); otherwise the
// comparison throws JetError naming the column, and no results come back.
TResults CompareTables(const TTables& working, const TTables& fresh);

// Loads the working database (first) and the new database, then compares them. Errors of
// the engine pass on with its text; no results come back then.
TResults CompareTables(const std::string& working_path, const std::string& new_path,
                       const std::string& working_password, const std::string& new_password);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_COMPARE_TABLES_H_
