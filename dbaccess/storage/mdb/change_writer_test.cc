// Every kind of change the executor hands a storage, written into .mdb files (new ones made
// here and copies of real ones) through MdbStorage::Commit: after each, the check finds
// nothing, our reader reads back the executor's catalog, rows included, and mdbtools reads
// what we read; what the change does not touch stays as it was.
#include "dbaccess/storage/mdb/change_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_commit_testing.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/mdb/mdbtools_testing.h"
#include "dbaccess/storage/mdb/new_database.h"
#include "dbaccess/storage/mdb/page_journal.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"
#include "dbaccess/storage/mdb/table_writing_testing.h"

namespace dbaccess::mdb {
namespace {

using testing::ReadBytes;
using testing::Rename;
using testing::Required;
using testing::Sql;
using testing::Step;

std::string Hex(size_t bytes, int seed) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out = "0x";
  for (size_t i = 0; i < bytes; ++i) {
    const unsigned v = static_cast<unsigned>(i * 31 + seed) & 0xFF;
    out += kDigits[v >> 4];
    out += kDigits[v & 0xF];
  }
  return out;
}

class ChangeWriterTest : public testing::CommitFixture {};

std::map<std::string, uint16_t> ColumnNumbers(const TableDefinition& def) {
  std::map<std::string, uint16_t> out;
  for (const ColumnDefinition& c : def.columns) out[c.name] = c.number;
  return out;
}

std::map<std::string, uint32_t> IndexNumbers(const TableDefinition& def) {
  std::map<std::string, uint32_t> out;
  for (const LogicalIndex& l : def.logical_indexes) out[l.name] = l.number;
  return out;
}

// Each kind of change, one commit at a time, on a table of every type in a new database.
TEST_F(ChangeWriterTest, EveryKindOfChangeOnANewDatabase) {
  OpenNew();
  Apply(Sql(
      "CREATE TABLE Kinds (Id COUNTER CONSTRAINT PrimaryKey PRIMARY KEY, Flag BIT, Small BYTE, "
      "Short SHORT NOT NULL DEFAULT 7, Whole LONG, Amount CURRENCY, Ratio SINGLE, Measure DOUBLE, "
      "[When] DATETIME DEFAULT Now(), Code TEXT(40) CONSTRAINT ByCode UNIQUE, Notes MEMO, "
      "Raw BINARY(16), Picture LONGBINARY, Key GUID, Price DECIMAL(18,4))"));
  const uint32_t page = Definition("Kinds").page;
  std::vector<Step> rows;
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    rows.push_back(Sql(
        "INSERT INTO Kinds (Flag, Small, Short, Whole, Amount, Ratio, Measure, [When], Code, "
        "Notes, Raw, Picture, Key, Price) VALUES (" +
        std::string(i % 2 ? "True" : "False") + ", " + std::to_string(i * 6 % 256) + ", " +
        std::to_string(i * 101 - 2000) + ", " + (i % 5 == 0 ? "Null" : std::to_string(i * 7919)) +
        ", " + n + ".1234, " + n + ".5, " + (i % 7 == 0 ? "Null" : "-" + n + ".25") +
        ", #2024-01-" + std::to_string(1 + i % 28) + " 10:20:30#, 'Ünïcödé Заказ " + n + "', '" +
        std::string(static_cast<size_t>(i % 3 == 0 ? 5000 : 10), 'm') + "', " + Hex(i % 16, i) +
        ", " + (i % 10 == 0 ? Hex(9000, i) : Hex(20, i)) + ", '{12345678-9ABC-DEF0-1234-" +
        std::string(12 - n.size(), '0') + n + "}', " + n + ".75)"));
  }
  Apply(rows);
  ExpectMdbToolsAgrees();

  Apply(Sql("ALTER TABLE Kinds ADD COLUMN Later TEXT(10) NOT NULL DEFAULT 'x'"));
  Apply(Sql("ALTER TABLE Kinds ALTER COLUMN Whole TEXT(20)"));
  Apply(Sql("ALTER TABLE Kinds ALTER COLUMN Measure CURRENCY"));
  Apply(Sql("ALTER TABLE Kinds ALTER COLUMN Code TEXT(60) NOT NULL"));
  Apply(Sql("CREATE UNIQUE INDEX ByShortWhen ON Kinds (Short, [When] DESC)"));
  Apply(Sql("CREATE INDEX ByMeasure ON Kinds (Measure DESC) WITH IGNORE NULL"));
  Apply(Sql("DROP INDEX ByShortWhen ON Kinds"));
  Apply(Sql("ALTER TABLE Kinds DROP COLUMN Ratio"));
  Apply(Required("Kinds", "Small", true));
  Apply(Required("Kinds", "Code", false));
  Apply(Rename("Kinds", "Code", "Label"));
  Apply(Sql("ALTER TABLE Kinds DROP CONSTRAINT ByCode"));
  Apply(Sql("ALTER TABLE Kinds ADD CONSTRAINT ByLabel UNIQUE (Label, Later)"));
  Apply(Sql("INSERT INTO Kinds (Small, Short, Label) VALUES (1, 1, 'one more')"));

  // Numbers as Access keeps them: Ratio's is gone, Later's came after every other, the
  // indexes still there kept theirs and the new ones came after the highest.
  const TableDefinition def = Definition("Kinds");
  EXPECT_EQ(def.page, page);
  const std::map<std::string, uint16_t> columns = ColumnNumbers(def);
  EXPECT_EQ(columns.count("Ratio"), 0u);
  EXPECT_EQ(columns.at("Id"), 0);
  EXPECT_EQ(columns.at("Measure"), 7);
  EXPECT_EQ(columns.at("Label"), 9);
  EXPECT_EQ(columns.at("Later"), 15);
  EXPECT_EQ(def.max_columns, 16);
  const std::map<std::string, uint32_t> indexes = IndexNumbers(def);
  EXPECT_EQ(indexes,
            (std::map<std::string, uint32_t>{{"PrimaryKey", 0}, {"ByMeasure", 3}, {"ByLabel", 4}}));
  ExpectMdbToolsAgrees();

  // A transaction's statements as one commit: a table made, filled, keyed and grown.
  Apply({Sql("CREATE TABLE Other (A LONG, B TEXT(5))"), Sql("INSERT INTO Other VALUES (1, 'a')"),
         Sql("INSERT INTO Other VALUES (2, 'b')"),
         Sql("ALTER TABLE Other ADD CONSTRAINT pk PRIMARY KEY (A)"),
         Sql("ALTER TABLE Other ADD COLUMN N COUNTER")});
  Apply({Sql("DROP TABLE Other"), Sql("CREATE TABLE Other (C DOUBLE)")});
  Apply(Sql("DROP TABLE Other"));
  ExpectMdbToolsAgrees();
}

// Tests that change real files pick a user table of each.
struct RealFile {
  std::string name;
  std::string password;
};

// On copies of real files: a column added, required, renamed, indexed, dropped; a table
// made and dropped. Everything else stays: the pages of every other table (Access's own
// objects among them) and the other catalog rows.
TEST_F(ChangeWriterTest, RealFilesKeepWhatTheChangesDoNotTouch) {
  SKIP_WITHOUT_TEST_DATA();
  const std::vector<RealFile> files = {{"testV2000.mdb", ""},
                                       {"test2V2000.mdb", ""},
                                       {"testIndexPropertiesV2000.mdb", ""},
                                       {"delColTestV2000.mdb", ""},
                                       {"compIndexTestV2000.mdb", ""},
                                       {"bigIndexTestV2000.mdb", ""},
                                       {"fixedNumericTestV2000.mdb", ""},
                                       {"testUnicodeCompV2003.mdb", ""},
                                       {"noRoman.mdb", ""},
                                       {"queryTestV2000.mdb", ""},
                                       {"V2000_with-password.mdb", "password"},
                                       {"db-enc.mdb", ""},
                                       {"indexTestV2000.mdb", ""}};
  for (const RealFile& file : files) {
    SCOPED_TRACE(file.name);
    OpenCopy(file.name, file.password);
    const Table* chosen = nullptr;
    for (const Table& t : catalog_.tables()) {
      if (t.kind == TableKind::kUser && chosen == nullptr) chosen = &t;
    }
    ASSERT_NE(chosen, nullptr);
    const std::string table = chosen->name;
    const std::string first = chosen->columns.front().name;
    const std::vector<uint8_t> original = ReadBytes(path_);
    const auto before = std::make_unique<PageFile>(MemorySource(original));
    const StoredDatabase stored_before = ReadDatabase(*before);
    const uint32_t page = Definition(table).page;

    Apply(Sql("ALTER TABLE [" + table + "] ADD COLUMN Added TEXT(20) DEFAULT 'new'"));
    Apply(Sql("CREATE INDEX ByAdded ON [" + table + "] (Added)"));
    Apply(Rename(table, first, first + "_renamed"));
    Apply(Required(table, "Added", false));
    Apply(Sql("DROP INDEX ByAdded ON [" + table + "]"));
    Apply(Rename(table, first + "_renamed", first));
    Apply(Sql("ALTER TABLE [" + table + "] DROP COLUMN Added"));
    Apply({Sql("CREATE TABLE Made (A LONG CONSTRAINT pk PRIMARY KEY, B MEMO)"),
           Sql("INSERT INTO Made VALUES (1, 'b')")});
    Apply(Sql("DROP TABLE Made"));
    EXPECT_EQ(Definition(table).page, page);
    ExpectMdbToolsAgrees();

    // Every other table's pages and every other catalog row are as they were.
    const auto after = testing::OpenFile(path_);
    const StoredDatabase stored_after = ReadDatabase(*after);
    std::set<uint32_t> other_tables;
    for (const StoredTable& t : stored_before.tables) {
      if (t.linked || t.object.name == table || t.object.system()) continue;
      other_tables.insert(static_cast<uint32_t>(t.object.id));
      const std::set<uint32_t> pages = testing::PagesOfTable(*before, t.definition.page);
      EXPECT_EQ(pages, testing::PagesOfTable(*after, t.definition.page)) << t.object.name;
      for (uint32_t p : pages) {
        EXPECT_EQ(*before->Read(p), *after->Read(p)) << t.object.name << " page " << p;
      }
    }
    EXPECT_GT(other_tables.size(), 0u);
    ASSERT_EQ(stored_after.tables.size(), stored_before.tables.size());
    for (size_t i = 0; i < stored_before.tables.size(); ++i) {
      const CatalogObject& was = stored_before.tables[i].object;
      const CatalogObject& is = stored_after.tables[i].object;
      EXPECT_EQ(was.id, is.id);
      EXPECT_EQ(was.name, is.name);
      EXPECT_EQ(was.flags, is.flags);
      if (was.name != table) {
        EXPECT_EQ(was.properties, is.properties) << was.name;
      }
    }
  }
}

// A database with relationships: changes on the primary and the foreign table keep the
// relationships' indexes linked (definition pages and index numbers stay); a renamed column
// is renamed in MSysRelationships.
TEST_F(ChangeWriterTest, RelationshipsStayLinkedThroughChangesOnBothSides) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("indexTestV2000.mdb");
  const std::map<std::string, uint32_t> table1 = IndexNumbers(Definition("Table1"));
  const std::map<std::string, uint32_t> table2 = IndexNumbers(Definition("Table2"));
  Apply(Sql("ALTER TABLE Table2 ADD COLUMN Extra DATETIME"));         // the primary side
  Apply(Sql("CREATE INDEX ByData ON Table1 (data, otherfk3 DESC)"));  // the foreign side
  Apply(Sql("DROP INDEX id ON Table1"));
  Apply(Rename("Table1", "otherfk1", "other_key"));
  Apply(Rename("Table2", "id", "Key"));
  Apply(Required("Table1", "data", true));
  Apply(Sql("INSERT INTO Table2 (Key, data) VALUES (99, 'new')"));

  const Relationship* r = catalog_.FindRelationship("Table2Table1");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->foreign_columns, std::vector<std::string>{"other_key"});
  EXPECT_EQ(r->primary_columns, std::vector<std::string>{"Key"});
  std::map<std::string, uint32_t> expected1 = table1;
  expected1.erase("id");
  expected1["ByData"] = 4;
  EXPECT_EQ(IndexNumbers(Definition("Table1")), expected1);
  EXPECT_EQ(IndexNumbers(Definition("Table2")), table2);
  ExpectMdbToolsAgrees();
}

// Properties Access set (Format, UnicodeCompression, DefaultValue ...) stay with their
// columns through changes that do not remove them, as stored bytes where they still read the
// same; a change that touches no property leaves the blob byte for byte.
TEST_F(ChangeWriterTest, PropertiesStayWithTheirColumns) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("testV2000.mdb");
  auto blob = [&] {
    const StoredDatabase db = ReadDatabase(*testing::OpenFile(path_));
    return testing::FindStoredTable(db, "Table1")->object.properties;
  };
  const std::vector<uint8_t> original = blob();
  Apply(Sql("CREATE INDEX ByD ON Table1 (D)"));
  EXPECT_EQ(blob(), original);
  Apply(Sql("DROP INDEX ByD ON Table1"));
  EXPECT_EQ(blob(), original);

  const Table before = *catalog_.FindTable("Table1");
  Apply(Rename("Table1", "B", "B2"));
  Apply(Required("Table1", "E", true));
  Apply(Sql("ALTER TABLE Table1 ALTER COLUMN C SHORT"));
  Apply(Sql("ALTER TABLE Table1 ADD COLUMN Z LONG DEFAULT 5"));
  Apply(Sql("ALTER TABLE Table1 DROP COLUMN G"));
  const Table& now = *catalog_.FindTable("Table1");
  EXPECT_EQ(now.FindColumn("H")->extra_properties, before.FindColumn("H")->extra_properties);
  EXPECT_EQ(now.FindColumn("H")->extra_properties.at("Format"), "$#,##0.00;($#,##0.00)");
  EXPECT_EQ(now.FindColumn("B2")->extra_properties, before.FindColumn("B")->extra_properties);
  EXPECT_EQ(now.FindColumn("C")->extra_properties, before.FindColumn("C")->extra_properties);
  EXPECT_EQ(now.FindColumn("E")->default_value, "0");
  EXPECT_TRUE(now.FindColumn("E")->required);
  EXPECT_EQ(now.FindColumn("Z")->default_value, "5");
  EXPECT_EQ(now.FindColumn("G"), nullptr);

  // The untouched columns' values keep the bytes Access stored.
  const TextDecoder text(JetVersion::kJet4, 1252);
  const PropertyBlobExtras was = DecodePropertyBlobExtras(ByteView(original), text);
  const PropertyBlobExtras is = DecodePropertyBlobExtras(ByteView(blob()), text);
  const PropertyMaps was_maps = DecodePropertyBlob(ByteView(original), text);
  const PropertyMaps is_maps = DecodePropertyBlob(ByteView(blob()), text);
  size_t compared = 0;
  for (size_t m = 0; m < was_maps.maps.size(); ++m) {
    const std::string& name = was_maps.maps[m].name;
    if (name != "A" && name != "D" && name != "F" && name != "H" && name != "I") continue;
    for (size_t k = 0; k < is_maps.maps.size(); ++k) {
      if (is_maps.maps[k].name != name) continue;
      ASSERT_EQ(was.values[m].size(), is.values[k].size()) << name;
      for (size_t p = 0; p < was.values[m].size(); ++p) {
        EXPECT_EQ(was.values[m][p].data, is.values[k][p].data) << name;
        EXPECT_EQ(was.values[m][p].flags, is.values[k][p].flags) << name;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 10u);
}

// What is not written yet is refused, naming it, and so is what only the file cannot hold;
// the file stays byte for byte as it was and the next change goes through.
TEST_F(ChangeWriterTest, RefusedChangesLeaveTheFileAsItWas) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("indexTestV2000.mdb");
  const std::vector<uint8_t> original = ReadBytes(path_);
  auto refused = [&](const std::vector<Step>& steps, const std::string& message) {
    Catalog after = catalog_;
    ChangeList changes;
    for (const Step& step : steps) step(after, changes);
    try {
      storage_->Commit(catalog_, after, changes);
      ADD_FAILURE() << "accepted: " << message;
    } catch (const JetError& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(ReadBytes(path_), original);
  };
  auto not_yet = [&](const std::string& what) {
    return what + " in a Jet database file is not supported yet; '" + path_ + "' was not changed.";
  };
  refused({Sql("ALTER TABLE Table3 ADD COLUMN x LONG"),
           Sql("ALTER TABLE Table3 ADD CONSTRAINT fk FOREIGN KEY (x) REFERENCES Table2 "
               "ON UPDATE SET NULL")},
          not_yet("Relationships whose updates set the foreign key to Null"));
  // A row longer than a page holds is the file's limit, not the executor's.
  std::string wide = "CREATE TABLE Wide (";
  std::string values = "INSERT INTO Wide VALUES (";
  for (int i = 0; i < 12; ++i) {
    wide += std::string(i ? ", " : "") + "c" + std::to_string(i) + " TEXT(255)";
    values += std::string(i ? ", " : "") + "'" + std::string(255, 'w') + "'";
  }
  refused({Sql(wide + ")"), Sql(values + ")")}, "Record is too large.");

  // Another program's change is never written over.
  {
    const std::unique_ptr<MdbStorage> other = std::make_unique<MdbStorage>(path_, "");
    Catalog catalog = other->Load();
    Catalog after = catalog;
    ChangeList changes;
    ExecuteSql(after, "ALTER TABLE Table3 ADD COLUMN y LONG", changes);
    other->Commit(catalog, after, changes);
  }
  const std::vector<uint8_t> changed = ReadBytes(path_);
  Catalog after = catalog_;
  ChangeList changes;
  ExecuteSql(after, "ALTER TABLE Table3 ADD COLUMN z LONG", changes);
  try {
    storage_->Commit(catalog_, after, changes);
    ADD_FAILURE() << "wrote over another program's change";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3197);
  }
  EXPECT_EQ(ReadBytes(path_), changed);
  Open();
  Apply(Sql("ALTER TABLE Table3 ADD COLUMN z LONG"));
}

// Access 97 files are only read.
TEST_F(ChangeWriterTest, Access97FilesAreNotChanged) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("testV1997.mdb");
  const std::vector<uint8_t> original = ReadBytes(path_);
  Catalog after = catalog_;
  ChangeList changes;
  ExecuteSql(after, "ALTER TABLE Table1 ADD COLUMN x LONG", changes);
  try {
    storage_->Commit(catalog_, after, changes);
    ADD_FAILURE() << "an Access 97 file was changed";
  } catch (const JetError& e) {
    EXPECT_EQ(e.number(), 3027);
  }
  EXPECT_EQ(ReadBytes(path_), original);
}

// A table written anew in place, the process dying at each page write: once recovered the
// file is exactly the old one or exactly the new one.
TEST_F(ChangeWriterTest, ACrashWhileATableIsWrittenAnewLeavesTheOldFileOrTheNew) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("testV2000.mdb");
  const std::vector<uint8_t> old = ReadBytes(path_);
  Catalog after = catalog_;
  ChangeList changes;
  ExecuteSql(after, "ALTER TABLE Table1 ALTER COLUMN A TEXT(80)", changes);
  ExecuteSql(after, "CREATE INDEX ByC ON Table1 (C)", changes);
  auto change = [&] {
    const auto file = testing::OpenFile(path_);
    PageWriter pages(*file, path_);
    WriteChanges(pages, catalog_, after, changes, 45000.5);
    pages.Commit();
  };
  change();
  const std::vector<uint8_t> made = ReadBytes(path_);
  ASSERT_NE(made, old);
  size_t page_writes = 0;
  for (size_t k = 0;; ++k) {
    testing::WriteBytes(path_, old);
    bool crashed = false;
    SetJournalCrashHookForTesting([&](JournalStep step, size_t count) {
      if (step == JournalStep::kPageWrite) page_writes = std::max(page_writes, count + 1);
      return step == JournalStep::kPageWrite && count == k;
    });
    try {
      change();
    } catch (const PageWriteCrash&) {
      crashed = true;
    }
    SetJournalCrashHookForTesting({});
    if (!crashed) break;
    RecoverJournal(path_, 4096);
    const std::vector<uint8_t> now = ReadBytes(path_);
    EXPECT_TRUE(now == old || now == made) << "crash at page write " << k;
  }
  EXPECT_GT(page_writes, 5u);
  EXPECT_EQ(ReadBytes(path_), made);
  EXPECT_EQ(testing::CheckFindings(path_), "");
}

}  // namespace
}  // namespace dbaccess::mdb
