// Relationships written into a Jet 4 database as Access stores them.
//
// A relationship is its rows in MSysRelationships (one per column pair, relationships.h;
// grbit its rules, and kRelationshipOneToOne where each side has a unique index over its
// columns), its MSysObjects row (Type 8 under the Relationships container, no properties)
// with its MSysACEs rows (catalog_writer.h), and, when it is enforced, a foreign-key logical
// index on each table. On the foreign table that index takes the relationship's name and
// an existing real index over its columns in the same order (whatever that index's unique,
// required and ignore-nulls flags), else a new one; on the primary table it is named
// ".rB" (".rC", ... where that name is taken) and shares the unique real index over its
// columns. Each names the other's number and table page and carries the cascade flags
// (updates 1; deletes 1, or 2 where a delete sets the foreign key to Null). New logical
// indexes take numbers after the highest of their table, the primary side's first. Both
// tables are written anew in place with their rows (RewriteTable), so nothing else that
// points at them moves.
//
// Dropping a relationship removes all of that; a real index that no other logical index
// uses goes with its logical index. Both check what they read first (TableEditor's checks
// and errors) and change nothing before the writer's Commit: after an error the writer must
// be dropped.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIP_WRITER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIP_WRITER_H_

#include <string_view>

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/storage/mdb/page_writer.h"

namespace dbaccess::mdb {

// Writes `relationship`, made at `now` (an OLE Automation date), whose tables the database
// has as the relationship names them. Throws JetError: 3343 for a damaged file or a
// relationship whose tables, columns or unique index are not there, TableNotWritable for
// a system or linked table, JetChangeNotSupported for ON UPDATE SET NULL and SET DEFAULT,
// whose place in the file is not known.
void AddRelationship(PageWriter& pages, const Relationship& relationship, double now);

// Removes the relationship `name`. Throws JetError 3343 when the database has no such
// relationship or is damaged.
void DropRelationship(PageWriter& pages, std::string_view name);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_RELATIONSHIP_WRITER_H_
