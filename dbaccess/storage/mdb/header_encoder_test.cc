#include "dbaccess/storage/mdb/header_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <sstream>

#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

// Where the first two counters of page 0 are: the only bytes Jet changes as a file is used.
constexpr size_t kCountersFrom = 0xE00;
constexpr size_t kCountersTo = 0xE04;

constexpr double kCreated = 45321.6789;  // 2024-01-30 16:17:36

Page FirstPage(const std::string& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  bytes.resize(kJet4Layout.page_size);
  return bytes;
}

std::string KnownPassword(const std::string& file) {
  if (file == "V2000_with-password.mdb") return "password";
  if (file == "password_ucanaccess.mdb") return "ucanaccess";
  return {};
}

std::string Differences(const Page& ours, const Page& theirs, size_t skip_from = 0,
                        size_t skip_to = 0) {
  std::ostringstream out;
  for (size_t i = 0; i < ours.size() && i < theirs.size(); ++i) {
    if (i >= skip_from && i < skip_to) continue;
    if (ours[i] != theirs[i]) {
      out << std::hex << " 0x" << i << ": ours " << int{ours[i]} << ", theirs " << int{theirs[i]};
    }
  }
  return out.str();
}

// The engine's own new file and Access 2000's come back byte for byte from what the reader
// makes of them.
TEST(HeaderEncoderTest, EncodesTheEngineAndAccessHeadersByteForByte) {
  SKIP_WITHOUT_TEST_DATA();
  for (const char* name : {"adox_jet4.mdb", "empty2000.mdb"}) {
    const Page page = FirstPage(TestFile(name));
    const Header header = DecodeHeader(ByteView(page));
    EXPECT_EQ(Differences(EncodeHeader(header), page), "") << name;
  }
  const Header engine = DecodeHeader(ByteView(FirstPage(TestFile("adox_jet4.mdb"))));
  EXPECT_EQ(engine.engine_build, kNewDatabaseEngineBuild);
  EXPECT_EQ(DecodeHeader(ByteView(FirstPage(TestFile("empty2000.mdb")))).engine_build, 8618);
}

// Every Jet 4 file we have, whoever made it, encrypted or with a password: every byte of
// page 0 is one we write, apart from the two counters Jet raises as a file is used.
TEST(HeaderEncoderTest, EveryJet4HeaderDiffersOnlyInItsUsageCounters) {
  SKIP_WITHOUT_TEST_DATA();
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TestFile(""))) {
    if (entry.path().extension() != ".mdb") continue;
    const Page page = FirstPage(entry.path().string());
    const Header header = DecodeHeader(ByteView(page));
    if (header.version != JetVersion::kJet4) continue;
    ++files;
    const std::string name = entry.path().filename().string();
    const Page ours = EncodeHeader(header, KnownPassword(name));
    EXPECT_EQ(Differences(ours, page, kCountersFrom, kCountersTo), "") << name;
  }
  EXPECT_GE(files, 15u);
}

TEST(HeaderEncoderTest, NewHeaderReadsBackAsMade) {
  const Page page = EncodeHeader(NewDatabaseHeader(kCreated));
  ASSERT_EQ(page.size(), 4096u);
  const Header header = DecodeHeader(ByteView(page));
  EXPECT_EQ(header.version, JetVersion::kJet4);
  EXPECT_EQ(header.code_page, 1252);
  EXPECT_EQ(header.sort_order, 0x409);
  EXPECT_EQ(header.sort_order_version, 0);
  EXPECT_EQ(header.database_key, 0u);
  EXPECT_EQ(header.creation_date, kCreated);
  EXPECT_EQ(header.engine_build, kNewDatabaseEngineBuild);
  EXPECT_FALSE(header.has_password);
  EXPECT_TRUE(PasswordMatches(ByteView(page), ""));
  EXPECT_TRUE(PasswordMatches(ByteView(page), "anything"));
}

TEST(HeaderEncoderTest, StoresPasswordsThatOnlyOpenWithThemselves) {
  for (const std::string& password :
       {std::string("s3cret"), std::string("Пароль ёЁ"), std::string("12345678901234567890")}) {
    const Page page = EncodeHeader(NewDatabaseHeader(kCreated), password);
    EXPECT_TRUE(DecodeHeader(ByteView(page)).has_password) << password;
    EXPECT_TRUE(PasswordMatches(ByteView(page), password)) << password;
    EXPECT_FALSE(PasswordMatches(ByteView(page), "")) << password;
    EXPECT_FALSE(PasswordMatches(ByteView(page), password.substr(1))) << password;
    EXPECT_FALSE(PasswordMatches(ByteView(page), password + "x")) << password;
  }
  const Page page = EncodeHeader(NewDatabaseHeader(kCreated), "s3cret");
  EXPECT_FALSE(PasswordMatches(ByteView(page), "S3cret"));
  // The password changes nothing but its own 40 bytes.
  EXPECT_EQ(Differences(page, EncodeHeader(NewDatabaseHeader(kCreated)), kHeaderPasswordOffset,
                        kHeaderPasswordOffset + 40),
            "");
}

TEST(HeaderEncoderTest, RefusesWhatCouldNotBeOpenedOrRead) {
  const Header header = NewDatabaseHeader(kCreated);
  EXPECT_THROW(EncodeHeader(header, "123456789012345678901"), FormatError);
  EXPECT_THROW(EncodeHeader(header, std::string("pass\0word", 9)), FormatError);
  Header jet3 = header;
  jet3.version = JetVersion::kJet3;
  EXPECT_THROW(EncodeHeader(jet3), FormatError);
  for (double date :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300}) {
    Header odd = header;
    odd.creation_date = date;
    EXPECT_THROW(EncodeHeader(odd, "pw"), FormatError) << date;
  }
}

}  // namespace
}  // namespace dbaccess::mdb
