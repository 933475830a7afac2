#include "dbaccess/storage/mdb/index_order.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::mdb {

void OrderIndexes(TableDefinition& def, TableDefinitionExtras& extras) {
  extras.real_indexes.resize(def.real_indexes.size());
  extras.logical_indexes.resize(def.logical_indexes.size());
  std::vector<uint32_t> first_number(def.real_indexes.size(), UINT32_MAX);
  for (const LogicalIndex& index : def.logical_indexes) {
    if (index.real_index >= def.real_indexes.size()) continue;
    first_number[index.real_index] = std::min(first_number[index.real_index], index.number);
  }
  std::vector<size_t> real_order(def.real_indexes.size());
  std::iota(real_order.begin(), real_order.end(), 0);
  std::stable_sort(real_order.begin(), real_order.end(),
                   [&](size_t a, size_t b) { return first_number[a] < first_number[b]; });
  std::vector<RealIndex> reals;
  std::vector<RealIndexExtras> real_extras;
  std::vector<uint32_t> new_place(real_order.size());
  for (size_t r : real_order) {
    new_place[r] = static_cast<uint32_t>(reals.size());
    reals.push_back(std::move(def.real_indexes[r]));
    real_extras.push_back(std::move(extras.real_indexes[r]));
  }
  def.real_indexes = std::move(reals);
  extras.real_indexes = std::move(real_extras);
  for (LogicalIndex& index : def.logical_indexes) {
    if (index.real_index < new_place.size()) index.real_index = new_place[index.real_index];
  }

  std::vector<size_t> order(def.logical_indexes.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return NameLess(def.logical_indexes[a].name, def.logical_indexes[b].name);
  });
  std::vector<LogicalIndex> logical;
  std::vector<LogicalIndexExtras> logical_extras;
  for (size_t i : order) {
    logical.push_back(std::move(def.logical_indexes[i]));
    logical_extras.push_back(std::move(extras.logical_indexes[i]));
  }
  def.logical_indexes = std::move(logical);
  extras.logical_indexes = std::move(logical_extras);
}

}  // namespace dbaccess::mdb
