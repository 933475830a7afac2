// The kinds of command text an action row carries, and the splitting of a two-statement
// command.
//
// A text beginning with "DAO." is a DAO command. A text with a ";" outside string literals
// ('...' or "...", a doubled quote standing for itself) and outside bracketed names ([...]),
// followed by more than blanks, is a two-statement command: the comparison of relations
// writes a drop and an add joined by CR LF ";" CR LF. Every other text, the empty one
// included, is a single statement. So a default value or a name holding ";" never splits a
// statement, and a single statement ending in ";" stays whole.
//
// These tell what a text looks like; what a row of an action list does when it runs is
// decided from its columns (action_kind.h), never from its text.
#ifndef SKARNVEL_ACTIONS_COMMAND_TEXT_H_
#define SKARNVEL_ACTIONS_COMMAND_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

namespace actions {

enum class CommandKind { kDao, kTwoStatements, kSingleStatement };

CommandKind KindOfCommand(std::string_view command);

// The byte position of the first ";" outside literals and brackets, if any.
std::optional<size_t> FindStatementSeparator(std::string_view command);

struct StatementPair {
  std::string first;   // everything before the separator
  std::string second;  // everything after it, less one line break or blank right after it
};

// The two statements of a two-statement command. Only the first separator splits: a later
// ";" stays part of the second statement. A text without separator gives itself and "".
StatementPair SplitStatements(std::string_view command);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_COMMAND_TEXT_H_
