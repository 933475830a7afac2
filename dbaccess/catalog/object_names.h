// What a name of a table, field, index, relationship or query may be, and the names the
// engine gives to constraints that were written without one.
//
// A name has 1 to 64 characters, does not begin with a blank, and holds none of
// . ! ` [ ] and no control character (Jet's rules; 3125 otherwise).
//
// Unnamed constraints get deterministic names:
//   primary key             "PrimaryKey" ("PrimaryKey1", "PrimaryKey2"... if an index of
//                           the table already has that name)
//   unique constraint       "Index_1", "Index_2"...: the first free one of the table
//   foreign key             the primary table's name followed by the foreign table's, as
//                           Access names relationships ("CustomersOrders"), then with
//                           1, 2... appended until it is free as a relationship name and as
//                           an index name of the foreign table; "Relationship_1",
//                           "Relationship_2"... when that would be longer than 64 characters
#ifndef SKARNVEL_DBACCESS_CATALOG_OBJECT_NAMES_H_
#define SKARNVEL_DBACCESS_CATALOG_OBJECT_NAMES_H_

#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/catalog.h"

namespace dbaccess {

constexpr size_t kMaxNameLength = 64;

bool IsValidObjectName(std::string_view name);
void CheckObjectName(std::string_view name);  // throws JetError 3125

std::string PrimaryKeyName(const Table& table);
std::string NextIndexName(const Table& table);
// `taken` holds relationship names already given in the same statement.
std::string NextRelationshipName(const Catalog& catalog, std::string_view primary_table,
                                 const Table& foreign_table, const std::vector<std::string>& taken);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_OBJECT_NAMES_H_
