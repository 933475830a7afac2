// Helpers for the engine layer's tests: databases built from SQL text, errors caught with
// their number and text, temporary folders.
#ifndef SKARNVEL_DBACCESS_TEST_UTIL_H_
#define SKARNVEL_DBACCESS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "dbaccess/catalog.h"
#include "dbaccess/executor.h"
#include "dbaccess/jet_error.h"

namespace dbaccess::testing {

// Runs each statement; a failure fails the test with the statement and Jet's text.
inline void Exec(Catalog& catalog, std::initializer_list<std::string_view> statements) {
  for (std::string_view sql : statements) {
    ChangeList changes;
    try {
      ExecuteSql(catalog, sql, changes);
    } catch (const JetError& e) {
      ADD_FAILURE() << sql << "\n  -> " << e.number() << " " << e.what();
    }
  }
}

inline Catalog Database(std::initializer_list<std::string_view> statements) {
  Catalog catalog;
  Exec(catalog, statements);
  return catalog;
}

struct Caught {
  bool thrown = false;
  int number = 0;
  std::string text;
};

inline Caught CatchJetError(const std::function<void()>& action) {
  Caught caught;
  try {
    action();
  } catch (const JetError& e) {
    caught.thrown = true;
    caught.number = e.number();
    caught.text = e.what();
  }
  return caught;
}

// Executes `sql` expecting a refusal; returns it. The catalog and the change list must be
// exactly as they were (the executor's all-or-nothing promise).
inline Caught Refusal(Catalog& catalog, std::string_view sql) {
  const Catalog before = catalog;
  ChangeList changes;
  Caught caught = CatchJetError([&] { ExecuteSql(catalog, sql, changes); });
  EXPECT_TRUE(caught.thrown) << sql << " was not refused";
  EXPECT_TRUE(catalog == before) << sql << " changed the catalog although it was refused";
  EXPECT_TRUE(changes.empty()) << sql << " reported changes although it was refused";
  return caught;
}

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "skarnvel-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

}  // namespace dbaccess::testing

#endif  // SKARNVEL_DBACCESS_TEST_UTIL_H_
