#include "actions/action_list.h"

#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace actions {
namespace {

using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = ListEvent::Kind;

std::vector<Column> SmallColumns() {
  return {Column::Boolean("V"), Column::String("Name"), Column::String("Result"),
          Column::Memo("SQL")};
}

// A list with rows (V, Name): (true, a), (false, b), (empty, c).
void Fill(ActionList& list) {
  list.AppendRow({{"V", Variant::Boolean(true)}, {"Name", Variant::Text("a")}});
  list.AppendRow({{"V", Variant::Boolean(false)}, {"Name", Variant::Text("b")}});
  list.AppendRow({{"Name", Variant::Text("c")}});
}

std::vector<std::string> Names(const ActionList& list) {
  std::vector<std::string> names;
  for (int r = 0; r < list.RowCount(); ++r) names.push_back(list.Cell(r, 1).DisplayText());
  return names;
}

// Records every event as "+kind row count" (about to change) and "kind row count" (changed).
class Recorder : public ListObserver {
 public:
  void ListAboutToChange(const ActionList&, const ListEvent& e) override {
    log.push_back("+" + Describe(e));
  }
  void ListChanged(const ActionList&, const ListEvent& e) override { log.push_back(Describe(e)); }
  std::vector<std::string> Take() { return std::exchange(log, {}); }
  std::vector<std::string> log;

 private:
  static std::string Describe(const ListEvent& e) {
    static const char* const kNames[] = {"reset",   "inserted", "removed", "changed",
                                         "current", "opened",   "closed"};
    std::string s = kNames[static_cast<int>(e.kind)];
    if (e.row >= 0) s += " " + std::to_string(e.row);
    if (e.count > 0) s += " " + std::to_string(e.count);
    return s;
  }
};

TEST(ActionListTest, WalksRowsInAppendOrderWithDuplicates) {
  ActionList list(SmallColumns());
  EXPECT_TRUE(list.IsOpen());
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.RowNumber(), 0);
  list.First();
  EXPECT_TRUE(list.AtEnd());  // an empty list is past its end at once

  Fill(list);
  list.AppendRow({{"Name", Variant::Text("a")}});  // a duplicate is just another row
  EXPECT_THAT(Names(list), ElementsAre("a", "b", "c", "a"));
  EXPECT_EQ(list.RowNumber(), 4);  // an appended row becomes current

  std::vector<std::string> walked;
  for (list.First(); !list.AtEnd(); list.Next()) walked.push_back(list.Text("Name"));
  EXPECT_THAT(walked, ElementsAre("a", "b", "c", "a"));
  EXPECT_EQ(list.RowNumber(), 4);  // past the end, the last row stays current
  list.Next();
  EXPECT_TRUE(list.AtEnd());
  list.GoTo(1);
  EXPECT_FALSE(list.AtEnd());
  EXPECT_EQ(list.Text("Name"), "b");
  EXPECT_THROW(list.GoTo(4), ListError);
}

TEST(ActionListTest, EditBufferIsPostedCancelledOrStoredByMoving) {
  ActionList list(SmallColumns());
  Fill(list);
  list.First();
  EXPECT_THROW(list.SetText("Name", "x"), ListError);  // not in edit

  list.Edit();
  list.SetText("Name", "x");
  EXPECT_EQ(list.Text("Name"), "x");         // the buffer
  EXPECT_EQ(list.Cell(0, 1).AsText(), "a");  // the stored row
  list.Cancel();
  EXPECT_EQ(list.Text("Name"), "a");

  list.Edit();
  list.SetText("Name", "y");
  list.Next();  // moving stores the change
  EXPECT_EQ(list.state(), ActionList::State::kBrowse);
  EXPECT_EQ(list.Cell(0, 1).AsText(), "y");

  list.Edit();
  list.SetText("Name", "z");
  list.MergePendingEdits();
  EXPECT_EQ(list.Cell(1, 1).AsText(), "z");

  list.Append();  // an untouched new row is dropped when the cursor moves
  list.First();
  EXPECT_EQ(list.RowCount(), 3);
  list.Append();
  list.SetBoolean("V", true);
  list.GoTo(0);  // a touched one is stored at the end
  EXPECT_EQ(list.RowCount(), 4);
  EXPECT_TRUE(list.Cell(3, 0).AsBoolean());
  list.Append();
  list.Post();  // an explicit Post stores even an untouched row
  EXPECT_EQ(list.RowCount(), 5);
}

TEST(ActionListTest, DeleteMakesTheFollowingRowCurrent) {
  ActionList list(SmallColumns());
  Fill(list);
  list.GoTo(1);
  list.Delete();
  EXPECT_THAT(Names(list), ElementsAre("a", "c"));
  EXPECT_EQ(list.Text("Name"), "c");
  EXPECT_FALSE(list.AtEnd());
  list.Delete();  // the last row: the new last row is current, past the end
  EXPECT_THAT(Names(list), ElementsAre("a"));
  EXPECT_EQ(list.Text("Name"), "a");
  EXPECT_TRUE(list.AtEnd());
  list.Edit();
  list.SetText("Name", "changed");
  list.Delete();  // drops the edit with the row
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_THROW(list.Delete(), ListError);
  EXPECT_THROW(list.Value("Name"), ListError);  // no current row

  Fill(list);
  list.Append();
  list.SetText("Name", "new");
  list.Delete();  // a row being appended is only dropped
  EXPECT_EQ(list.RowCount(), 3);
  list.Empty();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.ColumnCount(), 4);
}

TEST(ActionListTest, ValuesFitTheirColumnKinds) {
  ActionList list(SmallColumns());
  list.Append();
  // Booleans take true/false, their texts in any case, or "" for no value.
  list.SetText("V", "tRUE");
  EXPECT_TRUE(list.Value("V").AsBoolean());
  list.SetText("V", "");
  EXPECT_TRUE(list.Value("V").IsEmpty());
  EXPECT_FALSE(list.Boolean("V"));  // empty counts as false
  try {
    list.SetText("V", "yes");
    FAIL();
  } catch (const ListError& e) {
    EXPECT_THAT(e.what(), HasSubstr("\"V\""));
  }
  // Texts take booleans as True/False; an empty text is no value.
  list.SetBoolean("Name", true);
  EXPECT_EQ(list.Value("Name").AsText(), "True");
  EXPECT_TRUE(list.Boolean("Name"));
  list.SetText("Name", "");
  EXPECT_TRUE(list.Value("Name").IsEmpty());
  EXPECT_EQ(list.Text("Name"), "");
  list.SetText("Name", "maybe");
  EXPECT_THROW(list.Boolean("Name"), ListError);
  list.SetValue("Name", Variant::Null());
  EXPECT_TRUE(list.Value("Name").IsEmpty());
  list.SetValue("Name", Variant::Integer(42));
  EXPECT_EQ(list.Text("Name"), "42");
  EXPECT_THROW(list.SetValue("V", Variant::Integer(1)), ListError);
}

TEST(ActionListTest, StringsAreCutToTheirWidthInCharacters) {
  ActionList list({Column::String("TableName"), Column::String("Short", 3), Column::Memo("SQL")});
  std::string sixty;
  for (int i = 0; i < 6; ++i) sixty += "Таблица_" + std::to_string(i) + ".";  // 6 x 10 characters
  ASSERT_EQ(sixty.size(), 6 * 17u);
  list.Append();
  list.SetText("TableName", sixty);
  list.SetText("Short", "a😀bc");  // an emoji beyond the BMP is one character
  list.SetText("SQL", sixty + sixty);
  list.Post();
  EXPECT_EQ(list.Text("TableName"), sixty.substr(0, 5 * 17));  // first 50 characters
  EXPECT_EQ(list.Text("Short"), "a😀b");
  EXPECT_EQ(list.Text("SQL"), sixty + sixty);  // memos keep everything

  // Rows given to Open are fitted the same way.
  list.Open({Column::String("Short", 2)}, {{Variant::Text("абв")}});
  EXPECT_EQ(list.Text("Short"), "аб");
  EXPECT_EQ(CutToCharacters("ab\xFF"
                            "cd",
                            3),
            "ab\xFF");  // an invalid byte is one character
}

TEST(ActionListTest, LocateFindsTheFirstExactMatchOfSeveralColumns) {
  ActionList list(SmallColumns());
  list.AppendRow({{"Name", Variant::Text("t")}, {"Result", Variant::Text("Поле")}});
  list.AppendRow({{"Name", Variant::Text("T")}, {"Result", Variant::Text("Поле")}});
  list.AppendRow({{"Name", Variant::Text("T")}, {"Result", Variant::Text("Поле")}});
  list.AppendRow({{"V", Variant::Boolean(true)}, {"Name", Variant::Text("u")}});
  list.GoTo(0);

  EXPECT_TRUE(list.Locate("Name;Result", {"T", "Поле"}));
  EXPECT_EQ(list.CurrentRow(), 1);  // letter case counts, the first match wins
  EXPECT_FALSE(list.Locate("Name;Result", {"T", "поле"}));
  EXPECT_EQ(list.CurrentRow(), 1);                    // no match: the cursor stays
  EXPECT_EQ(list.Find("Result;V", {"", "True"}), 3);  // no value matches "", booleans as text
  EXPECT_EQ(list.Find("SQL", {""}), 0);
  try {
    list.Locate("Name;TableName", {"t", "x"});
    FAIL();
  } catch (const ListError& e) {
    EXPECT_THAT(e.what(), HasSubstr("\"TableName\""));
  }
  EXPECT_THROW(list.Find("Name;Result", {"t"}), ListError);
}

TEST(ActionListTest, AClosedListRefusesEverythingUntilOpenedAgain) {
  ActionList list(SmallColumns());
  Fill(list);
  list.Close();
  EXPECT_FALSE(list.IsOpen());
  EXPECT_THROW(list.RowCount(), ListError);
  EXPECT_THROW(list.First(), ListError);
  EXPECT_THROW(list.Empty(), ListError);
  EXPECT_THROW(list.Append(), ListError);
  EXPECT_THROW(list.MergePendingEdits(), ListError);
  EXPECT_THROW(list.Text("Name"), ListError);
  EXPECT_THROW(list.columns(), ListError);
  list.Close();  // closing twice is harmless

  list.Open({Column::Boolean("V"), Column::Memo("Other")}, {{Variant(), Variant::Text("x")}});
  EXPECT_EQ(list.RowCount(), 1);
  EXPECT_EQ(list.CurrentRow(), 0);
  EXPECT_EQ(list.Text("Other"), "x");
  EXPECT_THROW(list.Text("Name"), ListError);

  // Open checks everything before changing anything.
  EXPECT_THROW(list.Open({Column::Boolean("V")}, {{Variant::Text("no")}}), ListError);
  EXPECT_THROW(list.Open({Column::Boolean("V"), Column::Memo("V")}), ListError);
  EXPECT_THROW(list.Open({Column::String("S", 0)}), ListError);
  EXPECT_THROW(list.Open({Column::Boolean("V")}, {{Variant(), Variant()}}), ListError);
  EXPECT_EQ(list.Text("Other"), "x");
}

TEST(ActionListTest, ObserversHearEveryChangeInTwoSteps) {
  ActionList list(SmallColumns());
  Recorder first;
  Recorder second;
  list.AddObserver(&first);
  list.AddObserver(&second);

  list.AppendRow({{"Name", Variant::Text("a")}});
  EXPECT_THAT(first.Take(),
              ElementsAre("+inserted 0 1", "inserted 0 1", "+current 0", "current 0"));
  list.AppendRow({{"Name", Variant::Text("b")}});
  first.Take();
  list.First();
  EXPECT_THAT(first.Take(), ElementsAre("+current 0", "current 0"));
  list.First();  // no move, no event
  list.Edit();
  list.SetText("Name", "x");  // the buffer is not the list's data yet
  EXPECT_TRUE(first.log.empty());
  list.Post();
  EXPECT_THAT(first.Take(), ElementsAre("+changed 0", "changed 0"));
  list.Delete();
  EXPECT_THAT(first.Take(), ElementsAre("+removed 0", "removed 0", "+current 0", "current 0"));
  list.Next();  // past the end of a one-row list: no move
  EXPECT_TRUE(first.log.empty());
  list.Empty();
  EXPECT_THAT(first.Take(), ElementsAre("+reset", "reset"));
  list.Close();
  list.Open(SmallColumns());
  EXPECT_THAT(first.Take(), ElementsAre("+closed", "closed", "+opened", "opened"));
  EXPECT_EQ(second.log.size(), 22u);  // the second observer heard all of it too

  list.RemoveObserver(&second);
  list.AppendRow({});
  EXPECT_EQ(second.log.size(), 22u);
}

TEST(ActionListTest, SuspendedUpdatesArriveAsOneResetOnResume) {
  ActionList list(SmallColumns());
  Recorder recorder;
  list.AddObserver(&recorder);
  {
    ScopedSuspend outer(list);
    EXPECT_THAT(recorder.Take(), ElementsAre("+reset"));  // announced before any change
    list.Empty();
    Fill(list);
    {
      ScopedSuspend inner(list);
      list.First();
      list.Delete();
    }
    EXPECT_TRUE(recorder.log.empty());  // nothing while suspended, also after the inner resume
    list.Close();
    list.Open(SmallColumns(), {{Variant(), Variant::Text("x"), Variant(), Variant()}});
  }
  EXPECT_THAT(recorder.Take(), ElementsAre("reset"));
  EXPECT_FALSE(list.UpdatesSuspended());
  list.ResumeUpdates();  // an unmatched resume does nothing
  EXPECT_TRUE(recorder.log.empty());
}

}  // namespace
}  // namespace actions
