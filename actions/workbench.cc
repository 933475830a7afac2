#include "actions/workbench.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "actions/column_sets.h"
#include "actions/file_io.h"
#include "actions/key_builders.h"
#include "actions/list_commands.h"
#include "actions/list_file.h"
#include "actions/list_run.h"
#include "actions/query_actions.h"
#include "actions/rtf_log.h"
#include "actions/table_builder.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

// The busy cursor for a scope, switched off also when an error leaves it.
class BusyCursor {
 public:
  explicit BusyCursor(Interaction& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~BusyCursor() { ui_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  Interaction& ui_;
};

// The caption of a list's page: its name, and " - " with the row count when it has rows.
std::string PageCaption(ListId id, const ActionList& list, int& total) {
  std::string caption(LayoutOf(id).page_caption);
  if (list.IsOpen()) {
    if (list.RowCount() > 0) {
      caption += std::string(texts::kCaptionCountSeparator) + std::to_string(list.RowCount());
    }
    total += list.RowCount();
  }
  return caption;
}

bool HasRows(const ActionList& list) { return list.IsOpen() && list.RowCount() > 0; }

}  // namespace

Workbench::Workbench(ProgramLocation program, Interaction& ui, DatabaseAccess& access, Clock clock)
    : program_(std::move(program)),
      database_folder_(program_.folder),
      ui_(ui),
      access_(access),
      clock_(std::move(clock)),
      files_(ListFiles::InFolder(program_.folder)) {
  for (ListId id : kAllLists) lists_[id].AddObserver(this);
  Path1Change();
  UpdateListState();
}

Workbench::~Workbench() {
  for (ListId id : kAllLists) lists_[id].RemoveObserver(this);
}

void Workbench::AddObserver(WorkbenchObserver* observer) { observers_.push_back(observer); }

void Workbench::RemoveObserver(WorkbenchObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Workbench::StateChanged() {
  for (WorkbenchObserver* observer : observers_) observer->StateChanged();
}

void Workbench::ListChanged(const ActionList& /*list*/, const ListEvent& /*event*/) {
  UpdateListState();
}

void Workbench::SetListFolder(const std::string& folder) { files_ = ListFiles::InFolder(folder); }

void Workbench::SetPath1(const std::string& path) {
  if (path == Path1_) return;
  Path1_ = path;
  Path1Change();
}

void Workbench::SetPath2(const std::string& path) {
  if (path == Path2_) return;
  Path2_ = path;
  Path1Change();
}

void Workbench::SetPwd1(const std::string& password) {
  Pwd1_ = password;
  StateChanged();
}

void Workbench::SetPwd2(const std::string& password) {
  Pwd2_ = password;
  StateChanged();
}

void Workbench::SetRenameField(bool ticked) {
  cbRenameField_ = ticked;
  StateChanged();
}

void Workbench::SetRenameMode(int item) {
  rgRenameField_ = item;
  StateChanged();
}

void Workbench::SetRefresh(bool ticked) {
  cbRefresh_ = ticked;
  StateChanged();
}

void Workbench::SetPre(bool ticked) {
  cbPre_ = ticked;
  StateChanged();
}

void Workbench::SetPreEnabled(bool enabled) {
  states_.cbPre_enabled = enabled;
  StateChanged();
}

void Workbench::SetFon(bool fon) {
  Fon_ = fon;
  StateChanged();
}

bool Workbench::FonRequested(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return false;
  const std::string& first = arguments.front();
  if (first.size() != texts::kUnattendedSwitch.size()) return false;
  for (size_t i = 0; i < first.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(first[i]) != lower(texts::kUnattendedSwitch[i])) return false;
  }
  return true;
}

std::string Workbench::LogFile() const {
  std::string folder = program_.folder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return LogFilePath(folder + program_.name);
}

void Workbench::Path1Change() {
  const bool both = !Path1_.empty() && !Path2_.empty();
  states_.bCompare = states_.bICompare = states_.bfkCompare = states_.bQCompare =
      states_.bCompareAll = both;
  StateChanged();
}

void Workbench::UpdateListState() {
  int total = 0;
  states_.TabT = PageCaption(ListId::qT, lists_.qT, total);
  if (lists_.qT.IsOpen()) states_.bRun = states_.bSaveT = HasRows(lists_.qT);
  states_.TabI = PageCaption(ListId::qI, lists_.qI, total);
  if (lists_.qI.IsOpen()) states_.gI = states_.bIRun = HasRows(lists_.qI);
  states_.TabFK = PageCaption(ListId::qFK, lists_.qFK, total);
  if (lists_.qFK.IsOpen()) states_.gFK = states_.bfkRun = HasRows(lists_.qFK);
  states_.TabQ = PageCaption(ListId::qQ, lists_.qQ, total);
  if (lists_.qQ.IsOpen()) states_.gQ = states_.bQRun = HasRows(lists_.qQ);
  states_.bRunAll = states_.bRun || states_.bIRun || states_.bfkRun || states_.bQRun;
  states_.bSaveXML = states_.bRunAll;
  states_.status = std::string(texts::kTotalPrefix) + std::to_string(total);
  StateChanged();
}

std::string Workbench::Located(const std::string& path) const {
  if (path.empty() || database_folder_.empty() || std::filesystem::path(path).is_absolute()) {
    return path;
  }
  return (std::filesystem::path(database_folder_) / path).string();
}

bool Workbench::CheckPaths() {
  // The messages name the paths as the user gave them.
  const std::string quote = "\"";
  // A folder is told as such, not as a missing file.
  const auto is_folder = [](const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
  };
  if (!FileExists(Located(Path1_))) {
    ui_.Notify(Notice::kMissingDatabase,
               std::string(texts::kFilePrefix) + quote + Path1_ + quote +
                   std::string(is_folder(Located(Path1_)) ? texts::kFolderWorkingDb
                                                          : texts::kMissingWorkingDb));
    ui_.Focus(FocusTarget::kPath1);
    return false;
  }
  if (Path2_.empty()) return false;
  if (!FileExists(Located(Path2_))) {
    ui_.Notify(
        Notice::kMissingDatabase,
        std::string(texts::kFilePrefix) + quote + Path2_ + quote +
            std::string(is_folder(Located(Path2_)) ? texts::kFolderNewDb : texts::kMissingNewDb));
    ui_.Focus(FocusTarget::kPath2);
    return false;
  }
  return true;
}

void Workbench::AppendMessage(const std::string& text, MessageColor color) {
  Tablo_.push_back({text, color});
  for (WorkbenchObserver* observer : observers_) observer->MessageAppended(Tablo_.back());
}

bool Workbench::Guarded(const std::function<void()>& body) {
  try {
    body();
    return true;
  } catch (const std::exception& error) {
    ui_.ShowError(error.what());
    return false;
  }
}

// Comparisons.

bool Workbench::bCompareClick(Sender) {
  return Guarded([this] { CompareTablesBody(); });
}
bool Workbench::bICompareClick(Sender) {
  return Guarded([this] { CompareIndexesBody(); });
}
bool Workbench::bfkCompareClick(Sender) {
  return Guarded([this] { CompareRelationsBody(); });
}
bool Workbench::bQCompareClick(Sender) {
  return Guarded([this] { CompareQueriesBody(); });
}

void Workbench::CompareTablesBody() {
  if (!CheckPaths()) return;
  BusyCursor busy(ui_);
  ui_.Progress(std::string(texts::kProgressTables));
  uAlg::TResults results = access_.CompareTables(Located(Path1_), Located(Path2_), Pwd1_, Pwd2_);
  ReworkTableResults(results, cbRenameField_, rgRenameField_);
  ActionList& qT = lists_.qT;
  qT.Empty();
  PreCount_ = 0;
  StateChanged();
  if (cbPre_ && FileExists(files_.FileT)) {
    LoadList(qT, files_.FileT, ColumnsOf(ListId::qT));
    PreCount_ = qT.RowCount();
    StateChanged();
    {
      std::unique_ptr<RunConnection> connection = access_.OpenConnection(Located(Path1_), Pwd1_);
      dbaccess::ado::Recordset columns = connection->Columns();
      UntickDoneSavedActions(qT, columns);
    }
    MarkCoveredBySavedActions(results, qT);
  }
  AppendTableRows(qT, results);
}

void Workbench::CompareIndexesBody() {
  if (!CheckPaths()) return;
  uAlg::TIResults results;
  {
    BusyCursor busy(ui_);
    ui_.Progress(std::string(texts::kProgressIndexes));
    access_.CompareIndexes(Located(Path1_), Located(Path2_), Pwd1_, Pwd2_, results,
                           uAlg::kPrimaryKeys);
    JoinPrimaryKeys(results);
    const size_t unique_from = results.size();
    access_.CompareIndexes(Located(Path1_), Located(Path2_), Pwd1_, Pwd2_, results,
                           uAlg::kUniqueIndexes);
    JoinUniqueIndexes(results, unique_from);
  }
  FillIndexList(lists_.qI, results);
}

void Workbench::CompareRelationsBody() {
  if (!CheckPaths()) return;
  uAlg::TfkResults results;
  {
    BusyCursor busy(ui_);
    ui_.Progress(std::string(texts::kProgressRelations));
    access_.CompareRelations(Located(Path1_), Located(Path2_), Pwd1_, Pwd2_, results);
  }
  FillRelationList(lists_.qFK, results);
}

void Workbench::CompareQueriesBody() {
  if (!CheckPaths()) return;
  uAlg::TQResults results;
  {
    BusyCursor busy(ui_);
    ui_.Progress(std::string(texts::kProgressQueries));
    access_.CompareQueries(Located(Path1_), Located(Path2_), Pwd1_, Pwd2_, results);
  }
  FillQueryList(lists_.qQ, results);
}

// Runs.

bool Workbench::bRunClick(Sender sender) {
  return Guarded([this, sender] { RunBody(sender); });
}

bool Workbench::bQRunClick(Sender) {
  return Guarded([this] { QueryRunBody(); });
}

void Workbench::RunBody(Sender sender) {
  ActionList* list = nullptr;
  ListId id = ListId::qT;
  std::string_view progress;
  switch (sender) {
    case Sender::bRun:
      list = &lists_.qT;
      progress = texts::kProgressRunTables;
      break;
    case Sender::bIRun:
      list = &lists_.qI;
      id = ListId::qI;
      progress = texts::kProgressRunIndexes;
      break;
    case Sender::bfkRun:
      list = &lists_.qFK;
      id = ListId::qFK;
      progress = texts::kProgressRunRelations;
      break;
    default:
      throw std::invalid_argument("bRunClick: the sender is not a run button of a list");
  }
  ui_.Progress(std::string(progress));
  tally_.relations_dropped = false;
  // Declared first, released last: after the comparisons, also when an error leaves early.
  std::unique_ptr<RunDao> dao;
  {
    std::unique_ptr<RunConnection> connection = access_.OpenConnection(Located(Path1_), Pwd1_);
    RunTarget target{*connection, [this] { return access_.OpenDao(Located(Path1_), Pwd1_); }, dao,
                     lists_.qT, qRef_};
    if (id == ListId::qT) target.skipped = skipped_rows_;
    RunOutput out{ui_, [this](const std::string& t, MessageColor c) { AppendMessage(t, c); },
                  tally_};
    RunTickedRows(id, *list, target, out);
  }
  switch (sender) {
    case Sender::bRun:
      CompareTablesBody();
      if (cbRefresh_) {
        CompareIndexesBody();
        CompareRelationsBody();
      }
      break;
    case Sender::bIRun:
      CompareIndexesBody();
      // Relations dropped to free a key are proposed again, with the key they now rely on.
      if (tally_.relations_dropped) CompareRelationsBody();
      break;
    default:
      CompareRelationsBody();
      break;
  }
}

void Workbench::QueryRunBody() {
  ui_.Progress(std::string(texts::kProgressRunQueries));
  std::unique_ptr<RunDao> dao = access_.OpenDao(Located(Path1_), Pwd1_);
  RunOutput out{ui_, [this](const std::string& t, MessageColor c) { AppendMessage(t, c); }, tally_};
  RunQueryRows(lists_.qQ, *dao, out);
  CompareQueriesBody();
}

// The list commands.

bool Workbench::SetMarks(ListId list, int mode) {
  return Guarded([this, list, mode] { actions::SetMarks(lists_[list], mode); });
}

bool Workbench::bVDefClick() {
  return Guarded([this] { actions::bVDefClick(lists_.qT); });
}

bool Workbench::bDelClick() {
  return Guarded([this] { actions::bDelClick(lists_.qT); });
}

bool Workbench::DeleteRow(ListId list, int row) {
  bool deleted = false;
  Guarded([this, list, row, &deleted] {
    ActionList& target = lists_[list];
    target.GoTo(row);
    if (ui_.Ask(Question::kDeleteRow, std::string(texts::kConfirmCaption),
                std::string(texts::kDeleteRowQuestion)) != Answer::kYes) {
      return;
    }
    target.Delete();
    deleted = true;
  });
  return deleted;
}

bool Workbench::bSaveTClick() {
  return Guarded([this] {
    bool enabled = states_.cbPre_enabled;
    try {
      actions::bSaveTClick(lists_.qT, files_.FileT, ui_, enabled);
    } catch (...) {
      SetPreEnabled(enabled);
      throw;
    }
    SetPreEnabled(enabled);
  });
}

bool Workbench::bSaveXMLClick() {
  return Guarded([this] { actions::bSaveXMLClick(lists_, files_, ui_); });
}

bool Workbench::LoadListsAtStart() {
  return Guarded([this] { actions::LoadListsAtStart(lists_, files_); });
}

}  // namespace actions
