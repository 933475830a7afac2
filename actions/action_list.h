// An action list: an in-memory table of proposed actions with a cursor, the way the window's
// grids, the builders and the runs see it.
//
// Columns are boolean, string (at most `width` characters: a longer text is cut to its first
// `width` Unicode characters when it is assigned) or memo (any length). Rows keep the order in
// which they were appended; there is no key and duplicates are allowed.
//
// A cell holds no value, a non-empty text or a boolean. An empty text is stored as no value,
// so it is written to a list file without attribute; reading a cell without value gives ""
// as text and false as boolean.
//
// The cursor: CurrentRow() is the row the grid stands on (-1 when the list has none) and
// AtEnd() tells that Next() went past the last row, which stays current.
//
// Editing works on a buffer of one row: Edit() or Append(), then the Set... calls, then Post()
// to store it or Cancel() to drop it. Moving the cursor first stores a changed buffer (and
// drops an unchanged one). Value reads of the current row see the buffer; Cell() reads the
// stored rows only.
//
// Observers hear every change in two steps, ListAboutToChange before and ListChanged after
// it. While updates are suspended they hear nothing; suspending sends the about-to-change step
// of a reset and the outermost resume its changed step, so a whole bulk change arrives as one
// reset. ListChanged is the list's data-change notification.
//
// A closed list has no columns and no rows; every operation on it but Close, Open,
// IsOpen and the observer calls throws ListError. Operations naming a column the list lacks
// throw ListError naming that column.
#ifndef SKARNVEL_ACTIONS_ACTION_LIST_H_
#define SKARNVEL_ACTIONS_ACTION_LIST_H_

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dbaccess/base/variant.h"

namespace actions {

enum class ColumnKind { kBoolean, kString, kMemo };

// The width of the string columns of the program's own lists, and of those among them that
// hold a table, column, index, relation or query name: Jet names have up to 64 characters.
inline constexpr int kStringWidth = 50;
inline constexpr int kNameWidth = 64;

struct Column {
  std::string name;
  ColumnKind kind = ColumnKind::kString;
  int width = 0;  // characters a string column keeps; 0 for the other kinds

  static Column Boolean(std::string name) { return {std::move(name), ColumnKind::kBoolean, 0}; }
  static Column String(std::string name, int width = kStringWidth) {
    return {std::move(name), ColumnKind::kString, width};
  }
  static Column Memo(std::string name) { return {std::move(name), ColumnKind::kMemo, 0}; }

  friend bool operator==(const Column&, const Column&) = default;
};

// One row: a value per column, in column order.
using Row = std::vector<dbaccess::Variant>;

class ListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ListEvent {
  enum class Kind {
    kReset,              // anything may have changed, the columns included
    kRowsInserted,       // rows [row, row + count) are new
    kRowRemoved,         // row `row` goes away; later rows move up by one
    kRowChanged,         // the values of row `row` changed
    kCurrentRowChanged,  // the cursor moved to row `row`
    kOpened,             // the list opened, with the columns and rows it now has
    kClosed,             // the list closed: no columns, no rows
  };
  Kind kind = Kind::kReset;
  int row = -1;
  int count = 0;

  friend bool operator==(const ListEvent&, const ListEvent&) = default;
};

class ActionList;

// Observers must not throw: a resume may run in a destructor (ScopedSuspend).
class ListObserver {
 public:
  virtual ~ListObserver() = default;
  virtual void ListAboutToChange(const ActionList& /*list*/, const ListEvent& /*event*/) {}
  virtual void ListChanged(const ActionList& list, const ListEvent& event) = 0;
};

class ActionList {
 public:
  enum class State { kClosed, kBrowse, kEdit, kInsert };

  // An open, empty list with these columns.
  explicit ActionList(std::vector<Column> columns);
  ActionList(const ActionList&) = delete;
  ActionList& operator=(const ActionList&) = delete;

  // Opening and closing.
  bool IsOpen() const { return state_ != State::kClosed; }
  State state() const { return state_; }
  // Drops a pending edit, the rows and the columns. Nothing happens to a closed list.
  void Close();
  // Opens (or reopens) the list with these columns and rows, the cursor on the first row.
  // Values are fitted to their columns as assignments are; a row of the wrong length or a
  // value a column cannot hold throws ListError and leaves the list as it was.
  void Open(std::vector<Column> columns, std::vector<Row> rows = {});

  // Columns.
  const std::vector<Column>& columns() const;
  int ColumnCount() const;
  // The column's index, or -1. Names are compared exactly.
  int FindColumn(std::string_view name) const;
  // The column's index; throws ListError naming a missing column.
  int ColumnIndex(std::string_view name) const;

  // Rows and the cursor.
  int RowCount() const;
  bool IsEmpty() const { return RowCount() == 0; }
  int CurrentRow() const;  // from 0; -1 when the list has no rows
  int RowNumber() const;   // CurrentRow() + 1: from 1, 0 when the list has no rows
  bool AtEnd() const;      // past the end: Next() left the last row, or the list is empty
  void First();
  void Next();
  void GoTo(int row);  // from 0; throws ListError outside the rows
  // The first row whose columns (names joined by ";") hold exactly the given texts (a cell
  // without value counts as "", a boolean as "True"/"False").
  std::optional<int> Find(std::string_view names, const std::vector<std::string>& values) const;
  // Find, then move there; false (and the cursor where it was) when no row matches.
  bool Locate(std::string_view names, const std::vector<std::string>& values);

  // Changing the rows.
  void Empty();   // removes all rows (and a pending edit), keeps the columns
  void Delete();  // removes the current row; the following one (else the last) becomes current
  void Append();  // starts a new row at the end, all cells without value
  void Edit();    // starts editing the current row
  void Post();    // stores the buffer
  void Cancel();  // drops the buffer
  // Stores a pending edit that changed something (drops one that did not).
  void MergePendingEdits();
  // Append, the given values, Post.
  void AppendRow(std::initializer_list<std::pair<std::string_view, dbaccess::Variant>> values);

  // The current row's cells (the edit buffer while editing).
  const dbaccess::Variant& Value(std::string_view column) const;
  std::string Text(std::string_view column) const;
  bool Boolean(std::string_view column) const;
  // Assignments need Edit() or Append() first. A boolean column takes true/false, the texts
  // "True"/"False" (any letter case) or "" for no value; string and memo columns take texts,
  // and booleans as "True"/"False".
  void SetValue(std::string_view column, const dbaccess::Variant& value);
  void SetText(std::string_view column, std::string_view text);
  void SetBoolean(std::string_view column, bool value);

  // The stored rows, without the edit buffer.
  const dbaccess::Variant& Cell(int row, int column) const;
  const Row& RowAt(int row) const;

  // Observers are not owned; remove one before it dies.
  void AddObserver(ListObserver* observer);
  void RemoveObserver(ListObserver* observer);
  void SuspendUpdates();
  void ResumeUpdates();
  bool UpdatesSuspended() const { return suspended_ > 0; }

 private:
  void RequireOpen() const;
  void RequireCurrentRow() const;
  void RequireRowIndex(int row) const;
  // Posts a changed buffer, drops an unchanged one.
  void CheckBrowseMode();
  void DropBuffer();
  void MoveCursor(int row);
  Row& WritableBuffer(std::string_view column, int* index);
  void Announce(const ListEvent& event) const;
  void Notify(const ListEvent& event) const;
  void Raise(const ListEvent& event) const {
    Announce(event);
    Notify(event);
  }

  State state_ = State::kBrowse;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  int current_ = -1;
  bool at_end_ = true;
  Row buffer_;
  bool modified_ = false;
  int suspended_ = 0;
  std::vector<ListObserver*> observers_;
};

// Suspends a list's updates for a scope.
class ScopedSuspend {
 public:
  explicit ScopedSuspend(ActionList& list) : list_(list) { list_.SuspendUpdates(); }
  ~ScopedSuspend() { list_.ResumeUpdates(); }
  ScopedSuspend(const ScopedSuspend&) = delete;
  ScopedSuspend& operator=(const ScopedSuspend&) = delete;

 private:
  ActionList& list_;
};

// The first `max_chars` Unicode characters of a UTF-8 text (an invalid byte counts as one).
std::string CutToCharacters(std::string_view utf8, int max_chars);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_ACTION_LIST_H_
