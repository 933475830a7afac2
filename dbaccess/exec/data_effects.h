// What a statement or a DAO change would do to the rows of a database, found by reading
// the rows it touches and changing nothing: the rows and values it would lose, and what in
// the rows would make the engine refuse it (executor.h gives the rules; these are the same
// rules, counted instead of thrown).
//
//   DROP TABLE                       kRowsLost: the table's rows
//   ALTER TABLE ... DROP COLUMN      kValuesLost: the column's values that are not Null
//                                    (an empty text counts as none)
//   ALTER TABLE ... ALTER COLUMN     kValuesRefused: values the new definition cannot hold
//                                    (no conversion, overflow, too long: the statement is
//                                    refused); kValuesChanged: values it holds only changed,
//                                    those that do not come back as they were when turned
//                                    back into the old type (a number rounded, a text that
//                                    loses its leading zeros, a blank text become Null);
//                                    kNulls: Nulls under a new NOT NULL
//   ADD COLUMN ... NOT NULL          kNulls: the rows, when the column has no DEFAULT
//   a new PRIMARY KEY, UNIQUE or     kNulls: rows with a Null the key refuses;
//   unique index                     kDuplicates: key values more than one row holds
//   a new FOREIGN KEY                kOrphans: rows whose key finds no row of the primary
//                                    table
//   DAO Required = True              kNulls
//
// Everything else (new tables, renames, indexes that are not unique, queries, inserts)
// puts nothing at risk and gives no effect. An effect names what it counted, and gives the
// first kEffectExamples values or keys it met, as text.
#ifndef SKARNVEL_DBACCESS_EXEC_DATA_EFFECTS_H_
#define SKARNVEL_DBACCESS_EXEC_DATA_EFFECTS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

inline constexpr size_t kEffectExamples = 3;

struct DataEffect {
  enum class Kind {
    kRowsLost,
    kValuesLost,
    kValuesChanged,
    kValuesRefused,
    kNulls,
    kDuplicates,
    kOrphans,
  };
  Kind kind = Kind::kRowsLost;
  std::string table;
  std::vector<std::string> columns;   // the column or key columns counted; none for a table
  std::string primary_table;          // kOrphans: the table the keys were looked for in
  int64_t count = 0;                  // rows, values or (kDuplicates) distinct key values
  std::vector<std::string> examples;  // values or keys ("a, 1" for a key of two columns)
  // For kValuesRefused: the reasons, counted apart.
  int64_t too_long = 0;
  int64_t overflow = 0;
  int64_t mismatch = 0;

  friend bool operator==(const DataEffect&, const DataEffect&) = default;
};

// Whether carrying out a change with this effect loses data (as against being refused).
constexpr bool LosesData(DataEffect::Kind kind) {
  return kind == DataEffect::Kind::kRowsLost || kind == DataEffect::Kind::kValuesLost ||
         kind == DataEffect::Kind::kValuesChanged;
}

// The effects of one statement of the dialect on `catalog`'s rows. A statement that does
// not parse, or names a table or column the catalog lacks, has none (the engine refuses
// it for its own reasons when it runs).
std::vector<DataEffect> EffectsOfStatement(const Catalog& catalog, std::string_view sql);

// The effects of DAO's Field.Required = required.
std::vector<DataEffect> EffectsOfSetRequired(const Catalog& catalog, std::string_view table,
                                             std::string_view column, bool required);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_EXEC_DATA_EFFECTS_H_
