#include "actions/command_text.h"

#include "actions/workbench_texts.h"

namespace actions {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool OnlyBlanks(std::string_view text) {
  for (char c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

}  // namespace

std::optional<size_t> FindStatementSeparator(std::string_view command) {
  char closing = 0;  // the character that ends the literal or name we are in, 0 outside
  for (size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (closing != 0) {
      if (c != closing) continue;
      // A doubled quote inside a literal stands for the quote itself.
      if (closing != ']' && i + 1 < command.size() && command[i + 1] == closing) {
        ++i;
        continue;
      }
      closing = 0;
    } else if (c == '\'' || c == '"') {
      closing = c;
    } else if (c == '[') {
      closing = ']';
    } else if (c == ';') {
      return i;
    }
  }
  return std::nullopt;
}

CommandKind KindOfCommand(std::string_view command) {
  if (command.starts_with(texts::kDaoPrefix)) return CommandKind::kDao;
  const std::optional<size_t> separator = FindStatementSeparator(command);
  if (separator && !OnlyBlanks(command.substr(*separator + 1))) {
    return CommandKind::kTwoStatements;
  }
  return CommandKind::kSingleStatement;
}

StatementPair SplitStatements(std::string_view command) {
  const std::optional<size_t> separator = FindStatementSeparator(command);
  if (!separator) return {std::string(command), std::string()};
  std::string_view rest = command.substr(*separator + 1);
  // The producer writes CR LF after the ";"; the one character right after it is skipped
  // when it is a line break or blank, never when it belongs to the statement.
  if (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  return {std::string(command.substr(0, *separator)), std::string(rest)};
}

}  // namespace actions
