#include "dbaccess/database_file.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "dbaccess/jet_error.h"
#include "dbaccess/storage.h"
#include "dbaccess/text_storage.h"

namespace dbaccess {
namespace {

// The DatabaseFile open for each canonical path.
std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::map<std::string, std::weak_ptr<DatabaseFile>>& Registry() {
  static std::map<std::string, std::weak_ptr<DatabaseFile>> registry;
  return registry;
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

}  // namespace

std::shared_ptr<DatabaseFile> DatabaseFile::Open(const std::string& path,
                                                 const std::string& password) {
  const std::string canonical = CanonicalPath(path);
  // The format and the password are checked on every open, also when joining.
  std::unique_ptr<Storage> storage = OpenStorage(canonical, password);
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registry().find(canonical);
    if (it != Registry().end()) {
      if (std::shared_ptr<DatabaseFile> open = it->second.lock()) return open;
    }
  }
  // Loaded outside the lock: a failed load destroys the new object, whose destructor
  // takes the lock.
  std::shared_ptr<DatabaseFile> file(new DatabaseFile(canonical, std::move(storage)));
  file->committed_ = std::make_shared<const Catalog>(file->storage_->Load());
  std::lock_guard<std::mutex> lock(RegistryMutex());
  std::weak_ptr<DatabaseFile>& slot = Registry()[canonical];
  if (std::shared_ptr<DatabaseFile> open = slot.lock()) return open;
  slot = file;
  return file;
}

void DatabaseFile::CreateText(const std::string& path, const std::string& password) {
  TextStorage::Create(AbsolutePath(path), password);
}

DatabaseFile::DatabaseFile(std::string path, std::unique_ptr<Storage> storage)
    : path_(std::move(path)), storage_(std::move(storage)) {}

DatabaseFile::~DatabaseFile() {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(path_);
  if (it != Registry().end() && it->second.expired()) Registry().erase(it);
}

std::shared_ptr<const Catalog> DatabaseFile::Snapshot() {
  if (storage_->ChangedOnDisk()) committed_ = std::make_shared<const Catalog>(storage_->Load());
  return committed_;
}

void DatabaseFile::Apply(const Mutation& mutation) { ApplyAll({mutation}); }

void DatabaseFile::ApplyAll(const std::vector<Mutation>& mutations) {
  // A change made on disk by another program is read first, so that these mutations are
  // checked against it and it is kept.
  Snapshot();
  auto after = std::make_shared<Catalog>(*committed_);
  ChangeList changes;
  for (const Mutation& mutation : mutations) mutation(*after, changes);
  storage_->Commit(*committed_, *after, changes);
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
  auto next = std::make_shared<Catalog>(*current);
  ChangeList ignored;
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
