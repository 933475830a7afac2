// Helpers for the tests of the table writers: copies of the real test files, a table of
// every column type and rows for it, and reading a written file back.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_WRITING_TESTING_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_WRITING_TESTING_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dbaccess/base/temp_folder_testing.h"
#include "dbaccess/storage/mdb/database_check.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/mdb_testing.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_description.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb::testing {

// A copy of the test file `name` in `folder`, which the user may write.
inline std::string CopyTestFile(const dbaccess::testing::TempFolder& folder,
                                const std::string& name) {
  const std::string path = folder.File(name);
  std::filesystem::copy_file(TestFile(name), path,
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return path;
}

inline std::unique_ptr<PageFile> OpenFile(const std::string& path) {
  return std::make_unique<PageFile>(MemorySource(ReadBytes(path)));
}

// The findings of the integrity check, one per line ("" when sound).
inline std::string Findings(const PageFile& file) {
  std::string out;
  for (const CheckFinding& finding : CheckDatabase(file).findings) out += finding.ToString() + "\n";
  return out;
}

// The file read whole, once the integrity check found it sound.
inline StoredDatabase ReadSoundDatabase(const PageFile& file) {
  EXPECT_EQ(Findings(file), "");
  return ReadDatabase(file);
}

inline const StoredTable* FindStoredTable(const StoredDatabase& db, const std::string& name) {
  for (const StoredTable& table : db.tables) {
    if (table.object.name == name) return &table;
  }
  return nullptr;
}

// A table of every column type Jet 4 has, an autonumber key, a unique text index, a
// two-column index with a descending column and a descending index on a Double.
inline TableDescription EveryTypeTable(const std::string& name) {
  TableDescription table;
  table.name = name;
  auto add = [&](std::string column, uint8_t type) -> ColumnDescription& {
    ColumnDescription c;
    c.name = std::move(column);
    c.type = type;
    table.columns.push_back(c);
    return table.columns.back();
  };
  add("Id", kTypeLong).autonumber = true;
  add("Flag", kTypeBoolean);
  add("Small", kTypeByte);
  add("Short", kTypeInt).required = true;
  add("Amount", kTypeMoney);
  add("Ratio", kTypeFloat);
  add("Measure", kTypeDouble);
  add("When", kTypeDateTime).default_value = "Now()";
  ColumnDescription& code = add("Code", kTypeText);
  code.size = 40;
  code.compressed_unicode = true;
  add("Wide", kTypeText).size = 255;
  add("Raw", kTypeBinary).size = 24;
  add("Notes", kTypeMemo).compressed_unicode = true;
  add("Picture", kTypeOle);
  add("Key", kTypeGuid);
  ColumnDescription& price = add("Price", kTypeNumeric);
  price.precision = 18;
  price.scale = 4;
  table.indexes.push_back({"PrimaryKey", {{"Id", true}}, true});
  IndexDescription by_code{"ByCode", {{"Code", true}}};
  by_code.unique = true;
  table.indexes.push_back(by_code);
  table.indexes.push_back({"ByShortWhen", {{"Short", true}, {"When", false}}});
  table.indexes.push_back({"ByMeasure", {{"Measure", false}}});
  return table;
}

// Row `i` of EveryTypeTable: nulls in turns, texts of every length, memos from a few
// bytes to several pages, every 50th row an OLE value over several pages. Id is left null
// (the autonumber).
inline Row EveryTypeRow(int i) {
  Row row(15);
  const bool nulls = i % 7 == 3;
  row[1] = Cell{i % 2 == 0};
  row[2] = nulls ? Cell{} : Cell{int64_t{i % 256}};
  row[3] = Cell{int64_t{i % 30000 - 15000}};
  row[4] = nulls ? Cell{} : Cell{int64_t{i} * 12345 - 5000000};
  row[5] = nulls ? Cell{} : Cell{static_cast<double>(static_cast<float>(i) / 8)};
  row[6] = nulls ? Cell{} : Cell{i * 1.5 - 1000.25};
  row[7] = Cell{40000.0 + i / 24.0};
  row[8] = Cell{"code " + std::to_string(i)};
  row[9] = nulls ? Cell{} : Cell{std::string("Ünïcödé ") + "Заказ №" + std::to_string(i)};
  if (!nulls) {
    std::vector<uint8_t> raw;
    for (int k = 0; k < i % 25; ++k) raw.push_back(static_cast<uint8_t>(k * 7 + i));
    row[10] = Cell{Bytes{raw}};
  }
  if (i % 5 != 4) {
    const size_t length = i % 3 == 0 ? 10 : i % 3 == 1 ? 300 : static_cast<size_t>(3000 + i % 9000);
    std::string text;
    while (text.size() < length) text += "memo " + std::to_string(i) + " ";
    row[11] = Cell{text.substr(0, length)};
  }
  if (i % 50 == 0) {
    std::vector<uint8_t> picture(20000 + static_cast<size_t>(i % 7) * 1000);
    for (size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<uint8_t>(k * 31 + i);
    row[12] = Cell{Bytes{picture}};
  } else if (i % 3 == 0) {
    row[12] = Cell{Bytes{{1, 2, 3, static_cast<uint8_t>(i)}}};
  }
  row[13] = nulls ? Cell{}
                  : Cell{std::string("{12345678-9ABC-DEF0-1234-") +
                         std::string(12 - std::to_string(i).size(), '0') + std::to_string(i) + "}"};
  row[14] = nulls ? Cell{} : Cell{std::to_string(i) + ".2500"};
  return row;
}

// The description a table was made from, as far as its definition tells; none for a table a
// description cannot give (deleted columns or indexes, foreign keys). With `as_stored`, the
// column numbers and index flags as stored, and the engine's own tables as such.
inline std::optional<TableDescription> DescriptionOf(const TableDefinition& def,
                                                     const std::string& name, bool as_stored) {
  TableDescription out;
  out.name = name;
  out.system = as_stored && def.table_type == kTableTypeSystem;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    const ColumnDefinition& c = def.columns[i];
    if (c.number != i && !as_stored) return std::nullopt;
    ColumnDescription column;
    column.name = c.name;
    column.type = c.type;
    if (c.type == kTypeText) column.size = c.length / 2;
    if (c.type == kTypeBinary) column.size = c.length;
    if (c.type == kTypeNumeric) {
      column.precision = c.precision;
      column.scale = c.scale;
    }
    column.autonumber = (c.flags & (kColumnFlagAutoNumber | kColumnFlagAutoGuid)) != 0;
    column.hyperlink = (c.flags & kColumnFlagHyperlink) != 0;
    column.compressed_unicode = (c.ext_flags & kColumnExtFlagCompressedUnicode) != 0;
    if (as_stored) {
      column.number = c.number;
      column.other_flags =
          c.flags & ~(kColumnFlagFixed | kColumnFlagUpdatable | kColumnFlagAutoNumber |
                      kColumnFlagAutoGuid | kColumnFlagHyperlink | kColumnFlagSystemTable);
    }
    out.columns.push_back(column);
  }
  std::vector<const LogicalIndex*> by_number;
  for (const LogicalIndex& index : def.logical_indexes) {
    if (index.type == kLogicalIndexForeignKey) return std::nullopt;
    by_number.push_back(&index);
  }
  std::sort(by_number.begin(), by_number.end(),
            [](const LogicalIndex* a, const LogicalIndex* b) { return a->number < b->number; });
  for (const LogicalIndex* logical : by_number) {
    if (logical->number != out.indexes.size()) return std::nullopt;  // one was deleted
    const RealIndex& real = def.real_indexes[logical->real_index];
    IndexDescription index;
    index.name = logical->name;
    index.primary = logical->type == kLogicalIndexPrimaryKey;
    index.unique = !index.primary && (real.flags & kIndexFlagUnique) != 0;
    index.required = !index.primary && (real.flags & kIndexFlagRequired) != 0;
    index.ignore_nulls = (real.flags & kIndexFlagIgnoreNulls) != 0;
    if (as_stored) index.flags = real.flags;
    for (const RealIndexColumn& part : real.columns) {
      for (const ColumnDefinition& c : def.columns) {
        if (c.number == part.column_number) index.columns.push_back({c.name, part.ascending});
      }
    }
    out.indexes.push_back(index);
  }
  return out;
}

// Copies into `defined` what a stored definition holds beyond its description: what its
// rows left (the row count, each index's counts, the last autonumber) and, with `stale`,
// the bytes left from earlier states of the table (unused header and index bytes, the
// places columns were shown at, the fixed offsets variable columns had once, the locale
// recorded in columns that are neither text nor decimal: Access 2003 on a Swedish system
// wrote 1053 there).
inline void CopyLeftBytes(DefinedTable& defined, const TableDefinition& stored,
                          const TableDefinitionExtras& stored_extras, bool stale) {
  TableDefinition& def = defined.definition;
  TableDefinitionExtras& extras = defined.extras;
  def.row_count = stored.row_count;
  extras.next_autonumber = stored_extras.next_autonumber;
  for (size_t i = 0; i < def.real_indexes.size() && i < stored.real_indexes.size(); ++i) {
    if (stale) extras.real_indexes[i] = stored_extras.real_indexes[i];
    extras.real_indexes[i].counts = stored_extras.real_indexes[i].counts;
  }
  if (!stale) return;
  extras.header_reserved = stored_extras.header_reserved;
  for (size_t i = 0; i < def.columns.size(); ++i) {
    extras.columns[i] = stored_extras.columns[i];
    if (!def.columns[i].fixed()) def.columns[i].fixed_offset = stored.columns[i].fixed_offset;
    if (def.columns[i].type != kTypeText && def.columns[i].type != kTypeMemo &&
        def.columns[i].type != kTypeNumeric) {
      def.columns[i].precision = stored.columns[i].precision;
      def.columns[i].scale = stored.columns[i].scale;
    }
  }
  for (size_t i = 0; i < def.logical_indexes.size(); ++i) {
    extras.logical_indexes[i].reserved = stored_extras.logical_indexes[i].reserved;
  }
}

// The pages marked free in the global usage map.
inline std::set<uint32_t> FreePagesOf(const PageFile& file) {
  const std::vector<uint32_t> pages = ReadUsageMap(file, RowPointer{1, 0});
  return std::set<uint32_t>(pages.begin(), pages.end());
}

// The pages that belong to the table: its definition, data and index pages and the pages
// holding its usage maps.
inline std::set<uint32_t> PagesOfTable(const PageFile& file, uint32_t definition_page) {
  const StoredTableDefinition stored = ReadStoredTableDefinition(file, definition_page);
  const TableDefinition def =
      ReadTableDefinition(file, definition_page, TextDecoder(JetVersion::kJet4, 1252));
  std::set<uint32_t> pages(stored.pages.begin(), stored.pages.end());
  auto add_map = [&](RowPointer where) {
    pages.insert(where.page);
    for (uint32_t page : ReadUsageMap(file, where)) pages.insert(page);
  };
  add_map(def.owned_pages);
  add_map(def.free_pages);
  for (const RealIndex& index : def.real_indexes) add_map(index.usage_map);
  return pages;
}

}  // namespace dbaccess::mdb::testing

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_TABLE_WRITING_TESTING_H_
