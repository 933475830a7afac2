// The order Jet keeps a table definition's indexes in: the real indexes in the order of the
// lowest logical number using each (a reader may take an index's number for its real
// index's place), the logical indexes by name (Jet's name order). The extras of each index
// go with it.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_ORDER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_ORDER_H_

#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"

namespace dbaccess::mdb {

// `extras` holds one entry per index of `def` (missing ones are added as defaults).
void OrderIndexes(TableDefinition& def, TableDefinitionExtras& extras);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_INDEX_ORDER_H_
