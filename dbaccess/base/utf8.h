// UTF-8 as the program holds every text inside: decoding one code point at a time and
// encoding one, with the bytes of invalid UTF-8 carried through unchanged.
#ifndef SKARNVEL_DBACCESS_BASE_UTF8_H_
#define SKARNVEL_DBACCESS_BASE_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace dbaccess {

// Where the lone surrogates that stand for invalid bytes begin.
constexpr char32_t kInvalidByteBase = 0xDC00;

// Decodes one UTF-8 code point at s[i] and advances i. An invalid byte b advances i by one
// and comes back as U+DC00 + b (a lone surrogate, which valid UTF-8 never holds).
char32_t NextCodePoint(std::string_view s, size_t& i);
// Appends c in UTF-8; U+DC80..U+DCFF go back as the invalid byte they stand for.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_UTF8_H_
