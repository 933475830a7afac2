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

// A list file of many columns (a file made to be slow): one FIELD per column and one ROW
// naming each. Reading it must grow with its size, as pugixml's parse does.
std::string ManyFieldsFile(int columns) {
  std::string fields, row;
  for (int i = 0; i < columns; ++i) {
    const std::string name = "C" + std::to_string(i);
    fields += "<FIELD attrname=\"" + name + "\" fieldtype=\"string\" WIDTH=\"50\"/>";
    row += " " + name + "=\"" + std::to_string(i) + "\"";
  }
  return "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA>"
         "<FIELDS>" +
         fields + "</FIELDS><PARAMS/></METADATA><ROWDATA><ROW" + row + "/></ROWDATA></DATAPACKET>";
}

void BM_DecodeManyFields(benchmark::State& state) {
  const std::string bytes = ManyFieldsFile(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(actions::DecodeListFile(bytes));
  state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeManyFields)->Arg(25000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_BaselinePugixmlParseManyFields(benchmark::State& state) {
  const std::string text = ManyFieldsFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(
        document.load_buffer(text.data(), text.size(), pugi::parse_escapes, pugi::encoding_utf8));
  }
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_BaselinePugixmlParseManyFields)
    ->Arg(25000)
    ->Arg(100000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
