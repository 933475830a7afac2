#include "dbaccess/storage/mdb/long_value.h"

#include <set>

#include "dbaccess/storage/mdb/data_page.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kChainPointerSize = 4;
constexpr uint8_t kLongValueKindMask = 0xC0;

}  // namespace

std::vector<uint8_t> LongValueReader::Read(ByteView field, std::vector<uint32_t>* pages) {
  const uint32_t word = field.U32(0);
  const uint32_t length = word & kLongValueLengthMask;
  const uint8_t kind = static_cast<uint8_t>(word >> 24) & kLongValueKindMask;
  if (length > budget_) throw FormatError("long values larger than the file allows");
  budget_ -= length;

  if (kind == kLongValueInline) {
    return field.Sub(kLongValueDefinitionSize, length).ToVector();
  }
  RowPointer pointer = RowPointer::Decode(field.U32(4));
  if (kind == kLongValueSinglePage) {
    if (pages != nullptr) pages->push_back(pointer.page);
    const auto row = ReadRow(file_, pointer);
    if (!row) throw FormatError("long value row deleted");
    return row->bytes.Sub(0, length).ToVector();
  }
  if (kind != 0) throw FormatError("unknown long value kind");

  std::vector<uint8_t> data;
  std::set<uint32_t> seen;
  while (data.size() < length) {
    if (!seen.insert(pointer.Encode()).second) throw FormatError("long value chain loops");
    if (hops_ == 0) throw FormatError("long value chains longer than the file allows");
    --hops_;
    if (pages != nullptr) pages->push_back(pointer.page);
    const auto row = ReadRow(file_, pointer);
    if (!row) throw FormatError("long value row deleted");
    const uint32_t next = row->bytes.U32(0);
    const ByteView part = row->bytes.From(kChainPointerSize);
    const size_t take = std::min<size_t>(part.size(), length - data.size());
    data.insert(data.end(), part.data(), part.data() + take);
    if (next == 0) break;
    pointer = RowPointer::Decode(next);
  }
  if (data.size() != length) throw FormatError("long value chain too short");
  return data;
}

}  // namespace dbaccess::mdb
