#include "dbaccess/storage/text/password_hash.h"

#include <gtest/gtest.h>

namespace dbaccess {
namespace {

// A record made by another PBKDF2 implementation (Python's hashlib), as a file written
// before keeps it: the password "пароль", 1000 iterations, the salt 00 01 .. 0f.
constexpr char kStoredRecord[] =
    "pbkdf2-sha256$1000$000102030405060708090a0b0c0d0e0f$"
    "dc3cbb7b0809ab4b7c1931756f52a95b49d5744cae86294b174c56107ed5c2a0";

TEST(PasswordHashTest, RecordsMadeBeforeAndNowVerifyOnlyTheirPassword) {
  EXPECT_TRUE(VerifyPassword("пароль", kStoredRecord));
  EXPECT_FALSE(VerifyPassword("Пароль", kStoredRecord));  // case counts
  EXPECT_FALSE(VerifyPassword("", kStoredRecord));

  const std::string record = HashPassword("Секрет 1", 10);
  EXPECT_EQ(record.rfind("pbkdf2-sha256$10$", 0), 0u) << record;
  EXPECT_TRUE(VerifyPassword("Секрет 1", record));
  EXPECT_FALSE(VerifyPassword("Секрет 2", record));
  EXPECT_NE(HashPassword("Секрет 1", 10), record);  // a fresh salt each time
}

TEST(PasswordHashTest, MalformedRecordsVerifyNothing) {
  const std::string good = kStoredRecord;
  for (const std::string& bad : {
           std::string(), good.substr(0, good.size() - 2),  // a hash too short
           "pbkdf2-sha1" + good.substr(13),                 // another scheme
           "pbkdf2-sha256$0$" + good.substr(19),            // no iterations
           "pbkdf2-sha256$99999999$" + good.substr(19),     // too many to try
           "pbkdf2-sha256$1x00$" + good.substr(19),         // not a number
           good.substr(0, 19) + "zz" + good.substr(21),     // not hex
           good + "$",                                      // a fifth part
       }) {
    EXPECT_FALSE(VerifyPassword("пароль", bad)) << bad;
  }
}

}  // namespace
}  // namespace dbaccess
