#include "dbaccess/storage/mdb/table_definition_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

const TextDecoder kText(JetVersion::kJet4, kDefaultCodePage);

std::string Hex(ByteView bytes, size_t from, size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = from; i < from + count && i < bytes.size(); ++i) {
    out += kDigits[bytes.data()[i] >> 4];
    out += kDigits[bytes.data()[i] & 0xF];
  }
  return out;
}

// Where two pages first differ in their used parts, or "" when they agree.
std::string FirstDifference(ByteView ours, ByteView theirs) {
  const size_t used = TableDefinitionPageUsed(theirs);
  if (TableDefinitionPageUsed(ours) != used) {
    return "used " + std::to_string(TableDefinitionPageUsed(ours)) + " bytes, Access " +
           std::to_string(used);
  }
  for (size_t i = 0; i < used; ++i) {
    if (ours.data()[i] != theirs.data()[i]) {
      const size_t from = i < 8 ? 0 : i - 8;
      return "byte " + std::to_string(i) + ": ours " + Hex(ours, from, 24) + ", Access " +
             Hex(theirs, from, 24);
    }
  }
  return "";
}

// The definition pages of every table of the file, system tables included.
std::set<uint32_t> DefinitionPages(const PageFile& file) {
  std::set<uint32_t> pages = {kSystemCatalogPage};
  const StoredDatabase db = ReadDatabase(file, ReadOptions{.user_table_rows = false});
  for (const StoredTable& table : db.tables) {
    if (!table.linked) pages.insert(table.definition.page);
  }
  return pages;
}

struct FileTrip {
  size_t tables = 0;
  size_t pages = 0;
  size_t multi_page_tables = 0;
  std::vector<std::string> differences;
};

// Every table's definition decoded, encoded again and laid out on the pages it came from.
FileTrip RoundTripDefinitions(const std::string& path) {
  FileTrip trip;
  PageFile file(MemorySource(ReadBytes(path)));
  const Layout& layout = file.layout();
  const TextDecoder text(file.header().version, file.header().code_page);
  for (uint32_t first : DefinitionPages(file)) {
    const std::string where = "table at page " + std::to_string(first);
    const StoredTableDefinition stored = ReadStoredTableDefinition(file, first);
    const TableDefinition def = DecodeTableDefinition(ByteView(stored.bytes), layout, text);
    const TableDefinitionExtras extras =
        DecodeTableDefinitionExtras(ByteView(stored.bytes), layout);
    const std::vector<uint8_t> again = EncodeTableDefinition(def, extras, layout);
    ++trip.tables;
    if (stored.pages.size() > 1) ++trip.multi_page_tables;
    if (again.size() != stored.bytes.size()) {
      trip.differences.push_back(where + ": " + std::to_string(again.size()) + " bytes, Access " +
                                 std::to_string(stored.bytes.size()));
      continue;
    }
    const std::vector<Page> pages = LayOutTableDefinition(ByteView(again), stored.pages, layout);
    for (size_t i = 0; i < pages.size(); ++i) {
      ++trip.pages;
      const std::string difference =
          FirstDifference(ByteView(pages[i]), ByteView(*file.Read(stored.pages[i])));
      if (!difference.empty()) {
        trip.differences.push_back(where + ", page " + std::to_string(stored.pages[i]) + ": " +
                                   difference);
      }
    }
  }
  return trip;
}

// Access's own definitions are the oracle: every table of every Jet 4 test file, system
// tables included, comes back byte for byte on the used part of each of its pages.
TEST(TableDefinitionEncoderFileTest, EncodesEveryAccessDefinitionByteForByte) {
  const std::filesystem::path folder = TestFile("");
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "the real .mdb test files are not there";
  size_t files = 0;
  FileTrip all;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".mdb") continue;
    {
      PageFile file(MemorySource(ReadBytes(entry.path().string())));
      if (file.header().version != JetVersion::kJet4) continue;
    }
    ++files;
    const FileTrip trip = RoundTripDefinitions(entry.path().string());
    EXPECT_GE(trip.tables, 4u) << entry.path().filename();
    all.tables += trip.tables;
    all.pages += trip.pages;
    all.multi_page_tables += trip.multi_page_tables;
    for (const std::string& d : trip.differences) {
      all.differences.push_back(entry.path().filename().string() + ", " + d);
    }
  }
  EXPECT_GE(files, 15u);
  EXPECT_GE(all.multi_page_tables, 2u) << "the files hold definitions over two pages";
  std::string shown;
  for (size_t i = 0; i < all.differences.size() && i < 20; ++i) shown += all.differences[i] + "\n";
  EXPECT_TRUE(all.differences.empty())
      << all.differences.size() << " of " << all.pages << " pages differ:\n"
      << shown;
}

ColumnDefinition Column(std::string name, uint8_t type, uint16_t number, uint8_t flags,
                        uint16_t length = 0) {
  ColumnDefinition column;
  column.name = std::move(name);
  column.type = type;
  column.number = number;
  column.flags = flags;
  column.length = length;
  return column;
}

// A user table as a writer makes it: an autonumber key, a text and a memo column, a primary
// key and a foreign-key index sharing one real index.
TableDefinition NewTable() {
  TableDefinition def;
  def.page = 40;
  def.table_type = kTableTypeUser;
  def.row_count = 3;
  ColumnDefinition id =
      Column("Id", kTypeLong, 0, kColumnFlagFixed | 0x02 | kColumnFlagAutoNumber, 4);
  ColumnDefinition name = Column("Имя", kTypeText, 1, 0x02, 100);
  name.ext_flags = kColumnExtFlagCompressedUnicode;
  name.precision = 0x09;  // sort order 0x0409, "General"
  name.scale = 0x04;
  ColumnDefinition note = Column("Note", kTypeMemo, 2, 0x02);
  note.variable_index = 1;
  def.columns = {id, name, note};
  def.max_columns = 3;
  def.variable_columns = 2;
  def.owned_pages = RowPointer{41, 0};
  def.free_pages = RowPointer{41, 1};
  RealIndex key;
  key.columns = {{0, true}};
  key.first_page = 42;
  key.flags = kIndexFlagUnique | kIndexFlagRequired;
  RealIndex by_name;
  by_name.columns = {{1, false}, {0, true}};
  by_name.first_page = 43;
  def.real_indexes = {key, by_name};
  LogicalIndex primary;
  primary.name = "PrimaryKey";
  primary.number = 0;
  primary.real_index = 0;
  primary.type = kLogicalIndexPrimaryKey;
  LogicalIndex names;
  names.name = "ByName";
  names.number = 1;
  names.real_index = 1;
  LogicalIndex foreign;
  foreign.name = "OtherTableId";
  foreign.number = 2;
  foreign.real_index = 0;
  foreign.type = kLogicalIndexForeignKey;
  foreign.relationship_side = kRelationshipSidePrimary;
  foreign.other_index = 1;
  foreign.other_table_page = 60;
  foreign.cascade_updates = true;
  def.logical_indexes = {primary, names, foreign};
  return def;
}

void ExpectSameDefinition(const TableDefinition& a, const TableDefinition& b) {
  EXPECT_EQ(a.table_type, b.table_type);
  EXPECT_EQ(a.row_count, b.row_count);
  EXPECT_EQ(a.max_columns, b.max_columns);
  EXPECT_EQ(a.variable_columns, b.variable_columns);
  EXPECT_EQ(a.owned_pages.Encode(), b.owned_pages.Encode());
  EXPECT_EQ(a.free_pages.Encode(), b.free_pages.Encode());
  ASSERT_EQ(a.columns.size(), b.columns.size());
  for (size_t i = 0; i < a.columns.size(); ++i) {
    const ColumnDefinition& x = a.columns[i];
    const ColumnDefinition& y = b.columns[i];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.type, y.type);
    EXPECT_EQ(x.number, y.number);
    EXPECT_EQ(x.variable_index, y.variable_index);
    EXPECT_EQ(x.fixed_offset, y.fixed_offset);
    EXPECT_EQ(x.length, y.length);
    EXPECT_EQ(x.precision, y.precision);
    EXPECT_EQ(x.scale, y.scale);
    EXPECT_EQ(x.flags, y.flags);
    EXPECT_EQ(x.ext_flags, y.ext_flags);
  }
  ASSERT_EQ(a.real_indexes.size(), b.real_indexes.size());
  for (size_t i = 0; i < a.real_indexes.size(); ++i) {
    ASSERT_EQ(a.real_indexes[i].columns.size(), b.real_indexes[i].columns.size());
    for (size_t k = 0; k < a.real_indexes[i].columns.size(); ++k) {
      EXPECT_EQ(a.real_indexes[i].columns[k].column_number,
                b.real_indexes[i].columns[k].column_number);
      EXPECT_EQ(a.real_indexes[i].columns[k].ascending, b.real_indexes[i].columns[k].ascending);
    }
    EXPECT_EQ(a.real_indexes[i].first_page, b.real_indexes[i].first_page);
    EXPECT_EQ(a.real_indexes[i].flags, b.real_indexes[i].flags);
  }
  ASSERT_EQ(a.logical_indexes.size(), b.logical_indexes.size());
  for (size_t i = 0; i < a.logical_indexes.size(); ++i) {
    const LogicalIndex& x = a.logical_indexes[i];
    const LogicalIndex& y = b.logical_indexes[i];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.number, y.number);
    EXPECT_EQ(x.real_index, y.real_index);
    EXPECT_EQ(x.type, y.type);
    EXPECT_EQ(x.relationship_side, y.relationship_side);
    EXPECT_EQ(x.other_index, y.other_index);
    EXPECT_EQ(x.other_table_page, y.other_table_page);
    EXPECT_EQ(x.cascade_updates, y.cascade_updates);
    EXPECT_EQ(x.cascade_deletes, y.cascade_deletes);
  }
}

TEST(TableDefinitionEncoderTest, NewDefinitionsReadBackAsWritten) {
  const TableDefinition def = NewTable();
  TableDefinitionExtras extras;
  extras.next_autonumber = 3;
  extras.column_usage_maps = {{2, RowPointer{44, 0}, RowPointer{44, 1}}};
  const std::vector<uint8_t> bytes = EncodeTableDefinition(def, extras, kJet4Layout);
  ExpectSameDefinition(DecodeTableDefinition(ByteView(bytes), kJet4Layout, kText), def);

  const TableDefinitionExtras back = DecodeTableDefinitionExtras(ByteView(bytes), kJet4Layout);
  EXPECT_EQ(back.next_autonumber, 3u);
  EXPECT_EQ(back.autonumber_flag, 1);
  EXPECT_EQ(back.magic, kTableDefinitionMagic);
  ASSERT_EQ(back.column_usage_maps.size(), 1u);
  EXPECT_EQ(back.column_usage_maps[0].column_number, 2);
  EXPECT_EQ(back.column_usage_maps[0].owned_pages.Encode(), (RowPointer{44, 0}.Encode()));
  EXPECT_EQ(back.column_usage_maps[0].free_pages.Encode(), (RowPointer{44, 1}.Encode()));
  ASSERT_EQ(back.real_indexes.size(), 2u);
  EXPECT_EQ(back.real_indexes[1].order[0], kIndexColumnDescending);
  EXPECT_EQ(back.real_indexes[1].order[1], kIndexColumnAscending);
  EXPECT_EQ(back.real_indexes[1].magic, kRealIndexMagic);
  // Encoding what was read gives the same bytes again.
  EXPECT_EQ(EncodeTableDefinition(def, back, kJet4Layout), bytes);
}

// A wide table needs continuation pages; the reader follows them back to the same table.
TEST(TableDefinitionEncoderTest, WideDefinitionsSpanPagesTheReaderFollows) {
  if (!std::filesystem::exists(TestFile("adox_jet4.mdb"))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  TableDefinition def = NewTable();
  for (uint16_t n = 3; n < 200; ++n) {
    ColumnDefinition column =
        Column("Column number " + std::to_string(n), kTypeLong, n, kColumnFlagFixed | 0x02, 4);
    column.fixed_offset = static_cast<uint16_t>(4 * (n - 2));
    def.columns.push_back(column);
  }
  def.max_columns = static_cast<uint16_t>(def.columns.size());
  const std::vector<uint8_t> bytes = EncodeTableDefinition(def, {}, kJet4Layout);
  const size_t count = TableDefinitionPageCount(bytes.size(), kJet4Layout);
  ASSERT_GE(count, 3u);

  testing::Jet4Builder builder;
  std::vector<uint32_t> numbers;
  for (size_t i = 0; i < count; ++i) numbers.push_back(builder.AddPage(kPageData));
  std::swap(numbers[1], numbers[2]);  // continuation pages need not follow in order
  const std::vector<Page> pages = LayOutTableDefinition(ByteView(bytes), numbers, kJet4Layout);
  for (size_t i = 0; i < count; ++i) {
    std::copy(pages[i].begin(), pages[i].end(),
              builder.bytes().begin() + builder.PageOffset(numbers[i]));
  }
  const auto file = builder.Build();
  const StoredTableDefinition stored = ReadStoredTableDefinition(*file, numbers[0]);
  EXPECT_EQ(stored.pages, numbers);
  EXPECT_EQ(stored.bytes.size(), bytes.size());
  ExpectSameDefinition(ReadTableDefinition(*file, numbers[0], kText), def);
  EXPECT_EQ(TableDefinitionPageUsed(ByteView(pages[0])), pages[0].size());
  EXPECT_EQ(TableDefinitionPageUsed(ByteView(pages.back())),
            bytes.size() - kJet4Layout.page_size -
                (count - 2) * (kJet4Layout.page_size - kTableDefinitionPageHeader) +
                kTableDefinitionPageHeader);
}

TEST(TableDefinitionEncoderTest, RefusesWhatCannotBeWritten) {
  const TableDefinition good = NewTable();
  EXPECT_THROW(EncodeTableDefinition(good, {}, kJet3Layout), FormatError);

  TableDefinition long_name = good;
  long_name.columns[0].name = std::string(65, 'x');
  EXPECT_THROW(EncodeTableDefinition(long_name, {}, kJet4Layout), FormatError);
  TableDefinition empty_name = good;
  empty_name.logical_indexes[0].name = "";
  EXPECT_THROW(EncodeTableDefinition(empty_name, {}, kJet4Layout), FormatError);

  TableDefinition wide_index = good;
  wide_index.real_indexes[0].columns.assign(kIndexMaxColumns + 1, {0, true});
  EXPECT_THROW(EncodeTableDefinition(wide_index, {}, kJet4Layout), FormatError);

  TableDefinition dangling = good;
  dangling.logical_indexes[1].real_index = 7;
  EXPECT_THROW(EncodeTableDefinition(dangling, {}, kJet4Layout), FormatError);

  const std::vector<uint8_t> bytes = EncodeTableDefinition(good, {}, kJet4Layout);
  EXPECT_THROW(LayOutTableDefinition(ByteView(bytes), {40, 41}, kJet4Layout), FormatError);
  EXPECT_THROW(LayOutTableDefinition(ByteView(bytes), {0}, kJet4Layout), FormatError);
  std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + 100);
  EXPECT_THROW(DecodeTableDefinitionExtras(ByteView(truncated), kJet4Layout), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
