#include "dbaccess/storage/mdb/long_value_writer.h"

#include <algorithm>

#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/table_rows.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kChainPointerBytes = 4;
constexpr uint8_t kLongValueKindMask = 0xC0;
constexpr size_t kMaxChainRows = 1u << 20;  // far beyond any value Jet holds (1 GB)

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::vector<uint8_t> Definition(uint32_t length, uint8_t kind, RowPointer first) {
  std::vector<uint8_t> field(kLongValueDefinitionSize, 0);
  Put32(field, 0, length | (uint32_t{kind} << 24));
  Put32(field, 4, first.Encode());
  return field;
}

}  // namespace

LongValueWriter::LongValueWriter(PageWriter& pages, UsageMapEditor* owned,
                                 UsageMapEditor* free_space)
    : pages_(pages), owned_(owned), free_space_(free_space) {}

RowPointer LongValueWriter::Place(const std::vector<uint8_t>& row) {
  const Layout& layout = pages_.layout();
  if (current_page_ != 0) {
    DataPageContent content = DecodeDataPage(ByteView(pages_.Read(current_page_)), layout);
    if (DataPageHasRoom(content, row.size(), layout)) {
      content.rows.push_back({0, row});
      pages_.Edit(current_page_) = EncodeDataPage(content, layout);
      return RowPointer{current_page_, static_cast<uint8_t>(content.rows.size() - 1)};
    }
    if (free_space_ != nullptr) free_space_->Remove(current_page_);
  }
  current_page_ = pages_.Allocate();
  DataPageContent content;
  content.owner = kLongValuePageOwner;
  content.rows.push_back({0, row});
  pages_.Edit(current_page_) = EncodeDataPage(content, layout);
  if (owned_ != nullptr) owned_->Add(current_page_);
  if (free_space_ != nullptr) free_space_->Add(current_page_);
  return RowPointer{current_page_, 0};
}

std::vector<uint8_t> LongValueWriter::Store(const std::vector<uint8_t>& data) {
  const size_t row_limit = MaxRowBytes(pages_.layout());
  if (data.size() > kLongValueLengthMask) throw FormatError("long value too long");
  if (data.size() <= row_limit) {
    return Definition(static_cast<uint32_t>(data.size()), kLongValueSinglePage, Place(data));
  }
  // A chain, written from its end so that each row knows the next.
  const size_t chunk = row_limit - kChainPointerBytes;
  const size_t rows = (data.size() + chunk - 1) / chunk;
  RowPointer next{0, 0};
  bool has_next = false;
  for (size_t i = rows; i-- > 0;) {
    const size_t begin = i * chunk;
    const size_t end = std::min(data.size(), begin + chunk);
    std::vector<uint8_t> row(kChainPointerBytes, 0);
    if (has_next) Put32(row, 0, next.Encode());
    row.insert(row.end(), data.begin() + static_cast<long>(begin),
               data.begin() + static_cast<long>(end));
    next = Place(row);
    has_next = true;
  }
  return Definition(static_cast<uint32_t>(data.size()), 0, next);
}

std::vector<RowPointer> LongValueRows(PageWriter& pages, ByteView field) {
  const uint8_t kind = static_cast<uint8_t>(field.U32(0) >> 24) & kLongValueKindMask;
  if (kind == kLongValueInline) return {};
  std::vector<RowPointer> rows;
  RowPointer at = RowPointer::Decode(field.U32(4));
  for (size_t hop = 0; hop < kMaxChainRows; ++hop) {
    const DataPageContent content = DecodeDataPage(ByteView(pages.Read(at.page)), pages.layout());
    if (content.owner != kLongValuePageOwner || at.row >= content.rows.size() ||
        (content.rows[at.row].flags & kRowDeletedFlag) != 0) {
      throw FormatError("long value row missing");
    }
    rows.push_back(at);
    const PageRow& row = content.rows[at.row];
    uint32_t next = 0;
    if (kind != kLongValueSinglePage && row.bytes.size() >= kChainPointerBytes) {
      next = ByteView(row.bytes).U32(0);
    }
    if (next == 0) return rows;
    at = RowPointer::Decode(next);
  }
  throw FormatError("long value chain loops");
}

void LongValueWriter::Delete(ByteView field) {
  const Layout& layout = pages_.layout();
  for (const RowPointer at : LongValueRows(pages_, field)) {
    DataPageContent content = DecodeDataPage(ByteView(pages_.Read(at.page)), layout);
    content.rows[at.row] = {kRowDeletedSlot, {}};
    pages_.Edit(at.page) = EncodeDataPage(content, layout);
    if (free_space_ != nullptr) free_space_->Add(at.page);
  }
}

}  // namespace dbaccess::mdb
