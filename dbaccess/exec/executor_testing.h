// Helpers for the engine layer's tests: databases built from SQL text, errors caught with
// their number and text, and (temp_folder_testing.h) temporary folders.
#ifndef SKARNVEL_DBACCESS_EXEC_EXECUTOR_TESTING_H_
#define SKARNVEL_DBACCESS_EXEC_EXECUTOR_TESTING_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/exec/executor.h"

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

}  // namespace dbaccess::testing

#endif  // SKARNVEL_DBACCESS_EXEC_EXECUTOR_TESTING_H_
