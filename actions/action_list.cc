#include "actions/action_list.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "actions/workbench_texts.h"
#include "dbaccess/base/ascii_case.h"
#include "dbaccess/base/utf8.h"

namespace actions {
namespace {

using dbaccess::EqualsIgnoringAsciiCase;

using dbaccess::Variant;

const Variant kNoValue;

constexpr std::string_view kTrueText = "True";
constexpr std::string_view kFalseText = "False";

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The value a column stores for `value`; throws ListError for a value it cannot hold.
Variant Fit(const Column& column, const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::kEmpty:
    case Variant::Kind::kNull:
      return Variant();
    case Variant::Kind::kBoolean:
      if (column.kind == ColumnKind::kBoolean) return value;
      return Variant::Text(std::string(value.AsBoolean() ? kTrueText : kFalseText));
    case Variant::Kind::kInteger:
      if (column.kind == ColumnKind::kBoolean) break;
      return Variant::Text(value.DisplayText());
    case Variant::Kind::kText: {
      const std::string& text = value.AsText();
      if (text.empty()) return Variant();
      if (column.kind == ColumnKind::kBoolean) {
        if (EqualsIgnoringAsciiCase(text, kTrueText)) return Variant::Boolean(true);
        if (EqualsIgnoringAsciiCase(text, kFalseText)) return Variant::Boolean(false);
        break;
      }
      if (column.kind == ColumnKind::kString) {
        return Variant::Text(CutToCharacters(text, column.width));
      }
      return value;
    }
  }
  throw ListError(texts::kListValueHead + Quoted(value.DisplayText()) +
                  texts::kListNotForBooleanColumn + Quoted(column.name) +
                  texts::kListBooleanValuesHint);
}

std::string TextOf(const Variant& value) {
  return value.IsBoolean() ? std::string(value.AsBoolean() ? kTrueText : kFalseText)
                           : value.DisplayText();
}

std::vector<std::string_view> SplitNames(std::string_view names) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = names.find(';', start);
    parts.push_back(names.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::string CutToCharacters(std::string_view utf8, int max_chars) {
  if (utf8.size() <= static_cast<size_t>(std::max(max_chars, 0))) return std::string(utf8);
  size_t i = 0;
  for (int n = 0; n < max_chars && i < utf8.size(); ++n) dbaccess::NextCodePoint(utf8, i);
  return std::string(utf8.substr(0, i));
}

ActionList::ActionList(std::vector<Column> columns) : columns_(std::move(columns)) {}

// ---- opening and closing ----------------------------------------------------------------

void ActionList::Close() {
  if (!IsOpen()) return;
  const ListEvent event{ListEvent::Kind::kClosed};
  Announce(event);
  state_ = State::kClosed;
  columns_.clear();
  rows_.clear();
  buffer_.clear();
  modified_ = false;
  current_ = -1;
  at_end_ = true;
  Notify(event);
}

void ActionList::Open(std::vector<Column> columns, std::vector<Row> rows) {
  std::unordered_set<std::string_view> names;  // a repeated name found in linear time
  for (size_t c = 0; c < columns.size(); ++c) {
    if (columns[c].name.empty()) throw ListError(texts::kListColumnWithoutName);
    if (columns[c].kind == ColumnKind::kString && columns[c].width <= 0) {
      throw ListError(texts::kListStringColumnHead + Quoted(columns[c].name) +
                      texts::kListBadWidth);
    }
    if (!names.insert(columns[c].name).second) {
      throw ListError(texts::kListColumnHead + Quoted(columns[c].name) + texts::kGivenTwice);
    }
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].size() != columns.size()) {
      throw ListError(texts::kListRowHead + std::to_string(r + 1) + texts::kListRowHolds +
                      std::to_string(rows[r].size()) + texts::kListValuesInsteadOf +
                      std::to_string(columns.size()));
    }
    for (size_t c = 0; c < columns.size(); ++c) rows[r][c] = Fit(columns[c], rows[r][c]);
  }
  const ListEvent event{ListEvent::Kind::kOpened};
  Announce(event);
  columns_ = std::move(columns);
  rows_ = std::move(rows);
  state_ = State::kBrowse;
  buffer_.clear();
  modified_ = false;
  current_ = rows_.empty() ? -1 : 0;
  at_end_ = rows_.empty();
  Notify(event);
}

// ---- columns -----------------------------------------------------------------------------

const std::vector<Column>& ActionList::columns() const {
  RequireOpen();
  return columns_;
}

int ActionList::ColumnCount() const {
  RequireOpen();
  return static_cast<int>(columns_.size());
}

int ActionList::FindColumn(std::string_view name) const {
  RequireOpen();
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int ActionList::ColumnIndex(std::string_view name) const {
  const int index = FindColumn(name);
  if (index < 0) throw ListError(texts::kListNoColumn + Quoted(name));
  return index;
}

// ---- rows and the cursor -----------------------------------------------------------------

int ActionList::RowCount() const {
  RequireOpen();
  return static_cast<int>(rows_.size());
}

int ActionList::CurrentRow() const {
  RequireOpen();
  return current_;
}

int ActionList::RowNumber() const { return CurrentRow() + 1; }

bool ActionList::AtEnd() const {
  RequireOpen();
  return at_end_;
}

void ActionList::First() {
  RequireOpen();
  CheckBrowseMode();
  if (rows_.empty()) return;
  at_end_ = false;
  MoveCursor(0);
}

void ActionList::Next() {
  RequireOpen();
  CheckBrowseMode();
  if (current_ + 1 >= static_cast<int>(rows_.size())) {
    at_end_ = true;
    return;
  }
  MoveCursor(current_ + 1);
}

void ActionList::GoTo(int row) {
  RequireOpen();
  RequireRowIndex(row);
  CheckBrowseMode();
  at_end_ = false;
  MoveCursor(row);
}

std::optional<int> ActionList::Find(std::string_view names,
                                    const std::vector<std::string>& values) const {
  RequireOpen();
  const std::vector<std::string_view> parts = SplitNames(names);
  if (parts.size() != values.size()) {
    throw ListError(texts::kListFindNamed + std::to_string(parts.size()) +
                    texts::kListFindColumnsAnd + std::to_string(values.size()) +
                    texts::kListFindValues);
  }
  std::vector<int> indexes;
  for (std::string_view name : parts) indexes.push_back(ColumnIndex(name));
  for (size_t r = 0; r < rows_.size(); ++r) {
    bool match = true;
    for (size_t k = 0; k < indexes.size() && match; ++k) {
      match = TextOf(rows_[r][indexes[k]]) == values[k];
    }
    if (match) return static_cast<int>(r);
  }
  return std::nullopt;
}

bool ActionList::Locate(std::string_view names, const std::vector<std::string>& values) {
  RequireOpen();
  CheckBrowseMode();
  const std::optional<int> row = Find(names, values);
  if (!row) return false;
  at_end_ = false;
  MoveCursor(*row);
  return true;
}

// ---- changing the rows ---------------------------------------------------------------------

void ActionList::Empty() {
  RequireOpen();
  DropBuffer();
  const ListEvent event{ListEvent::Kind::kReset};
  Announce(event);
  rows_.clear();
  current_ = -1;
  at_end_ = true;
  Notify(event);
}

void ActionList::Delete() {
  RequireOpen();
  if (state_ == State::kInsert) {  // deleting a row not yet stored just drops it
    DropBuffer();
    return;
  }
  RequireCurrentRow();
  DropBuffer();
  const int row = current_;
  const ListEvent removed{ListEvent::Kind::kRowRemoved, row};
  Announce(removed);
  rows_.erase(rows_.begin() + row);
  const int count = static_cast<int>(rows_.size());
  if (row < count) {
    at_end_ = false;
  } else {
    current_ = count - 1;  // the last row was deleted: the new last row is current
    at_end_ = true;
  }
  Notify(removed);
  if (current_ >= 0) Raise({ListEvent::Kind::kCurrentRowChanged, current_});
}

void ActionList::Append() {
  RequireOpen();
  CheckBrowseMode();
  buffer_.assign(columns_.size(), Variant());
  modified_ = false;
  state_ = State::kInsert;
}

void ActionList::Edit() {
  RequireOpen();
  if (state_ == State::kEdit || state_ == State::kInsert) return;
  RequireCurrentRow();
  buffer_ = rows_[current_];
  modified_ = false;
  state_ = State::kEdit;
}

void ActionList::Post() {
  RequireOpen();
  if (state_ == State::kEdit) {
    const ListEvent event{ListEvent::Kind::kRowChanged, current_};
    Announce(event);
    rows_[current_] = std::move(buffer_);
    DropBuffer();
    Notify(event);
  } else if (state_ == State::kInsert) {
    const int row = static_cast<int>(rows_.size());
    const ListEvent event{ListEvent::Kind::kRowsInserted, row, 1};
    Announce(event);
    rows_.push_back(std::move(buffer_));
    DropBuffer();
    Notify(event);
    at_end_ = false;
    MoveCursor(row);
  }
}

void ActionList::Cancel() {
  RequireOpen();
  DropBuffer();
}

void ActionList::MergePendingEdits() {
  RequireOpen();
  CheckBrowseMode();
}

void ActionList::AppendRow(
    std::initializer_list<std::pair<std::string_view, dbaccess::Variant>> values) {
  Append();
  try {
    for (const auto& [column, value] : values) SetValue(column, value);
  } catch (...) {
    Cancel();
    throw;
  }
  Post();
}

// ---- values --------------------------------------------------------------------------------

const Variant& ActionList::Value(std::string_view column) const {
  const int index = ColumnIndex(column);
  if (state_ == State::kEdit || state_ == State::kInsert) return buffer_[index];
  RequireCurrentRow();
  return rows_[current_][index];
}

std::string ActionList::Text(std::string_view column) const { return TextOf(Value(column)); }

bool ActionList::Boolean(std::string_view column) const {
  const int index = ColumnIndex(column);
  const Variant value = Fit(Column::Boolean(columns_[index].name), Value(column));
  return value.IsBoolean() && value.AsBoolean();
}

Row& ActionList::WritableBuffer(std::string_view column, int* index) {
  *index = ColumnIndex(column);
  if (state_ != State::kEdit && state_ != State::kInsert) {
    throw ListError(texts::kListRowNotInEdit);
  }
  return buffer_;
}

void ActionList::SetValue(std::string_view column, const Variant& value) {
  int index = 0;
  Row& row = WritableBuffer(column, &index);
  row[index] = Fit(columns_[index], value);
  modified_ = true;
}

void ActionList::SetText(std::string_view column, std::string_view text) {
  SetValue(column, Variant::Text(std::string(text)));
}

void ActionList::SetBoolean(std::string_view column, bool value) {
  SetValue(column, Variant::Boolean(value));
}

const Variant& ActionList::Cell(int row, int column) const {
  RequireOpen();
  RequireRowIndex(row);
  if (column < 0 || column >= static_cast<int>(columns_.size())) {
    throw ListError(texts::kListNoColumnNumber + std::to_string(column + 1));
  }
  return rows_[row][column];
}

const Row& ActionList::RowAt(int row) const {
  RequireOpen();
  RequireRowIndex(row);
  return rows_[row];
}

// ---- notifications -------------------------------------------------------------------------

void ActionList::AddObserver(ListObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void ActionList::RemoveObserver(ListObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void ActionList::SuspendUpdates() {
  if (suspended_ == 0) Announce({ListEvent::Kind::kReset});
  ++suspended_;
}

void ActionList::ResumeUpdates() {
  if (suspended_ == 0) return;
  if (--suspended_ == 0) Notify({ListEvent::Kind::kReset});
}

void ActionList::Announce(const ListEvent& event) const {
  if (suspended_ > 0) return;
  const std::vector<ListObserver*> observers = observers_;  // an observer may unsubscribe
  for (ListObserver* observer : observers) observer->ListAboutToChange(*this, event);
}

void ActionList::Notify(const ListEvent& event) const {
  if (suspended_ > 0) return;
  const std::vector<ListObserver*> observers = observers_;
  for (ListObserver* observer : observers) observer->ListChanged(*this, event);
}

// ---- helpers -------------------------------------------------------------------------------

void ActionList::RequireOpen() const {
  if (!IsOpen()) throw ListError(texts::kListClosed);
}

void ActionList::RequireCurrentRow() const {
  if (current_ < 0) throw ListError(texts::kListNoCurrentRow);
}

void ActionList::RequireRowIndex(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    throw ListError(texts::kListNoRowNumber + std::to_string(row + 1));
  }
}

void ActionList::CheckBrowseMode() {
  if (state_ != State::kEdit && state_ != State::kInsert) return;
  if (modified_) {
    Post();
  } else {
    DropBuffer();
  }
}

void ActionList::DropBuffer() {
  if (state_ == State::kEdit || state_ == State::kInsert) state_ = State::kBrowse;
  buffer_.clear();
  modified_ = false;
}

void ActionList::MoveCursor(int row) {
  if (row == current_) return;
  const ListEvent event{ListEvent::Kind::kCurrentRowChanged, row};
  Announce(event);
  current_ = row;
  Notify(event);
}

}  // namespace actions
