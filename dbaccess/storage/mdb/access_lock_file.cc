#include "dbaccess/storage/mdb/access_lock_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "dbaccess/base/ascii_case.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/write_lock.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAccessLockExtension = ".ldb";

bool HoldsSomething(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

}  // namespace

std::optional<std::string> FindAccessLockFile(const std::string& path) {
  const fs::path database(path);
  const fs::path folder = database.parent_path();
  // Jet names its lock file after the database with the extension replaced; our own lock
  // file keeps the extension of a database not named *.mdb.
  std::vector<std::string> names;
  for (std::string name : {database.stem().string() + std::string(kAccessLockExtension),
                           fs::path(LockFilePath(path)).filename().string()}) {
    // Never the database itself ("work.ldb" would be its own lock file's name).
    if (!EqualsIgnoringAsciiCase(name, database.filename().string())) names.push_back(name);
  }
  for (const std::string& name : names) {
    const std::string candidate = (folder / name).string();
    if (HoldsSomething(candidate)) return candidate;
  }
  // The same names in another case.
  std::error_code error;
  fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error);
  for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    for (const std::string& wanted : names) {
      if (!EqualsIgnoringAsciiCase(name, wanted)) continue;
      const std::string candidate = (folder / name).string();
      if (HoldsSomething(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

void RefuseWhileOpenInAccess(const std::string& path) {
  if (const auto lock_file = FindAccessLockFile(path)) {
    throw jet_errors::OpenInAccess(path, *lock_file);
  }
}

}  // namespace dbaccess::mdb
