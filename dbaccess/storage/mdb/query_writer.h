// Saved queries written into a Jet 4 database as Access stores them: the rows of the
// query's text in MSysQueries (query_rows.h) under the query's Id, and its MSysObjects row
// (Type 5 under the Tables container, Flags its kind's, no properties) with the MSysACEs
// rows a new table gets (catalog_writer.h). Deleting a query removes all of them. Nothing
// reaches the file before the writer's Commit: after an error the writer must be dropped.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_WRITER_H_

#include <string_view>

#include "dbaccess/storage/mdb/page_writer.h"

namespace dbaccess::mdb {

// Writes the query `name` of the Jet SQL text `sql`, made at `now` (an OLE Automation
// date). Throws JetError: 3012 when a table or query of that name exists, the errors of
// QueryRowsFromSql for a text Jet would not store, 3343 for a damaged file.
void CreateQuery(PageWriter& pages, std::string_view name, std::string_view sql, double now);

// Removes the query `name`. Throws JetError 3265 when there is none, 3343 for a damaged file.
void DeleteQuery(PageWriter& pages, std::string_view name);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_QUERY_WRITER_H_
