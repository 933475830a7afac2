#include "dbaccess/catalog/key_check.h"

#include <bit>
#include <unordered_set>

#include "dbaccess/base/decimal_text.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/base/utf8.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess {
namespace {

void AppendPart(std::string& key, char tag, std::string_view payload) {
  key += tag;
  key += std::to_string(payload.size());
  key += ':';
  key.append(payload);
}

bool RefusesNulls(const Index& index) { return index.primary || index.required; }

// The part of a text that takes part in its key: its first kKeyTextUnits UTF-16 units,
// without the spaces they end in.
std::string_view KeyText(std::string_view text) {
  size_t units = 0;
  size_t end = 0;
  for (size_t i = 0; i < text.size() && units < kKeyTextUnits;) {
    const char32_t c = NextCodePoint(text, i);
    units += c > 0xFFFF ? 2 : 1;
    if (units <= kKeyTextUnits) end = i;
  }
  text = text.substr(0, end);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<int> ColumnPositions(const Table& table, const std::vector<std::string>& names) {
  std::vector<int> positions;
  positions.reserve(names.size());
  for (const std::string& name : names) positions.push_back(table.ColumnIndex(name));
  return positions;
}

std::vector<int> ColumnPositions(const Table& table, const std::vector<IndexColumn>& columns) {
  std::vector<int> positions;
  positions.reserve(columns.size());
  for (const IndexColumn& c : columns) positions.push_back(table.ColumnIndex(c.name));
  return positions;
}

bool EncodeKey(const Table& table, const Row& row, const std::vector<int>& positions,
               std::string& key) {
  key.clear();
  for (int p : positions) {
    if (p < 0 || static_cast<size_t>(p) >= row.size()) return false;
    const Cell& cell = row[p];
    const DataType type = table.columns[p].type;
    if (IsNull(cell)) return false;
    if (const auto* b = std::get_if<bool>(&cell)) {
      AppendPart(key, 'B', *b ? "1" : "0");
    } else if (const auto* i = std::get_if<int64_t>(&cell)) {
      AppendPart(key, 'I', std::to_string(*i));
    } else if (const auto* d = std::get_if<double>(&cell)) {
      const double v = *d == 0 ? 0.0 : *d;  // -0 and 0 are one key
      AppendPart(key, 'D', std::to_string(std::bit_cast<uint64_t>(v)));
    } else if (const auto* s = std::get_if<std::string>(&cell)) {
      if (type == DataType::kDecimal) {
        DecimalNumber n;
        AppendPart(key, 'N', ParseDecimal(*s, n) ? FormatShortest(n) : *s);
      } else {
        AppendPart(key, 'T', FoldName(KeyText(*s)));
      }
    } else if (const auto* bytes = std::get_if<Bytes>(&cell)) {
      AppendPart(
          key, 'X',
          std::string_view(reinterpret_cast<const char*>(bytes->data.data()), bytes->data.size()));
    }
  }
  return true;
}

void CheckIndexRows(const Table& table, const Index& index) {
  const std::vector<int> positions = ColumnPositions(table, index.columns);
  std::unordered_set<std::string> seen;
  std::string key;
  table.rows.ForEach([&](const Row& row) {
    if (!EncodeKey(table, row, positions, key)) {
      if (RefusesNulls(index)) throw jet_errors::NullInIndex();
      return;
    }
    if (index.unique && !seen.insert(key).second) throw jet_errors::DuplicateValues();
  });
}

void CheckRowAgainstIndex(const Table& table, const Index& index, const Row& row) {
  const std::vector<int> positions = ColumnPositions(table, index.columns);
  std::string key;
  if (!EncodeKey(table, row, positions, key)) {
    if (RefusesNulls(index)) throw jet_errors::NullInIndex();
    return;
  }
  if (index.unique && TableHasKey(table, positions, key)) throw jet_errors::DuplicateValues();
}

namespace {

// The keys of the rows over some columns, kept with the rows while they are only appended.
struct KeySet : TableRows::Derived {
  std::unordered_set<std::string> keys;
};

// Names the columns and their types: the keys stay valid while both do.
std::string KeySetName(const Table& table, const std::vector<int>& positions) {
  std::string name = "keys";
  for (int p : positions) {
    name += ':' + std::to_string(p);
    if (p >= 0 && static_cast<size_t>(p) < table.columns.size()) {
      name += '/' + std::to_string(static_cast<int>(table.columns[static_cast<size_t>(p)].type));
    }
  }
  return name;
}

}  // namespace

bool TableHasKey(const Table& table, const std::vector<int>& positions, const std::string& key) {
  const std::vector<Row>& rows = table.rows.get();
  KeySet& set = table.rows.derived<KeySet>(KeySetName(table, positions));
  if (set.covered > rows.size()) {
    set.keys.clear();
    set.covered = 0;
  }
  std::string other;
  for (; set.covered < rows.size(); ++set.covered) {
    if (EncodeKey(table, rows[set.covered], positions, other)) set.keys.insert(other);
  }
  return set.keys.count(key) != 0;
}

void CheckRelationshipRows(const Table& primary, const Table& foreign,
                           const Relationship& relationship) {
  const std::vector<int> primary_positions = ColumnPositions(primary, relationship.primary_columns);
  const std::vector<int> foreign_positions = ColumnPositions(foreign, relationship.foreign_columns);
  std::unordered_set<std::string> keys;
  std::string key;
  for (const Row& row : primary.rows) {
    if (EncodeKey(primary, row, primary_positions, key)) keys.insert(key);
  }
  for (const Row& row : foreign.rows) {
    if (EncodeKey(foreign, row, foreign_positions, key) && keys.count(key) == 0) {
      throw jet_errors::OrphanRows(foreign.name, primary.name);
    }
  }
}

}  // namespace dbaccess
