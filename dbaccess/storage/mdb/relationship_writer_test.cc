// Relationships made and dropped in .mdb files through MdbStorage::Commit: the rows,
// catalog entries and indexes Access keeps for one, checked against Access's own in a real
// file and read back by our reader and mdbtools.
#include "dbaccess/storage/mdb/relationship_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbaccess/base/testdata_testing.h"
#include "dbaccess/storage/mdb/catalog_writer.h"
#include "dbaccess/storage/mdb/mdb_commit_testing.h"
#include "dbaccess/storage/mdb/relationships.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_reader.h"

namespace dbaccess::mdb {
namespace {

using testing::Sql;

// The rows of the engine's table `name`.
std::vector<Row> SystemRows(const PageFile& file, const std::string& name, TableDefinition& def) {
  const TextDecoder text(file.header().version, file.header().code_page);
  for (const CatalogObject& object : StoredTables(file)) {
    if (object.name != name) continue;
    def = ReadTableDefinition(file, static_cast<uint32_t>(object.id), text);
    TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));
    return reader.ReadRows(def);
  }
  ADD_FAILURE() << "no table " << name;
  return {};
}

std::vector<RelationshipRow> RelationshipRows(const std::string& path, const std::string& name) {
  const auto file = testing::OpenFile(path);
  TableDefinition def;
  std::vector<RelationshipRow> out;
  for (const Row& row : SystemRows(*file, kRelationshipsTableName, def)) {
    RelationshipRow r = RelationshipRowDecoder(def).Decode(row);
    if (r.name == name) out.push_back(r);
  }
  std::sort(out.begin(), out.end(), [](const RelationshipRow& a, const RelationshipRow& b) {
    return a.column_index < b.column_index;
  });
  return out;
}

std::string Shown(const std::vector<RelationshipRow>& rows) {
  std::string out;
  for (const RelationshipRow& r : rows) {
    out += r.name + " " + std::to_string(r.grbit) + " " + std::to_string(r.column_count) + "/" +
           std::to_string(r.column_index) + " " + r.foreign_table + "." + r.foreign_column +
           " -> " + r.primary_table + "." + r.primary_column + "\n";
  }
  return out;
}

// The MSysObjects row of the relationship and the ACMs of its MSysACEs rows.
struct RelationshipObject {
  bool found = false;
  int32_t id = 0;
  int32_t parent_id = 0;
  std::vector<int64_t> acms;
};

RelationshipObject ObjectOf(const std::string& path, const std::string& name) {
  const auto file = testing::OpenFile(path);
  TableDefinition objects_def;
  RelationshipObject out;
  for (const Row& row : SystemRows(*file, kCatalogTableName, objects_def)) {
    const CatalogObject object = DecodeCatalogObject(objects_def, row);
    if (object.type != kObjectTypeRelationship || object.name != name) continue;
    out.found = true;
    out.id = object.id;
    out.parent_id = object.parent_id;
  }
  TableDefinition aces_def;
  for (const Row& row : SystemRows(*file, kAccessControlTableName, aces_def)) {
    const RowFields fields(aces_def, row);
    if (out.found && fields.Integer("ObjectId") == out.id)
      out.acms.push_back(*fields.Integer("ACM"));
  }
  return out;
}

// A foreign-key logical index as a line: what the file says about it, without numbers.
std::string ForeignKeyIndex(const TableDefinition& def, const std::string& name) {
  for (const LogicalIndex& index : def.logical_indexes) {
    if (index.name != name) continue;
    const RealIndex& real = def.real_indexes.at(index.real_index);
    std::string columns;
    for (const RealIndexColumn& c : real.columns) {
      for (const ColumnDefinition& d : def.columns) {
        if (d.number == c.column_number) columns += d.name + (c.ascending ? " " : " desc ");
      }
    }
    return "type " + std::to_string(index.type) + " side " +
           std::to_string(index.relationship_side) + " updates " +
           std::to_string(index.cascade_updates) + " deletes " +
           std::to_string(index.cascade_deletes) + " over " + columns + "flags " +
           std::to_string(real.flags);
  }
  return "(none)";
}

std::string PrimarySideIndexName(const TableDefinition& def, uint32_t foreign_page) {
  for (const LogicalIndex& index : def.logical_indexes) {
    if (index.type == kLogicalIndexForeignKey &&
        index.relationship_side == kRelationshipSidePrimary &&
        index.other_table_page == foreign_page) {
      return index.name;
    }
  }
  return "(none)";
}

class RelationshipWriterTest : public testing::CommitFixture {};

// Access's own relationship dropped and made again from its DDL: the rows, the catalog
// entries and both indexes come back as Access wrote them.
TEST_F(RelationshipWriterTest, MadeAgainAsAccessMadeIt) {
  SKIP_WITHOUT_TEST_DATA();
  OpenCopy("indexTestV2000.mdb");
  const std::vector<RelationshipRow> access_rows = RelationshipRows(path_, "Table2Table1");
  ASSERT_EQ(access_rows.size(), 1u);
  const RelationshipObject access_object = ObjectOf(path_, "Table2Table1");
  ASSERT_TRUE(access_object.found);
  const TableDefinition access_child = Definition("Table1");
  const TableDefinition access_parent = Definition("Table2");
  const std::string access_parent_index = PrimarySideIndexName(access_parent, access_child.page);
  ASSERT_NE(access_parent_index, "(none)");
  const Relationship access_relationship = *catalog_.FindRelationship("Table2Table1");

  Apply(Sql("ALTER TABLE Table1 DROP CONSTRAINT Table2Table1"));
  EXPECT_TRUE(RelationshipRows(path_, "Table2Table1").empty());
  EXPECT_FALSE(ObjectOf(path_, "Table2Table1").found);
  EXPECT_EQ(ForeignKeyIndex(Definition("Table1"), "Table2Table1"), "(none)");
  EXPECT_EQ(PrimarySideIndexName(Definition("Table2"), access_child.page), "(none)");
  // The other relationship of Table1 is still whole.
  EXPECT_EQ(RelationshipRows(path_, "Table3Table1").size(), 1u);

  Apply(
      Sql("ALTER TABLE Table1 ADD CONSTRAINT Table2Table1 FOREIGN KEY (otherfk1) "
          "REFERENCES Table2 (id) ON DELETE CASCADE"));
  EXPECT_EQ(*catalog_.FindRelationship("Table2Table1"), access_relationship);
  EXPECT_EQ(Shown(RelationshipRows(path_, "Table2Table1")), Shown(access_rows));
  const RelationshipObject object = ObjectOf(path_, "Table2Table1");
  EXPECT_TRUE(object.found);
  EXPECT_EQ(object.parent_id, access_object.parent_id);
  EXPECT_EQ(object.acms, access_object.acms);
  EXPECT_LT(object.id, 0);
  const TableDefinition child = Definition("Table1");
  const TableDefinition parent = Definition("Table2");
  EXPECT_EQ(ForeignKeyIndex(child, "Table2Table1"), ForeignKeyIndex(access_child, "Table2Table1"));
  // Access named it ".rC" where ".rB" was free: the name of the primary side's index is
  // the engine's own, and only its form is Access's.
  const std::string parent_index = PrimarySideIndexName(parent, child.page);
  EXPECT_EQ(parent_index.substr(0, 2), ".r");
  EXPECT_EQ(parent_index.size(), 3u);
  EXPECT_EQ(ForeignKeyIndex(parent, parent_index),
            ForeignKeyIndex(access_parent, access_parent_index));
  EXPECT_EQ(parent.real_indexes.size(), access_parent.real_indexes.size());
  ExpectMdbToolsAgrees();
}

// Relationships of every shape on a new database: with the table, on two columns, to the
// table itself, each rule; a real index shared or made; all of it dropped again.
TEST_F(RelationshipWriterTest, EveryShapeMadeAndDropped) {
  OpenNew();
  Apply({Sql("CREATE TABLE P (a LONG, b TEXT(10), CONSTRAINT pk PRIMARY KEY (a, b))"),
         Sql("CREATE TABLE Q (id LONG CONSTRAINT qk PRIMARY KEY, name TEXT(20))"),
         Sql("INSERT INTO P VALUES (1, 'x')"), Sql("INSERT INTO P VALUES (2, 'y')"),
         Sql("INSERT INTO Q VALUES (10, 'ten')")});
  // With a new table, in one commit.
  Apply(
      Sql("CREATE TABLE C (id COUNTER PRIMARY KEY, a LONG, b TEXT(10), q LONG "
          "CONSTRAINT cq REFERENCES Q ON DELETE SET NULL, up LONG, "
          "CONSTRAINT cp FOREIGN KEY (a, b) REFERENCES P ON UPDATE CASCADE ON DELETE CASCADE)"));
  Apply({Sql("INSERT INTO C (a, b, q) VALUES (1, 'x', 10)"),
         Sql("INSERT INTO C (a, b, q) VALUES (Null, Null, Null)")});
  EXPECT_EQ(RelationshipRows(path_, "cp").size(), 2u);
  EXPECT_EQ(RelationshipRows(path_, "cp")[0].grbit,
            kRelationshipCascadeUpdates | kRelationshipCascadeDeletes);
  EXPECT_EQ(RelationshipRows(path_, "cq")[0].grbit, kRelationshipCascadeNull);
  EXPECT_EQ(ForeignKeyIndex(Definition("C"), "cq"),
            "type 2 side 2 updates 0 deletes 1 over q flags 128");
  // To itself, over the table's primary key's real index on the foreign side too.
  Apply(Sql("ALTER TABLE C ADD CONSTRAINT self FOREIGN KEY (up) REFERENCES C (id)"));
  Apply(Sql("INSERT INTO C (a, up) VALUES (2, 1)"));
  // A foreign key over the columns of an existing index shares its real index.
  const size_t reals = Definition("Q").real_indexes.size();
  Apply({Sql("CREATE TABLE R (k LONG CONSTRAINT rk UNIQUE)"),
         Sql("ALTER TABLE R ADD CONSTRAINT rq FOREIGN KEY (k) REFERENCES Q (id)")});
  EXPECT_EQ(Definition("R").real_indexes.size(), 1u);
  EXPECT_EQ(Definition("Q").real_indexes.size(), reals);
  EXPECT_NE(RelationshipRows(path_, "rq")[0].grbit & kRelationshipOneToOne, 0u);
  EXPECT_NE(PrimarySideIndexName(Definition("Q"), Definition("C").page),
            PrimarySideIndexName(Definition("Q"), Definition("R").page));
  ExpectMdbToolsAgrees();

  for (const char* statement :
       {"ALTER TABLE R DROP CONSTRAINT rq", "ALTER TABLE C DROP CONSTRAINT self",
        "ALTER TABLE C DROP CONSTRAINT cp", "ALTER TABLE C DROP CONSTRAINT cq"}) {
    SCOPED_TRACE(statement);
    Apply(Sql(statement));
  }
  EXPECT_EQ(Definition("R").real_indexes.size(), 1u);
  for (const char* table : {"C", "P", "Q"}) {
    for (const LogicalIndex& index : Definition(table).logical_indexes) {
      EXPECT_NE(index.type, kLogicalIndexForeignKey) << table << " " << index.name;
    }
  }
  Apply({Sql("DROP TABLE C"), Sql("DROP TABLE P")});
  ExpectMdbToolsAgrees();
}

}  // namespace
}  // namespace dbaccess::mdb
