#include "dbaccess/mdb/mdb_storage.h"

#include <sys/stat.h>

#include <cerrno>

#include "dbaccess/jet_error.h"
#include "dbaccess/mdb/catalog_mapping.h"
#include "dbaccess/mdb/database_reader.h"
#include "dbaccess/mdb/header.h"
#include "dbaccess/mdb/page_file.h"

namespace dbaccess::mdb {
namespace {

// Opens the file and checks its header and password; throws the JetError a user sees.
std::unique_ptr<PageFile> OpenChecked(const std::string& path, const std::string& password) {
  std::unique_ptr<ByteSource> source = OpenFileSource(path);
  if (source == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) throw jet_errors::CouldNotFindFile(path);
    if (errno == EISDIR) throw jet_errors::UnrecognizedFormat(path);
    throw jet_errors::FileInUse(path);
  }
  std::unique_ptr<PageFile> file;
  try {
    file = std::make_unique<PageFile>(std::move(source));
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path);
  }
  if (!PasswordMatches(file->raw_header_page(), password)) throw jet_errors::NotAValidPassword();
  return file;
}

}  // namespace

bool LooksLikeJetDatabase(std::string_view first_bytes) {
  return IsJetSignature(
      ByteView(reinterpret_cast<const uint8_t*>(first_bytes.data()), first_bytes.size()));
}

MdbStorage::MdbStorage(std::string path, std::string password)
    : path_(std::move(path)), password_(std::move(password)) {
  OpenChecked(path_, password_);
}

Catalog MdbStorage::Load() {
  const FileStamp stamp = Stamp();
  std::unique_ptr<PageFile> file = OpenChecked(path_, password_);
  try {
    Catalog catalog = BuildCatalog(ReadDatabase(*file));
    loaded_ = stamp;
    return catalog;
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path_);
  }
}

void MdbStorage::Commit(const Catalog&, const Catalog&, const ChangeList&) {
  throw jet_errors::JetFileReadOnly(path_);
}

bool MdbStorage::ChangedOnDisk() const { return !(Stamp() == loaded_); }

MdbStorage::FileStamp MdbStorage::Stamp() const {
  FileStamp stamp;
  struct stat st;
  if (::stat(path_.c_str(), &st) != 0) return stamp;
  stamp.present = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modified_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password) {
  return std::make_unique<MdbStorage>(path, password);
}

}  // namespace dbaccess::mdb
