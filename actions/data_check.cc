#include "actions/data_check.h"

#include <algorithm>

#include "actions/action_kind.h"
#include "actions/command_text.h"
#include "actions/workbench_texts.h"
#include "dbaccess/base/ascii_case.h"
#include "dbaccess/catalog/jet_names.h"

namespace actions {
namespace {

using Kind = dbaccess::DataEffect::Kind;

std::string Bracketed(const std::string& name) { return "[" + name + "]"; }

// "[T]", "[T].[C]" or "[T] ([A], [B])".
std::string Place(const dbaccess::DataEffect& effect) {
  std::string out = Bracketed(effect.table);
  if (effect.columns.size() == 1) return out + "." + Bracketed(effect.columns.front());
  if (effect.columns.empty()) return out;
  out += " (";
  for (size_t i = 0; i < effect.columns.size(); ++i) {
    if (i > 0) out += ", ";
    out += Bracketed(effect.columns[i]);
  }
  return out + ")";
}

std::string_view HeadOf(Kind kind) {
  switch (kind) {
    case Kind::kRowsLost:
      return texts::kFindingRowsLost;
    case Kind::kValuesLost:
      return texts::kFindingValuesLost;
    case Kind::kValuesChanged:
      return texts::kFindingValuesChanged;
    case Kind::kValuesRefused:
      return texts::kFindingValuesRefused;
    case Kind::kNulls:
      return texts::kFindingNulls;
    case Kind::kDuplicates:
      return texts::kFindingDuplicates;
    case Kind::kOrphans:
      break;
  }
  return texts::kFindingOrphansHead;
}

void AddReason(std::string& out, std::string_view text, int64_t count) {
  if (count == 0) return;
  if (!out.empty()) out += ", ";
  out += std::string(text) + std::to_string(count);
}

FindingLevel LevelOf(Kind kind) {
  return dbaccess::LosesData(kind) ? FindingLevel::kLoss : FindingLevel::kRefused;
}

class Checker {
 public:
  Checker(DryRunDatabase& database, DataCheck& check) : database_(database), check_(check) {}

  void TryRow(ListId id, const ActionList& list, int row) {
    const std::string command = list.Text("SQL");
    TriedAction tried;
    switch (KindOfAction(id, list)) {
      case ActionKind::kClearRequired:
        tried = database_.TrySetRequired(list.Text("TableName"), list.Text("FieldName"), false);
        break;
      case ActionKind::kSetRequired:
        tried = database_.TrySetRequired(list.Text("TableName"), list.Text("FieldName"), true);
        break;
      case ActionKind::kRenameField:
        tried = database_.TryRenameField(list.Text("TableName"), list.Text("FieldName"),
                                         list.Text("NewPropValue"));
        break;
      case ActionKind::kDaoOther:
        break;  // opens the DAO database and changes nothing
      case ActionKind::kTwoStatements: {
        const StatementPair pair = FindStatementSeparator(command)
                                       ? SplitStatements(command)
                                       : StatementPair{command, std::string()};
        tried = database_.TryStatement(pair.first);
        if (!tried.error && !pair.second.empty()) {
          TriedAction second = database_.TryStatement(pair.second);
          tried.effects.insert(tried.effects.end(), second.effects.begin(), second.effects.end());
          tried.error = std::move(second.error);
        }
        break;
      }
      case ActionKind::kDropTable:
        DropRelations(list.Text("TableName"), std::nullopt);
        tried = database_.TryStatement(command);
        if (!tried.error) gone_tables_.push_back(list.Text("TableName"));
        break;
      case ActionKind::kChangeColumn:
        DropRelations(list.Text("TableName"), list.Text("FieldName"));
        tried = database_.TryStatement(command);
        break;
      case ActionKind::kDropKey:
        DropRelations(list.Text("TABLE_NAME"), list.Text("COLUMN_NAME"));
        tried = database_.TryStatement(command);
        break;
      case ActionKind::kStatement:
        tried = database_.TryStatement(command);
        break;
    }
    if (tried.error && Moot(id, list)) {
      Add(id, row, command, FindingLevel::kSafe, std::string(texts::kFindingMoot));
      return;
    }
    Report(id, row, command, tried);
  }

  void Report(ListId id, int row, const std::string& command, const TriedAction& tried) {
    bool refused = false;
    for (const dbaccess::DataEffect& effect : tried.effects) {
      Add(id, row, command, LevelOf(effect.kind), EffectText(effect));
      refused |= !dbaccess::LosesData(effect.kind);
    }
    // A refusal for the rows says why already; any other the engine's text says.
    if (tried.error && !refused) {
      Add(id, row, command, FindingLevel::kRefused,
          std::string(texts::kFindingRefusedBy) + *tried.error);
    } else if (tried.effects.empty()) {
      Add(id, row, command, FindingLevel::kSafe, std::string(texts::kFindingNoRisk));
    }
  }

 private:
  void DropRelations(const std::string& table, const std::optional<std::string>& column) {
    for (std::string& name : database_.DropRelationsOf(table, column)) {
      gone_relations_.push_back(std::move(name));
    }
  }

  static bool Among(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return dbaccess::SameName(n, name); });
  }

  // Whether an index or relation row is about a table or relation an earlier row dropped:
  // a run compares those lists again after the table actions, and the row is gone.
  bool Moot(ListId id, const ActionList& list) const {
    if (id == ListId::qI) return Among(gone_tables_, list.Text("TABLE_NAME"));
    if (id != ListId::qFK) return false;
    return Among(gone_relations_, list.Text("FK_NAME")) ||
           Among(gone_tables_, list.Text("PK_TABLE_NAME")) ||
           Among(gone_tables_, list.Text("FK_TABLE_NAME"));
  }

  void Add(ListId id, int row, const std::string& command, FindingLevel level, std::string text) {
    check_.findings.push_back(DataFinding{id, row, command, level, std::move(text)});
  }

  DryRunDatabase& database_;
  DataCheck& check_;
  std::vector<std::string> gone_tables_;
  std::vector<std::string> gone_relations_;
};

// Walks the ticked rows of `list`, leaving its current row where it was.
template <typename Visit>
void ForTickedRows(ActionList& list, Visit visit) {
  const int current = list.CurrentRow();
  for (int row = 0; row < list.RowCount(); ++row) {
    list.GoTo(row);
    if (list.Boolean(kTickColumn)) visit(row);
  }
  if (current >= 0) list.GoTo(current);
}

}  // namespace

std::optional<DataLossRule> DataLossRuleFromWord(std::string_view word) {
  if (dbaccess::EqualsIgnoringAsciiCase(word, "run")) return DataLossRule::kRun;
  if (dbaccess::EqualsIgnoringAsciiCase(word, "skip")) return DataLossRule::kSkip;
  if (dbaccess::EqualsIgnoringAsciiCase(word, "stop")) return DataLossRule::kStop;
  return std::nullopt;
}

bool DataCheck::LosesData() const {
  return std::any_of(findings.begin(), findings.end(),
                     [](const DataFinding& f) { return f.level == FindingLevel::kLoss; });
}

bool DataCheck::HasRisk() const {
  return std::any_of(findings.begin(), findings.end(),
                     [](const DataFinding& f) { return f.level != FindingLevel::kSafe; });
}

std::vector<int> DataCheck::LossRows(ListId list) const {
  std::vector<int> rows;
  for (const DataFinding& f : findings) {
    if (f.list == list && f.level == FindingLevel::kLoss &&
        (rows.empty() || rows.back() != f.row)) {
      rows.push_back(f.row);
    }
  }
  return rows;
}

DataCheck CheckTickedActions(DryRunDatabase& database, ActionLists& lists) {
  DataCheck check;
  Checker checker(database, check);
  for (ListId id : {ListId::qT, ListId::qI, ListId::qFK}) {
    ActionList& list = lists[id];
    ForTickedRows(list, [&](int row) {
      // A row the builder marked as done by an earlier one runs nothing of its own.
      if (list.Text("SQL") == texts::kRepeatedMark) return;
      checker.TryRow(id, list, row);
    });
  }
  ActionList& queries = lists.qQ;
  ForTickedRows(queries, [&](int row) {
    check.findings.push_back(DataFinding{ListId::qQ, row, queries.Text("Act"), FindingLevel::kSafe,
                                         std::string(texts::kFindingNoRisk)});
  });
  return check;
}

std::string EffectText(const dbaccess::DataEffect& effect) {
  std::string out(HeadOf(effect.kind));
  if (effect.kind == Kind::kOrphans) {
    out += effect.primary_table + std::string(texts::kFindingOrphansTail) + Place(effect);
  } else {
    out += Place(effect);
  }
  out += ": " + std::to_string(effect.count);
  std::string details;
  AddReason(details, texts::kFindingTooLong, effect.too_long);
  AddReason(details, texts::kFindingOverflow, effect.overflow);
  AddReason(details, texts::kFindingMismatch, effect.mismatch);
  if (!effect.examples.empty()) {
    if (!details.empty()) details += "; ";
    details += texts::kFindingExamples;
    for (size_t i = 0; i < effect.examples.size(); ++i) {
      if (i > 0) details += "; ";
      details += effect.examples[i];
    }
  }
  if (!details.empty()) out += " (" + details + ")";
  if (!dbaccess::LosesData(effect.kind)) {
    out += std::string(texts::kFindingDash) + std::string(texts::kFindingRefused);
  }
  return out;
}

std::string FindingLine(const DataFinding& finding) {
  return std::string(LayoutOf(finding.list).page_caption) + ": " + finding.command +
         std::string(texts::kFindingDash) + finding.text;
}

}  // namespace actions
