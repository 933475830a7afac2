// A new, empty Jet 4 database, made by our own code as the engine alone makes one (ADOX's
// Catalog.Create, no Access): 16 pages, the header (code page 1252, "General" sort order,
// pages not encrypted, an optional database password), the global usage map, the
// definitions of MSysObjects, MSysACEs, MSysQueries and MSysRelationships, one page of
// their usage maps, their index leaves and the initial rows of MSysObjects and MSysACEs.
//
// The header's creation date is kEngineCreationDate whenever the file is made: Jet masks
// the account identifiers (SIDs) of the permission rows per database, in a way that is not
// known, and the initial rows' SIDs are known good only under the date the engine wrote
// them with. The creation date also masks the password, which works under any date. The
// catalog rows carry the real time of making.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_NEW_DATABASE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_NEW_DATABASE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dbaccess::mdb {

// 2015-11-21 22:40:31, the creation date of the engine's database whose rows we write.
constexpr double kEngineCreationDate = 42329.944803009261;

// The bytes of a new database made at `made` (an OLE Automation date) protected by
// `password` ("" for none). Throws FormatError for a password Jet cannot store (over 20
// characters, or holding U+0000).
std::vector<uint8_t> NewDatabaseImage(double made, std::string_view password);

// Creates the database file at `path`, complete on the disk before it gets its name.
// Throws JetError: 3204 when something is at `path` already (never overwritten), 3031-like
// refusals of the password as "Not a valid password.", and the file errors of
// CreateFileAtomically.
void CreateDatabaseFile(const std::string& path, std::string_view password);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_NEW_DATABASE_H_
