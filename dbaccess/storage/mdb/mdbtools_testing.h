// For tests only: Debian's mdbtools (mdb-ver, mdb-tables, mdb-schema, mdb-export) as an
// independent reader of .mdb files, and the comparisons of what it reads with what our
// reader reads. Tests skip when it is not installed (scripts/install-deps.sh installs it).
//
// mdbtools has faults of its own: on some files it cannot resolve an index's columns (it
// says so on standard error and prints an empty column list) and its schema output lists
// only one relationship. Those parts are compared where mdbtools reads them: index columns
// when it lists them, relationships from the raw MSysRelationships rows.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDBTOOLS_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDBTOOLS_TESTING_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dbaccess/base/ole_date.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/relationships.h"

namespace dbaccess::mdb::testing {

namespace fs = std::filesystem;

struct CommandResult {
  std::string out;
  std::string err;
  int status = -1;
};

inline CommandResult RunCommand(const std::string& command) {
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

inline bool MdbToolsInstalled() {
  return RunCommand("command -v mdb-schema >/dev/null && echo yes").out == "yes\n";
}

inline std::string Quote(const std::string& path) { return "'" + path + "'"; }

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// CSV as mdb-export writes it: "," between fields, strings in double quotes (inner ones
// doubled), line breaks inside quoted fields.
inline std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
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
inline std::string MdbToolsType(const Column& c) {
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
      return "Binary";  // mdb-schema gives no size
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
inline std::map<std::string, std::vector<std::pair<std::string, std::string>>> SchemaColumns(
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
inline std::map<std::string, std::vector<ToolIndex>> SchemaIndexes(const std::string& schema) {
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

// "JET4" for a Jet 4 file, as mdb-ver names the version.
inline std::string MdbToolsVersion(const std::string& path) {
  const std::vector<std::string> lines = Lines(RunCommand("mdb-ver " + Quote(path)).out);
  return lines.empty() ? "" : lines[0];
}

inline void ExpectSameTablesAsMdbTools(const std::string& path, const Catalog& catalog) {
  std::set<std::string> tool_user, tool_all, ours_user, ours_all;
  for (const std::string& name : Lines(RunCommand("mdb-tables -1 " + Quote(path)).out)) {
    tool_user.insert(name);
  }
  for (const std::string& name : Lines(RunCommand("mdb-tables -S -1 " + Quote(path)).out)) {
    tool_all.insert(name);
  }
  for (const Table& t : catalog.tables()) {
    ours_all.insert(t.name);
    if (t.kind == TableKind::kUser) ours_user.insert(t.name);
  }
  EXPECT_EQ(ours_user, tool_user);
  EXPECT_EQ(ours_all, tool_all);
}

inline void ExpectSameColumnsAsMdbTools(const std::string& path, const Catalog& catalog) {
  const auto tool = SchemaColumns(
      RunCommand("mdb-schema --no-indexes --no-relations --no-not-null --no-default-values " +
                 Quote(path) + " access")
          .out);
  size_t compared = 0;
  for (const Table& table : catalog.tables()) {
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

inline void ExpectSameIndexesAsMdbTools(const std::string& path, const Catalog& catalog) {
  const auto tool = SchemaIndexes(
      RunCommand("mdb-schema --indexes --no-relations " + Quote(path) + " mysql").out);
  for (const Table& table : catalog.tables()) {
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

inline void ExpectSameRelationshipsAsMdbTools(const std::string& path, const Catalog& catalog) {
  std::set<std::string> user_tables;
  for (const std::string& name : Lines(RunCommand("mdb-tables -1 " + Quote(path)).out)) {
    user_tables.insert(name);
  }
  const auto rows = ParseCsv(RunCommand("mdb-export " + Quote(path) + " MSysRelationships").out);
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
  ASSERT_EQ(catalog.relationships().size(), expected.size());
  for (const RelationshipDefinition& def : expected) {
    SCOPED_TRACE(def.name);
    const Relationship* ours = catalog.FindRelationship(def.name);
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
//
// mdb-export lists a row that moved to another page where its data went, not where the
// row is: with `by_first_column` (tables whose first column is a unique integer) the rows
// are compared in that column's order where it is a Long. Dates are compared to the
// second, GUIDs by their text (mdb-export's binary mode prints them as the hexadecimal of a
// text of its own); binary and OLE values are left to mdb-reader (mdb_reader_testing.h):
// mdb-export's hexadecimal output of them is not their bytes.
inline void ExpectSameRowsAsMdbTools(const std::string& path, const Catalog& catalog,
                                     bool by_first_column = false) {
  for (const Table& listed : catalog.tables()) {
    if (listed.kind != TableKind::kUser) continue;
    SCOPED_TRACE(listed.name);
    Table table = listed;
    auto rows = ParseCsv(RunCommand("mdb-export -b hex -T '%Y-%m-%d %H:%M:%S' " + Quote(path) +
                                    " " + Quote(table.name))
                             .out);
    ASSERT_FALSE(rows.empty());
    ASSERT_EQ(rows.size() - 1, table.rows.size());
    if (by_first_column && table.columns.at(0).type == DataType::kLong) {
      std::sort(rows.begin() + 1, rows.end(), [](const auto& a, const auto& b) {
        return std::stoll(a.at(0)) < std::stoll(b.at(0));
      });
      std::sort(table.rows.begin(), table.rows.end(), [](const Row& a, const Row& b) {
        return std::get<int64_t>(a.at(0)) < std::get<int64_t>(b.at(0));
      });
    }
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
          } else if (table.columns[c].type == DataType::kGuid) {
            // Its binary mode prints a GUID as the hexadecimal of its text, a text that
            // leaves out the dash before the last group.
            std::string ours = *s;
            ours.erase(std::remove(ours.begin(), ours.end(), '-'), ours.end());
            std::string theirs;
            for (size_t h = 0; h + 1 < text.size(); h += 2) {
              const char c = static_cast<char>(std::stoi(text.substr(h, 2), nullptr, 16));
              if (c != '-') theirs += c;
            }
            EXPECT_EQ(ours, theirs);
          } else {
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
          if (table.columns[c].type == DataType::kDateTime) {
            DateTimeParts parts;
            ASSERT_TRUE(PartsFromOleDate(*d, parts));
            char shown[32];
            std::snprintf(shown, sizeof shown, "%04d-%02d-%02d %02d:%02d:%02d", parts.year,
                          parts.month, parts.day, parts.hour, parts.minute, parts.second);
            EXPECT_EQ(shown, text);
          } else {
            EXPECT_NEAR(*d, std::stod(text), 1e-6 * std::max(1.0, std::abs(*d)));
          }
        }
      }
    }
  }
}

// Every comparison above.
inline void ExpectSameAsMdbTools(const std::string& path, const Catalog& catalog,
                                 bool rows_by_first_column = false) {
  ExpectSameTablesAsMdbTools(path, catalog);
  ExpectSameColumnsAsMdbTools(path, catalog);
  ExpectSameIndexesAsMdbTools(path, catalog);
  ExpectSameRelationshipsAsMdbTools(path, catalog);
  ExpectSameRowsAsMdbTools(path, catalog, rows_by_first_column);
}

}  // namespace dbaccess::mdb::testing

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDBTOOLS_TESTING_H_
