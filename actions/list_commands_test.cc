#include "actions/list_commands.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "actions/file_io.h"
#include "actions/list_file.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace actions {
namespace {

namespace fs = std::filesystem;
using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr char kNewField[] = "Новое поле";
constexpr char kSaveCaption[] = "Подтверждение сохранения результатов сравнения";
constexpr char kSaveQuestion[] = "Сохранить результаты сравнения?";

// Answers every question with `answer` and keeps what was asked.
class ScriptedInteraction : public Interaction {
 public:
  explicit ScriptedInteraction(Answer answer) : answer_(answer) {}
  Answer Ask(Question question, const std::string& caption, const std::string& text) override {
    asked.push_back(caption + "|" + text + (OffersCancel(question) ? "|cancel" : ""));
    kinds.push_back(question);
    return answer_;
  }
  void Notify(Notice, const std::string& text) override { asked.push_back("notify|" + text); }
  void ShowError(const std::string& text) override { asked.push_back("error|" + text); }
  void SetBusy(bool) override {}
  void Focus(FocusTarget) override {}
  std::vector<std::string> asked;
  std::vector<Question> kinds;

 private:
  Answer answer_;
};

using dbaccess::testing::TempFolder;

// Ticks of the rows: "T", "F" or "-" for no value.
std::string Ticks(const ActionList& list) {
  std::string ticks;
  const int v = list.ColumnIndex("V");
  for (int r = 0; r < list.RowCount(); ++r) {
    const Variant& value = list.Cell(r, v);
    ticks += value.IsEmpty() ? '-' : (value.AsBoolean() ? 'T' : 'F');
  }
  return ticks;
}

void AddRows(ActionList& list, const std::string& ticks) {
  for (char t : ticks) {
    list.AppendRow({{"V", t == '-' ? Variant() : Variant::Boolean(t == 'T')},
                    {"Result", Variant::Text(std::string(1, t))}});
  }
}

TEST(SetMarksTest, MarksUnmarksAndInvertsEveryRow) {
  ActionList list(ColumnsOf(ListId::qFK));
  AddRows(list, "TF-T");
  SetMarks(list, kInvertMarks);
  EXPECT_EQ(Ticks(list), "FTTF");  // an empty V counts as false
  EXPECT_TRUE(list.AtEnd());
  EXPECT_EQ(list.RowNumber(), 4);
  SetMarks(list, kMarkAll);
  EXPECT_EQ(Ticks(list), "TTTT");
  SetMarks(list, kUnmarkAll);
  EXPECT_EQ(Ticks(list), "FFFF");

  ActionList empty(ColumnsOf(ListId::qQ));
  for (int mode : {kUnmarkAll, kMarkAll, kInvertMarks}) SetMarks(empty, mode);
  EXPECT_EQ(empty.RowCount(), 0);
  EXPECT_THROW(SetMarks(list, 3), std::invalid_argument);

  ActionList other({Column::String("Name")});
  EXPECT_THAT([&] { SetMarks(other, kMarkAll); },
              ::testing::ThrowsMessage<ListError>(HasSubstr("\"V\"")));
  ActionList closed(ColumnsOf(ListId::qI));
  closed.Close();
  EXPECT_THROW(SetMarks(closed, kMarkAll), ListError);
}

TEST(NewFieldsTest, TicksExactlyTheNewFieldRows) {
  ActionList qT(ColumnsOf(ListId::qT));
  const std::string with_blank = std::string(kNewField) + " ";
  for (const std::string& result :
       {std::string(kNewField), with_blank, std::string("x"), std::string(kNewField)}) {
    qT.AppendRow({{"V", Variant::Boolean(true)}, {"Result", Variant::Text(result)}});
  }
  qT.AppendRow({{"Result", Variant::Text(kNewField)}});
  bVDefClick(qT);
  EXPECT_EQ(Ticks(qT), "TFFTT");

  ActionList empty(ColumnsOf(ListId::qT));
  bVDefClick(empty);
  EXPECT_EQ(empty.RowCount(), 0);
}

TEST(DeleteUntickedTest, KeepsOnlyTickedRows) {
  ActionList qT(ColumnsOf(ListId::qT));
  AddRows(qT, "F-TFTT-F");
  bDelClick(qT);
  EXPECT_EQ(Ticks(qT), "TTT");

  ActionList none(ColumnsOf(ListId::qT));
  AddRows(none, "F-F");
  bDelClick(none);
  EXPECT_EQ(none.RowCount(), 0);

  ActionList all(ColumnsOf(ListId::qT));
  AddRows(all, "TT");
  bDelClick(all);
  EXPECT_EQ(Ticks(all), "TT");

  ActionList empty(ColumnsOf(ListId::qT));
  bDelClick(empty);
  EXPECT_EQ(empty.RowCount(), 0);
}

TEST(SaveTablesTest, AsksThenSavesAndTellsWhetherThePreloadCanBeOffered) {
  TempFolder dir;
  const ListFiles files = ListFiles::InFolder(dir.path());
  ActionList qT(ColumnsOf(ListId::qT));
  AddRows(qT, "TF");
  bool cbPre_enabled = true;

  ScriptedInteraction no(Answer::kNo);
  bSaveTClick(qT, files.FileT, no, cbPre_enabled);
  EXPECT_THAT(no.asked, ElementsAre(std::string(kSaveCaption) + "|" + kSaveQuestion));
  EXPECT_THAT(no.kinds, ElementsAre(Question::kSaveLists));
  EXPECT_FALSE(FileExists(files.FileT));
  EXPECT_FALSE(cbPre_enabled);  // re-evaluated also on No

  ScriptedInteraction yes(Answer::kYes);
  qT.First();
  qT.Edit();
  qT.SetBoolean("V", false);  // a pending edit goes into the file
  bSaveTClick(qT, files.FileT, yes, cbPre_enabled);
  EXPECT_TRUE(cbPre_enabled);
  EXPECT_EQ(ReadFile(files.FileT), EncodeListFile(qT));
  EXPECT_EQ(Ticks(qT), "FF");

  bSaveTClick(qT, files.FileT, no, cbPre_enabled);
  EXPECT_TRUE(cbPre_enabled);  // the file is there

  // A failed write reaches the caller, and the check box still follows the file.
  const std::string unwritable = dir.path() + "/missing/updTable.xml";
  cbPre_enabled = true;
  EXPECT_THROW(bSaveTClick(qT, unwritable, yes, cbPre_enabled), ListError);
  EXPECT_FALSE(cbPre_enabled);
}

TEST(SaveAllTest, SavesTheFourListsInOrderAndStopsAtTheFirstFailure) {
  TempFolder dir;
  ListFiles files = ListFiles::InFolder(dir.path());
  ActionLists lists;
  AddRows(lists.qT, "T");
  AddRows(lists.qFK, "FT");
  AddRows(lists.qQ, "-");
  lists.qQ.First();
  lists.qQ.Edit();
  lists.qQ.SetBoolean("V", true);

  ScriptedInteraction no(Answer::kNo);
  bSaveXMLClick(lists, files, no);
  EXPECT_THAT(no.asked, ElementsAre(std::string(kSaveCaption) + "|" + kSaveQuestion));
  for (ListId id : kAllLists) EXPECT_FALSE(FileExists(files[id]));

  ScriptedInteraction yes(Answer::kYes);
  bSaveXMLClick(lists, files, yes);
  EXPECT_EQ(Ticks(lists.qQ), "T");  // merged before writing
  for (ListId id : kAllLists) EXPECT_EQ(ReadFile(files[id]), EncodeListFile(lists[id]));
  // The empty index list: a file without rows that loads back with the same columns.
  ActionList loaded(ColumnsOf(ListId::qT));
  LoadList(loaded, files.FileI);
  EXPECT_EQ(loaded.columns(), ColumnsOf(ListId::qI));
  EXPECT_EQ(loaded.RowCount(), 0);

  // The index file cannot be written: the table file is written, the later ones are not.
  for (ListId id : kAllLists) fs::remove(files[id]);
  files.FileI = dir.path() + "/missing/updIndex.xml";
  EXPECT_THAT([&] { bSaveXMLClick(lists, files, yes); },
              ::testing::ThrowsMessage<ListError>(HasSubstr(files.FileI)));
  EXPECT_TRUE(FileExists(files.FileT));
  EXPECT_FALSE(FileExists(files.FileFK));
  EXPECT_FALSE(FileExists(files.FileQ));

  // A closed list stops the command before anything is written.
  fs::remove(files.FileT);
  files.FileI = dir.path() + "/updIndex.xml";
  lists.qFK.Close();
  EXPECT_THAT([&] { bSaveXMLClick(lists, files, yes); },
              ::testing::ThrowsMessage<ListError>(HasSubstr("закрыт")));
  for (ListId id : kAllLists) EXPECT_FALSE(FileExists(files[id]));
}

TEST(LoadAtStartTest, LoadsWhatIsThereAndStopsAtABrokenFile) {
  TempFolder dir;
  const ListFiles files = ListFiles::InFolder(dir.path() + "/");
  EXPECT_EQ(files.FileT, dir.path() + "/updTable.xml");
  EXPECT_EQ(ListFiles::InFolder(dir.path()).FileQ, files.FileQ);

  ActionLists lists;
  LoadListsAtStart(lists, files);  // no files at all: four open, empty lists
  for (ListId id : kAllLists) {
    EXPECT_TRUE(lists[id].IsOpen());
    EXPECT_EQ(lists[id].RowCount(), 0);
  }

  {
    ActionLists saved;
    AddRows(saved.qT, "TF");
    AddRows(saved.qFK, "T");
    AddRows(saved.qQ, "F");
    ScriptedInteraction yes(Answer::kYes);
    bSaveXMLClick(saved, files, yes);
    fs::remove(files.FileI);
  }
  LoadListsAtStart(lists, files);
  EXPECT_EQ(Ticks(lists.qT), "TF");
  EXPECT_EQ(lists.qI.RowCount(), 0);
  EXPECT_EQ(Ticks(lists.qFK), "T");
  EXPECT_EQ(Ticks(lists.qQ), "F");

  std::ofstream(files.FileI, std::ios::binary) << "<DATAPACKET";
  ActionLists fresh;
  EXPECT_THAT([&] { LoadListsAtStart(fresh, files); },
              ::testing::ThrowsMessage<ListError>(HasSubstr(files.FileI)));
  EXPECT_EQ(Ticks(fresh.qT), "TF");  // loaded before the broken one
  EXPECT_FALSE(fresh.qI.IsOpen());
  EXPECT_EQ(fresh.qFK.RowCount(), 0);  // not reached
  EXPECT_EQ(fresh.qQ.RowCount(), 0);
}

}  // namespace
}  // namespace actions
