#include "engine/compare_indexes.h"

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dbaccess/catalog/jet_names.h"
#include "engine/name_match.h"
#include "engine/result_texts.h"

namespace uAlg {
namespace {

constexpr std::string_view kAlterTable = "ALTER TABLE [";
constexpr std::string_view kDropConstraint = "] DROP CONSTRAINT [";
constexpr std::string_view kAddConstraint = "] ADD CONSTRAINT [";
constexpr std::string_view kPrimaryKeyWord = "PRIMARY KEY";
constexpr std::string_view kUniqueWord = "UNIQUE";
constexpr std::string_view kColumnListStart = " ([";
constexpr std::string_view kColumnListEnd = "] )";

using KeyIndex = MatchIndex<2>;

KeyIndex::Key KeyOf(const TInd& key) { return {key.TABLE_NAME, key.COLUMN_NAME}; }

KeyIndex IndexKeys(const TInds& inds) {
  KeyIndex index(inds.size());
  for (size_t i = 0; i < inds.size(); ++i) index.Add(KeyOf(inds[i]), i);
  return index;
}

// The keys of one database: the rows of each (table, index name), exactly as the rowset
// names them, and for each row the key it belongs to.
struct Key {
  std::string_view table;
  std::string_view name;
  std::vector<size_t> rows;
};
struct Keys {
  std::vector<Key> keys;
  std::vector<size_t> key_of_row;
};

Keys GroupKeys(const TInds& inds) {
  Keys out;
  std::map<std::pair<std::string_view, std::string_view>, size_t> positions;
  out.key_of_row.reserve(inds.size());
  for (size_t row = 0; row < inds.size(); ++row) {
    const auto [it, inserted] = positions.try_emplace(
        std::pair<std::string_view, std::string_view>(inds[row].TABLE_NAME, inds[row].INDEX_NAME),
        out.keys.size());
    if (inserted) out.keys.push_back({inds[row].TABLE_NAME, inds[row].INDEX_NAME, {}});
    out.keys[it->second].rows.push_back(row);
    out.key_of_row.push_back(it->second);
  }
  return out;
}

// The table name with A to Z folded, as NamesMatch compares it.
std::string FoldedTable(std::string_view table) {
  std::string folded(table);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Whether every column of `key` has a row with the same table and column in `other`.
bool AllCovered(const TInds& inds, const Key& key, const KeyIndex& other) {
  for (size_t row : key.rows) {
    if (!other.Contains(KeyOf(inds[row]))) return false;
  }
  return true;
}

// Whether the working key `old_key` must go before `new_key` can be added: a table has one
// primary key, and an index name is taken once per table (by the engine's own name rule).
bool InTheWay(const Key& old_key, const Key& new_key, bool primary_keys) {
  if (!NamesMatch(old_key.table, new_key.table)) return false;
  return primary_keys || dbaccess::SameName(old_key.name, new_key.name);
}

TIResult ResultFor(const TInd& key, std::string_view result, std::string sql) {
  return TIResult{key.TABLE_NAME, key.COLUMN_NAME, key.INDEX_NAME, std::string(result),
                  std::move(sql)};
}

}  // namespace

std::string DropKeySQL(const TInd& key) {
  std::string sql(kAlterTable);
  sql += key.TABLE_NAME;
  sql += kDropConstraint;
  sql += key.INDEX_NAME;
  sql += ']';
  return sql;
}

std::string AddKeySQL(const TInd& key, bool primary_keys) {
  std::string sql(kAlterTable);
  sql += key.TABLE_NAME;
  sql += kAddConstraint;
  sql += key.INDEX_NAME;
  sql += "] ";
  sql += primary_keys ? kPrimaryKeyWord : kUniqueWord;
  sql += kColumnListStart;
  sql += key.COLUMN_NAME;
  sql += kColumnListEnd;
  return sql;
}

void CompareIndexes(const TInds& working, const TInds& fresh, TIResults& results,
                    bool primary_keys) {
  const Keys working_keys = GroupKeys(working);
  const Keys fresh_keys = GroupKeys(fresh);

  // A working key is dropped when one of its columns is covered by no key of the new
  // database. A new key is added when one of its columns is covered by no working key that
  // stays. Adding a key also drops the working keys in its way (the table's primary key; a
  // unique index of the same name), which may uncover columns of other new keys, so the
  // decisions are repeated until they no longer change.
  std::vector<bool> dropped(working_keys.keys.size(), false);
  std::vector<bool> added(fresh_keys.keys.size(), false);
  const KeyIndex all_fresh = IndexKeys(fresh);
  std::unordered_map<std::string, std::vector<size_t>> working_by_table;
  for (size_t w = 0; w < working_keys.keys.size(); ++w) {
    working_by_table[FoldedTable(working_keys.keys[w].table)].push_back(w);
  }
  for (size_t w = 0; w < dropped.size(); ++w) {
    dropped[w] = !AllCovered(working, working_keys.keys[w], all_fresh);
  }
  for (bool changed = true; changed;) {
    changed = false;
    KeyIndex staying(working.size());
    for (size_t w = 0; w < dropped.size(); ++w) {
      if (dropped[w]) continue;
      for (size_t row : working_keys.keys[w].rows) staying.Add(KeyOf(working[row]), row);
    }
    for (size_t f = 0; f < added.size(); ++f) {
      if (added[f] || AllCovered(fresh, fresh_keys.keys[f], staying)) continue;
      added[f] = changed = true;
      const auto same_table = working_by_table.find(FoldedTable(fresh_keys.keys[f].table));
      if (same_table == working_by_table.end()) continue;
      for (size_t w : same_table->second) {
        if (!dropped[w] && InTheWay(working_keys.keys[w], fresh_keys.keys[f], primary_keys)) {
          dropped[w] = true;
        }
      }
    }
  }

  // Every column of a changed key has its row, in reading order; the index list joins the
  // rows of one key into one command, so a key is dropped whole and added whole.
  TIResults found;
  for (size_t row = 0; row < working.size(); ++row) {
    if (!dropped[working_keys.key_of_row[row]]) continue;
    const TInd& key = working[row];
    found.push_back(
        ResultFor(key, primary_keys ? kDroppedPrimaryKey : kDroppedUniqueIndex, DropKeySQL(key)));
  }
  for (size_t row = 0; row < fresh.size(); ++row) {
    if (!added[fresh_keys.key_of_row[row]]) continue;
    const TInd& key = fresh[row];
    found.push_back(ResultFor(key, primary_keys ? kNewPrimaryKey : kNewUniqueIndex,
                              AddKeySQL(key, primary_keys)));
  }
  // Reserved first, so that appending cannot fail half way.
  results.reserve(results.size() + found.size());
  results.insert(results.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
}

}  // namespace uAlg
