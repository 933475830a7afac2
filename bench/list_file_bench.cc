// Writing and reading a large table list, against pugixml's own parse and serialisation of
// the same document as the baseline (compare the times within one run).
#include <benchmark/benchmark.h>

#include <pugixml.hpp>
#include <sstream>
#include <string>

#include "actions/column_sets.h"
#include "actions/cp1251.h"
#include "actions/list_file.h"

namespace {

using actions::ActionList;
using actions::ListId;
using dbaccess::Variant;

constexpr int kRows = 10000;

void Fill(ActionList& list) {
  for (int i = 0; i < kRows; ++i) {
    const std::string n = std::to_string(i);
    list.AppendRow({{"V", Variant::Boolean(i % 3 != 0)},
                    {"TableName", Variant::Text("Таблица_" + n)},
                    {"FieldName", Variant::Text("Поле \"" + n + "\"")},
                    {"PropName", Variant::Text("TYPE")},
                    {"OldPropValue", Variant::Text("Long")},
                    {"NewPropValue", Variant::Text("Currency")},
                    {"Result", Variant::Text("Разные свойства")},
                    {"SQL", Variant::Text("ALTER TABLE [Таблица_" + n + "] ALTER COLUMN [Поле " +
                                          n + "] CURRENCY;\r\n-- Ω " + n)}});
  }
}

const std::string& FileBytes() {
  static const std::string bytes = [] {
    ActionList list(actions::ColumnsOf(ListId::qT));
    Fill(list);
    return actions::EncodeListFile(list);
  }();
  return bytes;
}

void BM_EncodeListFile(benchmark::State& state) {
  ActionList list(actions::ColumnsOf(ListId::qT));
  Fill(list);
  for (auto _ : state) benchmark::DoNotOptimize(actions::EncodeListFile(list));
  state.SetBytesProcessed(state.iterations() * FileBytes().size());
}
BENCHMARK(BM_EncodeListFile);

void BM_BaselinePugixmlSave(benchmark::State& state) {
  std::string text = actions::cp1251::Decode(FileBytes());
  pugi::xml_document document;
  document.load_buffer(text.data(), text.size(), pugi::parse_escapes, pugi::encoding_utf8);
  for (auto _ : state) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    benchmark::DoNotOptimize(out.str());
  }
  state.SetBytesProcessed(state.iterations() * FileBytes().size());
}
BENCHMARK(BM_BaselinePugixmlSave);

void BM_DecodeListFile(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(actions::DecodeListFile(FileBytes()));
  state.SetBytesProcessed(state.iterations() * FileBytes().size());
}
BENCHMARK(BM_DecodeListFile);

void BM_BaselinePugixmlParse(benchmark::State& state) {
  const std::string text = actions::cp1251::Decode(FileBytes());
  for (auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(
        document.load_buffer(text.data(), text.size(), pugi::parse_escapes, pugi::encoding_utf8));
  }
  state.SetBytesProcessed(state.iterations() * FileBytes().size());
}
BENCHMARK(BM_BaselinePugixmlParse);

}  // namespace

BENCHMARK_MAIN();
