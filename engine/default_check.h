// The check a column's default passes before it is written into a command: the text the
// database holds must be exactly one expression (dbaccess/sql/one_expression.h). Anything
// else, "0; ALTER TABLE ..." or a default nested too deeply, is refused with an error naming
// the table and the column, so that nothing from a database can become a second statement or
// a clause of its own.
#ifndef SKARNVEL_ENGINE_DEFAULT_CHECK_H_
#define SKARNVEL_ENGINE_DEFAULT_CHECK_H_

#include <string>

#include "engine/snapshot.h"

namespace uAlg {

// Throws dbaccess::JetError (3292) when the column's default is a text that is not exactly
// one expression; a null or empty default passes.
void CheckDefaultForCommand(const std::string& table, const TField& field);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_DEFAULT_CHECK_H_
