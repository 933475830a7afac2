#include "dbaccess/storage/mdb/index_tree.h"

#include <algorithm>

namespace dbaccess::mdb {
namespace {

size_t CommonLength(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const size_t n = std::min(a.size(), b.size());
  size_t length = 0;
  while (length < n && a[length] == b[length]) ++length;
  return length;
}

// Splits `entries` into runs that each fit on one page.
std::vector<IndexPage> FillPages(const std::vector<IndexEntry>& entries, bool leaf, size_t capacity,
                                 bool compress) {
  std::vector<IndexPage> pages;
  IndexPage page;
  page.leaf = leaf;
  std::vector<uint8_t> first;
  size_t prefix = 0;
  size_t raw_size = 0;  // the entries' bytes before compression
  for (const IndexEntry& entry : entries) {
    const std::vector<uint8_t> bytes = entry.Bytes(leaf);
    size_t new_prefix = 0;
    if (compress && !page.entries.empty()) {
      new_prefix = page.entries.size() == 1 ? CommonLength(first, bytes)
                                            : std::min(prefix, CommonLength(first, bytes));
    }
    // With n + 1 entries sharing new_prefix bytes, every one but the first leaves them out.
    const size_t size = raw_size + bytes.size() - new_prefix * page.entries.size();
    if (!page.entries.empty() && size > capacity) {
      page.prefix_length = prefix;
      pages.push_back(std::move(page));
      page = IndexPage{};
      page.leaf = leaf;
      raw_size = 0;
      prefix = 0;
      new_prefix = 0;
    }
    if (page.entries.empty()) {
      first = bytes;
      if (bytes.size() > capacity) throw FormatError("index entry larger than a page");
    }
    page.entries.push_back(entry);
    raw_size += bytes.size();
    prefix = new_prefix;
  }
  if (!page.entries.empty() || pages.empty()) {
    page.prefix_length = prefix;
    pages.push_back(std::move(page));
  }
  return pages;
}

}  // namespace

BuiltIndexTree BuildIndexTree(const std::vector<IndexEntry>& entries, uint32_t table_page,
                              const Layout& layout, const std::function<uint32_t()>& allocate,
                              const IndexTreeOptions& options) {
  for (size_t i = 1; i < entries.size(); ++i) {
    if (!EntryLess(entries[i - 1], entries[i])) throw FormatError("index entries out of order");
  }
  size_t capacity = MaxEntryAreaSize(layout);
  if (options.page_fill != 0) capacity = std::min(capacity, options.page_fill);

  BuiltIndexTree tree;
  std::vector<IndexEntry> level_entries = entries;
  bool leaf = true;
  while (true) {
    std::vector<IndexPage> pages = FillPages(level_entries, leaf, capacity, options.compress);
    std::vector<uint32_t> numbers;
    for (size_t i = 0; i < pages.size(); ++i) numbers.push_back(allocate());
    std::vector<IndexEntry> parents;
    for (size_t i = 0; i < pages.size(); ++i) {
      IndexPage& page = pages[i];
      page.table_page = table_page;
      page.previous_page = i > 0 ? numbers[i - 1] : 0;
      page.next_page = i + 1 < pages.size() ? numbers[i + 1] : 0;
      if (!page.entries.empty()) {
        IndexEntry parent = page.entries.back();
        parent.child_page = numbers[i];
        parents.push_back(std::move(parent));
      }
    }
    // An intermediate page names its last child as its tail, not as an entry.
    for (size_t i = 0; i < pages.size(); ++i) {
      IndexPage& page = pages[i];
      if (!leaf && !page.entries.empty()) {
        page.tail_page = page.entries.back().child_page;
        page.entries.pop_back();
        page.prefix_length = page.entries.size() < 2 || page.prefix_length == 0
                                 ? 0
                                 : SharedPrefixLength(page.entries, false);
        if (!options.compress) page.prefix_length = 0;
      }
      tree.pages.push_back(BuiltIndexPage{numbers[i], EncodeIndexPage(page, layout)});
    }
    if (pages.size() == 1) {
      tree.root = numbers[0];
      return tree;
    }
    level_entries = std::move(parents);
    leaf = false;
  }
}

}  // namespace dbaccess::mdb
