// A Jet 4 (Access 2000-2003) or Jet 3 (Access 97) .mdb file as a Storage.
//
// Opening checks the header and the database password at once. Load() reads the whole
// file anew each time (tables, columns, properties, indexes, rows, relationships, saved
// queries; see catalog_mapping.h) and remembers what it read, so that a change by another
// program is noticed: by the file's identity, size and times, and, while those times are
// too recent to be trusted, by its content (file_stamp.h, ContentCheck::kTimesOnce). Writing
// is not supported yet: Commit() always refuses with a clear error and never opens the file for
// writing, so the file stays byte for byte as it was.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/storage/file_stamp.h"
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

  // Enough for the header page of either version.
  static constexpr size_t kHeadBytes = 4096;

  // Throws JetError 3343 for a damaged file (and 3024/3031 as above, should the file have
  // been replaced since it was opened).
  Catalog Load() override;
  // Always throws JetError and changes nothing: jet_errors::Jet3FileReadOnly for an Access
  // 97 (Jet 3) file, which is only ever read; jet_errors::JetFileReadOnly otherwise.
  void Commit(const Catalog& before, const Catalog& after, const ChangeList& changes) override;
  bool ChangedOnDisk() const override;

 private:
  std::string path_;
  std::string password_;
  std::optional<FileStamp> stamp_;  // the file as the last Load read it
  JetVersion version_ = JetVersion::kJet4;
};

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password,
                                        std::string head = {});

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_STORAGE_H_
