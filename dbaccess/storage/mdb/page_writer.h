// Changes to the pages of one Jet 4 database, held (page_store.h: the recent ones in memory,
// the rest in a temporary file) until Commit writes them all at once through the rollback
// journal (page_journal.h).
//
// Pages are handed out decrypted, as PageFile reads them; Commit encrypts them as the file
// does. New pages come from the global usage map (page 1, row 0: a set bit marks a free
// page), else from past the end of the file; the map is kept exact and covers every page:
// its inline bitmap grows with the file as Access grows it, and when page 1 cannot hold it
// any more it becomes a reference map. Released pages are zeroed and marked free.
//
// View() shows the database as changed so far to everything that reads a PageFile (rows,
// definitions, indexes, the checks), before anything is written.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_WRITER_H_

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_store.h"

namespace dbaccess::mdb {

// Where the global usage map lives.
constexpr uint32_t kGlobalUsageMapPage = 1;

class PageWriter {
 public:
  // `file` is the database at `path` as read; it must outlive the writer. Only Jet 4
  // databases are written: jet_errors::Jet3FileReadOnly for a Jet 3 (Access 97) file,
  // FormatError for a global map we cannot read.
  PageWriter(const PageFile& file, std::string path);

  const Layout& layout() const { return file_.layout(); }
  const Header& header() const { return file_.header(); }
  const std::string& path() const { return path_; }
  uint32_t page_count() const { return page_count_; }

  // The page as changed so far, or as in the file. FormatError for a page past the end. The
  // reference stays valid until the page is edited, the writer committed, or
  // PageStore::kMemoryPages other pages read or changed.
  const Page& Read(uint32_t number);
  // The page, to be changed in place; the reference as Read's.
  Page& Edit(uint32_t number);

  // A page for new content, all zeros.
  uint32_t Allocate();
  // Zeroes the page and marks it free.
  void Release(uint32_t number);

  // The pages marked free now.
  const std::set<uint32_t>& free_pages() const { return free_; }
  bool changed() const { return !changed_.empty(); }
  // How many changed pages went to the temporary file (for tests).
  size_t spilled_pages() const { return changed_.spilled(); }

  // The database as changed so far, the global usage map included, read as a PageFile. Make
  // a new one after further changes (one made before may show pages it read as they were
  // then); it must not outlive the writer, nor be used after Commit.
  std::unique_ptr<PageFile> View();

  // Writes every changed page, and the global usage map, all or nothing, through the
  // rollback journal (page_journal.h: refused, with nothing written, while Access has the
  // database open). The writer is spent afterwards (a new change starts from the file as
  // read again).
  void Commit();

 private:
  class ViewSource;
  void WriteGlobalUsageMap();

  const PageFile& file_;
  std::string path_;
  uint32_t page_count_;
  PageStore changed_;
  // Pages of the file handed out by Read, kept while they may still be held: the last
  // PageStore::kMemoryPages of them.
  std::map<uint32_t, std::shared_ptr<const Page>> read_;
  std::list<uint32_t> read_order_;
  std::set<uint32_t> free_;
  size_t global_map_bytes_ = 0;             // an inline map's bitmap length as read
  std::vector<uint32_t> global_map_pages_;  // a reference map's pages
  bool global_map_changed_ = false;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PAGE_WRITER_H_
