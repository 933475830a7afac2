// The saved query comparison: queries pair by name and their SQL texts are compared whole,
// both by NamesMatch (only Latin letter case is ignored; blanks, line breaks and every
// other character count). Saved queries are read through DAO.
//
// The comparison appends to the results it is given: first, in the working database's
// order, deleted and changed queries; then, in the new database's order, new ones.
#ifndef SKARNVEL_ENGINE_COMPARE_QUERIES_H_
#define SKARNVEL_ENGINE_COMPARE_QUERIES_H_

#include <string>
#include <vector>

namespace uAlg {

struct TQuery {
  std::string Name;
  std::string SQL;
};
using TQuerys = std::vector<TQuery>;  // in the order of the QueryDefs collection

// A text that does not exist on one side stays empty.
struct TQResult {
  std::string Name;
  std::string OldSQL;  // working database
  std::string NewSQL;  // new database
  std::string Result;  // one of the query texts of result_texts.h
  std::string Act;     // the action word that goes with Result
};
using TQResults = std::vector<TQResult>;

// Every saved query of the database at `path`, opened through DAO with ";PWD=" and the
// password. Errors pass on with the engine's text; the database is released in every case.
TQuerys LoadQueries(const std::string& path, const std::string& password);

// Appends the differences between two query lists, `working` first.
void CompareQueries(const TQuerys& working, const TQuerys& fresh, TQResults& results);

// Loads both databases (working first), then appends the differences. When a load fails
// the error passes on and nothing is appended.
void CompareQueries(const std::string& working_path, const std::string& new_path,
                    const std::string& working_password, const std::string& new_password,
                    TQResults& results);

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_COMPARE_QUERIES_H_
