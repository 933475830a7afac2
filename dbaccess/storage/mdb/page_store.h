// The pages a writer has changed, held until they are committed: the most recently used in
// memory, the others in an unnamed temporary file, so that a change of any size costs a
// bounded amount of memory (kMemoryPages pages) and the rest in temporary disk space. A page
// of zeros (a page given back, or taken and not yet filled) leaves memory for neither.
//
// A page handed out stays where it is until kMemoryPages other pages have been handed out
// or stored: callers hold a page only while they change or read it.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_STORE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_STORE_H_

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

namespace dbaccess::mdb {

using Page = std::vector<uint8_t>;

class PageStore {
 public:
  static constexpr size_t kMemoryPages = 4096;

  // Every page stored must be `page_size` bytes long.
  explicit PageStore(size_t page_size, size_t memory_pages = kMemoryPages);
  ~PageStore();
  PageStore(const PageStore&) = delete;
  PageStore& operator=(const PageStore&) = delete;

  bool empty() const { return slots_.empty(); }
  size_t size() const { return slots_.size(); }
  bool Contains(uint32_t number) const { return slots_.count(number) != 0; }

  // The page stored under `number`, null when there is none. Throws JetError (a disk
  // error) when the temporary file cannot be written or read.
  Page* Find(uint32_t number);
  // Stores `page` under `number`, in place of any page stored there.
  Page& Put(uint32_t number, Page page);

  // Every page, in number order; their numbers alone.
  void ForEach(const std::function<void(uint32_t, const Page&)>& visit);
  std::vector<uint32_t> Numbers() const;
  void Clear();

  // How many pages went to the temporary file (for tests).
  size_t spilled() const { return spilled_; }

 private:
  class SpillFile;
  struct Slot {
    std::unique_ptr<Page> memory;  // null: in the spill file, or zeros
    int64_t offset = -1;           // its place in the spill file, once it went there
    bool zeros = false;            // out of memory as a page of zeros
    std::list<uint32_t>::iterator recent;
  };
  Page& Resident(uint32_t number, Slot& slot);
  void Touch(Slot& slot);
  void EvictBeyondBudget();

  size_t page_size_;
  size_t memory_pages_;
  std::map<uint32_t, Slot> slots_;
  std::list<uint32_t> recent_;  // pages in memory, least recently used first
  std::unique_ptr<SpillFile> spill_;
  int64_t spill_end_ = 0;
  size_t spilled_ = 0;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_STORE_H_
