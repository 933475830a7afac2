#include "dbaccess/storage/mdb/mdb_storage.h"

#include <filesystem>
#include <functional>
#include <mutex>

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
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/text_codec.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess::mdb {
namespace {

// The pages of `source`, the file at `path`, once its header and password are checked;
// throws the JetError a user sees.
std::unique_ptr<PageFile> OpenChecked(const std::string& path, std::unique_ptr<ByteSource> source,
                                      const std::string& password) {
  std::unique_ptr<PageFile> file;
  try {
    file = std::make_unique<PageFile>(std::move(source));
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

struct MdbStorage::FileState {
  std::mutex mutex;
  std::optional<FileStamp> stamp;

  bool Changed(const std::string& path) {
    const std::lock_guard<std::mutex> lock(mutex);
    return !stamp || stamp->Changed(path);
  }
  void Set(FileStamp now) {
    const std::lock_guard<std::mutex> lock(mutex);
    stamp = std::move(now);
  }
};

namespace {

// Reads the rows of the user table whose definition starts at `page`, one at a time, from
// the file as the storage's last Load or Commit left it. The page stays the table's while
// it is changed in place; a table made anew has rows of its own in the catalog, never a
// loader.
class RowStream {
 public:
  // `changed` tells whether the file is no longer the one the storage last saw.
  RowStream(std::function<bool()> changed, std::string path, std::string password, uint32_t page)
      : changed_(std::move(changed)),
        path_(std::move(path)),
        password_(std::move(password)),
        page_(page) {}

  void operator()(const TableRows::Visitor& visit) const {
    if (changed_()) throw jet_errors::ChangedByAnotherProgram(path_);
    const std::unique_ptr<PageFile> file = OpenChecked(path_, FileSource(path_), password_);
    try {
      const TextDecoder text(file->header().version, file->header().code_page);
      const TableDefinition def = ReadTableDefinition(*file, page_, text);
      const std::vector<size_t> order = ModelColumnOrder(def);
      TableReader reader(*file, text, ReadLimits::ForFileSize(file->byte_size()));
      reader.ForEachRow(def, [&](Row&& row) { visit(ModelRow(order, std::move(row))); });
    } catch (const FormatError&) {
      throw jet_errors::UnrecognizedFormat(path_);
    }
  }

 private:
  std::function<bool()> changed_;
  std::string path_;
  std::string password_;
  uint32_t page_;
};

// The rows of the table at `page` as `state` knows the file at `path`.
TableRows StoredRows(const std::shared_ptr<MdbStorage::FileState>& state, const std::string& path,
                     const std::string& password, uint32_t page) {
  return TableRows::Streamed(
      RowStream([state, path] { return state->Changed(path); }, path, password, page));
}

}  // namespace

MdbStorage::MdbStorage(std::string path, std::string password, std::string head)
    : path_(std::move(path)),
      password_(std::move(password)),
      state_(std::make_shared<FileState>()) {
  if (RollBackUnfinishedChange(path_) || head.empty()) head = ReadFileHead(path_, kHeadBytes);
  version_ = OpenChecked(path_, MemorySource(std::move(head)), password_)->header().version;
}

MdbStorage::~MdbStorage() = default;

Catalog MdbStorage::Load() {
  RollBackUnfinishedChange(path_);
  // Stamped before it is read: a change while it is read shows at the next look.
  FileStamp stamp = FileStamp::OfFile(path_);
  std::unique_ptr<PageFile> file = OpenChecked(path_, FileSource(path_), password_);
  version_ = file->header().version;
  Catalog catalog;
  std::shared_ptr<FileState> generation;
  try {
    const StoredDatabase db = ReadDatabase(*file, {.user_table_rows = false});
    catalog = BuildCatalog(db);
    // Each reading has a state of its own, which this storage's commits carry forward: the
    // rows of a catalog read before another program's change are never read from the file
    // as that program left it, even once the storage has read that file anew.
    generation = std::make_shared<FileState>();
    generation->Set(std::move(stamp));
    for (const StoredTable& stored : db.tables) {
      Table* table = catalog.FindTable(stored.object.name);
      if (stored.linked || table == nullptr || table->kind != TableKind::kUser) continue;
      table->rows =
          StoredRows(generation, path_, password_, static_cast<uint32_t>(stored.object.id));
    }
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path_);
  }
  // Names go into commands in brackets: one that could end them is never let in.
  CheckCatalogNames(catalog, path_);
  state_ = std::move(generation);
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
  const std::unique_ptr<PageFile> file = OpenChecked(path_, FileSource(path_), password_);
  {
    std::unique_ptr<PageWriter> pages;
    try {
      pages = std::make_unique<PageWriter>(*file, path_);
    } catch (const FormatError&) {
      throw jet_errors::UnrecognizedFormat(path_);
    }
    written_.clear();
    std::vector<TableRowsWritten> written =
        WriteChanges(*pages, before, after, changes, OleDateNow());
    pages->Commit();
    written_ = std::move(written);
  }
  state_->Set(FileStamp::OfOwnWrite(path_));
}

void MdbStorage::AsCommitted(const ChangeList& changes, Catalog& after) const {
  // Rows still worked out from the rows before the change (a column converted on the way to
  // the file) are the file's now: read from it when needed.
  for (const TableRowsWritten& table : written_) {
    Table* is = after.FindTable(table.name);
    if (is != nullptr && !is->rows.loaded()) {
      is->rows = StoredRows(state_, path_, password_, table.definition_page);
    }
  }
  for (const Change& change : changes) {
    const auto* made = std::get_if<change::CreateQuery>(&change);
    Query* query = made != nullptr ? after.FindQuery(made->name) : nullptr;
    if (query == nullptr) continue;
    const QueryDefinitionRows rows = QueryRowsFromSql(query->sql);
    query->sql = RebuildQuerySql(rows.object_flags, rows.rows);
  }
}

bool MdbStorage::ChangedOnDisk() const { return state_->Changed(path_); }

std::unique_ptr<Storage> OpenMdbStorage(const std::string& path, const std::string& password,
                                        std::string head) {
  return std::make_unique<MdbStorage>(path, password, std::move(head));
}

}  // namespace dbaccess::mdb
