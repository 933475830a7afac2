// Writing pages into a database file all or nothing, through a rollback journal.
//
// Before a page of the file is overwritten, its old bytes go to "<file>-journal": the
// journal is written whole (a header with the page size and the file's old size, one
// record per page to be overwritten, a trailer with a checksum), flushed, and its folder
// flushed. Then the pages are written and the file flushed; removing the journal (and
// flushing the folder) is the moment the change happens. A crash at any moment leaves
// either the old file or the new one: a complete journal beside a file means a change
// that did not finish, and RecoverJournal puts the old pages back and cuts the file to its
// old size; an incomplete journal means the file was never touched, and it is removed.
//
// The writer holds the database's write lock (write_lock.h) while it writes or rolls back,
// and refuses both, changing nothing, while Access's lock file lies beside the database
// (access_lock_file.h). Pages are given as stored (already encrypted for an encrypted
// database). Failures are JetErrors as FileError words them; after a failed write the old
// pages are put back at once (should that fail too, the journal stays for the next writer
// or reader to roll back).
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace dbaccess::mdb {

// The journal's path for the database at `path`.
std::string JournalPath(const std::string& path);

// The pages to write: their numbers in ascending order, and a call that hands each one's
// number and `page_size` bytes as stored to its visitor, in that order.
using PageVisitor = std::function<void(uint32_t number, const std::vector<uint8_t>& bytes)>;
struct PageSource {
  std::vector<uint32_t> numbers;
  std::function<void(const PageVisitor&)> pages;
};

// Writes every page of `pages` into the file at `path`; pages past the end extend the file.
// All or nothing, as above. The pages and the journal are streamed: memory stays bounded
// whatever the number of pages.
void WritePagesAtomically(const std::string& path, size_t page_size, const PageSource& pages);
// The same for pages held in memory (number -> bytes).
void WritePagesAtomically(const std::string& path, size_t page_size,
                          const std::map<uint32_t, std::vector<uint8_t>>& pages);

// Rolls back a journal left beside `path` by a writer that did not finish. Returns true
// when pages were put back, false when there was no journal or only an incomplete one
// (then removed). A journal that does not fit the file (another page size, pages past the
// old size, an old size past the file's end) is refused with 3343 and left for the user to
// look at.
bool RecoverJournal(const std::string& path, size_t page_size);

// For tests: faults at the steps of the next writes. Each hook is called before each step
// with the step and its count (pages: the page's place in the order written). When the
// crash hook returns true, the writer stops there as if the process had died: nothing is
// cleaned up and PageWriteCrash is thrown. When the failure hook returns an errno value
// other than 0, the step fails as its system call would (a write after half of its bytes):
// the writer puts the old pages back and throws the JetError FileError gives for it.
enum class JournalStep { kJournalWrite, kJournalSync, kPageWrite, kFileSync, kJournalRemove };
using JournalCrashHook = std::function<bool(JournalStep step, size_t count)>;
void SetJournalCrashHookForTesting(JournalCrashHook hook);  // an empty hook removes it
struct PageWriteCrash {};
using JournalFailureHook = std::function<int(JournalStep step, size_t count)>;
void SetJournalFailureHookForTesting(JournalFailureHook hook);  // an empty hook removes it

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_JOURNAL_H_
