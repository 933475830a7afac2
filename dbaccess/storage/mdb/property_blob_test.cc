#include "dbaccess/storage/mdb/property_blob.h"

#include <gtest/gtest.h>

#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

// Builds Jet 4 property blobs the way Access lays them out.
class BlobBuilder {
 public:
  explicit BlobBuilder(std::vector<std::string> names) : names_(std::move(names)) {
    bytes_.assign(kPropertyBlobJet4, kPropertyBlobJet4 + 4);
    std::vector<uint8_t> body;
    for (const std::string& name : names_) AppendName(body, name);
    AppendChunk(kPropertyChunkNames, body);
  }

  struct Value {
    std::string name;
    uint8_t type;
    std::vector<uint8_t> data;
  };

  BlobBuilder& Map(uint16_t kind, const std::string& map_name, const std::vector<Value>& values) {
    std::vector<uint8_t> body;
    std::vector<uint8_t> name_block(4, 0);
    if (!map_name.empty()) AppendName(name_block, map_name);
    testing::Put32(name_block, 0, static_cast<uint32_t>(name_block.size()));
    body.insert(body.end(), name_block.begin(), name_block.end());
    for (const Value& v : values) {
      const size_t index = std::find(names_.begin(), names_.end(), v.name) - names_.begin();
      std::vector<uint8_t> value(8, 0);
      testing::Put16(value, 0, static_cast<uint32_t>(8 + v.data.size()));
      value[2] = 1;  // set by DDL
      value[3] = v.type;
      testing::Put16(value, 4, static_cast<uint32_t>(index));
      testing::Put16(value, 6, static_cast<uint32_t>(v.data.size()));
      value.insert(value.end(), v.data.begin(), v.data.end());
      body.insert(body.end(), value.begin(), value.end());
    }
    AppendChunk(kind, body);
    return *this;
  }

  const std::vector<uint8_t>& bytes() const { return bytes_; }

  static std::vector<uint8_t> Ucs2(const std::string& ascii) {
    std::vector<uint8_t> out;
    for (char c : ascii) {
      out.push_back(static_cast<uint8_t>(c));
      out.push_back(0);
    }
    return out;
  }

 private:
  static void AppendName(std::vector<uint8_t>& out, const std::string& name) {
    const std::vector<uint8_t> text = Ucs2(name);
    out.push_back(static_cast<uint8_t>(text.size()));
    out.push_back(static_cast<uint8_t>(text.size() >> 8));
    out.insert(out.end(), text.begin(), text.end());
  }
  void AppendChunk(uint16_t kind, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> chunk(6, 0);
    testing::Put32(chunk, 0, static_cast<uint32_t>(6 + body.size()));
    testing::Put16(chunk, 4, kind);
    chunk.insert(chunk.end(), body.begin(), body.end());
    bytes_.insert(bytes_.end(), chunk.begin(), chunk.end());
  }

  std::vector<std::string> names_;
  std::vector<uint8_t> bytes_;
};

const TextDecoder kText(JetVersion::kJet4, 1252);

TEST(PropertyBlobTest, ReadsObjectAndColumnMaps) {
  BlobBuilder blob({"Required", "DefaultValue", "Description", "ColumnWidth"});
  blob.Map(kPropertyChunkObject, "", {{"Description", kTypeMemo, BlobBuilder::Ucs2("Orders")}})
      .Map(kPropertyChunkColumn, "Qty",
           {{"Required", kTypeBoolean, {1}},
            {"DefaultValue", kTypeMemo, BlobBuilder::Ucs2("\"a;b\"")},
            {"ColumnWidth", kTypeInt, {0xFF, 0xFF}}});
  const PropertyMaps maps = DecodePropertyBlob(ByteView(blob.bytes()), kText);
  ASSERT_EQ(maps.maps.size(), 2u);
  EXPECT_EQ(PropertyDisplayText(*maps.Find("", kPropertyChunkObject)->Find("Description")),
            "Orders");
  const PropertyMap* qty = maps.Find("QTY", kPropertyChunkColumn);
  ASSERT_NE(qty, nullptr);
  EXPECT_EQ(qty->kind, kPropertyChunkColumn);
  EXPECT_EQ(qty->Find("required")->value, Cell{true});
  EXPECT_EQ(PropertyDisplayText(*qty->Find("Required")), "True");
  EXPECT_EQ(PropertyDisplayText(*qty->Find("DefaultValue")), "\"a;b\"");
  EXPECT_EQ(PropertyDisplayText(*qty->Find("ColumnWidth")), "-1");
  EXPECT_EQ(qty->Find("Description"), nullptr);
  EXPECT_TRUE(DecodePropertyBlob(ByteView(), kText).maps.empty());
}

TEST(PropertyBlobTest, ShowsEveryValueKindAsText) {
  auto text_of = [](uint8_t type, std::vector<uint8_t> data, const std::string& name = "P") {
    BlobBuilder blob({name});
    blob.Map(kPropertyChunkColumn, "c", {{name, type, std::move(data)}});
    const PropertyMaps maps = DecodePropertyBlob(ByteView(blob.bytes()), kText);
    return PropertyDisplayText(maps.maps.at(0).properties.at(0));
  };
  EXPECT_EQ(text_of(kTypeBoolean, {0}), "False");
  EXPECT_EQ(text_of(kTypeLong, {0x39, 0x30, 0, 0}), "12345");
  EXPECT_EQ(text_of(kTypeMoney, {0x50, 0xC3, 0, 0, 0, 0, 0, 0}), "5");  // 50000 / 10000
  EXPECT_EQ(text_of(kTypeDouble, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}), "1.5");
  EXPECT_EQ(text_of(kTypeDateTime, {0, 0, 0, 0, 0x90, 0x1D, 0xE6, 0x40}), "2024-01-01 12:00:00");
  const std::vector<uint8_t> guid = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                                     0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ(text_of(kTypeBinary, guid, "GUID"), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
  EXPECT_EQ(text_of(kTypeBinary, {0xAB, 0x01}), "AB01");
}

TEST(PropertyBlobTest, RefusesDamagedBlobs) {
  BlobBuilder blob({"Required"});
  blob.Map(kPropertyChunkColumn, "c", {{"Required", kTypeBoolean, {1}}});
  const std::vector<uint8_t> good = blob.bytes();
  EXPECT_NO_THROW(DecodePropertyBlob(ByteView(good), kText));

  std::vector<uint8_t> signature = good;
  signature[0] = 'X';
  EXPECT_THROW(DecodePropertyBlob(ByteView(signature), kText), FormatError);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
  EXPECT_THROW(DecodePropertyBlob(ByteView(truncated), kText), FormatError);
  std::vector<uint8_t> zero_chunk = good;
  testing::Put32(zero_chunk, 4, 0);  // a chunk of length 0 would never advance
  EXPECT_THROW(DecodePropertyBlob(ByteView(zero_chunk), kText), FormatError);
  std::vector<uint8_t> bad_index = good;
  bad_index[bad_index.size() - 5] = 9;  // the name index, past the name list
  EXPECT_THROW(DecodePropertyBlob(ByteView(bad_index), kText), FormatError);
}

}  // namespace
}  // namespace dbaccess::mdb
