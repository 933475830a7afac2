#include "dbaccess/storage/mdb/header.h"

#include <gtest/gtest.h>

#include <cstring>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::TestFile;

std::vector<uint8_t> FirstPage(const std::string& file, size_t size = 4096) {
  std::vector<uint8_t> bytes = ReadBytes(TestFile(file));
  bytes.resize(size);
  return bytes;
}

TEST(HeaderTest, TellsJetVersionsFromOtherFiles) {
  SKIP_WITHOUT_TEST_DATA();
  EXPECT_EQ(DetectVersion(ByteView(FirstPage("testV2000.mdb"))), JetVersion::kJet4);
  EXPECT_EQ(DetectVersion(ByteView(FirstPage("testV1997.mdb", 2048))), JetVersion::kJet3);

  std::vector<uint8_t> ace = FirstPage("testV2000.mdb");
  std::memcpy(ace.data() + 4, "Standard ACE DB", 15);
  ace[kHeaderVersionOffset] = 2;  // Access 2007
  EXPECT_TRUE(IsJetSignature(ByteView(ace)));
  EXPECT_FALSE(DetectVersion(ByteView(ace)).has_value());

  std::vector<uint8_t> future = FirstPage("testV2000.mdb");
  future[kHeaderVersionOffset] = 7;
  EXPECT_FALSE(DetectVersion(ByteView(future)).has_value());

  const std::string text = "Standard Jet DB, but a text file";
  EXPECT_FALSE(
      IsJetSignature(ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
  EXPECT_FALSE(IsJetSignature(ByteView()));
  EXPECT_THROW(DecodeHeader(ByteView(FirstPage("testV2000.mdb", 40))), FormatError);
}

TEST(HeaderTest, ReadsCodePageSortOrderAndEncryptionKey) {
  SKIP_WITHOUT_TEST_DATA();
  const Header jet4 = DecodeHeader(ByteView(FirstPage("testV2000.mdb")));
  EXPECT_EQ(jet4.version, JetVersion::kJet4);
  EXPECT_EQ(jet4.code_page, 1252);
  EXPECT_EQ(jet4.sort_order, 0x409);
  EXPECT_EQ(jet4.database_key, 0u);
  EXPECT_FALSE(jet4.has_password);

  const Header jet3 = DecodeHeader(ByteView(FirstPage("testV1997.mdb", 2048)));
  EXPECT_EQ(jet3.version, JetVersion::kJet3);
  EXPECT_EQ(jet3.layout().page_size, 2048);
  EXPECT_EQ(jet3.sort_order, 0x409);

  EXPECT_NE(DecodeHeader(ByteView(FirstPage("db-enc.mdb"))).database_key, 0u);
}

TEST(HeaderTest, MaskIsItsOwnInverse) {
  SKIP_WITHOUT_TEST_DATA();
  std::vector<uint8_t> page = FirstPage("testV2000.mdb");
  const std::vector<uint8_t> original = page;
  ApplyHeaderMask(page, JetVersion::kJet4);
  EXPECT_NE(page, original);
  ApplyHeaderMask(page, JetVersion::kJet4);
  EXPECT_EQ(page, original);
}

TEST(HeaderTest, ChecksTheStoredPasswordExactly) {
  SKIP_WITHOUT_TEST_DATA();
  const std::vector<uint8_t> page = FirstPage("V2000_with-password.mdb");
  EXPECT_TRUE(DecodeHeader(ByteView(page)).has_password);
  EXPECT_TRUE(PasswordMatches(ByteView(page), "password"));
  EXPECT_FALSE(PasswordMatches(ByteView(page), ""));
  EXPECT_FALSE(PasswordMatches(ByteView(page), "Password"));
  EXPECT_FALSE(PasswordMatches(ByteView(page), "passwor"));
  EXPECT_FALSE(PasswordMatches(ByteView(page), "password1"));
  EXPECT_FALSE(PasswordMatches(ByteView(page), std::string("password\0x", 10)));

  const std::vector<uint8_t> other = FirstPage("password_ucanaccess.mdb");
  EXPECT_TRUE(PasswordMatches(ByteView(other), "ucanaccess"));
  EXPECT_FALSE(PasswordMatches(ByteView(other), "password"));
}

TEST(HeaderTest, IgnoresAPasswordGivenForAnOpenDatabase) {
  SKIP_WITHOUT_TEST_DATA();
  const std::vector<uint8_t> page = FirstPage("V2000_no-password.mdb");
  EXPECT_TRUE(PasswordMatches(ByteView(page), ""));
  EXPECT_TRUE(PasswordMatches(ByteView(page), "anything"));
}

TEST(HeaderTest, StoresAndChecksPasswordsOfEveryAlphabet) {
  SKIP_WITHOUT_TEST_DATA();
  for (const std::string& password :
       {std::string("Пароль-ёЁ"), std::string("12345678901234567890"), std::string("a")}) {
    std::vector<uint8_t> page = FirstPage("V2000_no-password.mdb");
    StorePassword(page, password);
    EXPECT_TRUE(PasswordMatches(ByteView(page), password)) << password;
    EXPECT_FALSE(PasswordMatches(ByteView(page), password + "x")) << password;
    EXPECT_FALSE(PasswordMatches(ByteView(page), "")) << password;
  }
  std::vector<uint8_t> page = FirstPage("V2000_no-password.mdb");
  EXPECT_THROW(StorePassword(page, "123456789012345678901"), FormatError);

  std::vector<uint8_t> jet3 = FirstPage("testV1997.mdb", 2048);
  StorePassword(jet3, "Secret");
  EXPECT_TRUE(DecodeHeader(ByteView(jet3)).has_password);
  EXPECT_TRUE(PasswordMatches(ByteView(jet3), "Secret"));
  EXPECT_FALSE(PasswordMatches(ByteView(jet3), "secret"));
}

}  // namespace
}  // namespace dbaccess::mdb
