// The .mdb storage against the text storage, our reference for Jet's rules: random, seeded
// sequences of DDL and DAO changes (tables of every column type with rows, columns added,
// altered, dropped and renamed, indexes, keys and relationships made and dropped, Required
// set and dropped, saved queries made and deleted, two-statement transactions) applied to
// one database kept in both. After every step both storages read back the same four schema
// rowsets, the same queries and the same rows, or both refused the step with the same error;
// the .mdb passes the integrity check after every step.
//
// SKARNVEL_DIFFERENTIAL_SEQUENCES and SKARNVEL_DIFFERENTIAL_STEPS make the run longer (the
// default keeps it short); SKARNVEL_DIFFERENTIAL_SEED moves the seeds. A sequence that fails
// prints its steps, to be kept below as a regression case.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dbaccess/ado/schema_rowsets.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"
#include "dbaccess/storage/mdb/mdb_commit_testing.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/text/text_storage.h"

namespace dbaccess::mdb {
namespace {

namespace fs = std::filesystem;

constexpr int kSequences = 300;
constexpr int kSteps = 30;
// Every so many sequences start from a copy of a real file instead of a new database.
constexpr int kRealFileEvery = 5;
const char* const kRealFiles[] = {"indexTestV2000.mdb",           "test2V2000.mdb",
                                  "testIndexPropertiesV2000.mdb", "queryTestV2000.mdb",
                                  "delColTestV2000.mdb",          "noRoman.mdb",
                                  "fixedNumericTestV2000.mdb",    "compIndexTestV2000.mdb"};

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// ---- steps, as text ----
//   SQL <statement>
//   TXN <statement> ;; <statement>      (one transaction)
//   REQUIRED <table> <column> 0|1       (DAO Field.Required)
//   RENAME <table> <column> <new name>  (DAO Field.Name)
//   QUERY <name> <text>                 (DAO CreateQueryDef; " | " in the text is a line break)
//   UNQUERY <name>                      (DAO QueryDefs.Delete)

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<Mutation> Mutations(const std::string& step) {
  const size_t space = step.find(' ');
  const std::string verb = step.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : step.substr(space + 1);
  auto sql = [](const std::string& statement) -> Mutation {
    return [statement](Catalog& c, ChangeList& ch) { ExecuteSql(c, statement, ch); };
  };
  if (verb == "SQL") return {sql(rest)};
  if (verb == "TXN") {
    const size_t split = rest.find(" ;; ");
    return {sql(rest.substr(0, split)), sql(rest.substr(split + 4))};
  }
  const std::vector<std::string> w = Words(rest);
  if (verb == "REQUIRED" && w.size() == 3) {
    return {[w](Catalog& c, ChangeList& ch) { SetColumnRequired(c, w[0], w[1], w[2] == "1", ch); }};
  }
  if (verb == "RENAME" && w.size() == 3) {
    return {[w](Catalog& c, ChangeList& ch) { RenameColumn(c, w[0], w[1], w[2], ch); }};
  }
  if (verb == "QUERY" && w.size() >= 2) {
    std::string text = rest.substr(rest.find(' ') + 1);
    for (size_t at; (at = text.find(" | ")) != std::string::npos;) text.replace(at, 3, "\r\n");
    return {[name = w[0], text](Catalog& c, ChangeList& ch) { CreateQueryDef(c, name, text, ch); }};
  }
  if (verb == "UNQUERY" && w.size() == 1) {
    return {[w](Catalog& c, ChangeList& ch) { DeleteQueryDef(c, w[0], ch); }};
  }
  ADD_FAILURE() << "not a step: " << step;
  return {};
}

// The step's outcome on one database: "" or the error's text.
std::string Run(const std::shared_ptr<DatabaseFile>& file, const std::string& step) {
  const std::vector<Mutation> mutations = Mutations(step);
  try {
    if (mutations.size() == 1) {
      file->Apply(mutations[0]);
    } else {
      Transaction transaction(file);
      for (const Mutation& m : mutations) transaction.Apply(m);
      transaction.Commit();
    }
  } catch (const JetError& e) {
    return std::string("error ") + std::to_string(e.number()) + ": " + e.what();
  }
  return "";
}

// ---- the generator ----

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  // The next step for the database `catalog` (the reference's).
  std::string Next(const Catalog& catalog) {
    std::vector<const Table*> tables;
    for (const Table& t : catalog.tables()) {
      if (t.kind == TableKind::kUser) tables.push_back(&t);
    }
    if (tables.empty() || (tables.size() < 4 && Chance(0.06))) return CreateTable(catalog);
    const Table& t = *tables[Below(tables.size())];
    if (opening_rows_ > 0) {
      --opening_rows_;
      return Insert(t);
    }
    switch (Below(20)) {
      case 16:
      case 19:
        return AddForeignKey(t, tables);
      case 17:
        return DropRelationship(catalog, t);
      case 18:
        return QueryStep(catalog, t);
      case 0:
      case 1:
      case 2:
      case 3:
        return Insert(t);
      case 4:
        return "SQL ALTER TABLE [" + t.name + "] ADD COLUMN " + ColumnDefinition();
      case 5:
        return "SQL ALTER TABLE [" + t.name + "] DROP COLUMN [" + SomeColumn(t) + "]";
      case 6: {
        return "SQL ALTER TABLE [" + t.name + "] ALTER COLUMN [" + SomeColumn(t) + "] " +
               TypeText(true) + (Chance(0.2) ? " NOT NULL" : "");
      }
      case 7:
        return CreateIndex(t);
      case 8:
        return DropIndex(t);
      case 9:
        return "SQL ALTER TABLE [" + t.name + "] ADD CONSTRAINT " + Fresh("k") +
               (Chance(0.5) ? " PRIMARY KEY (" : " UNIQUE (") + IndexColumns(t, false) + ")";
      case 10:
        return "SQL DROP TABLE [" + t.name + "]";
      case 11:
      case 12:
        return "REQUIRED " + t.name + " " + SomeColumn(t) + (Chance(0.5) ? " 1" : " 0");
      case 13:
        return "RENAME " + t.name + " " + SomeColumn(t) + " " +
               (Chance(0.15) ? SomeColumn(t) : Fresh("r"));
      case 14: {
        // Two statements as one transaction.
        auto statement = [](const std::string& step) { return step.substr(4); };  // no "SQL "
        switch (Below(3)) {
          case 0: {
            const std::string column = Fresh("c");
            return "TXN ALTER TABLE [" + t.name + "] ADD COLUMN " + column + " " + TypeText(false) +
                   " ;; CREATE INDEX " + Fresh("i") + " ON [" + t.name + "] (" + column + ")";
          }
          case 1: {
            std::string made = statement(CreateTable(catalog));
            made.replace(made.find('[') + 1, made.find(']') - made.find('[') - 1, t.name);
            return "TXN DROP TABLE [" + t.name + "] ;; " + made;
          }
          default:
            return "TXN " + statement(Insert(t)) + " ;; ALTER TABLE [" + t.name + "] ADD COLUMN " +
                   ColumnDefinition();
        }
      }
      default:
        return Chance(0.5) ? CreateTable(catalog) : Insert(t);
    }
  }

  // The first steps of a new database: two tables of every kind of column, with rows.
  std::vector<std::string> Opening() {
    std::vector<std::string> steps;
    for (int t = 0; t < 2; ++t) {
      Table table;
      table.name = "T" + std::to_string(t);
      std::string sql = "SQL CREATE TABLE " + table.name + " (Id COUNTER CONSTRAINT " +
                        Fresh("pk") + " PRIMARY KEY";
      for (int k = 0; k < kTypeCount; ++k) {
        const std::string name = Fresh("c");
        sql += ", " + name + " " + TypeTextOf(k);
      }
      steps.push_back(sql + ")");
    }
    opening_rows_ = 8;
    return steps;
  }

 private:
  static constexpr int kTypeCount = 14;

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  bool Chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
  std::string Fresh(const std::string& prefix) { return prefix + std::to_string(counter_++); }

  std::string TypeTextOf(int kind) {
    switch (kind) {
      case 0:
        return "BIT";
      case 1:
        return "BYTE";
      case 2:
        return "SHORT";
      case 3:
        return "LONG";
      case 4:
        return "SINGLE";
      case 5:
        return "DOUBLE";
      case 6:
        return "CURRENCY";
      case 7:
        return "DATETIME";
      case 8:
        return "TEXT(" + std::to_string(Between(1, 40)) + ")";
      case 9:
        return "MEMO";
      case 10:
        return "BINARY(" + std::to_string(Between(1, 30)) + ")";
      case 11:
        return "LONGBINARY";
      case 12:
        return "GUID";
      default: {
        const int precision = Between(1, 18);
        return "DECIMAL(" + std::to_string(precision) + "," +
               std::to_string(Between(0, std::min(precision, 6))) + ")";
      }
    }
  }
  std::string TypeText(bool counter_allowed) {
    if (counter_allowed && Chance(0.03)) return "COUNTER";
    return TypeTextOf(Between(0, kTypeCount - 1));
  }

  std::string ColumnDefinition() {
    std::string type = TypeText(true);
    std::string out = Fresh("c") + " " + type;
    if (Chance(0.15)) out += " NOT NULL";
    if (Chance(0.3) && type != "COUNTER") {
      Column probe;
      probe.type = TypeOfText(type);
      probe.size = 10;
      out += " DEFAULT " + Literal(probe);
    }
    return out;
  }

  static DataType TypeOfText(const std::string& type) {
    static const std::pair<const char*, DataType> kTypes[] = {{"BIT", DataType::kBit},
                                                              {"BYTE", DataType::kByte},
                                                              {"SHORT", DataType::kShort},
                                                              {"LONG", DataType::kLong},
                                                              {"COUNTER", DataType::kLong},
                                                              {"SINGLE", DataType::kSingle},
                                                              {"DOUBLE", DataType::kDouble},
                                                              {"CURRENCY", DataType::kCurrency},
                                                              {"DATETIME", DataType::kDateTime},
                                                              {"TEXT", DataType::kText},
                                                              {"MEMO", DataType::kMemo},
                                                              {"BINARY", DataType::kBinary},
                                                              {"LONGBINARY", DataType::kLongBinary},
                                                              {"GUID", DataType::kGuid},
                                                              {"DECIMAL", DataType::kDecimal}};
    const std::string word = type.substr(0, type.find('('));
    for (const auto& [name, kind] : kTypes) {
      if (word == name) return kind;
    }
    return DataType::kText;
  }

  std::string CreateTable(const Catalog& catalog) {
    std::string name = Fresh("T");
    if (Chance(0.1) && !catalog.tables().empty()) {
      name = catalog.tables()[Below(catalog.tables().size())].name;  // 3010
    }
    std::string sql = "SQL CREATE TABLE [" + name + "] (";
    const int columns = Between(1, 6);
    std::vector<std::string> names;
    for (int i = 0; i < columns; ++i) {
      std::string def = ColumnDefinition();
      names.push_back(def.substr(0, def.find(' ')));
      if (i == 0 && Chance(0.4)) def += " CONSTRAINT " + Fresh("pk") + " PRIMARY KEY";
      if (i == 1 && Chance(0.3)) def += " CONSTRAINT " + Fresh("u") + " UNIQUE";
      sql += (i ? ", " : "") + def;
    }
    if (Chance(0.2) && names.size() > 1) {
      sql += ", CONSTRAINT " + Fresh("u") + " UNIQUE (" + names[0] + ", " + names[1] + ")";
    }
    return sql + ")";
  }

  std::string SomeColumn(const Table& t) {
    if (t.columns.empty() || Chance(0.04)) return "missing";
    return t.columns[Below(t.columns.size())].name;
  }

  // Index columns; now and then an OLE Object one or a missing one (both refused).
  std::string IndexColumns(const Table& t, bool orders) {
    std::vector<std::string> candidates;
    for (const Column& c : t.columns) {
      if (c.type != DataType::kLongBinary || Chance(0.05)) {
        candidates.push_back(c.name);
      }
    }
    if (candidates.empty() || Chance(0.03)) return "missing";
    std::shuffle(candidates.begin(), candidates.end(), random_);
    const size_t n = std::min<size_t>(candidates.size(), Between(1, 3));
    std::string out;
    for (size_t i = 0; i < n; ++i) {
      out += (i ? ", [" : "[") + candidates[i] + "]" + (orders && Chance(0.3) ? " DESC" : "");
    }
    return out;
  }

  std::string CreateIndex(const Table& t) {
    std::string sql = std::string("SQL CREATE ") + (Chance(0.4) ? "UNIQUE " : "") + "INDEX " +
                      Fresh("i") + " ON [" + t.name + "] (" + IndexColumns(t, true) + ")";
    switch (Below(5)) {
      case 0:
        return sql + " WITH PRIMARY";
      case 1:
        return sql + " WITH DISALLOW NULL";
      case 2:
        return sql + " WITH IGNORE NULL";
      default:
        return sql;
    }
  }

  std::string DropIndex(const Table& t) {
    std::vector<std::string> own;
    for (const Index& index : t.indexes) {
      if (!index.foreign) own.push_back(index.name);
    }
    const std::string name = own.empty() || Chance(0.05) ? "missing" : own[Below(own.size())];
    return Chance(0.5) ? "SQL DROP INDEX [" + name + "] ON [" + t.name + "]"
                       : "SQL ALTER TABLE [" + t.name + "] DROP CONSTRAINT [" + name + "]";
  }

  // A foreign key from `t` to a table with a unique index; now and then one Jet refuses
  // (columns of another type, no unique index, rows with no parent).
  std::string AddForeignKey(const Table& t, const std::vector<const Table*>& tables) {
    const Table& p = *tables[Below(tables.size())];
    std::vector<const Index*> unique;
    for (const Index& index : p.indexes) {
      if (index.unique && !index.foreign) unique.push_back(&index);
    }
    std::string primary, foreign;
    std::vector<std::string> taken;
    const Index* key = unique.empty() ? nullptr : unique[Below(unique.size())];
    const size_t n = key == nullptr ? 1 : key->columns.size();
    for (size_t i = 0; i < n; ++i) {
      const std::string column =
          key == nullptr || Chance(0.05) ? SomeColumn(p) : key->columns[i].name;
      primary += (i ? ", [" : "[") + column + "]";
      // A column of the same type where there is one.
      const Column* wanted = p.FindColumn(column);
      std::vector<std::string> same;
      for (const Column& c : t.columns) {
        if (wanted != nullptr && c.type == wanted->type && !c.auto_increment &&
            std::find(taken.begin(), taken.end(), c.name) == taken.end()) {
          same.push_back(c.name);
        }
      }
      const std::string mine =
          same.empty() || Chance(0.05) ? SomeColumn(t) : same[Below(same.size())];
      taken.push_back(mine);
      foreign += (i ? ", [" : "[") + mine + "]";
    }
    std::string sql = "SQL ALTER TABLE [" + t.name + "] ADD CONSTRAINT " + Fresh("f") +
                      " FOREIGN KEY (" + foreign + ") REFERENCES [" + p.name + "] (" + primary +
                      ")";
    if (Chance(0.4)) sql += " ON UPDATE CASCADE";
    if (Chance(0.4)) sql += Chance(0.5) ? " ON DELETE CASCADE" : " ON DELETE SET NULL";
    return sql;
  }

  std::string DropRelationship(const Catalog& catalog, const Table& t) {
    std::vector<std::string> names;
    for (const Relationship& r : catalog.relationships()) {
      if (SameName(r.foreign_table, t.name)) names.push_back(r.name);
    }
    const std::string name = names.empty() || Chance(0.05) ? "missing" : names[Below(names.size())];
    return "SQL ALTER TABLE [" + t.name + "] DROP CONSTRAINT [" + name + "]";
  }

  // A query over `t` in the text DAO shows, or one deleted.
  std::string QueryStep(const Catalog& catalog, const Table& t) {
    if (!catalog.queries().empty() && Chance(0.35)) {
      const Query& q = catalog.queries()[Below(catalog.queries().size())];
      return "UNQUERY " + (Chance(0.05) ? std::string("missing") : q.name);
    }
    const std::string name = Chance(0.05) ? t.name : Fresh("Q");  // 3012 for a table's name
    const std::string column = t.columns.empty() ? "x" : t.columns[Below(t.columns.size())].name;
    const std::string of = t.name + "." + column;
    switch (Below(5)) {
      case 0:
        return "QUERY " + name + " SELECT " + t.name + ".*" + " | FROM " + t.name + ";";
      case 1:
        return "QUERY " + name + " SELECT " + of + " | FROM " + t.name + " | WHERE (" + of +
               " Is Not Null) | ORDER BY " + of + ";";
      case 2:
        return "QUERY " + name + " DELETE * | FROM " + t.name + " | WHERE (" + of + " Is Null);";
      case 3:
        return "QUERY " + name + " SELECT " + of + ", Count(*) AS n | FROM " + t.name +
               " | GROUP BY " + of + ";";
      default:
        return "QUERY " + name + " CREATE TABLE " + Fresh("x") + " (a TEXT(10), b LONG);";
    }
  }

  std::string Insert(const Table& t) {
    std::string names, values;
    for (const Column& c : t.columns) {
      if (c.auto_increment && !Chance(0.05)) continue;
      if (!c.required && Chance(0.15)) continue;  // left out: Null or the default
      names += (names.empty() ? "[" : ", [") + c.name + "]";
      values += (values.empty() ? "" : ", ") + Literal(c);
    }
    if (names.empty()) {
      const Column& c = t.columns.front();
      names = "[" + c.name + "]";
      values = Literal(c);
    }
    return "SQL INSERT INTO [" + t.name + "] (" + names + ") VALUES (" + values + ")";
  }

  std::string Hex(size_t bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "0x";
    for (size_t i = 0; i < bytes; ++i) {
      const size_t v = Below(256);
      out += kDigits[v >> 4];
      out += kDigits[v & 0xF];
    }
    return out;
  }

  std::string Text(size_t max) {
    static const char* const kPieces[] = {"a",  "B", "c", "z", "Q", "0", "7", " ",
                                          "''", "é", "Ж", "ж", "ü", "-", "x", "Y"};
    std::string out = "'";
    const size_t n = Below(max + 1);
    for (size_t i = 0; i < n; ++i) out += kPieces[Below(std::size(kPieces))];
    return out + "'";
  }

  // A literal for the column: mostly one that fits, now and then Null, one too long or of
  // another type.
  std::string Literal(const Column& c) {
    if (Chance(0.08)) return "Null";
    if (Chance(0.02)) return Text(5);
    switch (c.type) {
      case DataType::kBit:
        return Chance(0.5) ? "True" : "False";
      case DataType::kByte:
        return std::to_string(Chance(0.02) ? 300 : Between(0, 255));
      case DataType::kShort:
        return std::to_string(Between(-32768, 32767));
      case DataType::kLong:
        return std::to_string(Between(-2000000000, 2000000000));
      case DataType::kSingle: {
        static const char* const kValues[] = {"1.5", "-0.25", "0.1", "1234.5", "3e7", "-7"};
        return kValues[Below(std::size(kValues))];
      }
      case DataType::kDouble: {
        static const char* const kValues[] = {"3.14159", "-1e10", "0.1", "2.5", "-0.0001", "42"};
        return kValues[Below(std::size(kValues))];
      }
      case DataType::kCurrency: {
        static const char* const kValues[] = {"12.3456", "-0.5", "1000000", "0.0001", "7"};
        return kValues[Below(std::size(kValues))];
      }
      case DataType::kDateTime: {
        std::ostringstream out;
        out << "#" << Between(1900, 2100) << "-" << std::setw(2) << std::setfill('0')
            << Between(1, 12) << "-" << std::setw(2) << Between(1, 28) << " " << std::setw(2)
            << Between(0, 23) << ":" << std::setw(2) << Between(0, 59) << ":" << std::setw(2)
            << Between(0, 59) << "#";
        return out.str();
      }
      case DataType::kText:
        return Text(Chance(0.03) ? static_cast<size_t>(c.size) + 5 : static_cast<size_t>(c.size));
      case DataType::kMemo:
        if (Chance(0.02)) return "'" + std::string(Below(3000) + 4000, 'm') + "'";
        return Chance(0.15) ? "'" + std::string(Below(300) + 70, 'm') + "'" : Text(40);
      case DataType::kBinary:
        return Hex(Below(static_cast<size_t>(c.size) + 1));
      case DataType::kLongBinary:
        if (Chance(0.02)) return Hex(Below(2000) + 4000);
        return Hex(Chance(0.15) ? Below(200) + 70 : Below(40));
      case DataType::kGuid: {
        std::string hex = Hex(16).substr(2);
        return "'{" + hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
               hex.substr(16, 4) + "-" + hex.substr(20, 12) + "}'";
      }
      case DataType::kDecimal: {
        const int whole = c.precision - c.scale;
        std::string out = Chance(0.3) ? "-" : "";
        out += whole > 0 ? std::to_string(Between(0, whole >= 4 ? 9999 : 9)) : "0";
        if (c.scale > 0) out += "." + std::to_string(Between(0, 9));
        return out;
      }
    }
    return "Null";
  }

  std::mt19937 random_;
  int counter_ = 0;
  int opening_rows_ = 0;  // rows still to insert after the opening's tables
};

// ---- one database in both storages ----

std::string Describe(const SchemaRowset& rowset, size_t row) {
  std::string out;
  if (row >= rowset.rows.size()) return "(none)";
  for (size_t c = 0; c < rowset.columns.size(); ++c) {
    const Variant& v = rowset.rows[row][c];
    if (v.IsNull()) continue;
    out += rowset.columns[c] + "=" + v.DisplayText() + " ";
  }
  return out;
}

// "" when the two rowsets are the same, else where they first differ.
std::string RowsetDifference(const char* name, const SchemaRowset& mdb, const SchemaRowset& text) {
  for (size_t r = 0; r < std::max(mdb.rows.size(), text.rows.size()); ++r) {
    if (r < mdb.rows.size() && r < text.rows.size() && mdb.rows[r] == text.rows[r]) continue;
    return std::string(name) + " row " + std::to_string(r) + ":\n  mdb:  " + Describe(mdb, r) +
           "\n  text: " + Describe(text, r);
  }
  return "";
}

// The rowset's rows about user tables. The engine's and Access's own tables are never
// changed, and the text form cannot hold all of their columns (a Binary over 255 bytes).
SchemaRowset OfUserTables(SchemaRowset rowset, const Catalog& catalog) {
  const size_t name =
      static_cast<size_t>(std::find(rowset.columns.begin(), rowset.columns.end(), "TABLE_NAME") -
                          rowset.columns.begin());
  std::erase_if(rowset.rows, [&](const std::vector<Variant>& row) {
    const Table* t = catalog.FindTable(row.at(name).DisplayText());
    return t == nullptr || t->kind != TableKind::kUser;
  });
  return rowset;
}

std::string StateDifference(const Catalog& mdb, const Catalog& text) {
  std::string d = RowsetDifference("TABLES", TablesRowset(mdb), TablesRowset(text));
  if (d.empty()) {
    d = RowsetDifference("COLUMNS", OfUserTables(ColumnsRowset(mdb), mdb),
                         OfUserTables(ColumnsRowset(text), text));
  }
  if (d.empty()) {
    d = RowsetDifference("INDEXES", OfUserTables(IndexesRowset(mdb), mdb),
                         OfUserTables(IndexesRowset(text), text));
  }
  if (d.empty()) {
    d = RowsetDifference("FOREIGN_KEYS", ForeignKeysRowset(mdb), ForeignKeysRowset(text));
  }
  if (!d.empty()) return d;
  const Catalog a = testing::Normalized(mdb);
  const Catalog b = testing::Normalized(text);
  if (a.queries() != b.queries()) {
    std::string shown = "queries:\n";
    for (const Catalog* c : {&a, &b}) {
      shown += c == &a ? "  mdb:" : "  text:";
      for (const Query& q : c->queries()) shown += " [" + q.name + "] " + q.sql;
      shown += "\n";
    }
    return shown;
  }
  for (const Table& t : a.tables()) {
    const Table* other = b.FindTable(t.name);
    if (other == nullptr || t.kind != TableKind::kUser) continue;
    if (t.rows != other->rows) {
      return "rows of " + t.name + ": " + std::to_string(t.rows.size()) + " in the mdb, " +
             std::to_string(other->rows.size()) + " in the text";
    }
  }
  return "";
}

class Twins {
 public:
  // A new database, or a copy of the test file `base`.
  Twins(const dbaccess::testing::TempFolder& folder, const std::string& base, int n)
      : mdb_path_(folder.File("d" + std::to_string(n) + ".mdb")),
        text_path_(folder.File("d" + std::to_string(n) + ".skdb")) {
    if (base.empty()) {
      CreateDatabaseFile(mdb_path_, "");
    } else {
      fs::copy_file(testing::TestFile(base), mdb_path_);
      fs::permissions(mdb_path_, fs::perms::owner_write, fs::perm_options::add);
    }
    const Catalog start = MdbStorage(mdb_path_, "").Load();
    folder.Write(fs::path(text_path_).filename().string(), TextStorage::FileTextFor(start, ""));
    mdb_ = DatabaseFile::Open(mdb_path_, "");
    text_ = DatabaseFile::Open(text_path_, "");
  }
  ~Twins() {
    mdb_.reset();
    text_.reset();
    DatabaseFile::ReleaseRetained();
  }

  const Catalog& reference() { return *(reference_ = text_->Snapshot()); }

  // Applies the step to both; "" when they still agree, else how they differ.
  std::string Step(const std::string& step) {
    const std::string on_mdb = Run(mdb_, step);
    const std::string on_text = Run(text_, step);
    if (on_mdb != on_text)
      return "outcome:\n  mdb:  " + Shown(on_mdb) + "\n  text: " + Shown(on_text);
    if (!on_mdb.empty()) ++refused_;
    if (on_mdb.empty()) ++done_[KindOf(step)];
    return Compare();
  }

  // "" when the files on disk hold the same database and the .mdb is sound.
  std::string Compare() {
    const std::string findings = testing::CheckFindings(mdb_path_);
    if (!findings.empty()) return "check:\n" + findings;
    return StateDifference(testing::Reload(mdb_path_), TextStorage::Open(text_path_, "")->Load());
  }

  int refused() const { return refused_; }
  const std::map<std::string, int>& done() const { return done_; }

 private:
  // The kinds of step counted in the summary.
  static std::string KindOf(const std::string& step) {
    if (step.find(" FOREIGN KEY ") != std::string::npos) return "relationships made";
    if (step.rfind("SQL ALTER TABLE", 0) == 0 &&
        step.find(" DROP CONSTRAINT ") != std::string::npos) {
      return "constraints dropped";
    }
    if (step.rfind("QUERY ", 0) == 0) return "queries made";
    if (step.rfind("UNQUERY ", 0) == 0) return "queries deleted";
    return "other";
  }

  static std::string Shown(const std::string& outcome) {
    return outcome.empty() ? "done" : outcome;
  }

  std::string mdb_path_;
  std::string text_path_;
  std::shared_ptr<DatabaseFile> mdb_;
  std::shared_ptr<DatabaseFile> text_;
  std::shared_ptr<const Catalog> reference_;
  int refused_ = 0;
  std::map<std::string, int> done_;
};

// The steps as C++ text, to be kept as a regression case.
std::string AsRegressionCase(const std::string& base, const std::vector<std::string>& steps) {
  std::string out = "    {\"" + base + "\", {\n";
  for (const std::string& step : steps) {
    std::string quoted;
    for (char c : step) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    out += "        \"" + quoted + "\",\n";
  }
  return out + "    }},\n";
}

fs::path WorkFolderParent() {
  // Many small writes, each flushed: a memory file system where there is one.
  std::error_code error;
  if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
  return fs::temp_directory_path();
}

struct Counts {
  int sequences = 0;
  int steps = 0;
  int refused = 0;
  std::map<std::string, int> done;  // by kind of step
};

// Runs the steps (and, when `generate`, more steps from the generator up to `total`);
// returns false, having reported the failure, when the storages part.
bool RunSequence(const dbaccess::testing::TempFolder& folder, const std::string& base, int n,
                 std::vector<std::string> steps, Generator* generate, int total, Counts& counts) {
  Twins twins(folder, base, n);
  std::string difference = twins.Compare();
  std::vector<std::string> done;
  for (size_t i = 0; difference.empty(); ++i) {
    if (i >= steps.size()) {
      if (generate == nullptr || static_cast<int>(i) >= total) break;
      steps.push_back(generate->Next(twins.reference()));
    }
    done.push_back(steps[i]);
    difference = twins.Step(steps[i]);
    ++counts.steps;
  }
  counts.refused += twins.refused();
  for (const auto& [kind, n] : twins.done()) counts.done[kind] += n;
  ++counts.sequences;
  if (difference.empty()) return true;
  ADD_FAILURE() << "sequence " << n << " (" << (base.empty() ? "new database" : base)
                << ") parted at step " << done.size() << ": "
                << (done.empty() ? "(before the first)" : done.back()) << "\n"
                << difference << "\nAs a regression case:\n"
                << AsRegressionCase(base, done);
  return false;
}

// Sequences that once parted the storages: a base ("" for a new database) and the steps.
struct RegressionCase {
  std::string base;
  std::vector<std::string> steps;
};
const std::vector<RegressionCase>& RegressionCases() {
  static const std::vector<RegressionCase> cases = {
      // Jet indexes no OLE Object field; the text storage once made such an index.
      {"",
       {
           "SQL CREATE TABLE T (a LONG, p LONGBINARY)",
           "SQL INSERT INTO [T] ([a], [p]) VALUES (1, 0x0102)",
           "TXN ALTER TABLE [T] ADD COLUMN c LONGBINARY ;; CREATE INDEX i ON [T] (c)",
           "SQL CREATE UNIQUE INDEX j ON [T] ([a], [p])",
           "SQL CREATE INDEX k ON [T] ([a])",
           "SQL ALTER TABLE [T] ALTER COLUMN [a] LONGBINARY",
       }},
      // A text key holds the first 255 characters without trailing spaces: the text storage
      // once took two memos that begin alike, and "" and " ", for two keys.
      {"",
       {
           "SQL CREATE TABLE T (m MEMO CONSTRAINT pk PRIMARY KEY, t TEXT(5))",
           "SQL INSERT INTO [T] ([m]) VALUES ('" + std::string(300, 'm') + "')",
           "SQL INSERT INTO [T] ([m]) VALUES ('" + std::string(400, 'm') + "')",
           "SQL INSERT INTO [T] ([m]) VALUES ('" + std::string(254, 'm') + "')",
           "SQL CREATE UNIQUE INDEX u ON [T] ([t])",
           "SQL INSERT INTO [T] ([m], [t]) VALUES ('a', '')",
           "SQL INSERT INTO [T] ([m], [t]) VALUES ('b', ' ')",
           "SQL INSERT INTO [T] ([m], [t]) VALUES ('c', 'x  ')",
           "SQL INSERT INTO [T] ([m], [t]) VALUES ('d', 'X')",
       }},
      {"",
       {
           "SQL CREATE TABLE [T88] (c89 TEXT(9), c90 BYTE CONSTRAINT u91 UNIQUE)",
           "SQL INSERT INTO [T88] ([c89]) VALUES ('')",
           "SQL INSERT INTO [T88] ([c89], [c90]) VALUES ('ü''', 59)",
           "SQL ALTER TABLE [T88] ALTER COLUMN [c90] TEXT(5)",
           "SQL ALTER TABLE [T88] ADD CONSTRAINT k92 PRIMARY KEY ([c90])",
           "SQL INSERT INTO [T88] ([c89]) VALUES ('Yzx ж')",
           "SQL INSERT INTO [T88] ([c89], [c90]) VALUES ('ac-czx', 'Q-ax')",
           "SQL INSERT INTO [T88] ([c89], [c90]) VALUES (Null, '')",
           "SQL CREATE UNIQUE INDEX i93 ON [T88] ([c90], [c89] DESC)",
           "RENAME T88 c89 c90",
           "TXN ALTER TABLE [T88] ADD COLUMN c94 LONGBINARY ;; CREATE INDEX i95 ON [T88] (c94)",
           "SQL INSERT INTO [T88] ([c89], [c90]) VALUES ('Y0', ' ')",
       }},
  };
  return cases;
}

TEST(MdbDifferentialTest, KnownSequencesKeepBothStoragesAlike) {
  const dbaccess::testing::TempFolder folder(WorkFolderParent());
  Counts counts;
  int n = 0;
  for (const RegressionCase& c : RegressionCases()) {
    if (!c.base.empty() && !skarnvel_test::HaveTestData()) continue;
    RunSequence(folder, c.base, n++, c.steps, nullptr, 0, counts);
  }
  size_t steps = 0;
  for (const RegressionCase& c : RegressionCases()) steps += c.steps.size();
  EXPECT_EQ(static_cast<size_t>(counts.steps), steps);
  EXPECT_GT(counts.refused, 0);
}

TEST(MdbDifferentialTest, RandomSequencesKeepBothStoragesAlike) {
  const int sequences = EnvInt("SKARNVEL_DIFFERENTIAL_SEQUENCES", kSequences);
  const int steps = EnvInt("SKARNVEL_DIFFERENTIAL_STEPS", kSteps);
  const int seed = EnvInt("SKARNVEL_DIFFERENTIAL_SEED", 0);
  const bool real_files = skarnvel_test::HaveTestData();
  Counts counts;
  int failures = 0;
  for (int s = 0; s < sequences && failures < 3; ++s) {
    const dbaccess::testing::TempFolder folder(WorkFolderParent());
    Generator generator(static_cast<uint32_t>(seed + s));
    std::string base;
    std::vector<std::string> opening;
    if (real_files && s % kRealFileEvery == kRealFileEvery - 1) {
      base = kRealFiles[(s / kRealFileEvery) % std::size(kRealFiles)];
    } else {
      opening = generator.Opening();
    }
    if (!RunSequence(folder, base, seed + s, opening, &generator, steps, counts)) ++failures;
  }
  std::cout << "[ differential ] " << counts.sequences << " sequences, " << counts.steps
            << " steps, " << counts.refused << " refused by both;";
  for (const auto& [kind, n] : counts.done) std::cout << " " << kind << ": " << n;
  std::cout << std::endl;
  EXPECT_GT(counts.done["relationships made"], 0);
  EXPECT_GT(counts.done["queries made"], 0);
}

}  // namespace
}  // namespace dbaccess::mdb
