#include "dbaccess/storage/mdb/index_key.h"

#include <algorithm>
#include <string>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/text_index_key.h"

namespace dbaccess::mdb {
namespace {

constexpr uint8_t kSignBit = 0x80;
constexpr uint8_t kTrueAscending = 0x00;
constexpr uint8_t kFalseAscending = 0xFF;
constexpr uint8_t kDecimalPositive = 0xFF;
constexpr uint8_t kDecimalNegative = 0x00;
constexpr size_t kBinaryGroup = 8;
constexpr uint8_t kBinaryMoreFollows = 9;
constexpr size_t kDecimalWordSize = 4;
// Text order of the 16 stored bytes of a GUID.
constexpr int kGuidTextOrder[kGuidSize] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

void Invert(std::vector<uint8_t>& bytes) {
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
}

std::vector<uint8_t> BigEndian(ByteView stored, size_t size) {
  std::vector<uint8_t> bytes = stored.Sub(0, size).ToVector();
  std::reverse(bytes.begin(), bytes.end());
  return bytes;
}

void RequireSize(ByteView stored, size_t size, const char* what) {
  if (stored.size() != size) {
    throw FormatError(std::string(what) + " value of " + std::to_string(stored.size()) + " bytes");
  }
}

void AppendBinaryGroups(ByteView data, bool ascending, std::vector<uint8_t>& out) {
  size_t pos = 0;
  while (data.size() - pos > kBinaryGroup) {
    for (size_t i = 0; i < kBinaryGroup; ++i) {
      const uint8_t b = data.U8(pos + i);
      out.push_back(ascending ? b : static_cast<uint8_t>(~b));
    }
    out.push_back(kBinaryMoreFollows);  // never inverted
    pos += kBinaryGroup;
  }
  const size_t rest = data.size() - pos;
  if (rest == 0) return;
  std::vector<uint8_t> last(kBinaryGroup + 1, 0);
  for (size_t i = 0; i < rest; ++i) last[i] = data.U8(pos + i);
  last[kBinaryGroup] = static_cast<uint8_t>(rest);
  if (!ascending) Invert(last);
  out.insert(out.end(), last.begin(), last.end());
}

}  // namespace

bool KeyableType(uint8_t type) {
  switch (type) {
    case kTypeBoolean:
    case kTypeByte:
    case kTypeInt:
    case kTypeLong:
    case kTypeMoney:
    case kTypeFloat:
    case kTypeDouble:
    case kTypeDateTime:
    case kTypeBinary:
    case kTypeText:
    case kTypeMemo:
    case kTypeGuid:
    case kTypeNumeric:
      return true;
    default:
      return false;
  }
}

void AppendNullKey(bool ascending, std::vector<uint8_t>& out) {
  out.push_back(ascending ? kKeyNullAscending : kKeyNullDescending);
}

void AppendBooleanKey(bool value, bool ascending, std::vector<uint8_t>& out) {
  out.push_back(ascending ? kKeyStartAscending : kKeyStartDescending);
  const uint8_t code = value ? kTrueAscending : kFalseAscending;
  out.push_back(ascending ? code : static_cast<uint8_t>(~code));
}

void AppendStoredValueKey(uint8_t type, ByteView stored, bool ascending,
                          std::vector<uint8_t>& out) {
  std::vector<uint8_t> value;
  switch (type) {
    case kTypeByte:
      RequireSize(stored, 1, "Byte");
      value = stored.ToVector();
      if (!ascending) Invert(value);
      break;
    case kTypeInt:
    case kTypeLong:
    case kTypeMoney: {
      const size_t size = type == kTypeInt ? 2 : type == kTypeLong ? 4 : 8;
      RequireSize(stored, size, "integer");
      value = BigEndian(stored, size);
      value[0] ^= kSignBit;
      if (!ascending) Invert(value);
      break;
    }
    case kTypeFloat:
    case kTypeDouble:
    case kTypeDateTime: {
      const size_t size = type == kTypeFloat ? 4 : 8;
      RequireSize(stored, size, "floating point");
      value = BigEndian(stored, size);
      const bool negative = (value[0] & kSignBit) != 0;
      if (!negative) value[0] ^= kSignBit;
      if (negative == ascending) Invert(value);
      break;
    }
    case kTypeNumeric: {
      RequireSize(stored, kDecimalSize, "Decimal");
      value.push_back(stored.U8(0));
      for (size_t word = 0; word < (kDecimalSize - 1) / kDecimalWordSize; ++word) {
        const std::vector<uint8_t> be =
            BigEndian(stored.Sub(1 + word * kDecimalWordSize, kDecimalWordSize), kDecimalWordSize);
        value.insert(value.end(), be.begin(), be.end());
      }
      const bool negative = (value[0] & kSignBit) != 0;
      if (negative == ascending) Invert(value);
      value[0] = negative ? kDecimalNegative : kDecimalPositive;
      break;
    }
    case kTypeGuid: {
      RequireSize(stored, kGuidSize, "GUID");
      std::vector<uint8_t> text_order(kGuidSize);
      for (size_t i = 0; i < kGuidSize; ++i) text_order[i] = stored.U8(kGuidTextOrder[i]);
      out.push_back(ascending ? kKeyStartAscending : kKeyStartDescending);
      AppendBinaryGroups(ByteView(text_order), ascending, out);
      return;
    }
    case kTypeBinary:
      out.push_back(ascending ? kKeyStartAscending : kKeyStartDescending);
      AppendBinaryGroups(stored, ascending, out);
      return;
    default:
      throw FormatError("no index key for column type " + std::to_string(type));
  }
  out.push_back(ascending ? kKeyStartAscending : kKeyStartDescending);
  out.insert(out.end(), value.begin(), value.end());
}

void AppendTextKey(std::u16string_view text, bool ascending, std::vector<uint8_t>& out) {
  out.push_back(ascending ? kKeyStartAscending : kKeyStartDescending);
  AppendGeneralLegacyTextKey(text, ascending, out);
}

}  // namespace dbaccess::mdb
