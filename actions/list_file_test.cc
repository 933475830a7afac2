#include "actions/list_file.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "actions/column_sets.h"
#include "actions/cp1251.h"
#include "actions/file_io.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "gmock/gmock.h"
#include "gtest/gtest.h"

namespace actions {
namespace {

namespace fs = std::filesystem;
using dbaccess::Variant;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string Golden(const std::string& name) {
  return ReadFile(std::string(SKARNVEL_SOURCE_DIR) + "/actions/testdata/" + name);
}

using dbaccess::testing::TempFolder;

// The names in a folder.
std::vector<std::string> Entries(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Variant T(const char* text) { return Variant::Text(text); }
Variant B(bool value) { return Variant::Boolean(value); }

// The rows of testdata/table_list.xml.
std::vector<Row> TableListRows() {
  return {
      {B(true), T("Заказы"), T("Сумма"), T("TYPE"), T("Long"), T("Currency"), T("Свойство"),
       T("ALTER TABLE [Заказы] ALTER COLUMN [Сумма] CURRENCY")},
      {B(false), T("a<b>c&d\"e'f\\g"), Variant(), Variant(), Variant(), Variant(),
       T("Ёлка №1 «ёж»"), T("one\ttwo\r\nthree\nfour\r")},
      {Variant(), Variant(), Variant(), Variant(), Variant(), Variant(), Variant(), T("^")},
  };
}

// The rows of testdata/query_list.xml: Greek, Chinese and an emoji need character references.
std::vector<Row> QueryListRows() {
  return {
      {B(true), T("Запрос"), T("Ελλάδα"), T("Действие"), Variant(),
       T("SELECT * FROM [中文] WHERE x='😀'")},
      {B(false), Variant(), T("Отчёт"), Variant(), T("SELECT 1\r\nFROM t"), Variant()},
  };
}

std::vector<Row> AllRows(const ActionList& list) {
  std::vector<Row> rows;
  for (int r = 0; r < list.RowCount(); ++r) rows.push_back(list.RowAt(r));
  return rows;
}

TEST(ListFileTest, WriterProducesTheHandWrittenFilesByteForByte) {
  ActionList qT(ColumnsOf(ListId::qT));
  EXPECT_EQ(EncodeListFile(qT), Golden("empty_table_list.xml"));

  qT.Open(ColumnsOf(ListId::qT), TableListRows());
  EXPECT_EQ(EncodeListFile(qT), Golden("table_list.xml"));

  ActionList qQ(ColumnsOf(ListId::qQ));
  qQ.Open(ColumnsOf(ListId::qQ), QueryListRows());
  EXPECT_EQ(EncodeListFile(qQ), Golden("query_list.xml"));
}

TEST(ListFileTest, ReaderReadsTheHandWrittenFiles) {
  ListFileContents empty = DecodeListFile(Golden("empty_table_list.xml"));
  EXPECT_EQ(empty.columns, ColumnsOf(ListId::qT));
  EXPECT_TRUE(empty.rows.empty());

  ListFileContents tables = DecodeListFile(Golden("table_list.xml"));
  EXPECT_EQ(tables.columns, ColumnsOf(ListId::qT));
  EXPECT_EQ(tables.rows, TableListRows());

  ListFileContents queries = DecodeListFile(Golden("query_list.xml"));
  EXPECT_EQ(queries.columns, ColumnsOf(ListId::qQ));
  EXPECT_EQ(queries.rows, QueryListRows());
}

TEST(ListFileTest, AFileWrittenWithNarrowerNameColumnsLoadsAndThenHoldsWholeNames) {
  TempFolder dir;
  const std::string path = dir.File("updTable.xml");
  WriteBytes(path, Golden("table_list_width50.xml"));
  ActionList qT(ColumnsOf(ListId::qT));
  LoadList(qT, path, ColumnsOf(ListId::qT));
  EXPECT_EQ(qT.columns(), ColumnsOf(ListId::qT));
  EXPECT_EQ(qT.RowAt(0), TableListRows()[0]);

  // A Jet name of 64 characters is kept whole, saved and loaded again.
  const std::string name(kNameWidth, 'N');
  qT.Edit();
  qT.SetText("TableName", name);
  qT.SetText("NewPropValue", name);
  qT.Post();
  SaveList(qT, path);
  ActionList again(ColumnsOf(ListId::qT));
  LoadList(again, path, ColumnsOf(ListId::qT));
  EXPECT_EQ(again.Text("TableName"), name);
  EXPECT_EQ(again.Text("NewPropValue"), name);

  // Without the program's columns the file's own widths hold.
  ActionList plain(ColumnsOf(ListId::qT));
  WriteBytes(path, Golden("table_list_width50.xml"));
  LoadList(plain, path);
  EXPECT_EQ(plain.columns()[1], Column::String("TableName", kStringWidth));
}

TEST(ListFileTest, HostileTextsComeBackUnchanged) {
  const std::vector<std::string> texts = {
      "\t\n\r\"&'<>\\",
      "CR LF\r\nLF\nCR\r",
      "  leading and trailing blanks  ",
      "&#65; &amp; &lt; ]]> <!-- --> <?pi?>",
      "Ελληνικά 中文字 😀🚀 ́ combining",
      "Ёё №«» € — …",
      std::string("controls \x01\x1f\x7f and \xC2\x98 and \xC2\xA0"),
      "\xEF\xBF\xBF non-character",
  };
  TempFolder dir;
  ActionList list(ColumnsOf(ListId::qQ));
  for (const std::string& text : texts) {
    list.AppendRow(
        {{"Result", T("")}, {"Name", Variant::Text(text)}, {"NewSQL", Variant::Text(text + text)}});
  }
  const std::string path = dir.File("updQuery.xml");
  SaveList(list, path);
  const std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.find('\n'), std::string::npos);  // line breaks only as references
  EXPECT_EQ(bytes.find('\r'), std::string::npos);

  ActionList loaded(ColumnsOf(ListId::qT));  // the file's columns replace these
  LoadList(loaded, path);
  EXPECT_EQ(loaded.columns(), ColumnsOf(ListId::qQ));
  ASSERT_EQ(loaded.RowCount(), static_cast<int>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i) {
    loaded.GoTo(static_cast<int>(i));
    EXPECT_EQ(loaded.Text("Name"), texts[i]);
    EXPECT_EQ(loaded.Text("NewSQL"), texts[i] + texts[i]);
    EXPECT_TRUE(loaded.Value("Result").IsEmpty());
  }
  EXPECT_EQ(EncodeListFile(loaded), bytes);  // and written again, the same bytes
}

TEST(ListFileTest, AFileOfAnotherColumnSetGivesTheListThatColumnSet) {
  const std::string file =
      "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n"
      "<DATAPACKET Version=\"2.0\">\r\n"
      "  <METADATA>\r\n"
      "    <FIELDS>\r\n"
      "      <FIELD attrname=\"V\" fieldtype=\"boolean\" required=\"true\"/>\r\n"
      "      <FIELD attrname=\"\xCA\xEE\xE4\" fieldtype=\"string\" WIDTH=\"4\"/>\r\n"  // Код
      "      <FIELD attrname=\"Note\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>\r\n"
      "    </FIELDS>\r\n"
      "    <PARAMS/>\r\n"
      "  </METADATA>\r\n"
      "  <ROWDATA>\r\n"
      "    <ROW V=\"true\" \xCA\xEE\xE4=\"\xE0\xE1\xE2\xE3\xE4\xE5\"/>\r\n"
      "    <ROW Note=\"\" V=\"False\"/>\r\n"
      "  </ROWDATA>\r\n"
      "</DATAPACKET>\r\n";
  TempFolder dir;
  WriteBytes(dir.File("other.xml"), file);
  ActionList list(ColumnsOf(ListId::qT));
  LoadList(list, dir.File("other.xml"));
  EXPECT_EQ(list.columns(), (std::vector<Column>{Column::Boolean("V"), Column::String("Код", 4),
                                                 Column::Memo("Note")}));
  EXPECT_EQ(AllRows(list), (std::vector<Row>{{B(true), T("абвг"), Variant()},  // cut to 4
                                             {B(false), Variant(), Variant()}}));
  try {
    list.Text("TableName");
    FAIL();
  } catch (const ListError& e) {
    EXPECT_THAT(e.what(), HasSubstr("\"TableName\""));
  }
}

TEST(ListFileTest, Utf8WithByteOrderMarkIsReadAsUtf8) {
  std::string file = "\xEF\xBB\xBF" + cp1251::Decode(Golden("table_list.xml"));
  EXPECT_EQ(DecodeListFile(file).rows, TableListRows());
}

TEST(ListFileTest, BrokenFilesAreRefusedWithTheReason) {
  const std::string head =
      "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
  const std::string fields = "<FIELD attrname=\"V\" fieldtype=\"boolean\"/>";
  const std::string middle = "</FIELDS><PARAMS/></METADATA><ROWDATA>";
  const std::string tail = "</ROWDATA></DATAPACKET>";
  auto with_field = [&](const std::string& field) { return head + field + middle + tail; };
  auto with_row = [&](const std::string& row) { return head + fields + middle + row + tail; };
  const struct {
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"", "пуст"},
      {"just text", "нет ни одного элемента"},
      {"<DATAPACKET><METADATA></DATAPACKET>", "закрывающий тег"},
      {"<DATAPACKET attr=1/>", "ошибка в атрибуте"},
      {"<?xml version=\"1.0\"?><html/>", "\"html\""},
      {"<DATAPACKET/><DATAPACKET/>", "единственного элемента"},
      {"<DATAPACKET><ROWDATA/></DATAPACKET>", "нет элемента METADATA"},
      {"<DATAPACKET><METADATA/><ROWDATA/></DATAPACKET>", "нет элемента FIELDS"},
      {head + fields + "</FIELDS></METADATA></DATAPACKET>", "нет элемента ROWDATA"},
      {with_field("<FIELD fieldtype=\"boolean\"/>"), "нет имени"},
      {with_field("<FIELD attrname=\"a b\" fieldtype=\"boolean\"/>"), "недопустимое имя"},
      {with_field(fields + fields), "\"V\" описан дважды"},
      {with_field("<FIELD attrname=\"N\" fieldtype=\"i4\"/>"), "неподдерживаемый тип \"i4\""},
      {with_field("<FIELD attrname=\"N\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\"/>"),
       "\"bin.hex Binary\""},
      {with_field("<FIELD attrname=\"N\" fieldtype=\"string\"/>"), "неверная ширина"},
      {with_field("<FIELD attrname=\"N\" fieldtype=\"string\" WIDTH=\"5x\"/>"), "\"5x\""},
      {with_field("<FIELD attrname=\"N\" fieldtype=\"string\" WIDTH=\"0\"/>"), "\"0\""},
      {with_field("<PARAM/>"), "\"PARAM\""},
      {with_row("<ROW V=\"TRUE\"/><ROW V=\"yes\"/>"), "в строке 2 значение \"yes\""},
      {with_row("<ROW V=\"TRUE\" RowState=\"4\"/>"), "неизвестный столбец \"RowState\""},
      {with_row("<ROW V=\"TRUE\" V=\"FALSE\"/>"), "\"V\" указан дважды"},
      {with_row("<ROWS/>"), "\"ROWS\""},
      {head + "<FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"5\"/>" + middle +
           "<ROW S=\"&#55296;\"/>" + tail,
       "недопустимую ссылку"},
  };
  for (const auto& c : cases) {
    try {
      DecodeListFile(c.bytes);
      ADD_FAILURE() << "accepted: " << c.bytes;
    } catch (const ListError& e) {
      EXPECT_THAT(e.what(), HasSubstr(c.reason)) << c.bytes;
    }
  }
}

TEST(ListFileTest, EveryTruncationOfAFileIsRefused) {
  const std::string whole = Golden("table_list.xml");
  for (size_t size = 0; size < whole.size(); ++size) {
    EXPECT_THROW(DecodeListFile(std::string_view(whole).substr(0, size)), ListError) << size;
  }
}

TEST(ListFileTest, AFailedLoadLeavesTheListClosedAndNamesTheFile) {
  TempFolder dir;
  const std::string bad = dir.File("updIndex.xml");
  WriteBytes(bad, Golden("table_list.xml").substr(0, 300));
  ActionList list(ColumnsOf(ListId::qI));
  list.AppendRow({{"V", B(true)}});
  try {
    LoadList(list, bad);
    FAIL();
  } catch (const ListError& e) {
    EXPECT_THAT(e.what(), HasSubstr("\"" + bad + "\": нарушена разметка XML"));
  }
  EXPECT_FALSE(list.IsOpen());

  const std::string missing = dir.File("none.xml");
  EXPECT_THAT([&] { LoadList(list, missing); },
              ::testing::ThrowsMessage<ListError>(HasSubstr("не существует")));
  EXPECT_THAT([&] { LoadList(list, dir.File("")); },
              ::testing::ThrowsMessage<ListError>(HasSubstr("папка")));

  // A missing file is no error when loading only what is there.
  ActionList kept(ColumnsOf(ListId::qI));
  kept.AppendRow({{"V", B(true)}});
  EXPECT_FALSE(LoadListIfPresent(kept, missing));
  EXPECT_TRUE(kept.IsOpen());
  EXPECT_EQ(kept.RowCount(), 1);
  WriteBytes(missing, Golden("empty_table_list.xml"));
  EXPECT_TRUE(LoadListIfPresent(kept, missing));
  EXPECT_EQ(kept.columns(), ColumnsOf(ListId::qT));
  EXPECT_EQ(kept.RowCount(), 0);
}

TEST(ListFileTest, SavingReplacesTheFileOnlyWhenTheNewOneIsComplete) {
  TempFolder dir;
  const std::string path = dir.File("updTable.xml");
  ActionList list(ColumnsOf(ListId::qT));
  list.Open(ColumnsOf(ListId::qT), TableListRows());
  SaveList(list, path);
  EXPECT_EQ(ReadFile(path), Golden("table_list.xml"));

  // A pending edit is merged before writing.
  list.First();
  list.Edit();
  list.SetBoolean("V", false);
  SaveList(list, path);
  EXPECT_EQ(list.state(), ActionList::State::kBrowse);
  EXPECT_EQ(DecodeListFile(ReadFile(path)).rows[0][0], B(false));
  EXPECT_THAT(Entries(dir), ElementsAre("updTable.xml"));  // no temporary file left

  // A text no XML file can carry: an error, and the previous file as it was.
  const std::string before = ReadFile(path);
  list.AppendRow({{"SQL", Variant::Text(std::string("a\0b", 3))}});
  EXPECT_THAT([&] { SaveList(list, path); }, ::testing::ThrowsMessage<ListError>(
                                                 HasSubstr("в строке 4 значение столбца \"SQL\"")));
  list.Delete();
  list.AppendRow({{"SQL", T("bad \xC3 UTF-8")}});
  EXPECT_THROW(SaveList(list, path), ListError);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_THAT(Entries(dir), ElementsAre("updTable.xml"));
  list.Delete();

  // Places that cannot take the file.
  WriteBytes(dir.File("plain"), "x");
  for (const std::string& place : {dir.File("missing/updTable.xml"), dir.File("plain/updTable.xml"),
                                   dir.File(""), std::string()}) {
    try {
      SaveList(list, place);
      ADD_FAILURE() << place;
    } catch (const ListError& e) {
      EXPECT_THAT(e.what(), HasSubstr("Не удалось сохранить список действий в файл \"" + place));
    }
  }
  list.Close();
  EXPECT_THAT([&] { SaveList(list, path); },
              ::testing::ThrowsMessage<ListError>(HasSubstr("список действий закрыт")));
  EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace actions
