// The index key codes of every UTF-16 code unit under the "General" text sort order of Jet 4
// files (sort order 1033, version 0; Access 2010 calls it "General Legacy").
//
// Each character has a class and up to two byte strings: the inline bytes that go into the
// sortable part of the key, and bytes kept for the key's tail (accents, unprintable codes,
// or a modifier of the previous accent byte). The table is generated from measured data by
// scripts/gen_index_codes.py into general_legacy_codes_data.cc.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_GENERAL_LEGACY_CODES_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_GENERAL_LEGACY_CODES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dbaccess::mdb::general_legacy {

enum class CharClass : char {
  kSimple = 'S',         // inline bytes only
  kInternational = 'I',  // inline bytes and accent bytes
  kUnprintable = 'U',    // no inline bytes; an unprintable code in the tail
  kModifier = 'P',       // no inline bytes; adds to the previous accent byte
  kCrazy = 'Z',          // inline bytes, maybe accent bytes, and a 2-bit flag
  kSignificant = 'G',    // inline bytes only
  kIgnored = 'X',        // leaves no trace in the key
  kSurrogate = 'Q',      // computed, not stored
};

struct CharCodes {
  CharClass kind = CharClass::kIgnored;
  std::vector<uint8_t> inline_bytes;
  // International and crazy: accent bytes; unprintable: the unprintable code; modifier:
  // the one byte added to the previous accent byte.
  std::vector<uint8_t> extra_bytes;
  uint8_t crazy_flag = 0;  // kCrazy: 2 or 3
};

// The codes of `unit`. Surrogate units are computed as Jet does for them.
CharCodes CodesOf(char16_t unit);

// The generated data: runs of consecutive code units, each pointing at a record of the pool
// (class letter, inline length, inline bytes, extra length, extra bytes, crazy flag); within
// a run the inline bytes, read as one big-endian number, grow by `step` per code unit.
struct CodeRun {
  uint16_t first;
  uint16_t pool_offset;
  uint8_t step;
};
extern const uint8_t kCodePool[];
extern const size_t kCodePoolSize;
extern const CodeRun kCodeRuns[];
extern const size_t kCodeRunCount;

}  // namespace dbaccess::mdb::general_legacy

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_GENERAL_LEGACY_CODES_H_
