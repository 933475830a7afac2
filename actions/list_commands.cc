#include "actions/list_commands.h"

#include <stdexcept>

#include "actions/column_sets.h"
#include "actions/file_io.h"
#include "actions/list_file.h"
#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

bool AskToSave(Interaction& ui) {
  return ui.Ask(Question::kSaveLists, std::string(texts::kSaveCaption),
                std::string(texts::kSaveQuestion)) == Answer::kYes;
}

// Merges a list's pending edits; a closed list cannot be saved.
void MergeForSaving(ActionList& list, ListId id) {
  if (!list.IsOpen()) {
    throw ListError(std::string(texts::kClosedListHead) + std::string(LayoutOf(id).page_caption) +
                    std::string(texts::kClosedListTail));
  }
  list.MergePendingEdits();
}

}  // namespace

void SetMarks(ActionList& list, int mode) {
  if (mode != kUnmarkAll && mode != kMarkAll && mode != kInvertMarks) {
    throw std::invalid_argument("SetMarks: mark mode " + std::to_string(mode));
  }
  list.ColumnIndex(kTickColumn);
  list.First();
  while (!list.AtEnd()) {
    list.Edit();
    const bool tick = mode == kInvertMarks ? !list.Boolean(kTickColumn) : mode == kMarkAll;
    list.SetBoolean(kTickColumn, tick);
    list.Post();
    list.Next();
  }
}

void bVDefClick(ActionList& qT) {
  qT.ColumnIndex(kTickColumn);
  qT.ColumnIndex(kResultColumn);
  qT.First();
  while (!qT.AtEnd()) {
    qT.Edit();
    qT.SetBoolean(kTickColumn, qT.Text(kResultColumn) == uAlg::kNewField);
    qT.Post();
    qT.Next();
  }
}

void bDelClick(ActionList& qT) {
  qT.ColumnIndex(kTickColumn);
  qT.First();
  while (!qT.AtEnd()) {
    if (qT.Boolean(kTickColumn)) {
      qT.Next();
    } else {
      qT.Delete();
    }
  }
}

void bSaveTClick(ActionList& qT, const std::string& FileT, Interaction& ui, bool& cbPre_enabled) {
  try {
    if (AskToSave(ui)) {
      MergeForSaving(qT, ListId::qT);
      SaveList(qT, FileT);
    }
  } catch (...) {
    cbPre_enabled = FileExists(FileT);
    throw;
  }
  cbPre_enabled = FileExists(FileT);
}

void bSaveXMLClick(ActionLists& lists, const ListFiles& files, Interaction& ui) {
  if (!AskToSave(ui)) return;
  for (ListId id : kAllLists) MergeForSaving(lists[id], id);
  for (ListId id : kAllLists) SaveList(lists[id], files[id]);
}

void LoadListsAtStart(ActionLists& lists, const ListFiles& files) {
  for (ListId id : kAllLists) LoadListIfPresent(lists[id], files[id], ColumnsOf(id));
}

}  // namespace actions
