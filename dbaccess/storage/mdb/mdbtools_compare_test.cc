// Our reader against an independent one: Debian's mdbtools (mdb-tables, mdb-schema,
// mdb-export) on every test file. Skipped when mdbtools is not installed
// (scripts/install-deps.sh installs it).
//
// mdbtools has faults of its own: on some files it cannot resolve an index's columns (it
// says so on standard error and prints an empty column list) and its schema output lists
// only one relationship. Those parts are compared where mdbtools reads them: index columns
// when it lists them, relationships from the raw MSysRelationships rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/relationships.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;
using testing::TestFile;

struct CommandResult {
  std::string out;
  std::string err;
  int status = -1;
};

CommandResult RunCommand(const std::string& command) {
  const std::string err_file =
      (fs::temp_directory_path() / ("skarnvel-mdbtools-" + std::to_string(::getpid()))).string();
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>'" + err_file + "'").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  result.status = ::pclose(pipe);
  const auto err = testing::ReadBytes(err_file);
  result.err.assign(err.begin(), err.end());
  fs::remove(err_file);
  return result;
}

bool MdbToolsInstalled() {
  return RunCommand("command -v mdb-schema >/dev/null && echo yes").out == "yes\n";
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// CSV as mdb-export writes it: "," between fields, strings in double quotes (inner ones
// doubled), line breaks inside quoted fields.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  bool any = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
      any = true;
    } else if (c == '\n') {
      row.push_back(field);
      rows.push_back(row);
      row.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any) {
    row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

// mdbtools' name for a column type (its "access" schema backend).
std::string MdbToolsType(const Column& c) {
  switch (c.type) {
    case DataType::kBit:
      return "Boolean";
    case DataType::kByte:
      return "Byte";
    case DataType::kShort:
      return "Integer";
    case DataType::kLong:
      return "Long Integer";
    case DataType::kSingle:
      return "Single";
    case DataType::kDouble:
      return "Double";
    case DataType::kCurrency:
      return "Currency";
    case DataType::kDateTime:
      return "DateTime";
    case DataType::kText:
      return "Text (" + std::to_string(c.size) + ")";
    case DataType::kMemo:
      return "Memo/Hyperlink";
    case DataType::kBinary:
      return "Binary (" + std::to_string(c.size) + ")";
    case DataType::kLongBinary:
      return "OLE";
    case DataType::kGuid:
      return "Replication ID";
    case DataType::kDecimal:
      return "Numeric (" + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ")";
  }
  return "";
}

// Per table, (column name, type) in order, from `mdb-schema ... access`.
std::map<std::string, std::vector<std::pair<std::string, std::string>>> SchemaColumns(
    const std::string& schema) {
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> tables;
  std::string current;
  for (const std::string& line : Lines(schema)) {
    if (line.rfind("CREATE TABLE [", 0) == 0) {
      current = line.substr(14, line.rfind(']') - 14);
      tables[current];
    } else if (!current.empty() && line.size() > 2 && line[0] == '\t' && line[1] == '[') {
      const size_t close = line.find(']');
      const std::string name = line.substr(2, close - 2);
      std::string type = line.substr(line.find_first_not_of('\t', close + 1));
      while (!type.empty() && (type.back() == ' ' || type.back() == ',')) type.pop_back();
      if (type.rfind("Memo/Hyperlink", 0) == 0) type = "Memo/Hyperlink";
      if (type.rfind("OLE", 0) == 0) type = "OLE";
      tables[current].emplace_back(name, type);
    }
  }
  return tables;
}

struct ToolIndex {
  bool primary = false;
  bool unique = false;
  std::string name;
  std::vector<std::string> columns;  // "name" or "name DESC"; empty: mdbtools could not tell
};

// Per table, from `mdb-schema --indexes ... mysql` (names in back quotes).
std::map<std::string, std::vector<ToolIndex>> SchemaIndexes(const std::string& schema) {
  std::map<std::string, std::vector<ToolIndex>> tables;
  for (const std::string& line : Lines(schema)) {
    if (line.rfind("ALTER TABLE `", 0) != 0) continue;
    const size_t table_end = line.find('`', 13);
    const std::string table = line.substr(13, table_end - 13);
    std::string rest = line.substr(table_end + 2);
    ToolIndex index;
    if (rest.rfind("ADD PRIMARY KEY ", 0) == 0) {
      index.primary = true;
    } else if (rest.rfind("ADD UNIQUE INDEX `", 0) == 0 || rest.rfind("ADD INDEX `", 0) == 0) {
      index.unique = rest.rfind("ADD UNIQUE", 0) == 0;
      const size_t start = rest.find('`') + 1;
      index.name = rest.substr(start, rest.find('`', start) - start);
    } else {
      continue;
    }
    const std::string list = rest.substr(rest.find('(') + 1, rest.rfind(')') - rest.find('(') - 1);
    for (size_t pos = 0; (pos = list.find('`', pos)) != std::string::npos;) {
      const size_t end = list.find('`', pos + 1);
      std::string column = list.substr(pos + 1, end - pos - 1);
      if (list.compare(end + 1, 5, " DESC") == 0) column += " DESC";
      index.columns.push_back(column);
      pos = end + 1;
    }
    tables[table].push_back(index);
  }
  return tables;
}

std::string PasswordOf(const std::string& file) {
  if (file == "V2000_with-password.mdb") return "password";
  if (file == "password_ucanaccess.mdb") return "ucanaccess";
  return "";
}

class MdbToolsCompareTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_TEST_DATA();
    if (!MdbToolsInstalled()) GTEST_SKIP() << "mdbtools is not installed";
    path_ = TestFile(GetParam());
    catalog_ = OpenMdbStorage(path_, PasswordOf(GetParam()))->Load();
  }
  std::string path_;
  Catalog catalog_;
};

TEST_P(MdbToolsCompareTest, SameTables) {
  std::set<std::string> tool_user, tool_all, ours_user, ours_all;
  for (const std::string& name : Lines(RunCommand("mdb-tables -1 " + Quote(path_)).out)) {
    tool_user.insert(name);
  }
  for (const std::string& name : Lines(RunCommand("mdb-tables -S -1 " + Quote(path_)).out)) {
    tool_all.insert(name);
  }
  for (const Table& t : catalog_.tables()) {
    ours_all.insert(t.name);
    if (t.kind == TableKind::kUser) ours_user.insert(t.name);
  }
  EXPECT_EQ(ours_user, tool_user);
  EXPECT_EQ(ours_all, tool_all);
}

TEST_P(MdbToolsCompareTest, SameColumnsInTheSameOrderWithTheSameTypes) {
  const auto tool = SchemaColumns(
      RunCommand("mdb-schema --no-indexes --no-relations --no-not-null --no-default-values " +
                 Quote(path_) + " access")
          .out);
  size_t compared = 0;
  for (const Table& table : catalog_.tables()) {
    if (table.kind != TableKind::kUser) continue;
    SCOPED_TRACE(table.name);
    ASSERT_TRUE(tool.count(table.name));
    std::vector<std::pair<std::string, std::string>> ours;
    for (const Column& c : table.columns) ours.emplace_back(c.name, MdbToolsType(c));
    EXPECT_EQ(ours, tool.at(table.name));
    ++compared;
  }
  EXPECT_EQ(compared, tool.size());
}

TEST_P(MdbToolsCompareTest, SameIndexesWheremdbtoolsCanReadThem) {
  const auto tool = SchemaIndexes(
      RunCommand("mdb-schema --indexes --no-relations " + Quote(path_) + " mysql").out);
  for (const Table& table : catalog_.tables()) {
    if (table.kind != TableKind::kUser) continue;
    SCOPED_TRACE(table.name);
    const std::vector<ToolIndex> none;
    const std::vector<ToolIndex>& theirs = tool.count(table.name) ? tool.at(table.name) : none;
    std::set<std::string> our_names, their_names;
    bool their_primary = false;
    for (const ToolIndex& index : theirs) {
      if (index.primary) {
        their_primary = true;
        ASSERT_NE(table.PrimaryKey(), nullptr);
        if (index.columns.empty()) continue;  // mdbtools could not resolve them
        std::vector<std::string> ours;
        for (const IndexColumn& c : table.PrimaryKey()->columns) ours.push_back(c.name);
        EXPECT_EQ(ours, index.columns);
        continue;
      }
      their_names.insert(index.name);
      const Index* ours = table.FindIndex(index.name);
      ASSERT_NE(ours, nullptr) << index.name;
      if (index.columns.empty()) continue;
      std::vector<std::string> columns;
      for (const IndexColumn& c : ours->columns)
        columns.push_back(c.name + (c.descending ? " DESC" : ""));
      EXPECT_EQ(columns, index.columns) << index.name;
      EXPECT_EQ(ours->unique, index.unique) << index.name;
    }
    for (const Index& index : table.indexes) {
      if (!index.primary && !index.foreign) our_names.insert(index.name);
    }
    EXPECT_EQ(our_names, their_names);
    EXPECT_EQ(table.PrimaryKey() != nullptr, their_primary);
  }
}

TEST_P(MdbToolsCompareTest, SameRelationshipsAsTheStoredRows) {
  std::set<std::string> user_tables;
  for (const std::string& name : Lines(RunCommand("mdb-tables -1 " + Quote(path_)).out)) {
    user_tables.insert(name);
  }
  const auto rows = ParseCsv(RunCommand("mdb-export " + Quote(path_) + " MSysRelationships").out);
  ASSERT_FALSE(rows.empty());
  std::map<std::string, size_t> column_index;
  for (size_t i = 0; i < rows[0].size(); ++i) column_index[rows[0][i]] = i;
  std::vector<RelationshipRow> stored;
  for (size_t r = 1; r < rows.size(); ++r) {
    auto at = [&](const char* name) { return rows[r].at(column_index.at(name)); };
    RelationshipRow row;
    row.name = at("szRelationship");
    row.grbit = static_cast<uint32_t>(std::stoll(at("grbit")));
    row.column_index = std::stoi(at("icolumn"));
    row.foreign_table = at("szObject");
    row.foreign_column = at("szColumn");
    row.primary_table = at("szReferencedObject");
    row.primary_column = at("szReferencedColumn");
    if (user_tables.count(row.foreign_table) && user_tables.count(row.primary_table)) {
      stored.push_back(row);
    }
  }
  const auto expected = GroupRelationships(stored);
  ASSERT_EQ(catalog_.relationships().size(), expected.size());
  for (const RelationshipDefinition& def : expected) {
    SCOPED_TRACE(def.name);
    const Relationship* ours = catalog_.FindRelationship(def.name);
    ASSERT_NE(ours, nullptr);
    EXPECT_EQ(ours->primary_table, def.primary_table);
    EXPECT_EQ(ours->foreign_table, def.foreign_table);
    EXPECT_EQ(ours->primary_columns, def.primary_columns);
    EXPECT_EQ(ours->foreign_columns, def.foreign_columns);
    EXPECT_EQ(ours->enforced, (def.grbit & 0x2) == 0);
    EXPECT_EQ(ours->update_rule == Rule::kCascade, (def.grbit & 0x100) != 0);
    EXPECT_EQ(ours->delete_rule == Rule::kCascade, (def.grbit & 0x1000) != 0);
  }
}

// The cells mdb-export prints, compared where the text is exact (texts, memos, integers,
// Yes/No) or numeric (floating point, currency, decimals).
TEST_P(MdbToolsCompareTest, SameRowsAsmdbExport) {
  for (const Table& table : catalog_.tables()) {
    if (table.kind != TableKind::kUser) continue;
    SCOPED_TRACE(table.name);
    const auto rows =
        ParseCsv(RunCommand("mdb-export -b strip " + Quote(path_) + " " + Quote(table.name)).out);
    ASSERT_FALSE(rows.empty());
    ASSERT_EQ(rows.size() - 1, table.rows.size());
    for (size_t r = 0; r < table.rows.size(); ++r) {
      const std::vector<std::string>& theirs = rows[r + 1];
      ASSERT_EQ(theirs.size(), table.columns.size());
      for (size_t c = 0; c < table.columns.size(); ++c) {
        const Cell& cell = table.rows[r][c];
        const std::string& text = theirs[c];
        SCOPED_TRACE(table.columns[c].name + " row " + std::to_string(r));
        if (IsNull(cell)) {
          EXPECT_EQ(text, "");
        } else if (const auto* s = std::get_if<std::string>(&cell)) {
          if (table.columns[c].type == DataType::kDecimal) {
            EXPECT_DOUBLE_EQ(std::stod(*s), std::stod(text));
          } else if (table.columns[c].type != DataType::kGuid) {
            EXPECT_EQ(*s, text);
          }
        } else if (const auto* b = std::get_if<bool>(&cell)) {
          EXPECT_EQ(*b ? "1" : "0", text);
        } else if (const auto* i = std::get_if<int64_t>(&cell)) {
          if (table.columns[c].type == DataType::kCurrency) {
            EXPECT_DOUBLE_EQ(static_cast<double>(*i) / 10000, std::stod(text));
          } else {
            EXPECT_EQ(std::to_string(*i), text);
          }
        } else if (const auto* d = std::get_if<double>(&cell)) {
          if (table.columns[c].type != DataType::kDateTime) {
            EXPECT_NEAR(*d, std::stod(text), 1e-6 * std::max(1.0, std::abs(*d)));
          }
        }
      }
    }
  }
}

// The test files; without them one placeholder, whose test skips saying so (listing the
// tests must work in any case).
constexpr char kNoTestFiles[] = "no test files";

std::vector<std::string> AllTestFiles() {
  if (!skarnvel_test::HaveTestData()) return {kNoTestFiles};
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(TestFile(""))) {
    if (entry.path().extension() == ".mdb") files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

INSTANTIATE_TEST_SUITE_P(EveryTestFile, MdbToolsCompareTest, ::testing::ValuesIn(AllTestFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace dbaccess::mdb
