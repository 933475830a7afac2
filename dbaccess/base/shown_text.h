// Texts from a database as a terminal or a message may show them: every control character
// (C0, DEL, C1) and every byte that is no UTF-8 written as \xNN, so that nothing a database
// holds reaches a terminal as an escape sequence or breaks a message's line.
#ifndef SKARNVEL_DBACCESS_BASE_SHOWN_TEXT_H_
#define SKARNVEL_DBACCESS_BASE_SHOWN_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace dbaccess {

// The whole text so shown, except the ASCII control characters listed in `kept`.
std::string ShownControls(std::string_view text, std::string_view kept = "");

// For an error message: at most `max_chars` characters so shown, then "...".
std::string ShownText(std::string_view text, size_t max_chars = 80);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_SHOWN_TEXT_H_
