#include "dbaccess/storage/mdb/index_check.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "dbaccess/storage/mdb/data_page.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/long_value.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/system_catalog.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/usage_map.h"

namespace dbaccess::mdb {
namespace {

// Findings beyond this many for one index add nothing a reader can use.
constexpr size_t kMaxFindingsPerIndex = 10;
// Far deeper than any tree of 4 KB pages over a 2 GB file.
constexpr int kMaxIndexDepth = 32;
constexpr size_t kMaxKeyBytesShown = 48;

std::string Hex(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < bytes.size() && i < kMaxKeyBytesShown; ++i) {
    if (i > 0) out.push_back(' ');
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0xF]);
  }
  if (bytes.size() > kMaxKeyBytesShown) out += " ...";
  return out;
}

std::string RowText(RowPointer row) {
  return std::to_string(row.page) + ":" + std::to_string(row.row);
}

std::string EntryText(const IndexEntry& entry) {
  return "row " + RowText(entry.row) + " key [" + Hex(entry.key) + "]";
}

const ColumnDefinition* ColumnByNumber(const TableDefinition& def, uint16_t number) {
  for (const ColumnDefinition& column : def.columns) {
    if (column.number == number) return &column;
  }
  return nullptr;
}

// The name of a real index: that of the primary key over it, else of the first index that
// is not a foreign key's, else of the first; "#n" when no logical index names it.
std::string IndexName(const TableDefinition& def, size_t real_index) {
  const LogicalIndex* best = nullptr;
  auto rank = [](const LogicalIndex& index) {
    return index.type == kLogicalIndexPrimaryKey   ? 0
           : index.type == kLogicalIndexForeignKey ? 2
                                                   : 1;
  };
  for (const LogicalIndex& logical : def.logical_indexes) {
    if (logical.real_index != real_index) continue;
    if (best == nullptr || rank(logical) < rank(*best)) best = &logical;
  }
  return best == nullptr ? "#" + std::to_string(real_index) : best->name;
}

// Builds the keys of the indexes of one table from its rows.
class KeyBuilder {
 public:
  KeyBuilder(const PageFile& file, const TableDefinition& def)
      : def_(def), long_values_(file, ReadLimits::ForFileSize(file.byte_size()).long_value_bytes) {}

  // The entry of the row for `index`, or none when the index leaves the row out; `has_null`,
  // when given, tells whether a column of the key is null.
  std::optional<IndexEntry> Entry(const RealIndex& index, const std::vector<RawField>& fields,
                                  RowPointer row, bool* has_null = nullptr) {
    IndexEntry entry;
    entry.row = row;
    size_t nulls = 0;
    for (const RealIndexColumn& part : index.columns) {
      const size_t at = ColumnPosition(part.column_number);
      const ColumnDefinition& column = def_.columns[at];
      const RawField& field = fields[at];
      if (field.kind == RawField::Kind::kBoolean) {
        AppendBooleanKey(field.boolean, part.ascending, entry.key);
      } else if (field.kind == RawField::Kind::kNull) {
        AppendNullKey(part.ascending, entry.key);
        ++nulls;
      } else if (column.type == kTypeText) {
        AppendTextKey(DecodeJet4TextUnits(field.bytes), part.ascending, entry.key);
      } else if (column.type == kTypeMemo) {
        const std::vector<uint8_t> data = long_values_.Read(field.bytes);
        AppendTextKey(DecodeJet4TextUnits(ByteView(data)), part.ascending, entry.key);
      } else {
        AppendStoredValueKey(column.type, field.bytes, part.ascending, entry.key);
      }
    }
    if ((index.flags & kIndexFlagIgnoreNulls) != 0 && nulls == index.columns.size()) {
      return std::nullopt;
    }
    if (has_null != nullptr) *has_null = nulls != 0;
    return entry;
  }

 private:
  size_t ColumnPosition(uint16_t number) const {
    for (size_t i = 0; i < def_.columns.size(); ++i) {
      if (def_.columns[i].number == number) return i;
    }
    throw FormatError("index over a missing column");
  }

  const TableDefinition& def_;
  LongValueReader long_values_;
};

// Reads an index tree from its root, collecting its leaf entries.
class TreeReader {
 public:
  TreeReader(const PageFile& file, uint32_t table_page, const std::string& object,
             std::vector<CheckFinding>& findings)
      : file_(file), table_page_(table_page), object_(object), findings_(findings) {}

  std::vector<PlacedEntry> Read(uint32_t root) {
    Visit(root, 0);
    for (const auto& [depth, level] : levels_) {
      if (level.next != 0) {
        Report(level.page,
               "the last index page of its level names a next page, " + std::to_string(level.next));
      }
    }
    return std::move(entries_);
  }

 private:
  void Report(uint32_t page, std::string message) {
    findings_.push_back(CheckFinding{object_, page, std::move(message)});
  }

  // Returns the last entry under `page_number`, if any.
  std::optional<IndexEntry> Visit(uint32_t page_number, int depth) {
    if (depth > kMaxIndexDepth) {
      Report(page_number, "index tree too deep");
      return std::nullopt;
    }
    if (page_number == 0 || page_number >= file_.page_count()) {
      Report(page_number, "index page outside the file");
      return std::nullopt;
    }
    if (!visited_.insert(page_number).second) {
      Report(page_number, "index page reached twice");
      return std::nullopt;
    }
    IndexPage page;
    try {
      std::shared_ptr<const Page> bytes = file_.Read(page_number);
      page = DecodeIndexPage(ByteView(*bytes), file_.layout());
    } catch (const FormatError& e) {
      Report(page_number, std::string("unreadable index page: ") + e.what());
      return std::nullopt;
    }
    // Pages of one level are linked in order, both ways.
    Level& level = levels_[depth];
    if (page.previous_page != level.page) {
      Report(page_number, "index page names " + std::to_string(page.previous_page) +
                              " as the page before it, not " + std::to_string(level.page));
    }
    if (level.page != 0 && level.next != page_number) {
      Report(level.page, "index page names " + std::to_string(level.next) +
                             " as the page after it, not " + std::to_string(page_number));
    }
    level = Level{page_number, page.next_page};
    if (page.table_page != table_page_) {
      Report(page_number, "index page of table definition " + std::to_string(page.table_page));
    }
    for (size_t i = 1; i < page.entries.size(); ++i) {
      if (!EntryLess(page.entries[i - 1], page.entries[i])) {
        Report(page_number, "entries out of order at " + EntryText(page.entries[i]));
        break;
      }
    }
    if (page.leaf) {
      for (IndexEntry& entry : page.entries) {
        entries_.push_back(PlacedEntry{std::move(entry), page_number});
      }
      if (page.entries.empty()) return std::nullopt;
      return entries_.back().entry;
    }
    std::optional<IndexEntry> last;
    uint32_t last_child = 0;
    for (const IndexEntry& entry : page.entries) {
      last = Visit(entry.child_page, depth + 1);
      last_child = entry.child_page;
      if (last && (last->key != entry.key || last->row.Encode() != entry.row.Encode())) {
        Report(page_number, "intermediate entry " + EntryText(entry) +
                                " differs from the last entry of page " +
                                std::to_string(entry.child_page) + ", " + EntryText(*last));
      }
    }
    if (page.tail_page != 0 && page.tail_page != last_child)
      last = Visit(page.tail_page, depth + 1);
    return last;
  }

  const PageFile& file_;
  uint32_t table_page_;
  const std::string& object_;
  std::vector<CheckFinding>& findings_;
  std::set<uint32_t> visited_;
  std::vector<PlacedEntry> entries_;
  struct Level {
    uint32_t page = 0;  // the last page visited on this level
    uint32_t next = 0;  // the next page it names
  };
  std::map<int, Level> levels_;
};

// Compares the entries found on the pages with the rebuilt ones.
void CompareEntries(const std::vector<PlacedEntry>& found, const std::vector<IndexEntry>& expected,
                    const std::string& object, uint32_t root, std::vector<CheckFinding>& findings) {
  const size_t before = findings.size();
  auto report = [&](uint32_t page, std::string message) {
    if (findings.size() - before < kMaxFindingsPerIndex) {
      findings.push_back(CheckFinding{object, page, std::move(message)});
    }
  };
  std::map<uint32_t, const IndexEntry*> wanted;
  for (const IndexEntry& entry : expected) wanted[entry.row.Encode()] = &entry;
  std::set<uint32_t> met;
  for (const PlacedEntry& placed : found) {
    const uint32_t row = placed.entry.row.Encode();
    auto it = wanted.find(row);
    if (it == wanted.end() || !met.insert(row).second) {
      report(placed.page, "extra entry " + EntryText(placed.entry));
      continue;
    }
    if (it->second->key != placed.entry.key) {
      report(placed.page, "entry for row " + RowText(placed.entry.row) + " has key [" +
                              Hex(placed.entry.key) + "], the row gives [" + Hex(it->second->key) +
                              "]");
    }
  }
  for (const IndexEntry& entry : expected) {
    if (met.count(entry.row.Encode()) == 0) report(root, "missing entry " + EntryText(entry));
  }
  for (size_t i = 1; i < found.size() && findings.size() == before; ++i) {
    if (!EntryLess(found[i - 1].entry, found[i].entry)) {
      report(found[i].page, "entries out of order across pages at " + EntryText(found[i].entry));
    }
  }
  if (findings.size() - before == kMaxFindingsPerIndex) {
    findings.push_back(CheckFinding{object, root, "further differences not listed"});
  }
}

}  // namespace

const char kJet3Note[] =
    "Jet 3 (Access 97) file: its index keys use another code table; indexes not checked";

std::string CheckFinding::ToString() const {
  std::string out = object;
  if (page != 0) out += ", page " + std::to_string(page);
  return out + ": " + message;
}

std::string WhyKeysNotBuildable(const TableDefinition& def, const RealIndex& index,
                                const Header& header) {
  if (header.version != JetVersion::kJet4) return "Jet 3 index keys are not built here";
  for (const RealIndexColumn& part : index.columns) {
    const ColumnDefinition* column = ColumnByNumber(def, part.column_number);
    if (column == nullptr) return "";  // reported as a finding
    if (!KeyableType(column->type)) {
      return "column '" + column->name + "' of type " + std::to_string(column->type) +
             " has no known index key";
    }
    if (column->type != kTypeText && column->type != kTypeMemo) continue;
    const int order = column->sort_order != 0 ? column->sort_order : header.sort_order;
    const int version =
        column->sort_order != 0 ? column->sort_order_version : header.sort_order_version;
    if (order != kGeneralSortOrder || version != kGeneralLegacySortOrderVersion) {
      return "text sort order " + std::to_string(order) + " (version " + std::to_string(version) +
             ") of column '" + column->name +
             "' cannot be encoded; only General (1033, version 0) can";
    }
  }
  return "";
}

std::vector<IndexEntry> RebuildIndexEntries(const PageFile& file, const TableDefinition& def,
                                            const RealIndex& index) {
  TableDefinition one = def;
  one.real_indexes = {index};
  return std::move(RebuildTableIndexes(file, one).indexes[0].entries);
}

RebuiltIndexes RebuildTableIndexes(const PageFile& file, const TableDefinition& def) {
  for (const RealIndex& index : def.real_indexes) {
    const std::string why = WhyKeysNotBuildable(def, index, file.header());
    if (!why.empty()) throw FormatError(why);
  }
  KeyBuilder builder(file, def);
  RebuiltIndexes rebuilt;
  rebuilt.indexes.resize(def.real_indexes.size());
  ForEachLiveRow(file, def, [&](RowPointer pointer, ByteView row) {
    ++rebuilt.rows;
    if (def.real_indexes.empty()) return;
    const std::vector<RawField> fields = CrackRow(row, def, file.layout());
    for (size_t i = 0; i < def.real_indexes.size(); ++i) {
      bool has_null = false;
      std::optional<IndexEntry> entry =
          builder.Entry(def.real_indexes[i], fields, pointer, &has_null);
      if (!entry) continue;
      if (has_null) rebuilt.indexes[i].rows_with_null.insert(pointer.Encode());
      rebuilt.indexes[i].entries.push_back(std::move(*entry));
    }
  });
  for (RebuiltIndex& index : rebuilt.indexes) {
    std::sort(index.entries.begin(), index.entries.end(), EntryLess);
    for (size_t i = 0; i < index.entries.size(); ++i) {
      if (i == 0 || index.entries[i].key != index.entries[i - 1].key) ++index.distinct_keys;
    }
  }
  return rebuilt;
}

std::vector<PlacedEntry> ReadIndexEntries(const PageFile& file, uint32_t root, uint32_t table_page,
                                          const std::string& object,
                                          std::vector<CheckFinding>& findings) {
  return TreeReader(file, table_page, object, findings).Read(root);
}

void CheckTableIndexes(const PageFile& file, const TableDefinition& def,
                       const std::string& table_name, IndexCheckReport& report) {
  const uint32_t page = def.page;
  const std::string table_object = "table '" + table_name + "'";
  struct Pending {
    size_t real_index;
    std::string object;
    std::vector<IndexEntry> expected;
  };
  std::vector<Pending> pending;
  for (size_t i = 0; i < def.real_indexes.size(); ++i) {
    const std::string index_object = table_object + ", index '" + IndexName(def, i) + "'";
    const RealIndex& index = def.real_indexes[i];
    bool columns_known = true;
    for (const RealIndexColumn& part : index.columns) {
      if (ColumnByNumber(def, part.column_number) == nullptr) {
        report.findings.push_back(CheckFinding{index_object, page,
                                               "indexes column number " +
                                                   std::to_string(part.column_number) +
                                                   ", which the table does not have"});
        columns_known = false;
      }
    }
    if (!columns_known) continue;
    const std::string why = WhyKeysNotBuildable(def, index, file.header());
    if (!why.empty()) {
      report.notes.push_back(index_object + ": not checked: " + why);
      continue;
    }
    pending.push_back(Pending{i, index_object, {}});
  }
  if (pending.empty()) return;

  KeyBuilder builder(file, def);
  try {
    ForEachLiveRow(file, def, [&](RowPointer pointer, ByteView row) {
      const std::vector<RawField> fields = CrackRow(row, def, file.layout());
      for (Pending& p : pending) {
        if (std::optional<IndexEntry> entry =
                builder.Entry(def.real_indexes[p.real_index], fields, pointer)) {
          p.expected.push_back(std::move(*entry));
        }
      }
    });
  } catch (const FormatError& e) {
    report.findings.push_back(
        CheckFinding{table_object, page, std::string("unreadable rows: ") + e.what()});
    return;
  }
  for (Pending& p : pending) {
    std::sort(p.expected.begin(), p.expected.end(), EntryLess);
    const RealIndex& index = def.real_indexes[p.real_index];
    const std::vector<PlacedEntry> found =
        ReadIndexEntries(file, index.first_page, page, p.object, report.findings);
    CompareEntries(found, p.expected, p.object, index.first_page, report.findings);
    ++report.indexes_checked;
    report.entries_checked += p.expected.size();
  }
}

std::vector<CatalogObject> StoredTables(const PageFile& file) {
  const TextDecoder text(file.header().version, file.header().code_page);
  TableReader reader(file, text, ReadLimits::ForFileSize(file.byte_size()));
  const TableDefinition catalog = ReadTableDefinition(file, kSystemCatalogPage, text);
  std::vector<CatalogObject> tables;
  std::set<int32_t> seen;
  const CatalogObjectDecoder decode_object(catalog);
  reader.ForEachRow(catalog, [&](Row&& row) {
    CatalogObject object = decode_object.Decode(row);
    if (object.type == kObjectTypeTable && seen.insert(object.id).second) {
      tables.push_back(std::move(object));
    }
  });
  return tables;
}

IndexCheckReport CheckIndexes(const PageFile& file) {
  IndexCheckReport report;
  if (file.header().version != JetVersion::kJet4) {
    report.notes.push_back(kJet3Note);
    return report;
  }
  const TextDecoder text(file.header().version, file.header().code_page);
  for (const CatalogObject& object : StoredTables(file)) {
    const uint32_t page = static_cast<uint32_t>(object.id);
    TableDefinition def;
    try {
      def = ReadTableDefinition(file, page, text);
    } catch (const FormatError& e) {
      report.findings.push_back(
          CheckFinding{"table '" + object.name + "'", page,
                       std::string("unreadable table definition: ") + e.what()});
      continue;
    }
    CheckTableIndexes(file, def, object.name, report);
  }
  return report;
}

}  // namespace dbaccess::mdb
