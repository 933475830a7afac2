#include "dbaccess/base/jet_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>

namespace dbaccess {
namespace {

namespace je = jet_errors;

// The table of Jet's error texts in the shared Jet facts, "name", "path", "table" and
// "field" standing for what the message names.
TEST(JetErrorTest, TextsAreJetsWordForWord) {
  const std::string facts = std::string(SKARNVEL_SHARED_DIR) + "/jet/ENGINE.md";
  if (!std::filesystem::exists(facts)) GTEST_SKIP() << facts << " is not here";
  const std::map<int, std::function<JetError()>> functions = {
      {3010, [] { return je::TableExists("name"); }},
      {3376, [] { return je::TableDoesNotExist("name"); }},
      {3371, [] { return je::CannotFindTableOrConstraint(); }},
      {3191, [] { return je::FieldDefinedTwice(); }},
      {3265, [] { return je::ItemNotFound(); }},
      {3280, [] { return je::FieldInIndex(); }},
      {3303, [] { return je::DeleteFieldInRelationship(); }},
      {3383, [] { return je::FieldInRelationship("name"); }},
      {3720, [] { return je::ChangeFieldInRelationship("name"); }},
      {3292, [] { return je::SyntaxErrorInFieldDefinition(); }},
      {3293, [] { return je::SyntaxErrorInAlterTable(); }},
      {3290, [] { return je::SyntaxErrorInCreateTable(); }},
      {3289, [] { return je::SyntaxErrorInConstraint(); }},
      {3283, [] { return je::PrimaryKeyExists(); }},
      {3022, [] { return je::DuplicateValues(); }},
      {3375, [] { return je::IndexExists("name", "name"); }},
      {3377, [] { return je::NoSuchRelationship("name", "name"); }},
      {3378, [] { return je::RelationshipExists("name"); }},
      {3379, [] { return je::OrphanRows("name", "name"); }},
      {3031, [] { return je::NotAValidPassword(); }},
      {3024, [] { return je::CouldNotFindFile("path"); }},
      {3343, [] { return je::UnrecognizedFormat("path"); }},
      {3045, [] { return je::FileInUse("path"); }},
      {3314, [] { return je::NullInRequired("table", "field"); }},
  };
  std::ifstream in(facts);
  const std::regex row(R"(^\| ([0-9 /]+) \| (.+) \|$)");
  std::string line;
  int checked = 0;
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    // "3292 / 3293" with "text one. / text two." pair up in order.
    std::vector<int> numbers;
    std::stringstream ns(m[1].str());
    for (std::string n; ns >> n;) {
      if (n != "/") numbers.push_back(std::stoi(n));
    }
    std::vector<std::string> texts;
    std::string rest = m[2].str();
    for (size_t at; (at = rest.find(" / ")) != std::string::npos; rest.erase(0, at + 3)) {
      texts.push_back(rest.substr(0, at));
    }
    texts.push_back(rest);
    ASSERT_EQ(numbers.size(), texts.size()) << line;
    for (size_t i = 0; i < numbers.size(); ++i) {
      auto f = functions.find(numbers[i]);
      ASSERT_NE(f, functions.end()) << "no function for " << numbers[i];
      const JetError e = f->second();
      EXPECT_EQ(e.number(), numbers[i]);
      EXPECT_EQ(std::string(e.what()), texts[i]) << numbers[i];
      ++checked;
    }
  }
  EXPECT_EQ(checked, static_cast<int>(functions.size()));
}

TEST(JetErrorTest, ScriptErrorsKeepTheNumberAndNameTheLine) {
  const JetError e = je::ScriptError(12, je::TableExists("T"));
  EXPECT_EQ(e.number(), 3010);
  EXPECT_EQ(std::string(e.what()), "Line 12 of the database script: Table 'T' already exists.");
}

}  // namespace
}  // namespace dbaccess
