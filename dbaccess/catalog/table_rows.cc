#include "dbaccess/catalog/table_rows.h"

#include <map>
#include <mutex>
#include <utility>

namespace dbaccess {

struct TableRows::State {
  std::mutex mutex;
  Loader loader;            // empty once run
  Stream stream;            // how the loader's rows can be read one at a time; empty once it ran
  size_t mapped_depth = 0;  // the maps the stream passes its rows through
  std::vector<Row> rows;
  std::map<std::string, std::shared_ptr<Derived>> derived;
};

TableRows::TableRows(std::vector<Row> rows) : state_(std::make_shared<State>()) {
  state_->rows = std::move(rows);
}

TableRows TableRows::Lazy(Loader loader) {
  TableRows out;
  out.state_ = std::make_shared<State>();
  out.state_->loader = std::move(loader);
  return out;
}

TableRows TableRows::Streamed(Stream stream) {
  TableRows out = Lazy([stream] {
    std::vector<Row> rows;
    stream([&rows](Row&& row) { rows.push_back(std::move(row)); });
    return rows;
  });
  out.state_->stream = std::move(stream);
  return out;
}

TableRows TableRows::Mapped(const TableRows& source, Map map) {
  size_t depth = 1;
  if (source.state_) {
    const std::lock_guard<std::mutex> lock(source.state_->mutex);
    if (source.state_->loader) depth += source.state_->mapped_depth;
  }
  if (depth > kMaxMappedDepth) {
    std::vector<Row> rows;
    source.ForEach([&](const Row& row) { rows.push_back(map(row)); });
    return TableRows(std::move(rows));
  }
  TableRows out = Streamed([source, map = std::move(map)](const Visitor& visit) {
    source.ForEach([&](const Row& row) { visit(map(row)); });
  });
  out.state_->mapped_depth = depth;
  return out;
}

void TableRows::ForEach(const std::function<void(const Row&)>& visit) const {
  if (!state_) return;
  Stream stream;
  {
    const std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->loader) stream = state_->stream;
  }
  if (stream) {
    stream([&visit](Row&& row) { visit(row); });
    return;
  }
  for (const Row& row : get()) visit(row);
}

bool TableRows::loaded() const {
  if (!state_) return true;
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return !state_->loader;
}

const std::vector<Row>& TableRows::get() const {
  static const std::vector<Row> kNone;
  if (!state_) return kNone;
  const std::lock_guard<std::mutex> lock(state_->mutex);
  if (state_->loader) {
    state_->rows = state_->loader();  // throws: stays unloaded
    state_->loader = nullptr;
    state_->stream = nullptr;
  }
  return state_->rows;
}

std::vector<Row>& TableRows::edit() {
  std::vector<Row>& rows = Own();
  state_->derived.clear();  // any row may change
  return rows;
}

std::shared_ptr<TableRows::Derived>& TableRows::DerivedSlot(const std::string& name) const {
  (void)get();
  if (!state_) state_ = std::make_shared<State>();  // no rows yet: a state of their own
  const std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->derived[name];
}

std::vector<Row>& TableRows::Own() {
  if (!state_) {
    state_ = std::make_shared<State>();
    return state_->rows;
  }
  const std::vector<Row>& rows = get();
  if (state_.use_count() > 1) {
    auto own = std::make_shared<State>();
    own->rows = rows;
    state_ = std::move(own);
  }
  return state_->rows;
}

TableRows::iterator TableRows::erase(const_iterator first, const_iterator last) {
  // The iterators may be this copy's or the shared rows': taken as positions.
  const std::vector<Row>& before = get();
  const auto from = first - before.begin(), to = last - before.begin();
  std::vector<Row>& rows = edit();
  return rows.erase(rows.begin() + from, rows.begin() + to);
}

bool operator==(const TableRows& a, const TableRows& b) {
  if (a.state_ == b.state_) return true;
  return a.get() == b.get();
}

}  // namespace dbaccess
