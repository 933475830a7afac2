// The ADO-like face of the engine layer: a connection to one database file, opened from a
// Jet OLE DB connection text, with Execute, transactions and the four schema rowsets.
#ifndef SKARNVEL_DBACCESS_ADO_CONNECTION_H_
#define SKARNVEL_DBACCESS_ADO_CONNECTION_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/ado/recordset.h"
#include "dbaccess/ado/schema_row_sink.h"
#include "dbaccess/base/variant.h"

namespace dbaccess {
class DatabaseFile;
class Transaction;
}  // namespace dbaccess

namespace dbaccess::ado {

// OLE DB schema rowset identifiers (SchemaEnum).
enum SchemaEnum {
  adSchemaColumns = 4,
  adSchemaIndexes = 12,
  adSchemaTables = 20,
  adSchemaForeignKeys = 27,
};

// The connection text for a database file: the Jet 4.0 provider, user Admin, the path as
// data source and, when `password` is not empty, the database password clause. A value
// holding ";", a quote or leading/trailing blanks is written in double quotes (inner ones
// doubled), as OLE DB connection texts allow, so any path or password survives.
std::string ConnectionText(const std::string& path, const std::string& password);

// The parts of a connection text that matter here.
struct ConnectionParts {
  std::string provider;
  std::string data_source;
  std::string database_password;  // "Jet OLEDB:Database Password"
};
// Reads a connection text: "key=value;" pairs, keys without regard to case, values bare
// or quoted; CR/LF and blanks around keys are ignored. Throws JetError for a text it
// cannot read or a provider other than Microsoft.Jet.OLEDB.4.0.
ConnectionParts ParseConnectionText(std::string_view text);

// A database file as in-process callers name it: its path (relative paths against the
// current directory) and its database password ("" for none).
struct DatabaseLocation {
  std::string path;
  std::string password;
};

// Every operation but Open throws JetError 3704 on a closed connection; Open throws 3705 on
// an open one.
class Connection {
 public:
  Connection();
  ~Connection();  // closes, rolling back an open transaction
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens from a connection text as a user writes it (ParseConnectionText).
  void Open(std::string_view connection_text);
  // Opens the file directly, with no text to build and read back.
  void Open(const DatabaseLocation& database);
  void Close();
  bool IsOpen() const;

  // Executes one statement (a plain text command). Inside a transaction the change is
  // seen by this connection at once and by others after CommitTrans.
  void Execute(std::string_view command_text);

  // Returns the new nesting level (1). Jet allows no nesting here: a second BeginTrans
  // before CommitTrans/RollbackTrans throws. CommitTrans or RollbackTrans without a
  // transaction throws 3034. A CommitTrans that fails stores nothing and ends the
  // transaction all the same.
  int BeginTrans();
  void CommitTrans();
  void RollbackTrans();

  // A schema rowset. Restrictions follow OLE DB's order for the rowset (e.g. for COLUMNS:
  // catalog, schema, table, column); an empty or missing entry restricts nothing.
  Recordset OpenSchema(SchemaEnum schema, const std::vector<Variant>& restrictions = {});
  // The same rowset streamed into `sink` (schema_row_sink.h), none of it kept: for a caller
  // that reads it once from start to end.
  void StreamSchema(SchemaEnum schema, SchemaRowSink& sink,
                    const std::vector<Variant>& restrictions = {});

 private:
  void RequireOpen() const;

  std::shared_ptr<DatabaseFile> file_;
  std::unique_ptr<Transaction> transaction_;
};

}  // namespace dbaccess::ado

#endif  // SKARNVEL_DBACCESS_ADO_CONNECTION_H_
