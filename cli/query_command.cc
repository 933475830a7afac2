// skarnvel-cli query PATH [--password P] (list | create NAME SQL | delete NAME): the saved
// queries, through DAO. "list" prints Name and SQL as tab-separated text, in creation order.
#include <iostream>
#include <memory>

#include "cli/commands.h"
#include "cli/dao_open.h"
#include "cli/table_text.h"

namespace cli {
namespace {

struct QueryArgs {
  DatabaseArgs database;
  std::string name;
  std::string sql;
};

}  // namespace

void AddQueryCommand(CLI::App& app) {
  auto args = std::make_shared<QueryArgs>();
  CLI::App* command = app.add_subcommand("query", "List, create or delete saved queries");
  AddDatabaseArgs(*command, args->database);
  command->require_subcommand(1);

  command->add_subcommand("list", "Print every saved query")->callback([args] {
    const auto database = OpenDaoDatabase(args->database);
    const dbaccess::dao::DaoQueryDefs queries = database->QueryDefs();
    WriteLine(std::cout, {"Name", "SQL"});
    for (int i = 0; i < queries.Count(); ++i) {
      const dbaccess::dao::DaoQueryDef query = queries.Item(i);
      WriteLine(std::cout, {EscapeText(query.Name()), EscapeText(query.SQL())});
    }
  });

  CLI::App* create = command->add_subcommand("create", "Store a new saved query");
  create->add_option("NAME", args->name, "The query's name")->required();
  create->add_option("SQL", args->sql, "The query's SQL text")->required();
  create->callback(
      [args] { OpenDaoDatabase(args->database)->CreateQueryDef(args->name, args->sql); });

  CLI::App* remove = command->add_subcommand("delete", "Delete a saved query");
  remove->add_option("NAME", args->name, "The query's name")->required();
  remove->callback([args] { OpenDaoDatabase(args->database)->QueryDefs().Delete(args->name); });
}

}  // namespace cli
