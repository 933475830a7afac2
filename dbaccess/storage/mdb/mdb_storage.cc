#include "dbaccess/storage/mdb/mdb_storage.h"

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/catalog_names.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {
namespace {

// The pages of `content`, the file at `path`, once its header and password are checked;
// throws the JetError a user sees.
std::unique_ptr<PageFile> OpenChecked(const std::string& path, std::string content,
                                      const std::string& password) {
  std::unique_ptr<PageFile> file;
  try {
    file = std::make_unique<PageFile>(MemorySource(std::move(content)));
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path);
  }
  if (!PasswordMatches(file->raw_header_page(), password)) throw jet_errors::NotAValidPassword();
  return file;
}

}  // namespace

MdbStorage::MdbStorage(std::string path, std::string password, std::string head)
    : path_(std::move(path)), password_(std::move(password)) {
  if (head.empty()) head = ReadFileHead(path_, kHeadBytes);
  OpenChecked(path_, std::move(head), password_);
}

Catalog MdbStorage::Load() {
  std::string content = ReadWholeFile(path_);
  // Hashing every file on every read would cost more than reading it; only a file whose
  // times cannot be trusted yet needs its content remembered.
  FileStamp stamp = FileStamp::Of(path_, content, FileStamp::ContentCheck::kTimesOnce);
  std::unique_ptr<PageFile> file = OpenChecked(path_, std::move(content), password_);
  Catalog catalog;
  try {
    catalog = BuildCatalog(ReadDatabase(*file));
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path_);
  }
  // Names go into commands in brackets: one that could end them is never let in.
  CheckCatalogNames(catalog, path_);
  stamp_ = std::move(stamp);
  return catalog;
}

void MdbStorage::Commit(const Catalog&, const Catalog&, const ChangeList&) {
  throw jet_errors::JetFileReadOnly(path_);
}

bool MdbStorage::ChangedOnDisk() const { return !stamp_ || stamp_->Changed(path_); }

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password,
                                        std::string head) {
  return std::make_unique<MdbStorage>(path, password, std::move(head));
}

}  // namespace dbaccess::mdb
