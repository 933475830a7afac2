#include "actions/action_kind.h"

#include <string>

#include "actions/workbench_texts.h"
#include "engine/result_texts.h"

namespace actions {
namespace {

constexpr std::string_view kTrueText = "True";
constexpr std::string_view kFalseText = "False";

ActionKind TableActionKind(const ActionList& list) {
  const std::string result = list.Text(kResultColumn);
  if (result == uAlg::kDroppedTable) return ActionKind::kDropTable;
  if (result == uAlg::kDroppedField) return ActionKind::kChangeColumn;
  if (result == texts::kRenamedField) return ActionKind::kRenameField;
  if (result != uAlg::kChangedFieldProps) return ActionKind::kStatement;
  if (list.Text("PropName") == texts::kNotNullProp) {
    const std::string was = list.Text("OldPropValue");
    const std::string now = list.Text("NewPropValue");
    if (was == kTrueText && now == kFalseText) return ActionKind::kClearRequired;
    if (was == kFalseText && now == kTrueText) return ActionKind::kSetRequired;
  }
  return ActionKind::kChangeColumn;
}

}  // namespace

ActionKind KindOfAction(ListId id, const ActionList& list) {
  const std::string command = list.Text("SQL");
  if (command == texts::kRepeatedMark) return ActionKind::kStatement;
  ActionKind kind = ActionKind::kStatement;
  switch (id) {
    case ListId::qT:
      kind = TableActionKind(list);
      break;
    case ListId::qI: {
      const std::string result = list.Text(kResultColumn);
      if (result == uAlg::kDroppedPrimaryKey || result == uAlg::kDroppedUniqueIndex) {
        kind = ActionKind::kDropKey;
      }
      break;
    }
    case ListId::qFK:
      if (list.Text(kResultColumn) == uAlg::kChangedRelationRules)
        kind = ActionKind::kTwoStatements;
      break;
    default:
      break;
  }
  // Only the user writes a DAO command the builder did not make; its first characters are
  // never a database's content, which follows the builder's own words.
  if (kind == ActionKind::kStatement && command.starts_with(texts::kDaoPrefix)) {
    return ActionKind::kDaoOther;
  }
  return kind;
}

}  // namespace actions
