// One typed change of a database, as the executor hands it to a storage.
//
// A change names the objects it touches; the storage finds their full definitions in
// the catalogs before and after the change. A text storage needs none of this (it writes
// the whole catalog); a page storage turns each change into page writes.
#ifndef SKARNVEL_DBACCESS_CATALOG_CHANGE_H_
#define SKARNVEL_DBACCESS_CATALOG_CHANGE_H_

#include <string>
#include <variant>
#include <vector>

namespace dbaccess {

namespace change {
// One change a line, as a table to read across (clang-format would spread it over forty).
// clang-format off
struct CreateTable { std::string table; };
struct DropTable { std::string table; };
struct AddColumn { std::string table, column; };
struct AlterColumn { std::string table, column; };  // type, size, required or default; rows converted
struct DropColumn { std::string table, column; };
struct RenameColumn { std::string table, old_name, new_name; };
struct SetRequired { std::string table, column; bool required; };
struct AddIndex { std::string table, index; };
struct DropIndex { std::string table, index; };
struct AddRelationship { std::string name; };
struct DropRelationship { std::string name; };
struct CreateQuery { std::string name; };
struct DeleteQuery { std::string name; };
struct InsertRows { std::string table; size_t count; };  // the last `count` rows of the table
// clang-format on
}  // namespace change

using Change =
    std::variant<change::CreateTable, change::DropTable, change::AddColumn, change::AlterColumn,
                 change::DropColumn, change::RenameColumn, change::SetRequired, change::AddIndex,
                 change::DropIndex, change::AddRelationship, change::DropRelationship,
                 change::CreateQuery, change::DeleteQuery, change::InsertRows>;
using ChangeList = std::vector<Change>;

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_CATALOG_CHANGE_H_
