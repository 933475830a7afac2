#include "dbaccess/storage/mdb/row_decoder.h"

#include <gtest/gtest.h>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

ColumnDefinition Fixed(const std::string& name, uint8_t type, uint16_t number, uint16_t offset,
                       uint16_t length = 0) {
  ColumnDefinition c;
  c.name = name;
  c.type = type;
  c.number = number;
  c.fixed_offset = offset;
  c.length = length;
  c.flags = kColumnFlagFixed;
  return c;
}

ColumnDefinition Variable(const std::string& name, uint8_t type, uint16_t number, uint16_t index) {
  ColumnDefinition c;
  c.name = name;
  c.type = type;
  c.number = number;
  c.variable_index = index;
  c.length = 100;
  return c;
}

// A Jet 4 row: column count, fixed data, variable data, offsets (reversed, end last),
// variable count, null mask.
std::vector<uint8_t> Jet4Row(uint16_t column_count, const std::vector<uint8_t>& fixed,
                             const std::vector<std::vector<uint8_t>>& variable,
                             const std::vector<uint8_t>& mask) {
  std::vector<uint8_t> row = {static_cast<uint8_t>(column_count),
                              static_cast<uint8_t>(column_count >> 8)};
  for (uint8_t b : fixed) row.push_back(b);
  std::vector<uint16_t> offsets;
  for (const auto& field : variable) {
    offsets.push_back(static_cast<uint16_t>(row.size()));
    row.insert(row.end(), field.begin(), field.end());
  }
  offsets.push_back(static_cast<uint16_t>(row.size()));
  for (size_t i = offsets.size(); i-- > 0;) {
    row.push_back(static_cast<uint8_t>(offsets[i]));
    row.push_back(static_cast<uint8_t>(offsets[i] >> 8));
  }
  row.push_back(static_cast<uint8_t>(variable.size()));
  row.push_back(0);
  row.insert(row.end(), mask.begin(), mask.end());
  return row;
}

std::vector<uint8_t> Ucs2(const std::u16string& s) {
  std::vector<uint8_t> out;
  for (char16_t c : s) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

Row Decode(const std::vector<uint8_t>& row, const TableDefinition& def, const Layout& layout) {
  testing::Jet4Builder b;
  auto file = b.Build();
  LongValueReader long_values(*file, 1 << 20);
  const TextDecoder text(layout.version, 1252);
  const auto fields = CrackRow(ByteView(row), def, layout);
  Row out;
  for (size_t i = 0; i < fields.size(); ++i) {
    out.push_back(DecodeField(def.columns[i], fields[i], text, long_values));
  }
  return out;
}

TEST(RowDecoderTest, SplitsAJet4RowIntoFixedVariableNullAndYesNoFields) {
  SKIP_WITHOUT_TEST_DATA();
  TableDefinition def;
  def.columns = {Fixed("id", kTypeLong, 0, 0),      Fixed("flag", kTypeBoolean, 1, 0),
                 Variable("name", kTypeText, 2, 0), Variable("note", kTypeText, 3, 1),
                 Fixed("small", kTypeInt, 4, 4),    Fixed("added", kTypeLong, 9, 6)};
  // Columns 0, 1 (true), 2 and 4 set; 3 null; column 9 is newer than the row.
  const std::vector<uint8_t> row =
      Jet4Row(5, {42, 0, 0, 0, 0xFE, 0xFF}, {Ucs2(u"Мир"), {}}, {0b00010111});
  const Row cells = Decode(row, def, kJet4Layout);
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[0], Cell{int64_t{42}});
  EXPECT_EQ(cells[1], Cell{true});
  EXPECT_EQ(cells[2], Cell{std::string("Мир")});
  EXPECT_TRUE(IsNull(cells[3]));
  EXPECT_EQ(cells[4], Cell{int64_t{-2}});
  EXPECT_TRUE(IsNull(cells[5]));

  // A Yes/No column whose bit is clear is No, never null.
  const Row no = Decode(Jet4Row(5, {1, 0, 0, 0, 0, 0}, {{}, {}}, {0b00010001}), def, kJet4Layout);
  EXPECT_EQ(no[1], Cell{false});
}

TEST(RowDecoderTest, RefusesRowsWhoseOffsetsLeaveTheRow) {
  SKIP_WITHOUT_TEST_DATA();
  TableDefinition def;
  def.columns = {Fixed("id", kTypeLong, 0, 0), Variable("name", kTypeText, 1, 0)};
  std::vector<uint8_t> row = Jet4Row(2, {1, 0, 0, 0}, {Ucs2(u"abc")}, {0b11});
  EXPECT_NO_THROW(Decode(row, def, kJet4Layout));
  std::vector<uint8_t> bad_offset = row;
  bad_offset[bad_offset.size() - 1 - 2 - 2] = 0xF0;  // the field's start, far past the data
  EXPECT_THROW(Decode(bad_offset, def, kJet4Layout), FormatError);
  std::vector<uint8_t> bad_count = row;
  bad_count[bad_count.size() - 1 - 2] = 0x7F;  // more variable fields than fit
  EXPECT_THROW(Decode(bad_count, def, kJet4Layout), FormatError);
  std::vector<uint8_t> short_fixed = {2, 0, 1, 0b11};  // the Long needs 4 bytes
  EXPECT_THROW(Decode(short_fixed, def, kJet4Layout), FormatError);
  EXPECT_THROW(Decode({}, def, kJet4Layout), FormatError);
  std::vector<uint8_t> many_columns = row;
  many_columns[0] = 0xFF;  // a null mask longer than the row
  many_columns[1] = 0xFF;
  EXPECT_THROW(Decode(many_columns, def, kJet4Layout), FormatError);
}

// Jet 3: one-byte offsets, with a jump table once the row passes 256 bytes.
std::vector<uint8_t> Jet3Row(const std::vector<uint8_t>& fixed,
                             const std::vector<std::string>& variable) {
  std::vector<uint8_t> data = {2};  // column count
  data.insert(data.end(), fixed.begin(), fixed.end());
  std::vector<size_t> offsets;
  for (const std::string& field : variable) {
    offsets.push_back(data.size());
    data.insert(data.end(), field.begin(), field.end());
  }
  offsets.push_back(data.size());
  // Total length: data, offsets, jumps, count, mask; jumps depend on the total.
  size_t jumps = 0;
  while ((data.size() + offsets.size() + jumps + 2 - 1) / 256 != jumps) ++jumps;
  std::vector<uint8_t> row = data;
  for (size_t i = offsets.size(); i-- > 0;) row.push_back(static_cast<uint8_t>(offsets[i]));
  const size_t end_position = data.size();
  for (size_t k = jumps; k-- > 0;) {
    // Entry k: the first offset at or past 256 * (k + 1); a placeholder when none is.
    uint8_t entry = 0xFF;
    if (end_position / 256 > k) {
      for (size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] >= 256 * (k + 1)) {
          entry = static_cast<uint8_t>(i);
          break;
        }
      }
    }
    row.push_back(entry);
  }
  row.push_back(static_cast<uint8_t>(variable.size()));
  row.push_back(0b11);
  return row;
}

TEST(RowDecoderTest, ReadsJet3RowsThroughTheJumpTable) {
  SKIP_WITHOUT_TEST_DATA();
  TableDefinition def;
  def.columns = {Fixed("id", kTypeLong, 0, 0), Variable("a", kTypeText, 1, 0),
                 Variable("b", kTypeText, 2, 1)};
  def.columns[1].number = 1;
  def.columns[2].number = 2;
  def.columns[0].number = 0;
  // Column numbers 0..2 need a 3-bit mask: use column count 3.
  auto row = Jet3Row({7, 0, 0, 0}, {std::string(200, 'a'), std::string(100, 'b')});
  row[0] = 3;
  row.back() = 0b111;
  ASSERT_GT(row.size(), 256u);
  const Row cells = Decode(row, def, kJet3Layout);
  EXPECT_EQ(cells[0], Cell{int64_t{7}});
  EXPECT_EQ(cells[1], Cell{std::string(200, 'a')});
  EXPECT_EQ(cells[2], Cell{std::string(100, 'b')});

  // A long fixed part and short variable data: the only jump entry is a placeholder.
  TableDefinition wide;
  wide.columns = {Fixed("bin", kTypeBinary, 0, 0, 250), Variable("t", kTypeText, 1, 0)};
  auto wide_row = Jet3Row(std::vector<uint8_t>(250, 1), {"ab"});
  ASSERT_GT(wide_row.size(), 256u);
  const Row wide_cells = Decode(wide_row, wide, kJet3Layout);
  EXPECT_EQ(wide_cells[1], Cell{std::string("ab")});
}

TEST(RowDecoderTest, DecodesDecimalGuidAndNumbers) {
  std::vector<uint8_t> decimal(17, 0);
  decimal[1 + 12] = 0xE2;  // least significant word: 1250
  decimal[1 + 13] = 0x04;
  EXPECT_EQ(DecodeDecimal(ByteView(decimal), 2), "12.50");
  EXPECT_EQ(DecodeDecimal(ByteView(decimal), 5), "0.01250");
  decimal[0] = 0x80;
  EXPECT_EQ(DecodeDecimal(ByteView(decimal), 0), "-1250");
  std::vector<uint8_t> zero(17, 0);
  zero[0] = 0x80;
  EXPECT_EQ(DecodeDecimal(ByteView(zero), 2), "0.00");
  std::vector<uint8_t> big(17, 0xFF);
  big[0] = 0;
  EXPECT_EQ(DecodeDecimal(ByteView(big), 0), "340282366920938463463374607431768211455");
  EXPECT_THROW(DecodeDecimal(ByteView(big), 60), FormatError);

  const std::vector<uint8_t> guid = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                     0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ(DecodeGuid(ByteView(guid)), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
}

}  // namespace
}  // namespace dbaccess::mdb
