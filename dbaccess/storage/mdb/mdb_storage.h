// A Jet 4 (Access 2000-2003) or Jet 3 (Access 97) .mdb file as a Storage.
//
// Opening checks the header and the database password at once; first, a change a writer left
// unfinished (its journal beside the file, page_journal.h) is rolled back, as again before
// every Load and Commit. Load() reads the structure anew each time (tables, columns,
// properties, indexes, relationships, saved queries; see catalog_mapping.h), not a data page
// of a user table: each user table's rows are read from the file when something first needs
// them (table_rows.h), a table at a time, and a row at a time where the whole table need not
// be held (a column converted, a key checked, the rows written anew). After a Commit, the
// rows of the tables it wrote are read from the file again. It remembers the file it read, so
// that a change by another program is noticed: by the file's identity, size and times, and,
// while those times are too recent to be trusted, by its content (file_stamp.h). Rows are
// read only while the file is the one the last Load or Commit left; after another program's
// change, reading them fails with 3197 and the catalog must be loaded again.
//
// Commit() writes a Jet 4 file's changes (change_writer.h) through one PageWriter, all or
// nothing: under the database's write lock it refuses, with nothing written, a file another
// program changed since the last Load or Commit (3197), a file the user may not write (3027),
// one Access has open (access_lock_file.h); it then writes the changes into the file's pages
// (reading only the pages they need) and commits them through the rollback journal. A
// journal an interrupted write left beside the file is rolled back before the file is read.
// Access 97 (Jet 3) files are only read: every change is refused.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/storage/file_stamp.h"
#include "dbaccess/storage/mdb/change_writer.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/storage.h"

namespace dbaccess::mdb {

class MdbStorage : public Storage {
 public:
  // Throws JetError: 3024 for a missing file, 3051 for one that cannot be read, 3343 for a
  // file that is not a Jet 3 or Jet 4 database, 3031 for a wrong or missing password.
  // `head`: the file's first bytes when the caller has read them already (at least
  // kHeadBytes, or the whole file when shorter); empty to have them read here.
  MdbStorage(std::string path, std::string password, std::string head = {});
  ~MdbStorage() override;

  // Enough for the header page of either version.
  static constexpr size_t kHeadBytes = 4096;

  // Throws JetError 3343 for a damaged file (and 3024/3031 as above, should the file have
  // been replaced since it was opened).
  Catalog Load() override;
  // Throws JetError as above, and the change writer's; a refused or failed change leaves the
  // file byte for byte as it was.
  void Commit(const Catalog& before, const Catalog& after, const ChangeList& changes) override;
  void AsCommitted(const ChangeList& changes, Catalog& after) const override;
  bool ChangedOnDisk() const override;

  // What the row streams of a Load share with the storage: the file as it last saw it.
  struct FileState;

 private:
  std::string path_;
  std::string password_;
  // The file as the last Load or Commit left it, shared with the row loaders of the last
  // Load's catalog (each Load starts a state of its own).
  std::shared_ptr<FileState> state_;
  // The tables the last Commit made or wrote anew, whose rows are read from the file again.
  std::vector<TableRowsWritten> written_;
  JetVersion version_ = JetVersion::kJet4;
};

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password,
                                        std::string head = {});

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_
