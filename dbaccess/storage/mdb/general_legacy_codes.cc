#include "dbaccess/storage/mdb/general_legacy_codes.h"

#include <algorithm>

namespace dbaccess::mdb::general_legacy {
namespace {

constexpr char16_t kFirstHighSurrogate = 0xD800;
constexpr char16_t kFirstLowSurrogate = 0xDC00;
constexpr char16_t kLastLowSurrogate = 0xDFFF;
// Surrogates sort after the characters of the table: a high surrogate's code is the unit
// less a fixed distance; a low surrogate's distance shrinks by two in each of the slices of
// its 1024-unit block. Both carry the same accent byte.
constexpr int kHighSurrogateDistance = 10238;
constexpr int kLowSurrogateSlices[] = {8, 8 + 254, 8 + 2 * 254, 8 + 3 * 254};
constexpr int kLowSurrogateFirstDistance = 9992;
constexpr int kLowSurrogateBlock = 1024;
constexpr uint8_t kSurrogateExtraByte = 0x3F;

CharCodes SurrogateCodes(char16_t unit) {
  int distance = kHighSurrogateDistance;
  if (unit >= kFirstLowSurrogate) {
    const int in_block = (unit - kFirstLowSurrogate) % kLowSurrogateBlock;
    distance = kLowSurrogateFirstDistance;
    for (int slice_end : kLowSurrogateSlices) {
      if (in_block < slice_end) break;
      distance -= 2;
    }
  }
  const int code = unit - distance;
  CharCodes codes;
  codes.kind = CharClass::kSurrogate;
  codes.inline_bytes = {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
  codes.extra_bytes = {kSurrogateExtraByte};
  return codes;
}

}  // namespace

CharCodes CodesOf(char16_t unit) {
  if (unit >= kFirstHighSurrogate && unit <= kLastLowSurrogate) return SurrogateCodes(unit);
  const CodeRun* end = kCodeRuns + kCodeRunCount;
  const CodeRun* run = std::upper_bound(kCodeRuns, end, unit,
                                        [](char16_t u, const CodeRun& r) { return u < r.first; }) -
                       1;
  const uint8_t* p = kCodePool + run->pool_offset;
  CharCodes codes;
  codes.kind = static_cast<CharClass>(p[0]);
  const size_t inline_length = p[1];
  codes.inline_bytes.assign(p + 2, p + 2 + inline_length);
  const size_t extra_length = p[2 + inline_length];
  codes.extra_bytes.assign(p + 3 + inline_length, p + 3 + inline_length + extra_length);
  codes.crazy_flag = p[3 + inline_length + extra_length];
  // Within a run the inline bytes count up, as one big-endian number, by `step` per unit.
  uint32_t carry = static_cast<uint32_t>(run->step) * (unit - run->first);
  for (size_t i = inline_length; i-- > 0 && carry != 0;) {
    const uint32_t sum = codes.inline_bytes[i] + carry;
    codes.inline_bytes[i] = static_cast<uint8_t>(sum);
    carry = sum >> 8;
  }
  return codes;
}

}  // namespace dbaccess::mdb::general_legacy
