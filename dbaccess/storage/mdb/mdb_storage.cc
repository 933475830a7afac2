#include "dbaccess/storage/mdb/mdb_storage.h"

#include <filesystem>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/ole_date.h"
#include "dbaccess/catalog/catalog_names.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/access_lock_file.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/change_writer.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/query_rows.h"
#include "dbaccess/storage/mdb/query_text.h"
#include "dbaccess/storage/write_lock.h"

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

// A journal beside the file is a change that did not finish: its pages are put back before
// anything is read, so that a reader never sees half a change. Only Jet 4 files are written.
// Returns true when the file changed.
bool RollBackUnfinishedChange(const std::string& path) {
  return RecoverJournal(path, kJet4Layout.page_size);
}

}  // namespace

MdbStorage::MdbStorage(std::string path, std::string password, std::string head)
    : path_(std::move(path)), password_(std::move(password)) {
  if (RollBackUnfinishedChange(path_) || head.empty()) head = ReadFileHead(path_, kHeadBytes);
  version_ = OpenChecked(path_, std::move(head), password_)->header().version;
}

Catalog MdbStorage::Load() {
  RollBackUnfinishedChange(path_);
  std::string content = ReadWholeFile(path_);
  // Hashing every file on every read would cost more than reading it; only a file whose
  // times cannot be trusted yet needs its content remembered.
  FileStamp stamp = FileStamp::Of(path_, content, FileStamp::ContentCheck::kTimesOnce);
  std::unique_ptr<PageFile> file = OpenChecked(path_, std::move(content), password_);
  version_ = file->header().version;
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

void MdbStorage::Commit(const Catalog& before, const Catalog& after, const ChangeList& changes) {
  if (version_ == JetVersion::kJet3) throw jet_errors::Jet3FileReadOnly(path_);
  if (!MayWrite(path_)) throw jet_errors::ReadOnlyDatabase();
  RefuseWhileOpenInAccess(path_);
  // Checked and written under the lock, so that no other writer comes between.
  WriteLock lock(path_);
  RollBackUnfinishedChange(path_);
  if (ChangedOnDisk()) throw jet_errors::ChangedByAnotherProgram(path_);
  const std::unique_ptr<PageFile> file = OpenChecked(path_, ReadWholeFile(path_), password_);
  {
    std::unique_ptr<PageWriter> pages;
    try {
      pages = std::make_unique<PageWriter>(*file, path_);
    } catch (const FormatError&) {
      throw jet_errors::UnrecognizedFormat(path_);
    }
    WriteChanges(*pages, before, after, changes, OleDateNow());
    pages->Commit();
  }
  stamp_ = FileStamp::Of(path_, ReadWholeFile(path_), FileStamp::ContentCheck::kTimesOnce);
}

void MdbStorage::AsCommitted(const ChangeList& changes, Catalog& after) const {
  for (const Change& change : changes) {
    const auto* made = std::get_if<change::CreateQuery>(&change);
    Query* query = made != nullptr ? after.FindQuery(made->name) : nullptr;
    if (query == nullptr) continue;
    const QueryDefinitionRows rows = QueryRowsFromSql(query->sql);
    query->sql = RebuildQuerySql(rows.object_flags, rows.rows);
  }
}

bool MdbStorage::ChangedOnDisk() const { return !stamp_ || stamp_->Changed(path_); }

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password,
                                        std::string head) {
  return std::make_unique<MdbStorage>(path, password, std::move(head));
}

}  // namespace dbaccess::mdb
