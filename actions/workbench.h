// The workbench: the main window without its widgets. It owns the four action lists, the
// paths, passwords and options, the message pane `Tablo`, `PreCount`, `Fon` and the list
// files' paths, computes the enabled states and captions the window shows, and carries out
// the window's commands under their handlers' names.
//
// It talks to a person only through Interaction (questions, notices, focus, busy cursor and
// the general error handler) and tells its face about every change through
// WorkbenchObserver. A command that fails outside the per-row handling of a run ends there:
// the error's text goes to Interaction::ShowError and the command returns false.
//
// The program's folder is the folder of the list files and of the log file, and by default
// also the folder that database paths without a folder of their own (bare file names) are
// found in. The workbench never changes the process's current directory.
#ifndef SKARNVEL_ACTIONS_WORKBENCH_H_
#define SKARNVEL_ACTIONS_WORKBENCH_H_

#include <functional>
#include <string>
#include <vector>

#include "actions/action_lists.h"
#include "actions/data_check.h"
#include "actions/database_access.h"
#include "actions/interaction.h"
#include "actions/local_time.h"
#include "actions/message_pane.h"
#include "actions/run_output.h"
#include "dbaccess/ado/recordset.h"

namespace actions {

// The controls that start commands, as the handlers receive them.
enum class Sender {
  none,
  bCompare,
  bICompare,
  bfkCompare,
  bQCompare,
  bCompareAll,
  bRun,
  bIRun,
  bfkRun,
  bQRun,
  bRunAll,
};

// What the window shows besides the lists: enabled states, tab captions, status text.
struct ControlStates {
  // The path rule: all five follow whether both paths are filled in.
  bool bCompare = true;
  bool bICompare = true;
  bool bfkCompare = true;
  bool bQCompare = true;
  bool bCompareAll = true;
  // UpdateListState.
  bool bRun = false;
  bool bIRun = false;
  bool bfkRun = false;
  bool bQRun = false;
  bool bRunAll = false;
  bool bSaveXML = false;
  bool bSaveT = false;
  bool gI = true;
  bool gFK = true;
  bool gQ = true;
  std::string TabT;
  std::string TabI;
  std::string TabFK;
  std::string TabQ;
  std::string status;  // StatusBar1
  // cbPre can be ticked only while a saved table list exists (set by bSaveTClick).
  bool cbPre_enabled = true;

  friend bool operator==(const ControlStates&, const ControlStates&) = default;
};

class WorkbenchObserver {
 public:
  virtual ~WorkbenchObserver() = default;
  // An enabled state, caption, status text, option, path or PreCount changed.
  virtual void StateChanged() {}
  // A line was appended to the message pane.
  virtual void MessageAppended(const PaneLine& /*line*/) {}
  // The data check's findings were replaced.
  virtual void DataChecked() {}
};

// Where the program lives: its folder and its file name (e.g. "skarnvel").
struct ProgramLocation {
  std::string folder;
  std::string name;
};

class Workbench : private ListObserver {
 public:
  Workbench(ProgramLocation program, Interaction& ui, DatabaseAccess& access,
            Clock clock = SystemClock());
  ~Workbench() override;
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  void AddObserver(WorkbenchObserver* observer);
  void RemoveObserver(WorkbenchObserver* observer);

  // The lists and the paths of their files.
  ActionLists& lists() { return lists_; }
  ActionList& qT() { return lists_.qT; }
  ActionList& qI() { return lists_.qI; }
  ActionList& qFK() { return lists_.qFK; }
  ActionList& qQ() { return lists_.qQ; }
  const ListFiles& files() const { return files_; }
  const std::string& FileT() const { return files_.FileT; }
  const std::string& FileI() const { return files_.FileI; }
  const std::string& FileFK() const { return files_.FileFK; }
  const std::string& FileQ() const { return files_.FileQ; }
  // The list files in another folder (the program's folder by default).
  void SetListFolder(const std::string& folder);

  // The folder that relative database paths are resolved against (the program's folder
  // unless set otherwise), and a path resolved so: absolute paths and "" stay as they are.
  void SetDatabaseFolder(const std::string& folder) { database_folder_ = folder; }
  std::string Located(const std::string& path) const;

  // Paths and passwords; setting a path applies the path rule, as editing it does.
  const std::string& Path1() const { return Path1_; }
  const std::string& Path2() const { return Path2_; }
  const std::string& Pwd1() const { return Pwd1_; }
  const std::string& Pwd2() const { return Pwd2_; }
  void SetPath1(const std::string& path);
  void SetPath2(const std::string& path);
  void SetPwd1(const std::string& password);
  void SetPwd2(const std::string& password);

  // Options.
  bool cbRenameField() const { return cbRenameField_; }
  int rgRenameField() const { return rgRenameField_; }  // 0, 1, 2; -1 for none chosen
  bool cbRefresh() const { return cbRefresh_; }
  bool cbPre() const { return cbPre_; }
  void SetRenameField(bool ticked);
  void SetRenameMode(int item);
  void SetRefresh(bool ticked);
  void SetPre(bool ticked);
  void SetPreEnabled(bool enabled);

  DataLossRule OnDataLoss() const { return on_data_loss_; }
  void SetOnDataLoss(DataLossRule rule) { on_data_loss_ = rule; }

  int PreCount() const { return PreCount_; }
  bool Fon() const { return Fon_; }
  void SetFon(bool fon);
  // Whether the program's arguments (without the program's name) ask for the unattended
  // run: the first one is "/fon", letter case aside.
  static bool FonRequested(const std::vector<std::string>& arguments);

  const ControlStates& states() const { return states_; }
  const MessagePane& Tablo() const { return Tablo_; }
  // The foreign-key rowset of the last relation check, filtered as it checked.
  const dbaccess::ado::Recordset& qRef() const { return qRef_; }
  // The findings of the last data check (bCheckDataClick, or the one run-all made).
  const DataCheck& DataFindings() const { return data_check_; }
  // The rows executed by the last run-all (or the runs since ResetTally).
  const RunTally& tally() const { return tally_; }
  void ResetTally() { tally_ = {}; }
  std::string LogFile() const;

  // Shared operations.
  void Path1Change();      // the path rule
  void UpdateListState();  // enabled states, captions, status text from the lists
  bool CheckPaths();
  void AppendMessage(const std::string& text, MessageColor color);

  // Commands. Each returns false when an error ended it in the general error handler.
  bool bCompareClick(Sender sender = Sender::bCompare);
  bool bICompareClick(Sender sender = Sender::bICompare);
  bool bfkCompareClick(Sender sender = Sender::bfkCompare);
  bool bQCompareClick(Sender sender = Sender::bQCompare);
  bool bRunClick(Sender sender);  // bRun, bIRun or bfkRun
  bool bQRunClick(Sender sender = Sender::bQRun);
  bool bCompareAllClick(Sender sender = Sender::bCompareAll);
  bool bRunAllClick(Sender sender = Sender::bRunAll);
  // The trial run: the whole cycle (compare-all, run-all without a backup copy, and a fresh
  // compare-all) on a copy of the working database in a temporary folder, with list files
  // and log of its own there; its lines go into this pane, framed by a line naming the copy
  // and one saying what a fresh comparison still finds. Questions go to this workbench's
  // Interaction, but for the run-all and backup questions (yes, no). The working database
  // and this workbench's lists and list files stay as they are; the folder is removed.
  // TrialOutcome says how it went; false when an error ended it.
  bool TrialRunClick();
  struct TrialOutcome {
    RunTally tally;
    int left = -1;  // rows a fresh comparison still finds; -1 when it did not get that far
  };
  const TrialOutcome& LastTrial() const { return last_trial_; }
  // The data check of the ticked actions against the working database: fills
  // DataFindings() and writes its findings into the message pane. Changes nothing.
  bool bCheckDataClick();
  // The list commands: the mark buttons of the four pages (SetMarks with mode 0, 1 or 2),
  // bVDef and bDel of the table page, and the save commands.
  bool SetMarks(ListId list, int mode);
  bool bVDefClick();
  bool bDelClick();
  bool bSaveTClick();
  bool bSaveXMLClick();
  // A grid's deletion of one row: asks first, deletes `row` of the list on Yes. True when
  // the row is gone.
  bool DeleteRow(ListId list, int row);
  // Loads the saved lists, as at start; false when a file could not be read.
  bool LoadListsAtStart();
  // The unattended run: compare-all when its button is enabled, then run-all when its
  // button is enabled. True when nothing ended in the general error handler, so the
  // program may close.
  bool RunUnattended();

 private:
  // The commands' bodies: they let errors pass.
  void CompareTablesBody();
  void CompareIndexesBody();
  void CompareRelationsBody();
  void CompareQueriesBody();
  void RunBody(Sender sender);
  void QueryRunBody();
  void CompareAllBody(Sender sender);
  void RunAllBody();
  // Run-all after its first question: the data check, the copy, the four runs, the stamps
  // and the log. False when the copy failed and ended it, or the data check stopped it.
  bool RunAllSteps(const std::string& path1);
  // The data check; false when nothing may run because actions would lose data (the rule
  // says stop), after saying so in the pane. Sets the table rows run-all leaves out.
  bool CheckDataBeforeRun();
  // Writes the findings into the pane; with `quiet_when_safe` only when some action is at
  // risk.
  void CheckDataBody(bool quiet_when_safe);
  void TrialRunBody();
  bool Guarded(const std::function<void()>& body);

  void ListChanged(const ActionList& list, const ListEvent& event) override;
  void StateChanged();

  ProgramLocation program_;
  std::string database_folder_;
  Interaction& ui_;
  DatabaseAccess& access_;
  Clock clock_;
  ActionLists lists_;
  ListFiles files_;
  std::string Path1_, Path2_, Pwd1_, Pwd2_;
  bool cbRenameField_ = false;
  int rgRenameField_ = 0;
  bool cbRefresh_ = true;
  bool cbPre_ = false;
  int PreCount_ = 0;
  bool Fon_ = false;
  ControlStates states_;
  MessagePane Tablo_;
  dbaccess::ado::Recordset qRef_;
  RunTally tally_;
  DataLossRule on_data_loss_ = DataLossRule::kAsk;
  DataCheck data_check_;
  TrialOutcome last_trial_;
  // The rows of the table list that run-all leaves out because they would lose data.
  std::vector<int> skipped_rows_;
  std::vector<WorkbenchObserver*> observers_;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_WORKBENCH_H_
