#include "dbaccess/storage/mdb/row_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

StoredField Stored(const RawField& raw) {
  StoredField field;
  field.kind = static_cast<StoredField::Kind>(raw.kind);
  field.boolean = raw.boolean;
  if (raw.kind == RawField::Kind::kBytes) field.bytes = raw.bytes.ToVector();
  return field;
}

// The shape Access gave a row: its column count, fixed area and variable entries.
RowShape ShapeOf(ByteView row, const TableDefinition& def) {
  RowShape shape;
  shape.column_count = row.U16(0);
  const size_t mask_size = (shape.column_count + 7) / 8;
  shape.variable_count = row.U16(row.size() - mask_size - 2);
  const bool has_variable = std::any_of(def.columns.begin(), def.columns.end(),
                                        [](const ColumnDefinition& c) { return !c.fixed(); });
  // Where the variable data starts is the end of the fixed area.
  if (has_variable) {
    const size_t first = row.U16(row.size() - mask_size - 4);
    shape.fixed_bytes = first - 2;
  } else {
    shape.fixed_bytes = row.size() - mask_size - 2 - 2;
  }
  return shape;
}

// Access leaves whatever was there in the fixed-length area of a null or deleted column; a
// row we write has zeros there.
std::vector<uint8_t> WithoutStaleBytes(ByteView row, const TableDefinition& def,
                                       const std::vector<RawField>& raw, size_t fixed_bytes) {
  std::vector<uint8_t> bytes = row.ToVector();
  std::vector<bool> live(fixed_bytes, false);
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& column = def.columns[i];
    if (!column.fixed() || column.type == kTypeBoolean || raw[i].kind == RawField::Kind::kNull) {
      continue;
    }
    for (size_t k = column.fixed_offset; k < column.fixed_offset + FixedFieldSize(column); ++k) {
      if (k < live.size()) live[k] = true;
    }
  }
  for (size_t k = 0; k < fixed_bytes && 2 + k < bytes.size(); ++k) {
    if (!live[k]) bytes[2 + k] = 0;
  }
  return bytes;
}

struct RoundTrip {
  size_t rows = 0;
  size_t identical_rows = 0;
  size_t fields = 0;
  std::vector<std::string> differences;
};

// Every live row of every table of the file, system tables included: split into fields,
// each field decoded and encoded again, the row laid out again.
RoundTrip RoundTripRows(const std::string& name) {
  RoundTrip result;
  PageFile file(MemorySource(ReadBytes(TestFile(name))));
  const TextDecoder text(file.header().version, file.header().code_page);
  LongValueReader long_values(file, UINT64_MAX);
  const StoredDatabase db = ReadDatabase(file, ReadOptions{.user_table_rows = false});
  for (const StoredTable& table : db.tables) {
    if (table.linked) continue;
    const TableDefinition& def = table.definition;
    for (uint32_t page : ReadUsageMap(file, def.owned_pages)) {
      const auto bytes = file.Read(page);
      const ByteView view(*bytes);
      if (view.U8(0) != kPageData || view.U32(kDataPageTableDefinitionOffset) != def.page) continue;
      ForEachRow(file, page, [&](const RowBytes& row) {
        ++result.rows;
        const std::vector<RawField> raw = CrackRow(row.bytes, def, file.layout());
        std::vector<StoredField> fields;
        for (size_t i = 0; i < raw.size(); ++i) {
          fields.push_back(Stored(raw[i]));
          const ColumnDefinition& column = def.columns[i];
          if (raw[i].kind != RawField::Kind::kBytes || column.type == kTypeOle ||
              column.type == kTypeBinary || column.type == kTypeMemo) {
            continue;
          }
          ++result.fields;
          const Cell value = DecodeField(column, raw[i], text, long_values);
          const StoredField again = EncodeField(column, value);
          // Access may switch a compressed text between its two forms anywhere; what must
          // hold for text is the value, for every other type the bytes.
          const bool same = column.type == kTypeText
                                ? text.Decode(ByteView(again.bytes)) == std::get<std::string>(value)
                                : again.bytes == raw[i].bytes.ToVector();
          if (!same) result.differences.push_back(table.object.name + "." + column.name);
        }
        const RowShape shape = ShapeOf(row.bytes, def);
        const std::vector<uint8_t> again = EncodeRow(def, fields, shape);
        // The rows we write read back as the same fields; Access's own row has the same
        // bytes, unless its history left gaps in it (data of deleted columns, a value that
        // shrank in place), which a row written anew does not have.
        const std::vector<RawField> back = CrackRow(ByteView(again), def, file.layout());
        bool same_fields = back.size() == raw.size();
        for (size_t i = 0; same_fields && i < raw.size(); ++i) {
          same_fields = back[i].kind == raw[i].kind && back[i].boolean == raw[i].boolean &&
                        back[i].bytes.ToVector() == raw[i].bytes.ToVector();
        }
        const std::vector<uint8_t> original =
            WithoutStaleBytes(row.bytes, def, raw, shape.fixed_bytes);
        if (!same_fields || (again != original && again.size() >= original.size())) {
          result.differences.push_back(table.object.name + " row on page " + std::to_string(page));
        } else if (again == original) {
          ++result.identical_rows;
        }
      });
    }
  }
  return result;
}

class RowEncoderFileTest : public ::testing::TestWithParam<std::string> {};

// Access's own rows are the oracle: encoding what we decoded gives back its bytes.
TEST_P(RowEncoderFileTest, EncodesAccessRowsByteForByte) {
  if (!std::filesystem::exists(TestFile(GetParam()))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  const RoundTrip trip = RoundTripRows(GetParam());
  EXPECT_GT(trip.rows, 0u);
  EXPECT_GE(trip.identical_rows * 10, trip.rows * 9) << "most rows are byte for byte Access's";
  std::string shown;
  for (size_t i = 0; i < trip.differences.size() && i < 10; ++i)
    shown += trip.differences[i] + "\n";
  EXPECT_TRUE(trip.differences.empty()) << trip.differences.size() << " differences:\n" << shown;
}

INSTANTIATE_TEST_SUITE_P(Jet4Files, RowEncoderFileTest,
                         ::testing::Values("testV2000.mdb", "test2V2000.mdb", "indexTestV2000.mdb",
                                           "queryTestV2000.mdb", "fixedNumericTestV2000.mdb",
                                           "testUnicodeCompV2003.mdb", "delColTestV2000.mdb",
                                           "bigIndexTestV2000.mdb", "compIndexTestV2000.mdb",
                                           "noRoman.mdb", "empty2003.mdb", "adox_jet4.mdb"));

TEST(RowEncoderTest, NewRowsReadBackAsWritten) {
  TableDefinition def;
  def.max_columns = 4;
  ColumnDefinition id{.name = "Id", .type = kTypeLong, .number = 0, .flags = kColumnFlagFixed};
  ColumnDefinition flag{.name = "Ok", .type = kTypeBoolean, .number = 1, .flags = kColumnFlagFixed};
  ColumnDefinition name{.name = "Name",
                        .type = kTypeText,
                        .number = 2,
                        .length = 100,
                        .ext_flags = kColumnExtFlagCompressedUnicode};
  ColumnDefinition note{.name = "Note", .type = kTypeMemo, .number = 3, .variable_index = 1};
  id.fixed_offset = 0;
  def.columns = {id, flag, name, note};
  const Row values = {Cell{int64_t{-7}}, Cell{true}, Cell{std::string("Жёлудь and plain")},
                      Cell{std::string("a memo")}};
  std::vector<StoredField> fields;
  for (size_t i = 0; i < values.size(); ++i)
    fields.push_back(EncodeField(def.columns[i], values[i]));
  const std::vector<uint8_t> row = EncodeRow(def, fields);

  SKIP_WITHOUT_TEST_DATA();
  PageFile file(MemorySource(ReadBytes(TestFile("adox_jet4.mdb"))));
  const TextDecoder text(JetVersion::kJet4, 1252);
  LongValueReader long_values(file, UINT64_MAX);
  const std::vector<RawField> raw = CrackRow(ByteView(row), def, kJet4Layout);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(DecodeField(def.columns[i], raw[i], text, long_values), values[i]) << i;
  }
}

TEST(RowEncoderTest, RefusesValuesTheColumnCannotHold) {
  const ColumnDefinition byte{.type = kTypeByte, .flags = kColumnFlagFixed};
  EXPECT_THROW(EncodeField(byte, Cell{int64_t{256}}), FormatError);
  EXPECT_THROW(EncodeField(byte, Cell{std::string("1")}), FormatError);
  const ColumnDefinition text{.type = kTypeText, .length = 4};
  EXPECT_THROW(EncodeField(text, Cell{std::string("abc")}), FormatError);  // 6 bytes in UCS-2
  // The size counts characters, however few bytes the compressed form takes.
  ColumnDefinition compressed = text;
  compressed.ext_flags = kColumnExtFlagCompressedUnicode;
  EXPECT_EQ(EncodeField(compressed, Cell{std::string("ab")}).bytes.size(), 4u);
  EXPECT_THROW(EncodeField(compressed, Cell{std::string("abc")}), FormatError);
  EXPECT_THROW(EncodeGuid("{not-a-guid}"), FormatError);
  EXPECT_THROW(EncodeDecimal("1.234", 2), FormatError);
  EXPECT_THROW(EncodeDecimal("99999999999999999999999999999", 0), FormatError);
  EXPECT_EQ(DecodeDecimal(ByteView(EncodeDecimal("-12.5", 3)), 3), "-12.500");
  const std::string guid = "{6BA7B810-9DAD-11D1-80B4-00C04FD430C8}";
  EXPECT_EQ(DecodeGuid(ByteView(EncodeGuid(guid))), guid);
}

}  // namespace
}  // namespace dbaccess::mdb
