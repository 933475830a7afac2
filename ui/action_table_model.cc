#include "ui/action_table_model.h"

#include <algorithm>
#include <exception>

#include "ui/qt_text.h"

namespace ui {
namespace {

using actions::ColumnKind;
using actions::ListEvent;

// The row indicator of the current row.
constexpr char kIndicator[] = "\u25B6";

}  // namespace

ActionTableModel::ActionTableModel(actions::ListId id, actions::ActionList& list, QObject* parent)
    : QAbstractTableModel(parent), id_(id), list_(list) {
  BuildColumns();
  indicated_row_ = list_.IsOpen() ? list_.CurrentRow() : -1;
  list_.AddObserver(this);
}

ActionTableModel::~ActionTableModel() { list_.RemoveObserver(this); }

void ActionTableModel::BuildColumns() {
  columns_.clear();
  if (!list_.IsOpen()) return;
  const actions::ListLayout& layout = actions::LayoutOf(id_);
  std::vector<std::pair<int, ViewColumn>> placed;  // grid place, column
  int unknown_place = 1000;
  const std::vector<actions::Column>& columns = list_.columns();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const actions::Column& column = columns[i];
    const auto known =
        std::find_if(layout.columns.begin(), layout.columns.end(),
                     [&](const actions::GridColumn& g) { return g.name == column.name; });
    if (known != layout.columns.end()) {
      placed.push_back(
          {known->grid_place, {i, column.name, Q(known->title), known->width, column.kind}});
    } else {
      placed.push_back(
          {unknown_place++, {i, column.name, Q(column.name), kDefaultWidth, column.kind}});
    }
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [place, column] : placed) columns_.push_back(std::move(column));
}

int ActionTableModel::SectionOf(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

const dbaccess::Variant& ActionTableModel::CellValue(int row, int list_column) const {
  const bool editing = list_.state() == actions::ActionList::State::kEdit;
  if (editing && row == list_.CurrentRow()) {
    return list_.Value(list_.columns()[list_column].name);
  }
  return list_.Cell(row, list_column);
}

std::string ActionTableModel::Text(int row, std::string_view column) const {
  if (!list_.IsOpen() || row < 0 || row >= list_.RowCount()) return {};
  const int index = list_.FindColumn(column);
  if (index < 0) return {};
  const dbaccess::Variant& value = CellValue(row, index);
  if (value.IsEmpty() || value.IsNull()) return {};
  return value.DisplayText();
}

int ActionTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !list_.IsOpen()) return 0;
  return list_.RowCount();
}

int ActionTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ActionTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
    return {};
  }
  const ViewColumn& column = columns_[index.column()];
  const dbaccess::Variant& value = CellValue(index.row(), column.list_column);
  if (column.kind == ColumnKind::kBoolean) {
    const bool ticked = value == dbaccess::Variant::Boolean(true);
    if (role == Qt::CheckStateRole) return ticked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::EditRole) return ticked;
    return {};
  }
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    if (value.IsEmpty() || value.IsNull()) return QString();
    return Q(value.DisplayText());
  }
  return {};
}

bool ActionTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) {
    return false;
  }
  const ViewColumn& column = columns_[index.column()];
  try {
    if (list_.CurrentRow() != index.row() || list_.AtEnd()) list_.GoTo(index.row());
    list_.Edit();
    if (column.kind == ColumnKind::kBoolean) {
      const bool ticked = role == Qt::CheckStateRole ? value.value<Qt::CheckState>() == Qt::Checked
                                                     : value.toBool();
      list_.SetBoolean(column.name, ticked);
    } else {
      list_.SetText(column.name, S(value.toString()));
    }
    list_.Post();
    return true;
  } catch (const std::exception&) {
    if (list_.IsOpen()) list_.Cancel();
    return false;
  }
}

QVariant ActionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= columnCount()) return {};
    return columns_[section].title;
  }
  return section == indicated_row_ ? Q(kIndicator) : QString();
}

Qt::ItemFlags ActionTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void ActionTableModel::ListAboutToChange(const actions::ActionList&, const ListEvent& event) {
  switch (event.kind) {
    case ListEvent::Kind::kReset:
    case ListEvent::Kind::kOpened:
    case ListEvent::Kind::kClosed:
      beginResetModel();
      break;
    case ListEvent::Kind::kRowsInserted:
      beginInsertRows({}, event.row, event.row + event.count - 1);
      break;
    case ListEvent::Kind::kRowRemoved:
      beginRemoveRows({}, event.row, event.row);
      break;
    default:
      break;
  }
}

void ActionTableModel::ListChanged(const actions::ActionList&, const ListEvent& event) {
  switch (event.kind) {
    case ListEvent::Kind::kReset:
    case ListEvent::Kind::kOpened:
    case ListEvent::Kind::kClosed:
      BuildColumns();
      indicated_row_ = list_.IsOpen() ? list_.CurrentRow() : -1;
      endResetModel();
      emit columnsChanged();
      if (indicated_row_ >= 0) emit currentRowChanged(indicated_row_);
      break;
    case ListEvent::Kind::kRowsInserted:
      endInsertRows();
      break;
    case ListEvent::Kind::kRowRemoved:
      endRemoveRows();
      if (indicated_row_ >= rowCount()) indicated_row_ = rowCount() - 1;
      break;
    case ListEvent::Kind::kRowChanged:
      emit dataChanged(index(event.row, 0), index(event.row, columnCount() - 1));
      break;
    case ListEvent::Kind::kCurrentRowChanged: {
      const int previous = indicated_row_;
      indicated_row_ = event.row;
      if (previous >= 0 && previous < rowCount()) {
        emit headerDataChanged(Qt::Vertical, previous, previous);
      }
      if (indicated_row_ >= 0) emit headerDataChanged(Qt::Vertical, indicated_row_, indicated_row_);
      emit currentRowChanged(event.row);
      break;
    }
  }
}

}  // namespace ui
