#include "dbaccess/storage/mdb/property_blob_encoder.h"

#include <cstring>
#include <limits>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/row_encoder.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kSignatureSize = 4;
constexpr size_t kChunkHeaderSize = 6;
constexpr size_t kValueHeaderSize = 8;
constexpr size_t kValueFlagsOffset = 2;
constexpr size_t kValueSizeOffset = 6;
constexpr size_t kMax16 = std::numeric_limits<uint16_t>::max();
constexpr char kGuidPropertyName[] = "GUID";

void PutLE(std::vector<uint8_t>& out, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> Ucs2(std::string_view utf8) {
  std::vector<uint8_t> out;
  for (char16_t c : Utf8ToUtf16(utf8)) PutLE(out, c, 2);
  return out;
}

// A 2-byte length, then the name in UCS-2.
void AppendName(std::vector<uint8_t>& out, const std::string& name) {
  const std::vector<uint8_t> text = Ucs2(name);
  if (text.size() > kMax16) throw FormatError("property name too long");
  PutLE(out, text.size(), 2);
  out.insert(out.end(), text.begin(), text.end());
}

template <typename T>
const T& Expect(const Property& property, const char* what) {
  const T* held = std::get_if<T>(&property.value);
  if (held == nullptr) {
    throw FormatError("property \"" + property.name + "\" is not " + what);
  }
  return *held;
}

std::vector<uint8_t> Integer(const Property& property, size_t size) {
  std::vector<uint8_t> out;
  PutLE(out, static_cast<uint64_t>(Expect<int64_t>(property, "a number")), size);
  return out;
}

template <typename Float, typename Bits>
std::vector<uint8_t> Real(const Property& property) {
  const Float value = static_cast<Float>(Expect<double>(property, "a number"));
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::vector<uint8_t> out;
  PutLE(out, bits, sizeof bits);
  return out;
}

size_t MapIndex(const std::vector<std::string>& names, const std::string& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return i;
  }
  return names.size();
}

const PropertyBlobExtras::StoredValue* StoredAt(const PropertyBlobExtras& extras, size_t map,
                                                size_t property) {
  if (map >= extras.values.size() || property >= extras.values[map].size()) return nullptr;
  return &extras.values[map][property];
}

}  // namespace

std::vector<uint8_t> EncodePropertyValue(const Property& property) {
  switch (property.data_type) {
    case kTypeBoolean:
      return {static_cast<uint8_t>(Expect<bool>(property, "a boolean") ? 1 : 0)};
    case kTypeByte:
      return Integer(property, 1);
    case kTypeInt:
      return Integer(property, 2);
    case kTypeLong:
      return Integer(property, 4);
    case kTypeMoney:
      return Integer(property, 8);
    case kTypeFloat:
      return Real<float, uint32_t>(property);
    case kTypeDouble:
    case kTypeDateTime:
      return Real<double, uint64_t>(property);
    case kTypeText:
    case kTypeMemo:
      return Ucs2(Expect<std::string>(property, "a text"));
    case kTypeGuid:
      return EncodeGuid(Expect<std::string>(property, "a GUID"));
    case kTypeNumeric:
      return EncodeDecimal(Expect<std::string>(property, "a decimal"), 0);
    default:
      // Binary: a GUID property reads as its text, anything else as bytes.
      if (const std::string* text = std::get_if<std::string>(&property.value);
          text != nullptr && SameName(property.name, kGuidPropertyName)) {
        return EncodeGuid(*text);
      }
      return Expect<Bytes>(property, "binary data").data;
  }
}

PropertyBlobExtras DecodePropertyBlobExtras(ByteView blob, const TextDecoder& text) {
  // The decoder checks the blob's structure and gives the values in the order walked here.
  const PropertyMaps maps = DecodePropertyBlob(blob, text);
  PropertyBlobExtras extras;
  size_t map = 0;
  for (size_t pos = blob.empty() ? 0 : kSignatureSize; pos < blob.size();) {
    const ByteView chunk = blob.Sub(pos, blob.U32(pos));
    const ByteView body = chunk.From(kChunkHeaderSize);
    pos += chunk.size();
    if (chunk.U16(4) == kPropertyChunkNames) {
      extras.names.clear();
      for (size_t at = 0; at < body.size();) {
        const size_t length = body.U16(at);
        extras.names.push_back(text.DecodeName(body.Sub(at + 2, length)));
        at += 2 + length;
      }
      continue;
    }
    std::vector<PropertyBlobExtras::StoredValue> values;
    size_t at = body.empty() ? 0 : body.U32(0);
    for (size_t i = 0; at < body.size(); ++i) {
      const ByteView value = body.Sub(at, body.U16(at));
      values.push_back({maps.maps.at(map).properties.at(i), value.U8(kValueFlagsOffset),
                        value.Sub(kValueHeaderSize, value.U16(kValueSizeOffset)).ToVector()});
      at += value.size();
    }
    extras.values.push_back(std::move(values));
    ++map;
  }
  return extras;
}

std::vector<uint8_t> EncodePropertyBlob(const PropertyMaps& maps,
                                        const PropertyBlobExtras& extras) {
  if (maps.maps.empty()) return {};
  std::vector<std::string> names = extras.names;
  for (const PropertyMap& map : maps.maps) {
    if (map.kind != kPropertyChunkObject && map.kind != kPropertyChunkColumn) {
      throw FormatError("unknown property map kind " + std::to_string(map.kind));
    }
    for (const Property& property : map.properties) {
      if (MapIndex(names, property.name) == names.size()) names.push_back(property.name);
    }
  }
  if (names.size() > kMax16) throw FormatError("too many property names");

  std::vector<uint8_t> out(kPropertyBlobJet4, kPropertyBlobJet4 + sizeof kPropertyBlobJet4);
  auto chunk = [&out](uint16_t kind, const std::vector<uint8_t>& body) {
    const size_t size = kChunkHeaderSize + body.size();
    if (size > std::numeric_limits<uint32_t>::max()) throw FormatError("property map too large");
    PutLE(out, size, 4);
    PutLE(out, kind, 2);
    out.insert(out.end(), body.begin(), body.end());
  };

  std::vector<uint8_t> body;
  for (const std::string& name : names) AppendName(body, name);
  chunk(kPropertyChunkNames, body);

  for (size_t m = 0; m < maps.maps.size(); ++m) {
    const PropertyMap& map = maps.maps[m];
    body.clear();
    PutLE(body, 0, 4);  // the name block's length, patched below
    AppendName(body, map.name);
    Patch32(body, 0, static_cast<uint32_t>(body.size()));
    for (size_t p = 0; p < map.properties.size(); ++p) {
      const Property& property = map.properties[p];
      const PropertyBlobExtras::StoredValue* stored = StoredAt(extras, m, p);
      const bool unchanged = stored != nullptr && stored->decoded.name == property.name &&
                             stored->decoded.data_type == property.data_type &&
                             stored->decoded.value == property.value;
      const std::vector<uint8_t> data = unchanged ? stored->data : EncodePropertyValue(property);
      if (kValueHeaderSize + data.size() > kMax16) {
        throw FormatError("property \"" + property.name + "\" too long");
      }
      PutLE(body, kValueHeaderSize + data.size(), 2);
      const bool same_flag = stored != nullptr && stored->decoded.name == property.name &&
                             (stored->flags != 0) == property.ddl;
      PutLE(body, same_flag ? stored->flags : property.ddl ? 1 : 0, 1);
      PutLE(body, property.data_type, 1);
      PutLE(body, MapIndex(names, property.name), 2);
      PutLE(body, data.size(), 2);
      body.insert(body.end(), data.begin(), data.end());
    }
    chunk(map.kind, body);
  }
  return out;
}

Property DefaultValueProperty(const std::string& expression) {
  return Property{kDefaultValuePropertyName, kTypeMemo, true, Cell{expression}};
}

Property RequiredProperty(bool required) {
  return Property{kRequiredPropertyName, kTypeBoolean, true, Cell{required}};
}

}  // namespace dbaccess::mdb
