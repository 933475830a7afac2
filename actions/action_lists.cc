#include "actions/action_lists.h"

#include <utility>

namespace actions {

ActionLists::ActionLists()
    : qT(ColumnsOf(ListId::qT)),
      qI(ColumnsOf(ListId::qI)),
      qFK(ColumnsOf(ListId::qFK)),
      qQ(ColumnsOf(ListId::qQ)) {}

ActionList& ActionLists::operator[](ListId id) {
  return const_cast<ActionList&>(std::as_const(*this)[id]);
}

const ActionList& ActionLists::operator[](ListId id) const {
  switch (id) {
    case ListId::qT:
      return qT;
    case ListId::qI:
      return qI;
    case ListId::qFK:
      return qFK;
    case ListId::qQ:
      return qQ;
  }
  return qT;
}

ListFiles ListFiles::InFolder(std::string_view folder) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  ListFiles files;
  files.FileT = prefix + std::string(LayoutOf(ListId::qT).file_name);
  files.FileI = prefix + std::string(LayoutOf(ListId::qI).file_name);
  files.FileFK = prefix + std::string(LayoutOf(ListId::qFK).file_name);
  files.FileQ = prefix + std::string(LayoutOf(ListId::qQ).file_name);
  return files;
}

const std::string& ListFiles::operator[](ListId id) const {
  switch (id) {
    case ListId::qT:
      return FileT;
    case ListId::qI:
      return FileI;
    case ListId::qFK:
      return FileFK;
    case ListId::qQ:
      return FileQ;
  }
  return FileT;
}

}  // namespace actions
