// The check that every name a storage read from a database file is one Jet allows
// (object_names.h): tables, fields, indexes, relationships and saved queries. A file with any
// other name was not written by Jet; its names would end the brackets of the commands built
// from them, so such a database is refused as a whole, naming the object.
//
// Names, default values and the texts of saved queries must also be valid UTF-8 without a
// character of code 0: they are shown, compared and kept in the action lists, whose files
// cannot hold such texts, so a database with one is refused the same way whatever is done
// with it next (compared only, or changed at once).
#ifndef SKARNVEL_DBACCESS_CATALOG_CATALOG_NAMES_H_
#define SKARNVEL_DBACCESS_CATALOG_CATALOG_NAMES_H_

#include <string>
#include <string_view>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

// Throws JetError 3125 naming the database file, the object and its name (control
// characters shown as \xNN) for the first name or text that breaks the rules.
void CheckCatalogNames(const Catalog& catalog, std::string_view path);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_CATALOG_NAMES_H_
