#include "dbaccess/storage/mdb/table_definition_pages.h"

#include <algorithm>
#include <set>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kDefinitionLengthOffset = 8;
constexpr uint8_t kPageMarker = 0x01;  // the second byte of every page
constexpr size_t kMaxDefinitionPages = 256;

void Put(Page& page, size_t offset, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) page[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

size_t FreeSpace(size_t used, size_t page_size) {
  const size_t taken = used + kTableDefinitionPageHeader;
  return taken >= page_size ? 0 : page_size - taken;
}

}  // namespace

size_t TableDefinitionPageCount(size_t size, const Layout& layout) {
  const size_t page_size = static_cast<size_t>(layout.page_size);
  if (size <= page_size) return 1;
  const size_t per_page = page_size - kTableDefinitionPageHeader;
  return 1 + (size - page_size + per_page - 1) / per_page;
}

std::vector<Page> LayOutTableDefinition(ByteView definition, const std::vector<uint32_t>& pages,
                                        const Layout& layout) {
  const size_t page_size = static_cast<size_t>(layout.page_size);
  if (definition.size() < kTableDefinitionPageHeader || definition.U8(0) != kPageTableDefinition) {
    throw FormatError("not a table definition");
  }
  if (pages.size() != TableDefinitionPageCount(definition.size(), layout)) {
    throw FormatError("a table definition of " + std::to_string(definition.size()) +
                      " bytes needs " +
                      std::to_string(TableDefinitionPageCount(definition.size(), layout)) +
                      " pages, not " + std::to_string(pages.size()));
  }
  if (std::set<uint32_t>(pages.begin(), pages.end()).size() != pages.size() ||
      std::find(pages.begin(), pages.end(), 0u) != pages.end()) {
    throw FormatError("table definition pages repeat or include the header page");
  }
  std::vector<Page> out;
  size_t taken = 0;
  for (size_t i = 0; i < pages.size(); ++i) {
    Page page(page_size, 0);
    size_t used = 0;
    if (i == 0) {
      used = std::min(definition.size(), page_size);
      std::copy_n(definition.data(), used, page.begin());
    } else {
      const size_t chunk =
          std::min(definition.size() - taken, page_size - kTableDefinitionPageHeader);
      page[0] = kPageTableDefinition;
      page[1] = kPageMarker;
      std::copy_n(definition.data() + taken, chunk, page.begin() + kTableDefinitionPageHeader);
      used = kTableDefinitionPageHeader + chunk;
    }
    taken += i == 0 ? used : used - kTableDefinitionPageHeader;
    Put(page, kTableDefinitionFreeSpaceOffset, static_cast<uint32_t>(FreeSpace(used, page_size)),
        2);
    Put(page, kTableDefinitionNextPageOffset, i + 1 < pages.size() ? pages[i + 1] : 0, 4);
    out.push_back(std::move(page));
  }
  return out;
}

std::vector<uint32_t> StoreTableDefinition(PageWriter& writer, ByteView definition,
                                           std::vector<uint32_t> pages) {
  if (pages.empty()) throw FormatError("a table definition needs its first page");
  const size_t needed = TableDefinitionPageCount(definition.size(), writer.layout());
  while (pages.size() > needed) {
    writer.Release(pages.back());
    pages.pop_back();
  }
  while (pages.size() < needed) pages.push_back(writer.Allocate());
  const std::vector<Page> laid_out = LayOutTableDefinition(definition, pages, writer.layout());
  for (size_t i = 0; i < pages.size(); ++i) writer.Edit(pages[i]) = laid_out[i];
  return pages;
}

size_t TableDefinitionPageUsed(ByteView page) {
  const size_t free = page.U16(kTableDefinitionFreeSpaceOffset);
  const size_t rest = page.size() - std::min(page.size(), free + kTableDefinitionPageHeader);
  return free == 0 ? page.size() : rest;
}

StoredTableDefinition ReadStoredTableDefinition(const PageFile& file, uint32_t page) {
  StoredTableDefinition stored;
  std::set<uint32_t> seen;
  for (uint32_t next = page; next != 0;) {
    if (!seen.insert(next).second || seen.size() > kMaxDefinitionPages) {
      throw FormatError("table definition chain loops");
    }
    const std::shared_ptr<const Page> data = file.Read(next);
    const ByteView view(*data);
    if (view.U8(0) != kPageTableDefinition) throw FormatError("not a table definition page");
    const ByteView part = stored.pages.empty() ? view : view.From(kTableDefinitionPageHeader);
    stored.bytes.insert(stored.bytes.end(), part.data(), part.data() + part.size());
    stored.pages.push_back(next);
    next = view.U32(kTableDefinitionNextPageOffset);
  }
  const size_t length = ByteView(stored.bytes).U32(kDefinitionLengthOffset);
  if (length < kTableDefinitionPageHeader || length > stored.bytes.size()) {
    throw FormatError("table definition length outside its pages");
  }
  stored.bytes.resize(length);
  return stored;
}

DecodedTableDefinition ReadDecodedTableDefinition(const PageFile& file, uint32_t page) {
  const StoredTableDefinition stored = ReadStoredTableDefinition(file, page);
  const TextDecoder text(file.header().version, file.header().code_page);
  DecodedTableDefinition out;
  out.definition = DecodeTableDefinition(ByteView(stored.bytes), file.layout(), text);
  out.definition.page = page;
  out.extras = DecodeTableDefinitionExtras(ByteView(stored.bytes), file.layout());
  out.pages = stored.pages;
  return out;
}

}  // namespace dbaccess::mdb
