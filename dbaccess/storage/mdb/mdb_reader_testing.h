// For tests only: npm's mdb-reader as an independent reader of .mdb files. ReadWithMdbReader
// runs mdb_reader/dump.mjs with node on a file and parses the JSON it prints: the user
// tables, their columns (name, mdb-reader's type, size in bytes) and rows. SameValue tells
// whether a cell of our reader is the value mdb-reader read.
//
// mdb-reader is installed into the build tree when CMake configures it
// (scripts/install-mdb-reader.sh); the environment variable SKARNVEL_MDB_READER_DIR names
// another install. Where it is missing, SKIP_WITHOUT_MDB_READER() skips the test with one
// line saying so.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_MDB_READER_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_MDB_READER_TESTING_H_

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition.h"

extern char** environ;

namespace dbaccess::mdb::testing {

// A parsed JSON value; numbers keep their text.
struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // a number's digits, a string's UTF-8
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& name) const {
    const auto found = members.find(name);
    if (found == members.end()) throw std::runtime_error("JSON member missing: " + name);
    return found->second;
  }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& text) : text_(text) {}

  Json ParseDocument() {
    Json value = Parse();
    SkipSpace();
    if (at_ != text_.size()) Fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("bad JSON at " + std::to_string(at_) + ": " + what);
  }
  void SkipSpace() {
    while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) {
      ++at_;
    }
  }
  bool Take(const std::string& word) {
    if (text_.compare(at_, word.size(), word) != 0) return false;
    at_ += word.size();
    return true;
  }
  void Expect(char c) {
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != c) Fail(std::string("expected ") + c);
    ++at_;
  }
  uint32_t Hex4() {
    if (at_ + 4 > text_.size()) Fail("short \\u escape");
    const uint32_t code = static_cast<uint32_t>(std::stoul(text_.substr(at_, 4), nullptr, 16));
    at_ += 4;
    return code;
  }
  std::string ParseString() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      const char c = text_[at_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("escape at the end");
      const char e = text_[at_++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'u': {
          uint32_t code = Hex4();
          if (code >= 0xD800 && code < 0xDC00 && Take("\\u")) {
            const uint32_t low = Hex4();
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, static_cast<char32_t>(code));
          break;
        }
        default:
          out += e;  // " \ /
      }
    }
    Expect('"');
    return out;
  }
  Json Parse() {
    SkipSpace();
    if (at_ >= text_.size()) Fail("no value");
    Json value;
    const char c = text_[at_];
    if (c == '"') {
      value.kind = Json::Kind::kString;
      value.text = ParseString();
    } else if (c == '[') {
      value.kind = Json::Kind::kArray;
      ++at_;
      SkipSpace();
      if (!Take("]")) {
        do value.items.push_back(Parse());
        while (SkipSpace(), Take(","));
        Expect(']');
      }
    } else if (c == '{') {
      value.kind = Json::Kind::kObject;
      ++at_;
      SkipSpace();
      if (!Take("}")) {
        do {
          SkipSpace();
          std::string name = ParseString();
          Expect(':');
          value.members[name] = Parse();
        } while (SkipSpace(), Take(","));
        Expect('}');
      }
    } else if (Take("null")) {
    } else if (Take("true")) {
      value.kind = Json::Kind::kBool;
      value.boolean = true;
    } else if (Take("false")) {
      value.kind = Json::Kind::kBool;
    } else {
      const size_t start = at_;
      while (at_ < text_.size() &&
             std::string("+-.eE0123456789").find(text_[at_]) != std::string::npos) {
        ++at_;
      }
      if (at_ == start) Fail("unexpected character");
      value.kind = Json::Kind::kNumber;
      value.text = text_.substr(start, at_ - start);
    }
    return value;
  }

  const std::string& text_;
  size_t at_ = 0;
};

struct MdbReaderColumn {
  std::string name;
  std::string type;  // mdb-reader's name of the type: "text", "long", "memo"...
  int64_t size = 0;
};

struct MdbReaderTable {
  std::string name;
  std::vector<MdbReaderColumn> columns;
  std::vector<std::vector<Json>> rows;  // values in the order of columns
};

inline std::string MdbReaderDir() {
  const char* set = std::getenv("SKARNVEL_MDB_READER_DIR");
  if (set != nullptr && *set != '\0') return set;
  return SKARNVEL_MDB_READER_DIR;
}

// Empty when mdb-reader can be used; otherwise why not.
inline std::string WhyNoMdbReader() {
  std::error_code error;
  if (!std::filesystem::exists(MdbReaderDir() + "/node_modules/mdb-reader/package.json", error)) {
    return "npm's mdb-reader is not installed in " + MdbReaderDir() +
           " (scripts/install-mdb-reader.sh; set SKARNVEL_MDB_READER_DIR)";
  }
  return {};
}

// Runs `args` (no shell), its standard output returned, its standard error in `err`;
// returns the exit status (-1 when it could not run or was killed).
inline int RunProgram(const std::vector<std::string>& args, std::string& out, std::string& err) {
  dbaccess::testing::TempFolder folder;
  const std::string out_file = folder.File("out");
  const std::string err_file = folder.File("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_file.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    err = "cannot run " + args[0];
    return -1;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const std::vector<uint8_t> out_bytes = ReadBytes(out_file);
  const std::vector<uint8_t> err_bytes = ReadBytes(err_file);
  out.assign(out_bytes.begin(), out_bytes.end());
  err.assign(err_bytes.begin(), err_bytes.end());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The user tables of the file as mdb-reader reads them. Throws std::runtime_error, with
// what node said, when it cannot read the file.
inline std::vector<MdbReaderTable> ReadWithMdbReader(const std::string& path,
                                                     const std::string& password = {}) {
  std::vector<std::string> args = {
      "node", std::string(SKARNVEL_SOURCE_DIR) + "/dbaccess/storage/mdb/mdb_reader/dump.mjs",
      MdbReaderDir(), path};
  if (!password.empty()) args.push_back(password);
  std::string out, err;
  if (RunProgram(args, out, err) != 0) throw std::runtime_error("mdb-reader: " + err);
  const Json document = JsonParser(out).ParseDocument();
  std::vector<MdbReaderTable> tables;
  for (const Json& t : document["tables"].items) {
    MdbReaderTable table;
    table.name = t["name"].text;
    for (const Json& c : t["columns"].items) {
      table.columns.push_back({c["name"].text, c["type"].text, std::stoll(c["size"].text)});
    }
    for (const Json& r : t["rows"].items) table.rows.push_back(r.items);
    tables.push_back(std::move(table));
  }
  return tables;
}

// mdb-reader's name for a Jet column type.
inline std::string MdbReaderType(uint8_t type) {
  static const std::map<uint8_t, std::string> names = {
      {kTypeBoolean, "boolean"}, {kTypeByte, "byte"},         {kTypeInt, "integer"},
      {kTypeLong, "long"},       {kTypeMoney, "currency"},    {kTypeFloat, "float"},
      {kTypeDouble, "double"},   {kTypeDateTime, "datetime"}, {kTypeBinary, "binary"},
      {kTypeText, "text"},       {kTypeOle, "ole"},           {kTypeMemo, "memo"},
      {kTypeGuid, "repid"},      {kTypeNumeric, "numeric"}};
  const auto found = names.find(type);
  return found == names.end() ? "type " + std::to_string(type) : found->second;
}

// A decimal text without its sign when zero, leading zeros of the whole part and trailing
// zeros of the fraction: "-0.50" and "-.5" both give "-.5".
inline std::string CanonicalDecimal(std::string text) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  const size_t point = text.find('.');
  std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  whole.erase(0, whole.find_first_not_of('0') == std::string::npos ? whole.size()
                                                                   : whole.find_first_not_of('0'));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (whole.empty() && fraction.empty()) negative = false;
  return (negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 0xF];
  }
  return out;
}

// Whether our cell for `column` is the value mdb-reader read (as dump.mjs prints it).
inline bool SameValue(const ColumnDefinition& column, const Cell& ours, const Json& theirs) {
  if (IsNull(ours) || theirs.kind == Json::Kind::kNull) {
    return IsNull(ours) && theirs.kind == Json::Kind::kNull;
  }
  switch (column.type) {
    case kTypeBoolean:
      return theirs.kind == Json::Kind::kBool && std::get<bool>(ours) == theirs.boolean;
    case kTypeByte:
    case kTypeInt:
    case kTypeLong:
      return std::get<int64_t>(ours) == std::stoll(theirs.text);
    case kTypeMoney: {  // "-12.3400": ten-thousandths
      std::string digits = theirs.text;
      digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
      return std::get<int64_t>(ours) == std::stoll(digits);
    }
    case kTypeFloat:
    case kTypeDouble:
      return std::get<double>(ours) == std::strtod(theirs.text.c_str(), nullptr);
    case kTypeDateTime: {  // milliseconds since 1970, rounded as JavaScript rounds
      constexpr double kDaysTo1970 = 25569;
      const double ms = std::floor((std::get<double>(ours) - kDaysTo1970) * 86400 * 1000 + 0.5);
      return ms == std::strtod(theirs.text.c_str(), nullptr);
    }
    case kTypeNumeric:
      return CanonicalDecimal(std::get<std::string>(ours)) == CanonicalDecimal(theirs.text);
    case kTypeGuid: {  // "{ABCD...}" against "abcd..."
      std::string guid = std::get<std::string>(ours);
      for (char& c : guid) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return guid == "{" + theirs.text + "}";
    }
    case kTypeBinary:
    case kTypeOle:
      return Hex(std::get<Bytes>(ours).data) == theirs.text;
    default:  // text and memo
      return std::get<std::string>(ours) == theirs.text;
  }
}

inline bool UserTable(const StoredTable& table) {
  return !table.linked && !table.object.system() && !table.object.access_system();
}

// Our row in the order of mdb-reader's columns matches its row.
inline bool SameRow(const std::vector<const ColumnDefinition*>& columns,
                    const std::vector<size_t>& our_index, const Row& ours,
                    const std::vector<Json>& theirs) {
  if (theirs.size() != columns.size()) return false;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!SameValue(*columns[i], ours[our_index[i]], theirs[i])) return false;
  }
  return true;
}

inline void CompareTable(const StoredTable& ours, const MdbReaderTable& theirs) {
  SCOPED_TRACE("table " + ours.object.name);
  // Columns: the same names, each with the same type and size.
  std::map<std::string, size_t> by_name;
  for (size_t i = 0; i < ours.definition.columns.size(); ++i) {
    by_name[ours.definition.columns[i].name] = i;
  }
  ASSERT_EQ(theirs.columns.size(), ours.definition.columns.size());
  std::vector<const ColumnDefinition*> columns;
  std::vector<size_t> our_index;
  for (const MdbReaderColumn& column : theirs.columns) {
    const auto found = by_name.find(column.name);
    ASSERT_NE(found, by_name.end()) << "column " << column.name << " only in mdb-reader";
    const ColumnDefinition& def = ours.definition.columns[found->second];
    EXPECT_EQ(MdbReaderType(def.type), column.type) << column.name;
    // Both give the stored length; mdb-reader gives 0 for a boolean, Jet stores 1.
    if (def.type != kTypeBoolean) {
      EXPECT_EQ(def.length, column.size) << column.name;
    }
    columns.push_back(&def);
    our_index.push_back(found->second);
  }
  // Rows: the same, in any order (each of theirs matched with one of ours).
  ASSERT_EQ(theirs.rows.size(), ours.rows.size());
  std::vector<bool> matched(ours.rows.size(), false);
  size_t next = 0;  // usually both read the rows in the same order
  for (size_t r = 0; r < theirs.rows.size(); ++r) {
    size_t found = ours.rows.size();
    for (size_t tried = 0; tried < ours.rows.size(); ++tried) {
      const size_t i = (next + tried) % ours.rows.size();
      if (!matched[i] && SameRow(columns, our_index, ours.rows[i], theirs.rows[r])) {
        found = i;
        break;
      }
    }
    if (found == ours.rows.size()) {
      ADD_FAILURE() << "mdb-reader's row " << r << " is not among ours";
      continue;
    }
    matched[found] = true;
    next = found + 1;
  }
}

// Our reader and mdb-reader find the same user tables in the file at `path`, each with the
// same columns and rows (in any order).
inline void ExpectSameAsMdbReader(const std::string& path, const std::string& password) {
  const PageFile file(MemorySource(ReadBytes(path)));
  const StoredDatabase ours = ReadDatabase(file);
  std::vector<MdbReaderTable> theirs;
  try {
    theirs = ReadWithMdbReader(path, password);
  } catch (const std::runtime_error& e) {
    ADD_FAILURE() << e.what();
    return;
  }
  std::set<std::string> our_names, their_names;
  for (const StoredTable& table : ours.tables) {
    if (UserTable(table)) our_names.insert(table.object.name);
  }
  for (const MdbReaderTable& table : theirs) their_names.insert(table.name);
  EXPECT_EQ(our_names, their_names);
  for (const MdbReaderTable& table : theirs) {
    for (const StoredTable& our : ours.tables) {
      if (our.object.name == table.name && UserTable(our)) CompareTable(our, table);
    }
  }
}

}  // namespace dbaccess::mdb::testing

// Skips the running test, with one line saying why, when mdb-reader cannot be used.
#define SKIP_WITHOUT_MDB_READER()                                       \
  do {                                                                  \
    const std::string why = ::dbaccess::mdb::testing::WhyNoMdbReader(); \
    if (!why.empty()) GTEST_SKIP() << why;                              \
  } while (0)

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_MDB_READER_TESTING_H_
