#include "dbaccess/files/database_file.h"

#include <filesystem>
#include <list>
#include <map>
#include <mutex>

#include "dbaccess/base/crypto.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/files/open_storage.h"
#include "dbaccess/storage/file_stamp.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/storage.h"
#include "dbaccess/storage/text/text_storage.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess {
namespace {

// How many passwords are remembered per file state.
constexpr size_t kAcceptedPasswords = 4;
constexpr size_t kPasswordSaltBytes = 16;

// The registry of this process's files: for each canonical path the DatabaseFile its users
// share and, once they all let go, the retained one. A user's shared_ptr is a handle over
// the file whose deleter hands the file back here.
struct Registry {
  struct Entry {
    std::weak_ptr<DatabaseFile> users;       // the handle all users share, while one is alive
    std::shared_ptr<DatabaseFile> retained;  // the file while nobody uses it
  };
  std::mutex mutex;
  std::map<std::string, Entry> entries;
  std::list<std::string> retained_order;  // most recently released first
};

Registry& TheRegistry() {
  static Registry* const registry = new Registry;  // never destroyed: users may let go at exit
  return *registry;
}

// Takes the file out of the retained ones (the caller holds the lock).
std::shared_ptr<DatabaseFile> TakeRetained(Registry& r, Registry::Entry& entry,
                                           const std::string& path) {
  if (!entry.retained) return nullptr;
  r.retained_order.remove(path);
  return std::move(entry.retained);
}

// Called when the last user of `file` let go: keeps it among the most recently released
// files, and lets go of the oldest beyond the bound. Never throws (it runs in a deleter).
void Retain(std::shared_ptr<DatabaseFile> file) {
  if (!file) return;
  std::vector<std::shared_ptr<DatabaseFile>> dropped;  // destroyed after the lock is let go
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  try {
    auto it = r.entries.find(file->path());
    if (it == r.entries.end() || !it->second.users.expired() || it->second.retained) {
      // Another thread opened the file afresh meanwhile: this one is out of date.
      dropped.push_back(std::move(file));
      return;
    }
    r.retained_order.push_front(file->path());
    it->second.retained = std::move(file);
    while (r.retained_order.size() > DatabaseFile::kRetainedFiles) {
      auto oldest = r.entries.find(r.retained_order.back());
      dropped.push_back(std::move(oldest->second.retained));
      r.entries.erase(oldest);
      r.retained_order.pop_back();
    }
  } catch (...) {  // out of memory: the file is simply not kept
    if (file) dropped.push_back(std::move(file));
  }
}

struct Releaser {
  mutable std::shared_ptr<DatabaseFile> file;
  void operator()(DatabaseFile*) const { Retain(std::move(file)); }
};

// A user's handle over `file` (the caller holds the lock). Should the handle fail to be
// made, its deleter is called while it holds no file yet, and does nothing.
std::shared_ptr<DatabaseFile> Handle(std::shared_ptr<DatabaseFile> file) {
  std::shared_ptr<DatabaseFile> handle(file.get(), Releaser{});
  std::get_deleter<Releaser>(handle)->file = std::move(file);
  return handle;
}

// The file in use or retained for the canonical path, as a user's handle; null when there
// is none.
std::shared_ptr<DatabaseFile> Join(const std::string& canonical) {
  Registry& r = TheRegistry();
  std::shared_ptr<DatabaseFile> taken;  // destroyed after the lock if the handle fails
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.entries.find(canonical);
  if (it == r.entries.end()) return nullptr;
  if (std::shared_ptr<DatabaseFile> open = it->second.users.lock()) return open;
  taken = TakeRetained(r, it->second, canonical);
  if (!taken) return nullptr;
  std::shared_ptr<DatabaseFile> handle = Handle(std::move(taken));
  it->second.users = handle;
  return handle;
}

// Makes the newly read `file` the one its users share, unless another thread opened it
// meanwhile: then that one is joined.
std::shared_ptr<DatabaseFile> Register(std::shared_ptr<DatabaseFile> file) {
  Registry& r = TheRegistry();
  std::shared_ptr<DatabaseFile> stale;  // destroyed after the lock is let go
  std::lock_guard<std::mutex> lock(r.mutex);
  Registry::Entry& entry = r.entries[file->path()];
  if (std::shared_ptr<DatabaseFile> open = entry.users.lock()) {
    stale = std::move(file);
    return open;
  }
  stale = TakeRetained(r, entry, file->path());
  std::shared_ptr<DatabaseFile> handle = Handle(std::move(file));
  entry.users = handle;
  return handle;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

std::string CanonicalPath(const std::string& path) {
  if (path.empty()) throw jet_errors::CouldNotFindFile(path);  // not the current folder
  const std::string absolute = AbsolutePath(path);
  std::error_code ec;
  const std::filesystem::path canonical = std::filesystem::canonical(absolute, ec);
  if (ec) {
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) {
      throw jet_errors::CouldNotFindFile(absolute);
    }
    throw jet_errors::CannotOpenFile(absolute);
  }
  return canonical.string();
}

// Passwords are remembered only as digests salted per process.
const std::string& PasswordSalt() {
  static const std::string salt = [] {
    std::string bytes(kPasswordSaltBytes, '\0');
    RandomBytes(bytes.data(), bytes.size());
    return bytes;
  }();
  return salt;
}

Sha256Digest PasswordDigestOf(const std::string& password) {
  // No password is no secret: it needs neither salt nor digest.
  if (password.empty()) return {};
  return Sha256(PasswordSalt() + password);
}

}  // namespace

std::shared_ptr<DatabaseFile> DatabaseFile::Open(const std::string& path,
                                                 const std::string& password) {
  const std::string canonical = CanonicalPath(path);
  if (std::shared_ptr<DatabaseFile> file = Join(canonical)) {
    file->Admit(password);  // on error the handle goes and the file is retained again
    return file;
  }
  // The format and the password are checked before anything is read.
  std::shared_ptr<DatabaseFile> file(new DatabaseFile(canonical, OpenStorage(canonical, password)));
  file->Load();
  file->Accept(password);
  return Register(std::move(file));
}

std::vector<std::string> DatabaseFile::RetainedPaths() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return std::vector<std::string>(r.retained_order.begin(), r.retained_order.end());
}

void DatabaseFile::ReleaseRetained() {
  std::vector<std::shared_ptr<DatabaseFile>> dropped;  // destroyed after the lock is let go
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const std::string& path : r.retained_order) {
    auto it = r.entries.find(path);
    dropped.push_back(std::move(it->second.retained));
    r.entries.erase(it);
  }
  r.retained_order.clear();
}

void DatabaseFile::CreateText(const std::string& path, const std::string& password) {
  TextStorage::Create(AbsolutePath(path), password);
}

void DatabaseFile::CreateJet(const std::string& path, const std::string& password) {
  mdb::CreateDatabaseFile(AbsolutePath(path), password);
}

DatabaseFile::DatabaseFile(std::string path, std::unique_ptr<Storage> storage)
    : path_(std::move(path)), storage_(std::move(storage)) {}

void DatabaseFile::Load() {
  committed_ = std::make_shared<const Catalog>(storage_->Load());
  // What was read may be another database in the file's place, with another password.
  accepted_.clear();
}

void DatabaseFile::Admit(const std::string& password) {
  if (!storage_->ChangedOnDisk()) {
    if (Accepted(password)) return;
    OpenStorage(path_, password);  // checks the format and the password; nothing is read
    Accept(password);
    return;
  }
  // Changed on disk since it was read: opened and read as a new file, and only then does
  // the new storage take the place of the old one (whose password may no longer fit).
  std::unique_ptr<Storage> storage = OpenStorage(path_, password);
  auto catalog = std::make_shared<const Catalog>(storage->Load());
  storage_ = std::move(storage);
  committed_ = std::move(catalog);
  accepted_.clear();
  Accept(password);
}

bool DatabaseFile::Accepted(const std::string& password) const {
  if (accepted_.empty()) return false;
  const PasswordDigest digest = PasswordDigestOf(password);
  for (const PasswordDigest& known : accepted_) {
    if (known == digest) return true;
  }
  return false;
}

void DatabaseFile::Accept(const std::string& password) {
  if (Accepted(password)) return;
  if (accepted_.size() >= kAcceptedPasswords) accepted_.erase(accepted_.begin());
  accepted_.push_back(PasswordDigestOf(password));
}

std::shared_ptr<const Catalog> DatabaseFile::Snapshot() {
  if (storage_->ChangedOnDisk()) Load();
  return committed_;
}

void DatabaseFile::Apply(const Mutation& mutation) { ApplyAll({mutation}); }

void DatabaseFile::ApplyAll(const std::vector<Mutation>& mutations) {
  // Writers in other processes wait while this one checks and writes.
  WriteLock lock(path_);
  // A change made on disk by another program is read first, under the lock, so that these
  // mutations are checked against it and it is kept.
  Snapshot();
  auto after = std::make_shared<Catalog>(*committed_);
  ChangeList changes;
  for (const Mutation& mutation : mutations) mutation(*after, changes);
  storage_->Commit(*committed_, *after, changes);
  storage_->AsCommitted(changes, *after);
  committed_ = std::move(after);
}

Transaction::Transaction(std::shared_ptr<DatabaseFile> file)
    : file_(std::move(file)), base_(file_->Snapshot()) {}

std::shared_ptr<const Catalog> Transaction::Snapshot() {
  std::shared_ptr<const Catalog> committed = file_->Snapshot();
  if (mutations_.empty()) {
    base_ = committed;
    return committed;
  }
  if (committed != base_) {
    // Others committed meanwhile: this transaction's view is their work plus its own.
    auto replayed = std::make_shared<Catalog>(*committed);
    ChangeList ignored;
    try {
      for (const Mutation& mutation : mutations_) mutation(*replayed, ignored);
      working_ = std::move(replayed);
      base_ = committed;
    } catch (const JetError&) {
      // Its work no longer fits; it keeps its earlier view and its commit will fail.
    }
  }
  return working_;
}

void Transaction::Apply(const Mutation& mutation) {
  std::shared_ptr<const Catalog> current = Snapshot();
  ChangeList ignored;
  // The transaction's own catalog, which no one else holds, is changed in place: a copy
  // would cost every statement the rows it touches. Should the mutation fail half way, the
  // catalog is made again from the committed one and the mutations before it.
  if (!mutations_.empty() && current == working_ && working_.use_count() == 2) {
    current.reset();
    try {
      mutation(*working_, ignored);
    } catch (...) {
      auto replayed = std::make_shared<Catalog>(*base_);
      for (const Mutation& before : mutations_) before(*replayed, ignored);
      working_ = std::move(replayed);
      throw;
    }
    mutations_.push_back(mutation);
    return;
  }
  auto next = std::make_shared<Catalog>(*current);
  mutation(*next, ignored);
  working_ = std::move(next);
  mutations_.push_back(mutation);
}

void Transaction::Commit() {
  std::vector<Mutation> mutations = std::move(mutations_);
  mutations_.clear();
  working_.reset();
  if (mutations.empty()) return;
  file_->ApplyAll(mutations);
}

void Transaction::Rollback() {
  mutations_.clear();
  working_.reset();
}

}  // namespace dbaccess
