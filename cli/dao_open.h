// Opens a database through DAO the way the program does: the automation object
// "DAO.DBEngine.36", Jet workspaces, workspace 0, shared, read-write, ";PWD=" + password.
#ifndef SKARNVEL_CLI_DAO_OPEN_H_
#define SKARNVEL_CLI_DAO_OPEN_H_

#include <memory>

#include "cli/commands.h"
#include "dbaccess/dao/dao.h"

namespace cli {

std::unique_ptr<dbaccess::dao::DaoDatabase> OpenDaoDatabase(const DatabaseArgs& args);

}  // namespace cli

#endif  // SKARNVEL_CLI_DAO_OPEN_H_
