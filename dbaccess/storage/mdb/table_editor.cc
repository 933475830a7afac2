#include "dbaccess/storage/mdb/table_editor.h"

#include <random>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_tree.h"
#include "dbaccess/storage/mdb/page_ownership_check.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/table_reader.h"

namespace dbaccess::mdb {
namespace {

bool LongValueType(uint8_t type) { return type == kTypeMemo || type == kTypeOle; }
bool AutoNumber(const ColumnDefinition& c) {
  return c.type == kTypeLong && (c.flags & kColumnFlagAutoNumber) != 0;
}
bool AutoGuid(const ColumnDefinition& c) {
  return c.type == kTypeGuid && (c.flags & kColumnFlagAutoGuid) != 0;
}

std::string NewGuid() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "{";
  for (int i = 0; i < 32; ++i) {
    if (i == 8 || i == 12 || i == 16 || i == 20) text += '-';
    text += kDigits[random() & 0xF];
  }
  return text + "}";
}

}  // namespace

struct TableEditor::LongValueColumn {
  std::unique_ptr<UsageMapEditor> owned;
  std::unique_ptr<UsageMapEditor> free_space;
  std::unique_ptr<LongValueWriter> writer;
};

template <typename F>
auto TableEditor::Guarded(F&& f) {
  try {
    return f();
  } catch (const FormatError&) {
    Unrecognized();
  }
}

void TableEditor::Unrecognized() const { throw jet_errors::UnrecognizedFormat(pages_.path()); }

TableEditor::TableEditor(PageWriter& pages, uint32_t definition_page, std::string name)
    : pages_(pages),
      name_(std::move(name)),
      text_(pages.header().version, pages.header().code_page) {
  Guarded([&] {
    DecodedTableDefinition stored = ReadDecodedTableDefinition(*pages_.View(), definition_page);
    def_ = std::move(stored.definition);
    extras_ = std::move(stored.extras);
    definition_pages_ = std::move(stored.pages);
  });
  for (const RealIndex& index : def_.real_indexes) {
    const std::string why = WhyKeysNotBuildable(def_, index, pages_.header());
    if (!why.empty()) throw jet_errors::TableNotWritable(name_, why);
  }
  CheckBeforeChanges();
  Guarded([&] { rows_ = std::make_unique<TableRows>(pages_, def_); });
  next_autonumber_ = extras_.next_autonumber;
}

TableEditor::~TableEditor() = default;

void TableEditor::CheckBeforeChanges() {
  Guarded([&] {
    const std::unique_ptr<PageFile> view = pages_.View();
    std::vector<CheckFinding> findings;
    CheckTablePages(*view, OwnedTable{name_, def_}, findings);
    IndexCheckReport indexes;
    CheckTableIndexes(*view, def_, name_, indexes);
    if (!findings.empty() || !indexes.findings.empty()) Unrecognized();
  });
}

std::vector<TableRow> TableEditor::Rows() {
  return Guarded([&] {
    const std::unique_ptr<PageFile> view = pages_.View();
    LongValueReader long_values(*view, ReadLimits::ForFileSize(view->byte_size()).long_value_bytes);
    std::vector<TableRow> rows;
    ForEachLiveRow(*view, def_, [&](RowPointer where, ByteView bytes) {
      rows.push_back(TableRow{where, DecodeCells(bytes, long_values)});
    });
    return rows;
  });
}

Row TableEditor::DecodeCells(ByteView bytes, LongValueReader& long_values) const {
  const std::vector<RawField> fields = CrackRow(bytes, def_, pages_.layout());
  Row cells;
  cells.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    cells.push_back(DecodeField(def_.columns[i], fields[i], text_, long_values));
  }
  return cells;
}

LongValueWriter& TableEditor::LongValues(size_t column) {
  std::unique_ptr<LongValueColumn>& slot = long_values_[column];
  if (!slot) {
    slot = std::make_unique<LongValueColumn>();
    for (const ColumnUsageMaps& maps : extras_.column_usage_maps) {
      if (maps.column_number != def_.columns[column].number) continue;
      slot->owned = std::make_unique<UsageMapEditor>(pages_, maps.owned_pages);
      slot->free_space = std::make_unique<UsageMapEditor>(pages_, maps.free_pages);
    }
    slot->writer =
        std::make_unique<LongValueWriter>(pages_, slot->owned.get(), slot->free_space.get());
  }
  return *slot->writer;
}

void TableEditor::Prepare(Row& cells, const Row* old) {
  if (cells.size() != def_.columns.size()) throw FormatError("a row needs one value per column");
  for (size_t i = 0; i < cells.size(); ++i) {
    const ColumnDefinition& column = def_.columns[i];
    if (AutoNumber(column)) {
      if (IsNull(cells[i])) {
        cells[i] = old != nullptr ? (*old)[i] : Cell{int64_t{++next_autonumber_}};
      } else if (const int64_t* given = std::get_if<int64_t>(&cells[i]);
                 given != nullptr && *given > next_autonumber_ && *given <= INT32_MAX) {
        next_autonumber_ = static_cast<uint32_t>(*given);
      }
    } else if (AutoGuid(column) && IsNull(cells[i])) {
      cells[i] = old != nullptr ? (*old)[i] : Cell{NewGuid()};
    }
  }
  // The row as it will be, long values standing in by their 12-byte definitions.
  const LongValueSink stand_in = [](const std::vector<uint8_t>&) {
    return std::vector<uint8_t>(kLongValueDefinitionSize, 0);
  };
  std::vector<StoredField> fields;
  fields.reserve(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    fields.push_back(EncodeField(def_.columns[i], cells[i], stand_in));
  }
  if (EncodeRow(def_, fields).size() > MaxRowBytes(pages_.layout())) {
    throw jet_errors::RecordTooLarge();
  }
}

std::vector<uint8_t> TableEditor::EncodeStored(const Row& cells) {
  std::vector<StoredField> fields;
  fields.reserve(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    const ColumnDefinition& column = def_.columns[i];
    LongValueSink sink;
    if (LongValueType(column.type)) {
      sink = [this, i](const std::vector<uint8_t>& data) { return LongValues(i).Store(data); };
    }
    fields.push_back(EncodeField(column, cells[i], sink));
  }
  return EncodeRow(def_, fields);
}

void TableEditor::DeleteLongValues(RowPointer where) {
  const std::unique_ptr<PageFile> view = pages_.View();
  const std::optional<RowBytes> row = ReadRow(*view, where);
  if (!row) throw FormatError("no row at the place given");
  const std::vector<RawField> fields = CrackRow(row->bytes, def_, pages_.layout());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!LongValueType(def_.columns[i].type) || fields[i].kind != RawField::Kind::kBytes) continue;
    LongValues(i).Delete(fields[i].bytes);
  }
}

RowPointer TableEditor::Insert(Row cells) {
  Prepare(cells, nullptr);
  return Guarded([&] {
    changed_ = true;
    return rows_->Insert(EncodeStored(cells));
  });
}

void TableEditor::Update(RowPointer where, Row cells) {
  const Row old = Guarded([&] {
    const std::unique_ptr<PageFile> view = pages_.View();
    const std::optional<RowBytes> row = ReadRow(*view, where);
    if (!row) throw FormatError("no row at the place given");
    LongValueReader long_values(*view, ReadLimits::ForFileSize(view->byte_size()).long_value_bytes);
    return DecodeCells(row->bytes, long_values);
  });
  Prepare(cells, &old);
  Guarded([&] {
    changed_ = true;
    DeleteLongValues(where);
    rows_->Replace(where, EncodeStored(cells));
  });
}

void TableEditor::Delete(RowPointer where) {
  Guarded([&] {
    changed_ = true;
    DeleteLongValues(where);
    rows_->Delete(where);
  });
}

void TableEditor::RebuildIndexes() {
  const std::unique_ptr<PageFile> view = pages_.View();
  const RebuiltIndexes rebuilt = RebuildTableIndexes(*view, def_);
  for (size_t i = 0; i < def_.real_indexes.size(); ++i) {
    const RealIndex& index = def_.real_indexes[i];
    const RebuiltIndex& keys = rebuilt.indexes[i];
    if ((index.flags & kIndexFlagRequired) != 0 && !keys.rows_with_null.empty()) {
      throw jet_errors::NullInIndex();
    }
    if ((index.flags & kIndexFlagUnique) == 0) continue;
    for (size_t k = 1; k < keys.entries.size(); ++k) {
      if (keys.entries[k].key == keys.entries[k - 1].key &&
          keys.rows_with_null.count(keys.entries[k].row.Encode()) == 0) {
        throw jet_errors::DuplicateValues();
      }
    }
  }
  for (size_t i = 0; i < def_.real_indexes.size(); ++i) {
    RealIndex& index = def_.real_indexes[i];
    RealIndexExtras& extra = extras_.real_indexes[i];
    const RebuiltIndex& keys = rebuilt.indexes[i];
    UsageMapEditor map(pages_, extra.usage_map);
    const std::set<uint32_t> old_pages = map.pages();
    for (uint32_t page : old_pages) {
      pages_.Release(page);
      map.Remove(page);
    }
    const BuiltIndexTree tree = BuildIndexTree(keys.entries, def_.page, pages_.layout(), [&] {
      const uint32_t page = pages_.Allocate();
      map.Add(page);
      return page;
    });
    for (const BuiltIndexPage& page : tree.pages) pages_.Edit(page.number) = page.bytes;
    map.Save();
    index.first_page = tree.root;
    extra.counts[0] = static_cast<uint32_t>(keys.entries.size());
    extra.counts[1] = static_cast<uint32_t>(keys.distinct_keys);
  }
  def_.row_count = static_cast<uint32_t>(rebuilt.rows);
}

void TableEditor::Save() {
  if (!changed_) return;
  Guarded([&] {
    rows_->Save();
    for (auto& [column, maps] : long_values_) {
      if (maps->owned) maps->owned->Save();
      if (maps->free_space) maps->free_space->Save();
    }
    RebuildIndexes();
    extras_.next_autonumber = next_autonumber_;
    const std::vector<uint8_t> bytes = EncodeTableDefinition(def_, extras_, pages_.layout());
    definition_pages_ = StoreTableDefinition(pages_, ByteView(bytes), definition_pages_);
  });
  changed_ = false;
}

}  // namespace dbaccess::mdb
