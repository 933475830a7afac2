#include "dbaccess/storage/mdb/access_lock_file.h"

#include <gtest/gtest.h>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"

namespace dbaccess::mdb {
namespace {

using dbaccess::testing::TempFolder;

// One user's record as Access writes it: the computer's name, then the user's, each
// NUL-padded to 32 bytes.
std::string AccessRecord(const std::string& computer, const std::string& user) {
  std::string record(64, '\0');
  record.replace(0, computer.size(), computer);
  record.replace(32, user.size(), user);
  return record;
}

TEST(AccessLockFileTest, OnlyALockFileWithRecordsCounts) {
  TempFolder folder;
  const std::string db = folder.Write("work.mdb", "db");
  EXPECT_EQ(FindAccessLockFile(db), std::nullopt);
  folder.Write("work.ldb", "");  // ours, held or left by a killed writer
  EXPECT_EQ(FindAccessLockFile(db), std::nullopt);
  folder.Write("work.ldb", AccessRecord("PC-ACCOUNTS", "Admin"));
  EXPECT_EQ(FindAccessLockFile(db), folder.File("work.ldb"));
  // Another database's lock file is not this one's.
  const std::string other = folder.Write("other.mdb", "db");
  EXPECT_EQ(FindAccessLockFile(other), std::nullopt);
}

// Names as Windows compares them; Jet replaces any extension with ".ldb".
TEST(AccessLockFileTest, FindsTheLockFileWhateverTheCaseOfItsName) {
  TempFolder folder;
  const std::string db = folder.Write("Work.MDB", "db");
  folder.Write("WORK.LDB", AccessRecord("PC", "Admin"));
  EXPECT_EQ(FindAccessLockFile(db), folder.File("WORK.LDB"));
  const std::string data = folder.Write("books.dat", "db");
  folder.Write("books.ldb", AccessRecord("PC", "Admin"));
  EXPECT_EQ(FindAccessLockFile(data), folder.File("books.ldb"));
  // A database named like a lock file is not its own lock file.
  const std::string odd = folder.Write("odd.ldb", "a database after all");
  EXPECT_EQ(FindAccessLockFile(odd), std::nullopt);
}

TEST(AccessLockFileTest, TheRefusalNamesTheLockFile) {
  TempFolder folder;
  const std::string db = folder.Write("work.mdb", "db");
  EXPECT_NO_THROW(RefuseWhileOpenInAccess(db));
  folder.Write("work.ldb", AccessRecord("PC", "Admin"));
  try {
    RefuseWhileOpenInAccess(db);
    ADD_FAILURE() << "not refused";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3045);
    EXPECT_EQ(std::string(e.what()),
              "Could not use '" + db + "'; file already in use.  Access's lock file '" +
                  folder.File("work.ldb") +
                  "' lies beside it: the database is open in Access, or Access stopped without "
                  "removing the lock file.  Close the database in Access (or delete the lock "
                  "file once no one has the database open) and try again; nothing was changed.");
  }
}

}  // namespace
}  // namespace dbaccess::mdb
