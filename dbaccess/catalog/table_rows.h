// The rows of one table: shared between copies of a catalog until one of them changes them,
// and read from their storage only when something needs them.
//
// Copying a catalog copies its tables' rows by reference; the first change through a copy
// gives that copy rows of its own (copy on write), so a statement that changes one table
// copies that table's rows and no other's. A storage that reads the structure first gives a
// table a loader instead of rows: the first access, reading or changing, runs it once for
// every copy that shares it, and the rows it gave are kept. A loader throws JetError when
// the rows cannot be read (the file changed under it, or is damaged); the rows stay
// unloaded and the next access tries again.
//
// A storage that can read a table's rows one at a time gives a stream instead (Streamed):
// ForEach then visits the rows without keeping them, as long as nothing has needed them
// whole. Rows worked out row by row from other rows (Mapped, a column converted) stay a
// stream over their source the same way, so that a change of a column costs the memory of
// one row, not of the table, until something needs the rows whole.
//
// Reading goes through the const members. The non-const ones (begin, operator[], ...) are
// for changing: they give this copy its own rows first, so code that only reads should hold
// the table as const.
//
// What is worked out from the rows (the keys of an index, the largest counter) may be kept
// with them (Derived): it stays while rows are only appended, and is dropped by any other
// change, so that a run of inserts costs the rows it adds, not the rows there are.
#ifndef SKARNVEL_DBACCESS_CATALOG_TABLE_ROWS_H_
#define SKARNVEL_DBACCESS_CATALOG_TABLE_ROWS_H_

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "dbaccess/catalog/cell.h"

namespace dbaccess {

class TableRows {
 public:
  using Loader = std::function<std::vector<Row>()>;
  using Visitor = std::function<void(Row&&)>;
  // Calls its visitor with every row, in order; throws as a loader does.
  using Stream = std::function<void(const Visitor&)>;
  using Map = std::function<Row(const Row&)>;
  using const_iterator = std::vector<Row>::const_iterator;
  using iterator = std::vector<Row>::iterator;

  TableRows() = default;
  TableRows(std::vector<Row> rows);  // NOLINT: rows are given as a vector everywhere
  TableRows(std::initializer_list<Row> rows) : TableRows(std::vector<Row>(rows)) {}
  // Rows that `loader` reads when they are first needed.
  static TableRows Lazy(Loader loader);
  // Rows that `stream` reads, kept once something needs them whole.
  static TableRows Streamed(Stream stream);
  // The rows of `source`, each passed through `map` (which may throw JetError; the rows
  // then stay as they were), read from the source each time until they are kept. Each
  // reading passes every row through every map of a chain: past kMaxMappedDepth maps the
  // rows are worked out at once and kept, so that many changes of one table cost each
  // change its own rows, not the rows of all changes before it.
  static constexpr size_t kMaxMappedDepth = 4;
  static TableRows Mapped(const TableRows& source, Map map);

  // Whether the rows are in memory (a loader has run, or there was none).
  bool loaded() const;

  // Reading.
  const std::vector<Row>& get() const;
  operator const std::vector<Row>&() const { return get(); }  // NOLINT
  size_t size() const { return get().size(); }
  bool empty() const { return get().empty(); }
  const_iterator begin() const { return get().begin(); }
  const_iterator end() const { return get().end(); }
  const Row& operator[](size_t i) const { return get()[i]; }
  const Row& front() const { return get().front(); }
  const Row& back() const { return get().back(); }
  // Visits every row in order: the rows in memory, or, for rows not kept yet that come from
  // a stream, the stream's rows one at a time without keeping them.
  void ForEach(const std::function<void(const Row&)>& visit) const;

  // Data worked out from the first `covered` rows, of the kind and name given; made empty
  // (covered 0) when there is none yet. The caller brings it up to size().
  struct Derived {
    virtual ~Derived() = default;
    size_t covered = 0;
  };
  template <typename T>
  T& derived(const std::string& name) const {
    std::shared_ptr<Derived>& slot = DerivedSlot(name);
    if (!slot || dynamic_cast<T*>(slot.get()) == nullptr) slot = std::make_shared<T>();
    return static_cast<T&>(*slot);
  }

  // Changing: the rows of this copy alone.
  std::vector<Row>& edit();
  iterator begin() { return edit().begin(); }
  iterator end() { return edit().end(); }
  Row& operator[](size_t i) { return edit()[i]; }
  Row& front() { return edit().front(); }
  Row& back() { return edit().back(); }
  // Appending keeps what was derived.
  void push_back(Row row) { Own().push_back(std::move(row)); }
  template <typename... Args>
  Row& emplace_back(Args&&... args) {
    return Own().emplace_back(std::forward<Args>(args)...);
  }
  void reserve(size_t n) { Own().reserve(n); }
  void clear() { *this = TableRows(); }
  iterator erase(const_iterator first, const_iterator last);
  iterator erase(const_iterator at) { return erase(at, at + 1); }

  friend bool operator==(const TableRows& a, const TableRows& b);
  friend bool operator==(const TableRows& a, const std::vector<Row>& b) { return a.get() == b; }

 private:
  struct State;
  // This copy's own rows, what was derived from them kept.
  std::vector<Row>& Own();
  std::shared_ptr<Derived>& DerivedSlot(const std::string& name) const;

  mutable std::shared_ptr<State> state_;  // null: no rows (made when first needed)
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_TABLE_ROWS_H_
