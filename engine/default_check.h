// The check a column's default passes before it is written into a command: the text the
// database holds must be exactly one expression of the engine's dialect, as the parser reads
// it (blanks around it allowed, and one "=" before it, as Access keeps "=Date()"). Anything else,
// "0; ALTER TABLE ..." or a default nested too deeply, is refused with an error naming the table
// and the column, so that nothing from a database can become a second statement or a clause of its
// own.
#ifndef SKARNVEL_ENGINE_DEFAULT_CHECK_H_
#define SKARNVEL_ENGINE_DEFAULT_CHECK_H_

#include <string>

#include "engine/snapshot.h"

namespace uAlg {

// True for a default text that is exactly one expression.
bool IsOneExpression(const std::string& text);

// Throws dbaccess::JetError (3292) when the column's default is a text that is not exactly
// one expression; a null or empty default passes.
void CheckDefaultForCommand(const std::string& table, const TField& field);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_DEFAULT_CHECK_H_
