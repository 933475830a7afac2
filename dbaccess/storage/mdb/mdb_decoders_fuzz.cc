// libFuzzer target for the .mdb decoders one by one: the first byte picks the decoder, the
// rest is its input. Reaches paths that whole-file inputs rarely get to.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/index_check.h"
#include "dbaccess/storage/mdb/index_key.h"
#include "dbaccess/storage/mdb/index_page.h"
#include "dbaccess/storage/mdb/page_file.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/property_blob_encoder.h"
#include "dbaccess/storage/mdb/query_text.h"
#include "dbaccess/storage/mdb/row_decoder.h"
#include "dbaccess/storage/mdb/table_definition.h"
#include "dbaccess/storage/mdb/table_definition_encoder.h"
#include "dbaccess/storage/mdb/table_definition_pages.h"
#include "dbaccess/storage/mdb/text_codec.h"
#include "dbaccess/storage/mdb/usage_map.h"

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
  const uint8_t selector = data[0] % 8;
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
        if (EncodeIndexPage(decoded, kJet4Layout).size() != page.size()) __builtin_trap();
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
    }
  } catch (const FormatError&) {
    // The expected outcome for damaged input.
  }
  return 0;
}
