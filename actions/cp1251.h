// The Windows-1251 code page, the single-byte form of the program's files (list files,
// settings file, log). Inside the program every text is UTF-8; these functions are used only
// where such a file is read or written.
//
// Every byte has a character: the byte 0x98, which the code page leaves unassigned, stands
// for U+0098 both ways, so any byte sequence decodes and encodes back unchanged. Characters
// the code page lacks (Greek, Chinese, emoji ...) have no byte; Encode hands each of them to
// the caller, who decides what stands for it (a list file writes &#NNNN;).
#ifndef SKARNVEL_ACTIONS_CP1251_H_
#define SKARNVEL_ACTIONS_CP1251_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace actions::cp1251 {

// The character a byte stands for.
char32_t DecodeByte(unsigned char byte);

// The byte for a character, or nothing when the code page has none.
std::optional<unsigned char> EncodeChar(char32_t c);

// The UTF-8 form of Windows-1251 bytes. Never fails.
std::string Decode(std::string_view bytes);

// Called with a character that has no byte; appends to `out` whatever stands for it, or
// throws. Invalid UTF-8 bytes of the input arrive as U+DC80..U+DCFF.
using UnmappableHandler = std::function<void(char32_t c, std::string& out)>;

// The Windows-1251 bytes of a UTF-8 text.
std::string Encode(std::string_view utf8, const UnmappableHandler& unmappable);

}  // namespace actions::cp1251

#endif  // SKARNVEL_ACTIONS_CP1251_H_
