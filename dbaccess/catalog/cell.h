// One stored value of a table row. Its meaning depends on the column's type:
//
//   Bit                      bool
//   Byte, Short, Long        int64_t
//   Currency                 int64_t, in ten-thousandths (Jet's scaled 64-bit integer)
//   Single, Double           double
//   DateTime                 double, an OLE Automation date (days since 1899-12-30)
//   Text, Memo               std::string (UTF-8)
//   Decimal                  std::string, canonical decimal text ("-12.50" at scale 2)
//   GUID                     std::string, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" upper case
//   Binary, OLE Object       Bytes
//
// A null is the monostate.
#ifndef SKARNVEL_DBACCESS_CATALOG_CELL_H_
#define SKARNVEL_DBACCESS_CATALOG_CELL_H_

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace dbaccess {

struct Bytes {
  std::vector<uint8_t> data;
  friend bool operator==(const Bytes&, const Bytes&) = default;
};

using Cell = std::variant<std::monostate, bool, int64_t, double, std::string, Bytes>;
using Row = std::vector<Cell>;  // one cell per column, in column order

inline bool IsNull(const Cell& c) { return std::holds_alternative<std::monostate>(c); }

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_CELL_H_
