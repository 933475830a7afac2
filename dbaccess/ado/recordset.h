// A client-side recordset: every row in memory, so the caller can count, filter, sort,
// locate and walk it locally, as ADO's static client cursor allows.
//
// Field names are matched without regard to case. Values are Variants (empty, null,
// integer, text, boolean).
#ifndef SKARNVEL_DBACCESS_ADO_RECORDSET_H_
#define SKARNVEL_DBACCESS_ADO_RECORDSET_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/ado/filter.h"
#include "dbaccess/base/variant.h"

namespace dbaccess::ado {

class Recordset {
 public:
  Recordset() = default;
  Recordset(std::vector<std::string> field_names, std::vector<std::vector<Variant>> rows);

  int FieldCount() const;
  const std::string& FieldName(int index) const;

  // Rows that pass the filter.
  int RecordCount() const;

  void MoveFirst();
  void MoveNext();
  bool Eof() const;              // past the last row (also when no row passes the filter)
  int AbsolutePosition() const;  // 1-based position of the current row among those passing

  // The current row's value of the named field. Throws JetError 3265 for an unknown name,
  // JetError 3021 when there is no current row.
  const Variant& Field(std::string_view name) const;
  // The same by the field's position (0 .. FieldCount() - 1; 3265 outside).
  const Variant& FieldAt(int index) const;

  // Keeps only the rows that satisfy the filter text and moves to the first of them; ""
  // removes the filter. The grammar: comparisons `Field = value` (also <>, <, >, <=, >=)
  // where value is a 'quoted text' ('' for a quote), a number, True, False or Null;
  // joined by AND / OR, grouped by parentheses. Texts compare without regard to case
  // (filter.h has the whole grammar). Throws JetError for a filter it cannot read or an
  // unknown field, keeping the filter and position it had.
  void SetFilter(std::string_view filter);

  // Orders the rows by "Field [ASC|DESC][, Field ...]" (stable) and moves to the first;
  // "" restores the order of delivery. Nulls come first, numbers compare numerically,
  // texts without regard to case. Throws JetError like SetFilter.
  void SetSort(std::string_view sort);

  // Moves to the first row, in the current order and among rows passing the filter, whose
  // fields (names joined by ";") hold exactly the given values (texts compared exactly).
  // Returns false and leaves the position unchanged when there is none.
  bool Locate(std::string_view fields, const std::vector<Variant>& values);

 private:
  int FieldIndex(std::string_view name) const;  // -1 when unknown
  std::vector<size_t> Visible(const std::vector<size_t>& order,
                              const std::optional<Filter>& filter) const;

  std::vector<std::string> field_names_;
  std::vector<std::vector<Variant>> rows_;
  std::vector<size_t> order_;  // every row, in sort order
  std::optional<Filter> filter_;
  std::vector<size_t> view_;  // rows passing the filter, in sort order
  size_t position_ = 0;
};

}  // namespace dbaccess::ado

#endif  // SKARNVEL_DBACCESS_ADO_RECORDSET_H_
