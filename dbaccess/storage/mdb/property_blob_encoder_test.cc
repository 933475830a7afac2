#include "dbaccess/storage/mdb/property_blob_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_reader.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

struct BlobTrip {
  size_t blobs = 0;
  std::vector<std::string> differences;
};

// Where two blobs first differ, or "" when they are the same.
std::string FirstDifference(const std::vector<uint8_t>& ours, const std::vector<uint8_t>& theirs) {
  const size_t common = std::min(ours.size(), theirs.size());
  for (size_t i = 0; i < common; ++i) {
    if (ours[i] != theirs[i]) return "byte " + std::to_string(i);
  }
  if (ours.size() != theirs.size()) {
    return std::to_string(ours.size()) + " bytes, Access " + std::to_string(theirs.size());
  }
  return "";
}

// Calls `visit` with every LvProp blob of every MSysObjects row of every Jet 4 test file.
size_t ForEachBlob(const std::function<void(const std::string& where, const std::vector<uint8_t>&,
                                            const TextDecoder&)>& visit) {
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    PageFile file(MemorySource(ReadBytes(entry.path().string())));
    if (file.header().version != JetVersion::kJet4) continue;
    ++files;
    const TextDecoder text(file.header().version, file.header().code_page);
    TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));
    const TableDefinition catalog = ReadTableDefinition(file, kSystemCatalogPage, text);
    reader.ForEachRow(catalog, [&](Row&& row) {
      const CatalogObject object = DecodeCatalogObject(catalog, row);
      if (object.properties.empty()) return;
      visit(entry.path().filename().string() + ", " + object.name, object.properties, text);
    });
  }
  return files;
}

// Access's own blobs are the oracle.
TEST(PropertyBlobEncoderFileTest, EncodesEveryAccessBlobByteForByte) {
  if (!std::filesystem::exists(TestFile(""))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  BlobTrip all;
  const size_t files = ForEachBlob(
      [&](const std::string& where, const std::vector<uint8_t>& blob, const TextDecoder& text) {
        ++all.blobs;
        const PropertyMaps maps = DecodePropertyBlob(ByteView(blob), text);
        const PropertyBlobExtras extras = DecodePropertyBlobExtras(ByteView(blob), text);
        const std::string difference = FirstDifference(EncodePropertyBlob(maps, extras), blob);
        if (!difference.empty()) all.differences.push_back(where + ": " + difference);
      });
  EXPECT_GE(files, 15u);
  EXPECT_GT(all.blobs, 100u);
  std::string shown;
  for (size_t i = 0; i < all.differences.size() && i < 20; ++i) shown += all.differences[i] + "\n";
  EXPECT_TRUE(all.differences.empty())
      << all.differences.size() << " of " << all.blobs << " blobs differ:\n"
      << shown;
}

// Every DefaultValue and Required Access stored is what the helpers make for the same
// value: type, DDL flag and bytes.
TEST(PropertyBlobEncoderFileTest, DefaultValueAndRequiredAsAccessWritesThem) {
  if (!std::filesystem::exists(TestFile(""))) {
    GTEST_SKIP() << "the real .mdb test files are not there";
  }
  size_t defaults = 0;
  size_t required = 0;
  std::vector<std::string> differences;
  ForEachBlob(
      [&](const std::string& where, const std::vector<uint8_t>& blob, const TextDecoder& text) {
        const PropertyBlobExtras extras = DecodePropertyBlobExtras(ByteView(blob), text);
        for (const auto& map : extras.values) {
          for (const PropertyBlobExtras::StoredValue& stored : map) {
            const Property& p = stored.decoded;
            // Bit 0x80 beside the DDL flag marks a value another writer made: testV2000.mdb
            // holds one DefaultValue so, of type Text.
            if ((stored.flags & 0x80) != 0) continue;
            Property ours;
            if (p.name == "DefaultValue") {
              ++defaults;
              ours = DefaultValueProperty(std::get<std::string>(p.value));
              // The engine's own default of a GUID autonumber column is stored as Text.
              if (p.data_type == kTypeText && p.value == Cell{std::string("GenGUID()")}) {
                ours.data_type = kTypeText;
              }
            } else if (p.name == "Required") {
              ++required;
              ours = RequiredProperty(std::get<bool>(p.value));
            } else {
              continue;
            }
            if (ours.data_type != p.data_type || stored.flags != 1 ||
                EncodePropertyValue(ours) != stored.data) {
              differences.push_back(where + "." + p.name);
            }
          }
        }
      });
  EXPECT_GT(defaults, 0u);
  EXPECT_GT(required, 0u);
  EXPECT_TRUE(differences.empty()) << differences.size() << " differ, first " << differences[0];
}

const TextDecoder kText(JetVersion::kJet4, kDefaultCodePage);

// A blob made from nothing, as a writer makes one for a new column: the bytes laid out by
// hand from the format, and the blob reads back as the maps it came from.
TEST(PropertyBlobEncoderTest, NewBlobsHaveAccessLayout) {
  PropertyMaps maps;
  maps.maps.push_back(PropertyMap{"", kPropertyChunkObject, {}});
  maps.maps.push_back(PropertyMap{
      "Qty", kPropertyChunkColumn, {DefaultValueProperty("5"), RequiredProperty(true)}});
  const std::vector<uint8_t> blob = EncodePropertyBlob(maps);
  const std::vector<uint8_t> expected = {
      'M', 'R', '2', 0,
      // the names: DefaultValue, Required
      0x32, 0, 0, 0, 0x80, 0, 24, 0, 'D', 0, 'e', 0, 'f', 0, 'a', 0, 'u', 0, 'l', 0, 't', 0, 'V', 0,
      'a', 0, 'l', 0, 'u', 0, 'e', 0, 16, 0, 'R', 0, 'e', 0, 'q', 0, 'u', 0, 'i', 0, 'r', 0, 'e', 0,
      'd', 0,
      // the table's own map: an unnamed name block, no values
      12, 0, 0, 0, 0x00, 0, 6, 0, 0, 0, 0, 0,
      // the column's map: its name, then DefaultValue (Memo, DDL) and Required (Boolean, DDL)
      0x25, 0, 0, 0, 0x01, 0, 12, 0, 0, 0, 6, 0, 'Q', 0, 't', 0, 'y', 0, 10, 0, 1, kTypeMemo, 0, 0,
      2, 0, '5', 0, 9, 0, 1, kTypeBoolean, 1, 0, 1, 0, 1};
  EXPECT_EQ(blob, expected);

  const PropertyMaps back = DecodePropertyBlob(ByteView(blob), kText);
  ASSERT_EQ(back.maps.size(), 2u);
  const PropertyMap* qty = back.Find("Qty", kPropertyChunkColumn);
  ASSERT_NE(qty, nullptr);
  EXPECT_EQ(qty->Find("DefaultValue")->value, Cell{std::string("5")});
  EXPECT_TRUE(qty->Find("DefaultValue")->ddl);
  EXPECT_EQ(qty->Find("Required")->value, Cell{true});
  EXPECT_TRUE(EncodePropertyBlob(PropertyMaps{}).empty());
}

// A blob changed and written again: the changed value takes its new bytes, the others keep
// Access's, and the blob reads back as changed.
TEST(PropertyBlobEncoderTest, ChangedValuesTakeNewBytes) {
  PropertyMaps maps;
  maps.maps.push_back(
      PropertyMap{"Name",
                  kPropertyChunkColumn,
                  {Property{"ColumnWidth", kTypeInt, true, Cell{int64_t{-1}}},
                   Property{"Description", kTypeMemo, false, Cell{std::string("Имя и фамилия")}}}});
  PropertyBlobExtras extras;
  extras.names = {"Unused", "Description", "ColumnWidth"};
  // Access stored the width in four bytes and a flag bit beside the DDL flag.
  extras.values = {{{maps.maps[0].properties[0], 0x81, {0xFF, 0xFF, 0xFF, 0xFF}},
                    {maps.maps[0].properties[1], 0x00, {}}}};
  extras.values[0][1].data = EncodePropertyValue(maps.maps[0].properties[1]);
  const std::vector<uint8_t> kept = EncodePropertyBlob(maps, extras);
  const PropertyBlobExtras again = DecodePropertyBlobExtras(ByteView(kept), kText);
  EXPECT_EQ(again.names, extras.names);
  EXPECT_EQ(again.values[0][0].data, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(again.values[0][0].flags, 0x81);

  maps.maps[0].properties[0].value = Cell{int64_t{1440}};
  maps.maps[0].properties.push_back(RequiredProperty(false));
  const std::vector<uint8_t> changed = EncodePropertyBlob(maps, extras);
  const PropertyBlobExtras after = DecodePropertyBlobExtras(ByteView(changed), kText);
  EXPECT_EQ(after.names,
            (std::vector<std::string>{"Unused", "Description", "ColumnWidth", "Required"}));
  EXPECT_EQ(after.values[0][0].data, (std::vector<uint8_t>{0xA0, 0x05}));
  EXPECT_EQ(after.values[0][0].flags, 0x81);  // the flag byte still says what it said
  EXPECT_EQ(after.values[0][1].data, extras.values[0][1].data);
  const PropertyMaps back = DecodePropertyBlob(ByteView(changed), kText);
  EXPECT_EQ(back.maps[0].Find("ColumnWidth")->value, Cell{int64_t{1440}});
  EXPECT_EQ(back.maps[0].Find("Description")->value, Cell{std::string("Имя и фамилия")});
  EXPECT_EQ(back.maps[0].Find("Required")->value, Cell{false});
}

TEST(PropertyBlobEncoderTest, RefusesValuesTheirTypeCannotHold) {
  PropertyMaps maps;
  maps.maps.push_back(PropertyMap{
      "c", kPropertyChunkColumn, {Property{"Required", kTypeBoolean, true, Cell{int64_t{1}}}}});
  EXPECT_THROW(EncodePropertyBlob(maps), FormatError);
  maps.maps[0].properties[0] = Property{"GUID", kTypeGuid, false, Cell{std::string("{x}")}};
  EXPECT_THROW(EncodePropertyBlob(maps), FormatError);
  maps.maps[0].properties[0] = RequiredProperty(true);
  maps.maps[0].kind = 0x02;
  EXPECT_THROW(EncodePropertyBlob(maps), FormatError);
  maps.maps[0].kind = kPropertyChunkColumn;
  maps.maps[0].properties[0] = DefaultValueProperty(std::string(40000, 'x'));
  EXPECT_THROW(EncodePropertyBlob(maps), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
