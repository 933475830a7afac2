// The workbench's database access through the structure engine (uAlg) and the engine
// layer's ADO-like and DAO-like faces.
#ifndef SKARNVEL_ACTIONS_ENGINE_ACCESS_H_
#define SKARNVEL_ACTIONS_ENGINE_ACCESS_H_

#include "actions/database_access.h"

namespace actions {

class EngineAccess : public DatabaseAccess {
 public:
  uAlg::TResults CompareTables(const std::string& path1, const std::string& path2,
                               const std::string& pwd1, const std::string& pwd2) override;
  void CompareIndexes(const std::string& path1, const std::string& path2, const std::string& pwd1,
                      const std::string& pwd2, uAlg::TIResults& results,
                      bool primary_keys) override;
  void CompareRelations(const std::string& path1, const std::string& path2, const std::string& pwd1,
                        const std::string& pwd2, uAlg::TfkResults& results) override;
  void CompareQueries(const std::string& path1, const std::string& path2, const std::string& pwd1,
                      const std::string& pwd2, uAlg::TQResults& results) override;
  std::unique_ptr<RunConnection> OpenConnection(const std::string& path,
                                                const std::string& password) override;
  std::unique_ptr<RunDao> OpenDao(const std::string& path, const std::string& password) override;
  std::unique_ptr<DryRunDatabase> OpenDryRun(const std::string& path,
                                             const std::string& password) override;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_ENGINE_ACCESS_H_
