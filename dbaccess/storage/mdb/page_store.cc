#include "dbaccess/storage/mdb/page_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>

#include "dbaccess/storage/atomic_file.h"

namespace dbaccess::mdb {

// A temporary file nobody else can open: removed from its folder as soon as it is made, and
// gone with the descriptor.
class PageStore::SpillFile {
 public:
  SpillFile() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    std::string name = (folder / "skarnvel-pages-XXXXXX").string();
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) throw FileError(errno, name);
    ::unlink(name.c_str());
    path_ = std::move(name);
  }
  ~SpillFile() { ::close(fd_); }
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  void Write(int64_t offset, const Page& page) {
    Whole(offset, page.size(), [&](size_t done, off_t at) {
      return ::pwrite(fd_, page.data() + done, page.size() - done, at);
    });
  }
  void Read(int64_t offset, Page& page) {
    Whole(offset, page.size(), [&](size_t done, off_t at) {
      return ::pread(fd_, page.data() + done, page.size() - done, at);
    });
  }

 private:
  // Repeats `call` (a pread or pwrite of the bytes from `done` on) until all `length` bytes
  // at `offset` are done; a short end is an error, as the page must be whole.
  template <typename Call>
  void Whole(int64_t offset, size_t length, Call call) {
    size_t done = 0;
    while (done < length) {
      const ssize_t n = call(done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw FileError(n < 0 ? errno : EIO, path_);
      done += static_cast<size_t>(n);
    }
  }

  int fd_ = -1;
  std::string path_;
};

PageStore::PageStore(size_t page_size, size_t memory_pages)
    : page_size_(page_size), memory_pages_(std::max<size_t>(memory_pages, 1)) {}

PageStore::~PageStore() = default;

void PageStore::Touch(Slot& slot) { recent_.splice(recent_.end(), recent_, slot.recent); }

Page& PageStore::Resident(uint32_t number, Slot& slot) {
  if (slot.memory) {
    Touch(slot);
    return *slot.memory;
  }
  auto page = std::make_unique<Page>(page_size_);
  if (!slot.zeros) spill_->Read(slot.offset, *page);
  slot.memory = std::move(page);
  slot.recent = recent_.insert(recent_.end(), number);
  Page& resident = *slot.memory;
  EvictBeyondBudget();
  return resident;
}

void PageStore::EvictBeyondBudget() {
  while (recent_.size() > memory_pages_) {
    const uint32_t oldest = recent_.front();
    Slot& slot = slots_.at(oldest);
    slot.zeros =
        std::all_of(slot.memory->begin(), slot.memory->end(), [](uint8_t b) { return b == 0; });
    if (!slot.zeros) {
      if (!spill_) spill_ = std::make_unique<SpillFile>();
      if (slot.offset < 0) {
        slot.offset = spill_end_;
        spill_end_ += static_cast<int64_t>(page_size_);
      }
      spill_->Write(slot.offset, *slot.memory);
      ++spilled_;
    }
    slot.memory.reset();
    recent_.pop_front();
  }
}

Page* PageStore::Find(uint32_t number) {
  const auto found = slots_.find(number);
  if (found == slots_.end()) return nullptr;
  return &Resident(number, found->second);
}

Page& PageStore::Put(uint32_t number, Page page) {
  auto [it, added] = slots_.try_emplace(number);
  Slot& slot = it->second;
  if (slot.memory) {
    *slot.memory = std::move(page);
    Touch(slot);
    return *slot.memory;
  }
  slot.memory = std::make_unique<Page>(std::move(page));
  slot.recent = recent_.insert(recent_.end(), number);
  Page& stored = *slot.memory;
  EvictBeyondBudget();
  return stored;
}

void PageStore::ForEach(const std::function<void(uint32_t, const Page&)>& visit) {
  const Page zeros(page_size_, 0);
  Page spilled(page_size_);
  for (auto& [number, slot] : slots_) {
    if (slot.memory) {
      visit(number, *slot.memory);
    } else if (slot.zeros) {
      visit(number, zeros);
    } else {
      spill_->Read(slot.offset, spilled);
      visit(number, spilled);
    }
  }
}

std::vector<uint32_t> PageStore::Numbers() const {
  std::vector<uint32_t> numbers;
  numbers.reserve(slots_.size());
  for (const auto& [number, slot] : slots_) numbers.push_back(number);
  return numbers;
}

void PageStore::Clear() {
  slots_.clear();
  recent_.clear();
  spill_.reset();
  spill_end_ = 0;
}

}  // namespace dbaccess::mdb
