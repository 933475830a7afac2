#include "dbaccess/storage/mdb/index_page.h"

#include <algorithm>
#include <string>

namespace dbaccess::mdb {
namespace {

constexpr int kPageTypeOffset = 0;
constexpr int kPageMarkerOffset = 1;
constexpr uint8_t kPageMarker = 0x01;
constexpr int kFreeSpaceOffset = 2;
constexpr int kTablePageOffset = 4;
constexpr size_t kRowPointerSize = 4;
constexpr size_t kChildPageSize = 4;

constexpr IndexPageLayout kJet3IndexPage = {8, 12, 16, 20, 22, 226, 22 + 226};
constexpr IndexPageLayout kJet4IndexPage = {12, 16, 20, 24, 27, 453, 27 + 453};

size_t TrailerSize(bool leaf) { return kRowPointerSize + (leaf ? 0 : kChildPageSize); }

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Put16(std::vector<uint8_t>& page, size_t at, uint32_t value) {
  page[at] = static_cast<uint8_t>(value);
  page[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& page, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) page[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

IndexEntry SplitEntry(const std::vector<uint8_t>& bytes, bool leaf) {
  const size_t trailer = TrailerSize(leaf);
  if (bytes.size() < trailer) throw FormatError("index entry too short");
  const size_t key_size = bytes.size() - trailer;
  IndexEntry entry;
  entry.key.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(key_size));
  const uint8_t* p = bytes.data() + key_size;
  entry.row.page = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  entry.row.row = p[3];
  if (!leaf) {
    entry.child_page =
        (uint32_t{p[4]} << 24) | (uint32_t{p[5]} << 16) | (uint32_t{p[6]} << 8) | p[7];
  }
  return entry;
}

}  // namespace

std::vector<uint8_t> IndexEntry::Bytes(bool leaf) const {
  std::vector<uint8_t> out = key;
  PutBigEndian(out, row.page, 3);
  out.push_back(row.row);
  if (!leaf) PutBigEndian(out, child_page, 4);
  return out;
}

bool EntryLess(const IndexEntry& a, const IndexEntry& b) {
  if (a.key != b.key) {
    return std::lexicographical_compare(a.key.begin(), a.key.end(), b.key.begin(), b.key.end());
  }
  if (a.row.page != b.row.page) return a.row.page < b.row.page;
  return a.row.row < b.row.row;
}

const IndexPageLayout& IndexPageLayoutFor(JetVersion version) {
  return version == JetVersion::kJet3 ? kJet3IndexPage : kJet4IndexPage;
}

size_t MaxEntryAreaSize(const Layout& layout) {
  const IndexPageLayout& at = IndexPageLayoutFor(layout.version);
  return std::min<size_t>(static_cast<size_t>(layout.page_size - at.entries_offset),
                          static_cast<size_t>(at.mask_size) * 8 - 1);
}

IndexPage DecodeIndexPage(ByteView page, const Layout& layout) {
  const IndexPageLayout& at = IndexPageLayoutFor(layout.version);
  const uint8_t type = page.U8(kPageTypeOffset);
  if (type != kPageIndexLeaf && type != kPageIndexNode) throw FormatError("not an index page");
  IndexPage result;
  result.leaf = type == kPageIndexLeaf;
  result.table_page = page.U32(kTablePageOffset);
  result.previous_page = page.U32(at.previous_page_offset);
  result.next_page = page.U32(at.next_page_offset);
  result.tail_page = page.U32(at.tail_page_offset);
  result.prefix_length = page.U16(at.prefix_length_offset);
  result.unknown_flag = page.U8(at.prefix_length_offset + 2);

  const ByteView mask = page.Sub(at.mask_offset, at.mask_size);
  const ByteView area = page.From(at.entries_offset);
  std::vector<uint8_t> prefix;
  size_t start = 0;
  for (size_t bit = 0; bit < mask.size() * 8; ++bit) {
    if ((mask.U8(bit / 8) & (1u << (bit % 8))) == 0) continue;
    if (bit <= start) throw FormatError("empty index entry");
    const ByteView stored = area.Sub(start, bit - start);
    std::vector<uint8_t> bytes;
    if (result.entries.empty()) {
      bytes = stored.ToVector();
      if (result.prefix_length > bytes.size()) throw FormatError("index prefix too long");
      prefix.assign(bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(result.prefix_length));
    } else {
      bytes = prefix;
      bytes.insert(bytes.end(), stored.data(), stored.data() + stored.size());
    }
    result.entries.push_back(SplitEntry(bytes, result.leaf));
    start = bit;
  }
  return result;
}

size_t SharedPrefixLength(const std::vector<IndexEntry>& entries, bool leaf) {
  if (entries.size() < 2) return 0;
  const std::vector<uint8_t> first = entries.front().Bytes(leaf);
  const std::vector<uint8_t> last = entries.back().Bytes(leaf);
  const size_t n = std::min(first.size(), last.size());
  size_t length = 0;
  while (length < n && first[length] == last[length]) ++length;
  return length;
}

size_t EntryAreaSize(const std::vector<IndexEntry>& entries, bool leaf, size_t prefix_length) {
  size_t size = entries.empty() ? 0 : prefix_length;
  for (const IndexEntry& entry : entries) {
    size += entry.key.size() + TrailerSize(leaf) - prefix_length;
  }
  return size;
}

std::vector<uint8_t> EncodeIndexPage(const IndexPage& page, const Layout& layout) {
  const IndexPageLayout& at = IndexPageLayoutFor(layout.version);
  std::vector<uint8_t> out(static_cast<size_t>(layout.page_size), 0);
  out[kPageTypeOffset] = page.leaf ? kPageIndexLeaf : kPageIndexNode;
  out[kPageMarkerOffset] = kPageMarker;
  Put32(out, kTablePageOffset, page.table_page);
  Put32(out, static_cast<size_t>(at.previous_page_offset), page.previous_page);
  Put32(out, static_cast<size_t>(at.next_page_offset), page.next_page);
  Put32(out, static_cast<size_t>(at.tail_page_offset), page.tail_page);
  Put16(out, static_cast<size_t>(at.prefix_length_offset),
        static_cast<uint32_t>(page.prefix_length));
  out[static_cast<size_t>(at.prefix_length_offset) + 2] = page.unknown_flag;

  if (EntryAreaSize(page.entries, page.leaf, page.prefix_length) > MaxEntryAreaSize(layout)) {
    throw FormatError("index entries do not fit on one page");
  }
  std::vector<uint8_t> prefix;
  size_t end = at.entries_offset;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const std::vector<uint8_t> bytes = page.entries[i].Bytes(page.leaf);
    size_t skip = 0;
    if (i == 0) {
      if (page.prefix_length > bytes.size()) throw FormatError("index prefix too long");
      prefix.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(page.prefix_length));
    } else {
      if (bytes.size() < prefix.size() ||
          !std::equal(prefix.begin(), prefix.end(), bytes.begin())) {
        throw FormatError("index entry does not share the page's prefix");
      }
      skip = prefix.size();
      if (bytes.size() <= skip) throw FormatError("index entry no longer than the prefix");
    }
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end(),
              out.begin() + static_cast<std::ptrdiff_t>(end));
    end += bytes.size() - skip;
    const size_t bit = end - static_cast<size_t>(at.entries_offset);
    out[static_cast<size_t>(at.mask_offset) + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
  }
  Put16(out, kFreeSpaceOffset, static_cast<uint32_t>(layout.page_size - end));
  return out;
}

}  // namespace dbaccess::mdb
