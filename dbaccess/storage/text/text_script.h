// A database as a UTF-8 text of statements of our Jet SQL dialect that rebuild it: what the
// text storage keeps on disk and what the command-line tool prints.
//
// The form, made to be read and diffed by people:
//
//   -- Skarnvel text database 2
//
//   -- Tables
//   CREATE TABLE [Customers] (
//     [ID] COUNTER NOT NULL,
//     [Name] Text(50) NOT NULL DEFAULT "?",
//     [Note] Memo
//   );
//   ALTER TABLE [Customers] ALTER COLUMN [Name] SET PROPERTY 'Description' = 'Full name';
//
//   -- Indexes
//   CREATE UNIQUE INDEX [PrimaryKey] ON [Customers] ([ID]) WITH PRIMARY;
//
//   -- Relationships
//   ALTER TABLE [Orders] ADD CONSTRAINT [CustomersOrders] FOREIGN KEY ([CustomerID])
//     REFERENCES [Customers] ([ID]) ON UPDATE CASCADE ON DELETE NO ACTION;
//
//   -- Queries
//   CREATE QUERYDEF [All customers] AS 'SELECT *' & Chr(13) & Chr(10)
//     & 'FROM Customers;';
//
//   -- Rows of [Customers]
//   INSERT INTO [Customers] ([ID], [Name], [Note]) VALUES (1, 'Ann', Null);
//
//   -- End of Skarnvel text database
//
// Each statement ends in ";" at the end of its line. Texts (queries, values, property
// values, defaults that are no plain expression) are 'quoted' pieces joined by "&" with
// Chr(n) for every control character, so CR, LF, tabs and trailing blanks survive editors
// and diff tools. Values round-trip exactly: integers and Currency and Decimal as exact
// decimals, Single and Double in the shortest form that reads back to the same bits
// (DoubleBits/SingleBits for NaN and infinities), dates as #yyyy-mm-dd hh:mm:ss# when that
// is exact and CDate(<number>) otherwise, binary as 0x hex, GUIDs as '{...}' texts. The
// statements only scripts hold are listed in sql/parser.h.
//
// Rows come last and are loaded as they stand: the structure above them is checked by the
// executor as every statement is, but rows are only converted to their columns' types, not
// checked against Required, unique indexes or relationships (a database file keeps the data
// it had, whatever Jet allowed into it).
#ifndef SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_SCRIPT_H_
#define SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_SCRIPT_H_

#include <string>
#include <string_view>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

// The first line of every database script.
inline constexpr std::string_view kScriptSignature = "-- Skarnvel text database 2";
// The first line of scripts written before they had an end mark; still read.
inline constexpr std::string_view kUnmarkedScriptSignature = "-- Skarnvel text database 1";
// The last line of every database script (since kScriptSignature): a file that does not end
// with it was cut short.
inline constexpr std::string_view kScriptEndMark = "-- End of Skarnvel text database";

// Whether `text` ends with the end mark line, followed by nothing but line ends and blanks.
bool EndsWithEndMark(std::string_view text);

// Throws JetError 3125 for a name that brackets cannot hold (one with "]" or a control
// character; the executor never lets such a name in).
std::string WriteScript(const Catalog& catalog);

// Reads a script (the signature line is optional; a UTF-8 byte-order mark and CR LF line
// ends are read too). A statement that fails throws its JetError with "Line N of the
// database script: " before the text.
Catalog ReadScript(std::string_view text);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_SCRIPT_H_
