// The debug page of the main window: the index schema rowset of one table of a fixed
// database, read through a connection of the page's own.
#ifndef SKARNVEL_ACTIONS_DEBUG_PAGE_H_
#define SKARNVEL_ACTIONS_DEBUG_PAGE_H_

#include <string>

#include "dbaccess/ado/recordset.h"

namespace actions {

// The display width, in characters, the debug page gives every column of the rowset.
inline constexpr int kDebugColumnWidth = 20;

// The index rowset of `table` in the database at `path` (no password), with the catalog,
// schema, index name and type restrictions left empty. The connection is opened for
// reading and closed before the rowset is returned. Errors are dbaccess::JetError.
dbaccess::ado::Recordset DebugIndexRowset(const std::string& path, const std::string& table);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_DEBUG_PAGE_H_
