#include "actions/key_builders.h"

#include <string>

#include "actions/column_sets.h"
#include "actions/workbench_texts.h"

namespace actions {
namespace {

using dbaccess::Variant;

const std::string kRepeated(texts::kRepeatedMark);

// Row i takes row p's column into its column list; p's command becomes "^".
void Absorb(uAlg::TIResult& first, uAlg::TIResult& later) {
  const size_t end = first.SQL.find(texts::kKeyColumnsEnd);
  if (end != std::string::npos) {
    first.SQL.replace(end, texts::kKeyColumnsEnd.size(),
                      std::string(texts::kKeyColumnOpen) + later.COLUMN_NAME +
                          std::string(texts::kKeyColumnClose));
  }
  later.SQL = kRepeated;
}

}  // namespace

void JoinPrimaryKeys(uAlg::TIResults& results) {
  for (size_t i = 0; i + 1 < results.size(); ++i) {
    for (size_t p = i + 1; p < results.size(); ++p) {
      // A DROP row never takes an ADD row: a key that changed is dropped, then added whole.
      if (results[i].SQL == kRepeated || results[i].TABLE_NAME != results[p].TABLE_NAME ||
          results[i].Result != results[p].Result) {
        continue;
      }
      Absorb(results[i], results[p]);
    }
  }
}

void JoinUniqueIndexes(uAlg::TIResults& results, size_t first) {
  for (size_t i = first; i + 1 < results.size(); ++i) {
    for (size_t p = i + 1; p < results.size(); ++p) {
      const uAlg::TIResult& a = results[i];
      const uAlg::TIResult& b = results[p];
      if (a.SQL == kRepeated || a.TABLE_NAME != b.TABLE_NAME || a.INDEX_NAME != b.INDEX_NAME ||
          a.Result != b.Result) {
        continue;
      }
      Absorb(results[i], results[p]);
    }
  }
}

void FillIndexList(ActionList& qI, const uAlg::TIResults& results) {
  ScopedSuspend suspend(qI);
  qI.Empty();
  for (const uAlg::TIResult& r : results) {
    qI.AppendRow({{"TABLE_NAME", Variant::Text(r.TABLE_NAME)},
                  {"COLUMN_NAME", Variant::Text(r.COLUMN_NAME)},
                  {"INDEX_NAME", Variant::Text(r.INDEX_NAME)},
                  {kResultColumn, Variant::Text(r.Result)},
                  {"SQL", Variant::Text(r.SQL)},
                  {kTickColumn, Variant::Boolean(r.SQL != kRepeated)}});
  }
}

void FillRelationList(ActionList& qFK, const uAlg::TfkResults& results) {
  ScopedSuspend suspend(qFK);
  qFK.Empty();
  for (const uAlg::TfkResult& r : results) {
    qFK.AppendRow({{"PK_TABLE_NAME", Variant::Text(r.PK_TABLE_NAME)},
                   {"PK_COLUMN_NAME", Variant::Text(r.PK_COLUMN_NAME)},
                   {"FK_TABLE_NAME", Variant::Text(r.FK_TABLE_NAME)},
                   {"FK_COLUMN_NAME", Variant::Text(r.FK_COLUMN_NAME)},
                   {"FK_NAME", Variant::Text(r.FK_NAME)},
                   {"OldUpdate_Rule", Variant::Text(r.OldUpdate_Rule)},
                   {"NewUpdate_Rule", Variant::Text(r.NewUpdate_Rule)},
                   {"OldDelete_Rule", Variant::Text(r.OldDelete_Rule)},
                   {"NewDelete_Rule", Variant::Text(r.NewDelete_Rule)},
                   {kResultColumn, Variant::Text(r.Result)},
                   {"SQL", Variant::Text(r.SQL)},
                   {kTickColumn, Variant::Boolean(true)}});
  }
}

}  // namespace actions
