#include "dbaccess/ado/recordset.h"

#include <algorithm>
#include <numeric>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/jet_names.h"

namespace dbaccess::ado {
namespace {

struct SortKey {
  int field;
  bool descending;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Splits at `separator`; every part is trimmed.
std::vector<std::string_view> Split(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = s.find(separator);
    parts.push_back(Trim(s.substr(0, at)));
    if (at == std::string_view::npos) return parts;
    s.remove_prefix(at + 1);
  }
}

std::string_view Unbracket(std::string_view name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    return name.substr(1, name.size() - 2);
  }
  return name;
}

// Null and empty first, then numbers (booleans as numbers), then texts.
int KindRank(const Variant& v) {
  if (v.IsEmpty() || v.IsNull()) return 0;
  if (v.IsText()) return 2;
  return 1;
}

int64_t NumberOf(const Variant& v) {
  if (v.IsBoolean()) return v.AsBoolean() ? -1 : 0;
  return v.AsInteger();
}

}  // namespace

Recordset::Recordset(std::vector<std::string> field_names, std::vector<std::vector<Variant>> rows)
    : field_names_(std::move(field_names)), rows_(std::move(rows)) {
  for (const auto& row : rows_) {
    if (row.size() != field_names_.size()) throw jet_errors::InvalidArgument();
  }
  order_.resize(rows_.size());
  std::iota(order_.begin(), order_.end(), size_t{0});
  view_ = order_;
}

int Recordset::FieldCount() const { return static_cast<int>(field_names_.size()); }

const std::string& Recordset::FieldName(int index) const {
  if (index < 0 || index >= FieldCount()) throw jet_errors::ItemNotInCollection();
  return field_names_[index];
}

int Recordset::RecordCount() const { return static_cast<int>(view_.size()); }

void Recordset::MoveFirst() { position_ = 0; }

void Recordset::MoveNext() {
  if (Eof()) throw jet_errors::NoCurrentRecord();
  ++position_;
}

bool Recordset::Eof() const { return position_ >= view_.size(); }

int Recordset::AbsolutePosition() const {
  if (Eof()) throw jet_errors::NoCurrentRecord();
  return static_cast<int>(position_) + 1;
}

int Recordset::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < field_names_.size(); ++i) {
    if (field_names_[i] == name) return static_cast<int>(i);
  }
  for (size_t i = 0; i < field_names_.size(); ++i) {
    if (SameName(field_names_[i], name)) return static_cast<int>(i);
  }
  return -1;
}

const Variant& Recordset::Field(std::string_view name) const { return FieldAt(FieldIndex(name)); }

const Variant& Recordset::FieldAt(int index) const {
  if (index < 0 || index >= FieldCount()) throw jet_errors::ItemNotInCollection();
  if (Eof()) throw jet_errors::NoCurrentRecord();
  return rows_[view_[position_]][index];
}

std::vector<size_t> Recordset::Visible(const std::vector<size_t>& order,
                                       const std::optional<Filter>& filter) const {
  if (!filter) return order;
  std::vector<size_t> visible;
  for (size_t row : order) {
    if (filter->Matches(rows_[row])) visible.push_back(row);
  }
  return visible;
}

void Recordset::SetFilter(std::string_view filter) {
  std::optional<Filter> parsed;
  if (!Trim(filter).empty()) parsed = Filter::Parse(filter, field_names_);
  std::vector<size_t> visible = Visible(order_, parsed);  // may throw: nothing changed yet
  filter_ = std::move(parsed);
  view_ = std::move(visible);
  position_ = 0;
}

void Recordset::SetSort(std::string_view sort) {
  std::vector<SortKey> keys;
  if (!Trim(sort).empty()) {
    for (std::string_view part : Split(sort, ',')) {
      if (part.empty()) throw jet_errors::InvalidArgument();
      bool descending = false;
      const size_t blank = part.find_last_of(" \t\r\n");
      if (blank != std::string_view::npos && part.back() != ']') {
        const std::string_view word = part.substr(blank + 1);
        if (SameName(word, "desc")) {
          descending = true;
        } else if (!SameName(word, "asc")) {
          throw jet_errors::InvalidArgument();
        }
        part = Trim(part.substr(0, blank));
      }
      const int field = FieldIndex(Unbracket(part));
      if (field < 0) throw jet_errors::ItemNotInCollection();
      keys.push_back({field, descending});
    }
  }

  // Text keys are folded once per row, not once per comparison.
  std::vector<std::vector<std::string>> folded(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) {
    folded[k].resize(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
      const Variant& v = rows_[r][keys[k].field];
      if (v.IsText()) folded[k][r] = FoldName(v.AsText());
    }
  }
  const auto compare = [&](size_t k, size_t a, size_t b) {
    const Variant& va = rows_[a][keys[k].field];
    const Variant& vb = rows_[b][keys[k].field];
    const int ra = KindRank(va), rb = KindRank(vb);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra == 1) {
      const int64_t na = NumberOf(va), nb = NumberOf(vb);
      return na < nb ? -1 : (nb < na ? 1 : 0);
    }
    if (ra == 2) return folded[k][a].compare(folded[k][b]);
    return 0;
  };

  std::vector<size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    for (size_t k = 0; k < keys.size(); ++k) {
      const int c = compare(k, a, b);
      if (c != 0) return keys[k].descending ? c > 0 : c < 0;
    }
    return false;
  });
  std::vector<size_t> visible = Visible(order, filter_);
  order_ = std::move(order);
  view_ = std::move(visible);
  position_ = 0;
}

bool Recordset::Locate(std::string_view fields, const std::vector<Variant>& values) {
  std::vector<int> indexes;
  for (std::string_view name : Split(fields, ';')) {
    const int index = FieldIndex(Unbracket(name));
    if (index < 0) throw jet_errors::ItemNotInCollection();
    indexes.push_back(index);
  }
  if (indexes.size() != values.size()) throw jet_errors::InvalidArgument();
  for (size_t p = 0; p < view_.size(); ++p) {
    const auto& row = rows_[view_[p]];
    bool match = true;
    for (size_t k = 0; k < indexes.size() && match; ++k) match = row[indexes[k]] == values[k];
    if (match) {
      position_ = p;
      return true;
    }
  }
  return false;
}

}  // namespace dbaccess::ado
