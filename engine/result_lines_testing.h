// For the comparison tests: result rows as one line of text each, fields joined by "|", so
// that a whole result list is checked in one expectation.
#ifndef SKARNVEL_ENGINE_RESULT_LINES_TESTING_H_
#define SKARNVEL_ENGINE_RESULT_LINES_TESTING_H_

#include <string>
#include <string_view>
#include <vector>

#include "engine/compare_indexes.h"
#include "engine/compare_queries.h"
#include "engine/compare_relations.h"

namespace uAlg {

inline std::string S(std::string_view text) { return std::string(text); }

inline std::vector<std::string> Lines(const TIResults& results) {
  std::vector<std::string> lines;
  for (const TIResult& r : results) {
    lines.push_back(r.Result + "|" + r.TABLE_NAME + "|" + r.COLUMN_NAME + "|" + r.INDEX_NAME + "|" +
                    r.SQL);
  }
  return lines;
}

inline std::vector<std::string> Lines(const TfkResults& results) {
  std::vector<std::string> lines;
  for (const TfkResult& r : results) {
    lines.push_back(r.Result + "|" + r.PK_TABLE_NAME + "." + r.PK_COLUMN_NAME + "-<" +
                    r.FK_TABLE_NAME + "." + r.FK_COLUMN_NAME + "|" + r.FK_NAME + "|" +
                    r.OldUpdate_Rule + "|" + r.NewUpdate_Rule + "|" + r.OldDelete_Rule + "|" +
                    r.NewDelete_Rule + "|" + r.SQL);
  }
  return lines;
}

inline std::vector<std::string> Lines(const TQResults& results) {
  std::vector<std::string> lines;
  for (const TQResult& r : results) {
    lines.push_back(r.Result + "|" + r.Act + "|" + r.Name + "|" + r.OldSQL + "|" + r.NewSQL);
  }
  return lines;
}

}  // namespace uAlg

#endif  // SKARNVEL_ENGINE_RESULT_LINES_TESTING_H_
