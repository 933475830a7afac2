// One database file open in this process.
//
// Every ADO connection and DAO database that opens the same file shares one DatabaseFile
// (found by the file's canonical path, so relative paths and symbolic links meet), so a
// change made through one is seen by all the others at once. Each change reaches the disk
// before the call returns; a failed change leaves both the memory and the file as they were.
//
// Another program may change the file meanwhile: Snapshot and every change read such a
// change first, so it is never overwritten, and a change is checked against it (the
// storage refuses to write over a change it has not read, text_storage.h).
//
// When its last user lets go, a file stays in memory for a while: the kRetainedFiles most
// recently released ones are kept, holding nothing open on disk (no handle, no lock; the
// storage reads the whole file and lets go of it). Opening such a file again, or one in use,
// reuses what was read as long as the file is unchanged on disk (the storage's own test,
// file_stamp.h), and reads it anew when it has changed, been replaced or removed. The
// password is checked on every open; one already accepted for the file as it was read last
// is not checked against the file again (for a text storage that saves the slow password
// hash).
//
// Made for one thread (the window's); only the registry of open files is guarded.
#ifndef SKARNVEL_DBACCESS_FILES_DATABASE_FILE_H_
#define SKARNVEL_DBACCESS_FILES_DATABASE_FILE_H_

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/change.h"

namespace dbaccess {

class Storage;

// A change of the catalog: runs the executor's functions on the catalog it is given.
using Mutation = std::function<void(Catalog& catalog, ChangeList& changes)>;

class DatabaseFile {
 public:
  // Opens the file at `path` (relative paths against the current directory) with its
  // database password, or joins the DatabaseFile already open or retained for it; the
  // password is checked on every open. Throws JetError 3024, 3343 or 3031.
  static std::shared_ptr<DatabaseFile> Open(const std::string& path, const std::string& password);

  // How many files stay in memory after their last user let go: the two databases of a
  // comparison, which is loaded again and again.
  static constexpr size_t kRetainedFiles = 2;
  // The canonical paths of the files so retained, the most recently released first.
  static std::vector<std::string> RetainedPaths();
  // Lets go of every retained file (files in use stay); their memory is freed.
  static void ReleaseRetained();

  // Creates a new, empty database of the text storage at `path` ("" = no password).
  // Refuses an existing file (3204).
  static void CreateText(const std::string& path, const std::string& password);
  // Creates a new, empty Jet 4 database (.mdb) at `path`, as the engine makes one ("" = no
  // password; at most 20 characters, else 3031). Refuses an existing file (3204).
  static void CreateJet(const std::string& path, const std::string& password);

  ~DatabaseFile() = default;
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  const std::string& path() const { return path_; }

  // The committed catalog. When another process changed the file since it was read, it is
  // read again first.
  std::shared_ptr<const Catalog> Snapshot();

  // Runs the mutation on a copy of the committed catalog (read again first when another
  // program changed the file), stores the result and makes it the committed catalog; on
  // any error nothing changes and the error passes on. The whole change is made under the
  // file's write lock (write_lock.h: 3045 when another writer keeps it).
  void Apply(const Mutation& mutation);

  // Commits a transaction's work: replays its mutations, in order, on the committed catalog
  // and stores the result as one change; all or nothing.
  void ApplyAll(const std::vector<Mutation>& mutations);

 private:
  using PasswordDigest = std::array<unsigned char, 32>;

  DatabaseFile(std::string path, std::unique_ptr<Storage> storage);

  // Reads the catalog afresh through the storage.
  void Load();
  // Checks `password` for a file joined in use or retained: against what was accepted for
  // the file as last read while it is unchanged on disk; otherwise opens it as a new file
  // and reads it again. Throws as Open; the file stays as it was then.
  void Admit(const std::string& password);
  bool Accepted(const std::string& password) const;
  void Accept(const std::string& password);

  std::string path_;
  std::unique_ptr<Storage> storage_;
  std::shared_ptr<const Catalog> committed_;
  // Salted digests of the passwords accepted since the file was last read from disk (a
  // database without a password accepts any, so a few are kept).
  std::vector<PasswordDigest> accepted_;
};

// A transaction of one connection: its mutations are seen through it at once, by everyone
// else only after Commit. Destroying an uncommitted transaction rolls it back.
class Transaction {
 public:
  explicit Transaction(std::shared_ptr<DatabaseFile> file);

  // The committed catalog with this transaction's mutations applied. When others commit
  // meanwhile, the mutations are replayed on their work; if they no longer fit, the view
  // stays as it was and Commit will fail.
  std::shared_ptr<const Catalog> Snapshot();

  // Runs the mutation on the transaction's catalog; on error it changes nothing.
  void Apply(const Mutation& mutation);

  // Stores every mutation as one change (DatabaseFile::ApplyAll); on error nothing is
  // stored and the transaction is over all the same.
  void Commit();
  void Rollback();

 private:
  std::shared_ptr<DatabaseFile> file_;
  std::shared_ptr<const Catalog> base_;
  std::shared_ptr<Catalog> working_;
  std::vector<Mutation> mutations_;
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_FILES_DATABASE_FILE_H_
