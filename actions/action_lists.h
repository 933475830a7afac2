// The four action lists the main window owns, and the paths of their list files.
#ifndef SKARNVEL_ACTIONS_ACTION_LISTS_H_
#define SKARNVEL_ACTIONS_ACTION_LISTS_H_

#include <string>
#include <string_view>

#include "actions/action_list.h"
#include "actions/column_sets.h"

namespace actions {

struct ActionLists {
  // Four open, empty lists with their column sets.
  ActionLists();

  ActionList& operator[](ListId id);
  const ActionList& operator[](ListId id) const;

  ActionList qT;
  ActionList qI;
  ActionList qFK;
  ActionList qQ;
};

struct ListFiles {
  // The list files' paths in `folder` (the program's folder): the folder, a separator unless
  // it ends with one, and the file name.
  static ListFiles InFolder(std::string_view folder);

  const std::string& operator[](ListId id) const;

  std::string FileT;
  std::string FileI;
  std::string FileFK;
  std::string FileQ;
};

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_ACTION_LISTS_H_
