#include "dbaccess/storage/mdb/text_index_key.h"

#include "dbaccess/storage/mdb/general_legacy_codes.h"

namespace dbaccess::mdb {
namespace {

using general_legacy::CharClass;
using general_legacy::CharCodes;

constexpr uint8_t kEndText = 0x01;
constexpr uint8_t kEndKey = 0x00;
constexpr uint8_t kNoAccent = 0x02;  // accent byte of a character that has none
constexpr uint8_t kLowestTrimmedAccent = 0x00;
// Unprintable codes: a big-endian position (first at 7, 4 per character, top bit set),
// a separator, then the code.
constexpr int kUnprintableFirstPosition = 7;
constexpr int kUnprintablePositionStep = 4;
constexpr int kUnprintablePositionFlag = 0x8000;
constexpr uint8_t kUnprintableSeparator = 0x06;
// Crazy flags: packed three to a byte under a 10 prefix, then a fixed suffix; flags of 3 at
// the end are dropped.
constexpr uint8_t kCrazyByteStart = 0x80;
constexpr uint8_t kCrazyFlagDropped = 0x03;
constexpr uint8_t kCrazySuffix[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
constexpr uint8_t kCrazyBeforeUnprintable = 0xFF;

// The accent bytes, with the count of characters they cover.
struct AccentTail {
  std::vector<uint8_t> bytes;
  size_t characters = 0;
  size_t leading_modifiers = 0;  // modifier bytes written before any accent byte
  bool used = false;

  void PadTo(size_t character) {
    if (characters < character) {
      bytes.insert(bytes.end(), character - characters, kNoAccent);
      characters = character;
    }
  }
};

void TrimTrailing(std::vector<uint8_t>& bytes, uint8_t low, uint8_t high) {
  while (!bytes.empty() && bytes.back() >= low && bytes.back() <= high) bytes.pop_back();
}

}  // namespace

void AppendGeneralLegacyTextKey(std::u16string_view text, bool ascending,
                                std::vector<uint8_t>& out) {
  if (text.size() > kTextKeyMaxUnits) text = text.substr(0, kTextKeyMaxUnits);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);

  const size_t start = out.size();
  AccentTail accents;
  std::vector<uint8_t> unprintables;
  std::vector<uint8_t> crazy_flags;
  size_t position = 0;  // characters with inline codes so far

  for (char16_t unit : text) {
    const CharCodes codes = general_legacy::CodesOf(unit);
    const size_t here = position;
    if (!codes.inline_bytes.empty()) {
      out.insert(out.end(), codes.inline_bytes.begin(), codes.inline_bytes.end());
      ++position;
    }
    switch (codes.kind) {
      case CharClass::kSimple:
      case CharClass::kSignificant:
      case CharClass::kIgnored:
        break;
      case CharClass::kInternational:
      case CharClass::kSurrogate:
      case CharClass::kCrazy:
        if (!codes.extra_bytes.empty()) {
          accents.used = true;
          accents.PadTo(here);
          accents.bytes.insert(accents.bytes.end(), codes.extra_bytes.begin(),
                               codes.extra_bytes.end());
          ++accents.characters;
        }
        if (codes.kind == CharClass::kCrazy) crazy_flags.push_back(codes.crazy_flag);
        break;
      case CharClass::kModifier: {
        const uint8_t modifier = codes.extra_bytes.empty() ? 0 : codes.extra_bytes[0];
        if (modifier == 0) break;
        accents.used = true;
        accents.PadTo(here);
        if (!accents.bytes.empty()) {
          accents.bytes.back() = static_cast<uint8_t>(accents.bytes.back() + modifier);
        } else {
          accents.bytes.push_back(modifier);
          accents.leading_modifiers = 1;
        }
        break;
      }
      case CharClass::kUnprintable: {
        // The position counts the accent bytes that would precede this character.
        long slot = static_cast<long>(here);
        if (accents.used) {
          slot = static_cast<long>(accents.bytes.size()) + slot -
                 static_cast<long>(accents.characters) -
                 static_cast<long>(accents.leading_modifiers);
        }
        const int value =
            (kUnprintableFirstPosition + kUnprintablePositionStep * static_cast<int>(slot)) |
            kUnprintablePositionFlag;
        unprintables.push_back(static_cast<uint8_t>(value >> 8));
        unprintables.push_back(static_cast<uint8_t>(value));
        unprintables.push_back(kUnprintableSeparator);
        unprintables.insert(unprintables.end(), codes.extra_bytes.begin(), codes.extra_bytes.end());
        break;
      }
    }
  }

  out.push_back(kEndText);
  TrimTrailing(accents.bytes, kLowestTrimmedAccent, kNoAccent);
  const bool has_unprintables = !unprintables.empty();
  const bool has_crazy = !crazy_flags.empty();
  out.insert(out.end(), accents.bytes.begin(), accents.bytes.end());
  if (has_crazy || has_unprintables) {
    out.push_back(kEndText);
    out.push_back(kEndText);
    if (has_crazy) {
      TrimTrailing(crazy_flags, kCrazyFlagDropped, kCrazyFlagDropped);
      uint8_t packed = kCrazyByteStart;
      int filled = 0;
      for (uint8_t flag : crazy_flags) {
        packed = static_cast<uint8_t>(packed | (flag << ((2 - filled) * 2)));
        if (++filled == 3) {
          out.push_back(packed);
          packed = kCrazyByteStart;
          filled = 0;
        }
      }
      if (filled > 0) out.push_back(packed);
      out.insert(out.end(), std::begin(kCrazySuffix), std::end(kCrazySuffix));
      if (has_unprintables) out.push_back(kCrazyBeforeUnprintable);
    }
    if (has_unprintables) {
      out.push_back(kEndText);
      out.insert(out.end(), unprintables.begin(), unprintables.end());
    }
  }
  if (!ascending) {
    out.push_back(kEndKey);
    for (size_t i = start; i < out.size(); ++i) out[i] = static_cast<uint8_t>(~out[i]);
  }
  out.push_back(kEndKey);
}

}  // namespace dbaccess::mdb
