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

// One page's run of entries: [begin, end) of the level's entries, and the prefix they share.
struct PageRun {
  size_t begin = 0, end = 0;
  size_t prefix = 0;
};

// Splits `entries` into runs that each fit on one page. Only the runs' bounds are kept, so
// that a level costs its entries once, not twice.
std::vector<PageRun> FillPages(const std::vector<IndexEntry>& entries, bool leaf, size_t capacity,
                               bool compress) {
  std::vector<PageRun> runs;
  PageRun run;
  std::vector<uint8_t> first;
  size_t prefix = 0;
  size_t raw_size = 0;  // the entries' bytes before compression
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::vector<uint8_t> bytes = entries[i].Bytes(leaf);
    const size_t count = i - run.begin;
    size_t new_prefix = 0;
    if (compress && count > 0) {
      new_prefix =
          count == 1 ? CommonLength(first, bytes) : std::min(prefix, CommonLength(first, bytes));
    }
    // With n + 1 entries sharing new_prefix bytes, every one but the first leaves them out.
    const size_t size = raw_size + bytes.size() - new_prefix * count;
    if (count > 0 && size > capacity) {
      run.end = i;
      run.prefix = prefix;
      runs.push_back(run);
      run = PageRun{i, i, 0};
      raw_size = 0;
      prefix = 0;
      new_prefix = 0;
    }
    if (i == run.begin) {
      first = bytes;
      if (bytes.size() > capacity) throw FormatError("index entry larger than a page");
    }
    raw_size += bytes.size();
    prefix = new_prefix;
  }
  if (run.begin < entries.size() || runs.empty()) {
    run.end = entries.size();
    run.prefix = prefix;
    runs.push_back(run);
  }
  return runs;
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
  const std::vector<IndexEntry>* level = &entries;  // the leaves' entries are not copied
  std::vector<IndexEntry> parents;
  bool leaf = true;
  while (true) {
    const std::vector<PageRun> runs = FillPages(*level, leaf, capacity, options.compress);
    std::vector<uint32_t> numbers;
    for (size_t i = 0; i < runs.size(); ++i) numbers.push_back(allocate());
    std::vector<IndexEntry> next_parents;
    for (size_t i = 0; i < runs.size(); ++i) {
      IndexPage page;
      page.leaf = leaf;
      page.prefix_length = runs[i].prefix;
      page.entries.assign(level->begin() + static_cast<std::ptrdiff_t>(runs[i].begin),
                          level->begin() + static_cast<std::ptrdiff_t>(runs[i].end));
      page.table_page = table_page;
      page.previous_page = i > 0 ? numbers[i - 1] : 0;
      page.next_page = i + 1 < runs.size() ? numbers[i + 1] : 0;
      if (!page.entries.empty()) {
        IndexEntry parent = page.entries.back();
        parent.child_page = numbers[i];
        next_parents.push_back(std::move(parent));
      }
      // An intermediate page names its last child as its tail, not as an entry.
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
    if (runs.size() == 1) {
      tree.root = numbers[0];
      return tree;
    }
    parents = std::move(next_parents);
    level = &parents;
    leaf = false;
  }
}

}  // namespace dbaccess::mdb
