#include "actions/list_commands.h"

#include <stdexcept>

#include "actions/column_sets.h"
#include "actions/file_io.h"
#include "actions/list_file.h"

namespace actions {
namespace {

constexpr std::string_view kNewFieldResult = "Новое поле";
constexpr char kSaveCaption[] = "Подтверждение сохранения результатов сравнения";
constexpr char kSaveQuestion[] = "Сохранить результаты сравнения?";

bool AskToSave(Interaction& ui) {
  return ui.Ask(kSaveCaption, kSaveQuestion, /*with_cancel=*/false) == Answer::kYes;
}

// Merges a list's pending edits; a closed list cannot be saved.
void MergeForSaving(ActionList& list, ListId id) {
  if (!list.IsOpen()) {
    throw ListError("Не удалось сохранить список действий \"" +
                    std::string(LayoutOf(id).page_caption) +
                    "\": список закрыт после неудачной загрузки");
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
    qT.SetBoolean(kTickColumn, qT.Text(kResultColumn) == kNewFieldResult);
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
