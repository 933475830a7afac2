// Tab-separated text for the tool's tables: a header line of column names, then one line
// per row. A null is \N, a boolean True or False, an integer its digits; inside a text,
// tab, CR, LF and backslash are written \t \r \n \\, and every other control character
// (C0, DEL, C1) and every byte that is no UTF-8 as \xNN, so that nothing a database holds
// reaches the terminal as an escape sequence.
#ifndef SKARNVEL_CLI_TABLE_TEXT_H_
#define SKARNVEL_CLI_TABLE_TEXT_H_

#include <ostream>
#include <string_view>
#include <vector>

#include "dbaccess/ado/recordset.h"
#include "dbaccess/ado/schema_row_sink.h"
#include "dbaccess/base/variant.h"

namespace cli {

std::string EscapeText(std::string_view text);
std::string CellText(const dbaccess::Variant& value);
void WriteLine(std::ostream& out, const std::vector<std::string>& cells);

// The header, then every row from the first to EOF.
void WriteRecordset(std::ostream& out, dbaccess::ado::Recordset& recordset);

// A streamed rowset written as WriteRecordset writes a recordset, each line as it comes.
class TableTextWriter final : public dbaccess::SchemaRowSink {
 public:
  explicit TableTextWriter(std::ostream& out) : out_(out) {}
  void Columns(const std::vector<std::string>& names) override;
  void Row(std::vector<dbaccess::Variant>&& row) override;

 private:
  std::ostream& out_;
  std::string line_;  // kept from line to line: one write a line, its buffer reused
};

}  // namespace cli

#endif  // SKARNVEL_CLI_TABLE_TEXT_H_
