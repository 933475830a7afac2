#include "dbaccess/ado/connection.h"

#include <utility>

#include "dbaccess/ado/schema_rowsets.h"
#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/catalog.h"
#include "dbaccess/exec/executor.h"
#include "dbaccess/files/database_file.h"

namespace dbaccess::ado {

Connection::Connection() = default;

Connection::~Connection() {
  if (IsOpen()) Close();
}

void Connection::Open(std::string_view connection_text) {
  if (IsOpen()) throw jet_errors::ObjectOpen();
  const ConnectionParts parts = ParseConnectionText(connection_text);
  Open(DatabaseLocation{parts.data_source, parts.database_password});
}

void Connection::Open(const DatabaseLocation& database) {
  if (IsOpen()) throw jet_errors::ObjectOpen();
  file_ = DatabaseFile::Open(database.path, database.password);
}

void Connection::Close() {
  if (!IsOpen()) throw jet_errors::ObjectClosed();
  transaction_.reset();  // an open transaction is rolled back
  file_.reset();
}

bool Connection::IsOpen() const { return file_ != nullptr; }

void Connection::RequireOpen() const {
  if (!IsOpen()) throw jet_errors::ObjectClosed();
}

void Connection::Execute(std::string_view command_text) {
  RequireOpen();
  const Mutation mutation = [sql = std::string(command_text)](Catalog& catalog,
                                                              ChangeList& changes) {
    ExecuteSql(catalog, sql, changes);
  };
  if (transaction_) {
    transaction_->Apply(mutation);
  } else {
    file_->Apply(mutation);
  }
}

int Connection::BeginTrans() {
  RequireOpen();
  if (transaction_) throw jet_errors::TransactionActive();
  transaction_ = std::make_unique<Transaction>(file_);
  return 1;
}

void Connection::CommitTrans() {
  RequireOpen();
  if (!transaction_) throw jet_errors::CommitWithoutBegin();
  // The transaction is over whether or not its work can be stored.
  const std::unique_ptr<Transaction> transaction = std::move(transaction_);
  transaction->Commit();
}

void Connection::RollbackTrans() {
  RequireOpen();
  if (!transaction_) throw jet_errors::CommitWithoutBegin();
  const std::unique_ptr<Transaction> transaction = std::move(transaction_);
  transaction->Rollback();
}

Recordset Connection::OpenSchema(SchemaEnum schema, const std::vector<Variant>& restrictions) {
  SchemaRowsetBuilder builder;
  StreamSchema(schema, builder, restrictions);
  SchemaRowset rowset = builder.Take();
  return Recordset(std::move(rowset.columns), std::move(rowset.rows));
}

void Connection::StreamSchema(SchemaEnum schema, SchemaRowSink& sink,
                              const std::vector<Variant>& restrictions) {
  RequireOpen();
  const std::shared_ptr<const Catalog> catalog =
      transaction_ ? transaction_->Snapshot() : file_->Snapshot();
  switch (schema) {
    case adSchemaTables:
      return TablesRowset(*catalog, restrictions, sink);
    case adSchemaColumns:
      return ColumnsRowset(*catalog, restrictions, sink);
    case adSchemaIndexes:
      return IndexesRowset(*catalog, restrictions, sink);
    case adSchemaForeignKeys:
      return ForeignKeysRowset(*catalog, restrictions, sink);
    default:
      throw jet_errors::InvalidArgument();
  }
}

}  // namespace dbaccess::ado
