// libFuzzer target for the .mdb decoders one by one, and the writer's: the first byte picks
// the decoder, the rest is its input. Reaches paths that whole-file inputs rarely get to.
// What the writer makes of what it read must read back as the same thing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "dbaccess/storage/mdb/data_page_builder.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/index_page.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/page_journal_format.h"
#include "dbaccess/storage/mdb/page_writer.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"
#include "dbaccess/storage/mdb/query_text.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/text_codec.h"
#include "dbaccess/storage/mdb/usage_map.h"
#include "dbaccess/storage/mdb/usage_map_editor.h"

namespace {

using namespace dbaccess::mdb;

// A Jet 4 header page with a clear header area, and after it the fuzzer's bytes as pages.
std::unique_ptr<PageFile> FileWith(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(kJet4Layout.page_size, 0);
  std::memcpy(bytes.data() + kHeaderEngineNameOffset, "Standard Jet DB", kHeaderEngineNameLength);
  bytes[kHeaderVersionOffset] = kHeaderVersionJet4;
  ApplyHeaderMask(bytes, JetVersion::kJet4);
  bytes.insert(bytes.end(), data, data + size);
  return std::make_unique<PageFile>(MemorySource(std::move(bytes)));
}

// As FileWith, with a global usage map (page 1: no page free) before the fuzzer's pages,
// which start at page 2.
std::unique_ptr<PageFile> FileWithGlobalMap(const uint8_t* data, size_t size) {
  DataPageContent map_page;
  map_page.rows.push_back({0, std::vector<uint8_t>(kUsageMapInlineBitmapOffset + 16, 0)});
  std::vector<uint8_t> pages = EncodeDataPage(map_page, kJet4Layout);
  pages.insert(pages.end(), data, data + size);
  return FileWith(pages.data(), pages.size());
}

bool SameIndexPage(const IndexPage& a, const IndexPage& b) {
  if (a.leaf != b.leaf || a.table_page != b.table_page || a.previous_page != b.previous_page ||
      a.next_page != b.next_page || a.tail_page != b.tail_page ||
      a.prefix_length != b.prefix_length || a.unknown_flag != b.unknown_flag ||
      a.entries.size() != b.entries.size()) {
    return false;
  }
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const IndexEntry& x = a.entries[i];
    const IndexEntry& y = b.entries[i];
    if (x.key != y.key || x.row.page != y.row.page || x.row.row != y.row.row ||
        x.child_page != y.child_page) {
      return false;
    }
  }
  return true;
}

// A table of every column type, the variable ones last.
TableDefinition AllTypes() {
  TableDefinition def;
  const uint8_t fixed[] = {kTypeBoolean, kTypeByte,   kTypeInt,      kTypeLong, kTypeMoney,
                           kTypeFloat,   kTypeDouble, kTypeDateTime, kTypeGuid, kTypeNumeric};
  uint16_t number = 0;
  uint16_t offset = 0;
  for (uint8_t type : fixed) {
    ColumnDefinition c;
    c.type = type;
    c.number = number++;
    c.flags = kColumnFlagFixed;
    c.fixed_offset = offset;
    c.scale = 4;
    offset = static_cast<uint16_t>(offset + FixedFieldSize(c));
    def.columns.push_back(c);
  }
  const uint8_t variable[] = {kTypeText, kTypeBinary, kTypeMemo, kTypeOle, kTypeText};
  uint16_t index = 0;
  for (uint8_t type : variable) {
    ColumnDefinition c;
    c.type = type;
    c.number = number++;
    c.variable_index = index++;
    def.columns.push_back(c);
  }
  return def;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t selector = data[0] % 10;
  const ByteView input(data + 1, size - 1);
  try {
    switch (selector) {
      case 0:
      case 1: {
        const Layout& layout = selector == 0 ? kJet4Layout : kJet3Layout;
        const TextDecoder text(layout.version, 1251);
        std::vector<uint8_t> bytes = input.ToVector();
        if (!bytes.empty()) bytes[0] = kPageTableDefinition;
        const TableDefinition def = DecodeTableDefinition(ByteView(bytes), layout, text);
        if (selector == 0) {
          // What the writer makes of a definition it read reads back as the same bytes.
          const TableDefinitionExtras extras = DecodeTableDefinitionExtras(ByteView(bytes), layout);
          const std::vector<uint8_t> once = EncodeTableDefinition(def, extras, layout);
          const ByteView view(once);
          const std::vector<uint8_t> twice =
              EncodeTableDefinition(DecodeTableDefinition(view, layout, text),
                                    DecodeTableDefinitionExtras(view, layout), layout);
          if (once != twice) __builtin_trap();
          std::vector<uint32_t> pages;
          for (size_t i = 0; i < TableDefinitionPageCount(once.size(), layout); ++i) {
            pages.push_back(static_cast<uint32_t>(i + 1));
          }
          LayOutTableDefinition(view, pages, layout);
        }
        break;
      }
      case 2:
      case 3: {
        const TextDecoder text(selector == 2 ? JetVersion::kJet4 : JetVersion::kJet3, 1252);
        const PropertyMaps maps = DecodePropertyBlob(input, text);
        for (const auto& map : maps.maps) {
          for (const auto& property : map.properties) PropertyDisplayText(property);
        }
        if (selector == 2) {
          // A blob written again from what was read reads back as the same bytes.
          const std::vector<uint8_t> once =
              EncodePropertyBlob(maps, DecodePropertyBlobExtras(input, text));
          const ByteView view(once);
          const std::vector<uint8_t> twice = EncodePropertyBlob(
              DecodePropertyBlob(view, text), DecodePropertyBlobExtras(view, text));
          if (once != twice) __builtin_trap();
        }
        break;
      }
      case 4: {
        // A row of every type; the bytes after the row (length in the first two bytes) are
        // the pages its long values point into.
        if (input.size() < 2) break;
        const size_t row_size = std::min<size_t>(input.U16(0), input.size() - 2);
        const ByteView row = input.Sub(2, row_size);
        auto file = FileWith(input.data() + 2 + row_size, input.size() - 2 - row_size);
        const TableDefinition def = AllTypes();
        const TextDecoder text(JetVersion::kJet4, 1252);
        LongValueReader long_values(*file, 1 << 20);
        const auto fields = CrackRow(row, def, kJet4Layout);
        for (size_t i = 0; i < fields.size(); ++i) {
          DecodeField(def.columns[i], fields[i], text, long_values);
        }
        break;
      }
      case 5: {
        DecodeJet4Text(input);
        TextDecoder(JetVersion::kJet3, 1251).Decode(input);
        TextDecoder(JetVersion::kJet3, 932).Decode(input);
        auto file = FileWith(input.data(), input.size());
        if (input.size() > 0) DecodeUsageMap(input, *file);
        break;
      }
      case 6: {
        // Query rows: attribute, flag, then up to three NUL-terminated texts.
        std::vector<QueryRow> rows;
        size_t pos = 0;
        while (pos + 2 <= input.size()) {
          QueryRow row;
          row.attribute = input.U8(pos);
          row.flag = static_cast<int8_t>(input.U8(pos + 1));
          pos += 2;
          std::optional<std::string>* texts[] = {&row.expression, &row.name1, &row.name2};
          for (auto* text : texts) {
            if (pos >= input.size() || input.U8(pos) == 0xFF) {
              ++pos;
              continue;
            }
            std::string value;
            while (pos < input.size() && input.U8(pos) != 0)
              value.push_back(static_cast<char>(input.U8(pos++)));
            ++pos;
            *text = value;
          }
          rows.push_back(std::move(row));
        }
        RebuildQuerySql(static_cast<uint32_t>(size), rows);
        break;
      }
      case 7: {
        // Index pages: the first page decoded and encoded again, then the whole input read
        // as an index tree rooted at its first page; the bytes also as text to key.
        std::vector<uint8_t> page = input.ToVector();
        page.resize(kJet4Layout.page_size, 0);
        if (!input.empty()) page[0] = (input.U8(0) & 1) ? kPageIndexLeaf : kPageIndexNode;
        const IndexPage decoded = DecodeIndexPage(ByteView(page), kJet4Layout);
        // Encoded again, the page decodes as the same page, and encodes as the same bytes.
        const std::vector<uint8_t> encoded = EncodeIndexPage(decoded, kJet4Layout);
        if (encoded.size() != page.size()) __builtin_trap();
        const IndexPage again = DecodeIndexPage(ByteView(encoded), kJet4Layout);
        if (!SameIndexPage(decoded, again)) __builtin_trap();
        if (EncodeIndexPage(again, kJet4Layout) != encoded) __builtin_trap();
        std::vector<uint8_t> pages = page;
        if (input.size() > page.size()) {
          pages.insert(pages.end(), input.data() + page.size(), input.data() + input.size());
        }
        auto file = FileWith(pages.data(), pages.size());
        std::vector<CheckFinding> findings;
        ReadIndexEntries(*file, 1, 2, "fuzz", findings);
        std::vector<uint8_t> key;
        AppendTextKey(DecodeJet4TextUnits(input), input.size() % 2 == 0, key);
        break;
      }
      case 8: {
        // A usage map read by the editor (row 0 of the first fuzzed page, the pages after it
        // its usage map pages), changed by the input's last bytes, written back and read
        // again: the same pages.
        if (input.size() < 8) break;
        const ByteView edits = input.From(input.size() - 8);
        auto file = FileWithGlobalMap(input.data(), input.size() - 8);
        PageWriter writer(*file, "never-written.mdb");
        UsageMapEditor editor(writer, RowPointer{2, 0});
        std::set<uint32_t> expected = editor.pages();
        for (size_t i = 0; i < edits.size(); i += 2) {
          const uint32_t page = edits.U16(i) & 0x7FFF;
          if (edits.U16(i) & 0x8000) {
            editor.Add(page);
            expected.insert(page);
          } else {
            editor.Remove(page);
            expected.erase(page);
          }
        }
        editor.Save();
        if (UsageMapEditor(writer, RowPointer{2, 0}).pages() != expected) __builtin_trap();
        break;
      }
      case 9: {
        // A rollback journal that decodes encodes as the same bytes; one made of the input's
        // pages decodes as made, and not at all when cut short.
        const std::string_view bytes(reinterpret_cast<const char*>(input.data()), input.size());
        if (const std::optional<Journal> journal = DecodeJournal(bytes)) {
          if (EncodeJournal(*journal) != bytes) __builtin_trap();
        }
        if (input.size() < 3) break;
        Journal made{size_t{1} + input.U8(0) % 64u, input.U16(1), {}};
        for (size_t at = 3; at + 1 + made.page_size <= input.size(); at += 1 + made.page_size) {
          made.records.push_back({input.U8(at), std::string(bytes.substr(at + 1, made.page_size))});
        }
        const std::string encoded = EncodeJournal(made);
        if (DecodeJournal(encoded) != made) __builtin_trap();
        if (DecodeJournal(std::string_view(encoded).substr(
                0, encoded.size() - 1 - input.U8(2) % encoded.size())))
          __builtin_trap();
        break;
      }
    }
  } catch (const FormatError&) {
    // The expected outcome for damaged input.
  }
  return 0;
}
