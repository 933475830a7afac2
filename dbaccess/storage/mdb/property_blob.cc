#include "dbaccess/storage/mdb/property_blob.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "dbaccess/catalog/jet_names.h"
#include "dbaccess/storage/mdb/format.h"
#include "dbaccess/storage/mdb/row_decoder.h"

namespace dbaccess::mdb {
namespace {

constexpr size_t kSignatureSize = 4;
constexpr size_t kChunkHeaderSize = 6;
constexpr size_t kValueHeaderSize = 8;
constexpr size_t kMapNameBlockMinimum = 6;
constexpr char kGuidPropertyName[] = "GUID";

std::string ReadPropertyName(ByteView block, size_t& pos, const TextDecoder& text) {
  const size_t length = block.U16(pos);
  pos += 2;
  std::string name = text.DecodeName(block.Sub(pos, length));
  pos += length;
  return name;
}

Cell DecodePropertyValue(uint8_t type, const std::string& name, ByteView data,
                         const TextDecoder& text) {
  switch (type) {
    case kTypeBoolean:
      return Cell{!data.empty() && data.U8(0) != 0};
    case kTypeByte:
      return Cell{int64_t{data.U8(0)}};
    case kTypeInt:
      return Cell{int64_t{data.I16(0)}};
    case kTypeLong:
      return Cell{int64_t{data.I32(0)}};
    case kTypeMoney:
      return Cell{data.I64(0)};
    case kTypeFloat:
      return Cell{static_cast<double>(data.F32(0))};
    case kTypeDouble:
    case kTypeDateTime:
      return Cell{data.F64(0)};
    case kTypeText:
    case kTypeMemo:
      return Cell{text.Decode(data)};
    case kTypeGuid:
      return Cell{DecodeGuid(data)};
    case kTypeNumeric:
      return Cell{DecodeDecimal(data, 0)};
    case kTypeBinary:
      if (data.size() == kGuidSize && SameName(name, kGuidPropertyName)) {
        return Cell{DecodeGuid(data)};
      }
      return Cell{Bytes{data.ToVector()}};
    default:
      return Cell{Bytes{data.ToVector()}};
  }
}

void ReadValues(ByteView block, const std::vector<std::string>& names, uint16_t kind,
                const TextDecoder& text, PropertyMaps& maps) {
  PropertyMap map;
  map.kind = kind;
  size_t pos = 0;
  if (!block.empty()) {
    const size_t name_block = block.U32(0);
    if (name_block < 4) throw FormatError("bad property map name block");
    block.Require(0, name_block);
    if (name_block > kMapNameBlockMinimum) {
      size_t at = 4;
      map.name = ReadPropertyName(block.Sub(0, name_block), at, text);
    }
    pos = name_block;
  }
  // The values are counted first, so that they are decoded into room made for all of them.
  size_t count = 0;
  for (size_t at = pos; at < block.size(); at += block.U16(at), ++count) {
    if (block.U16(at) < kValueHeaderSize) throw FormatError("bad property value length");
  }
  map.properties.reserve(count);
  while (pos < block.size()) {
    const size_t length = block.U16(pos);
    const ByteView value = block.Sub(pos, length);
    const size_t name_index = value.U16(4);
    const size_t data_size = value.U16(6);
    if (name_index >= names.size()) throw FormatError("property name index out of range");
    const uint8_t type = value.U8(3);
    const std::string& name = names[name_index];
    // Decoded first, so that a value that throws leaves no half-made property behind.
    Cell decoded = DecodePropertyValue(type, name, value.Sub(kValueHeaderSize, data_size), text);
    map.properties.emplace_back(name, type, value.U8(2) != 0, std::move(decoded));
    pos += length;
  }
  maps.maps.push_back(std::move(map));
}

std::string FormatDouble(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string FormatCurrency(int64_t ten_thousandths) {
  const bool negative = ten_thousandths < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(ten_thousandths)
                                      : static_cast<uint64_t>(ten_thousandths);
  std::string text = std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return negative ? "-" + text : text;
}

// An OLE Automation date (days since 1899-12-30, the fraction the time of day) as text.
std::string FormatDate(double days) {
  if (!std::isfinite(days) || std::fabs(days) > 3e6) return FormatDouble(days);
  const double whole = std::floor(days);
  // Negative dates count the time of day away from zero.
  double fraction = std::fabs(days - whole);
  if (days < 0 && days != whole) fraction = 1.0 - fraction;
  int64_t seconds = std::llround(fraction * 86400.0);
  int64_t day_number = static_cast<int64_t>(days < 0 ? std::ceil(days) : whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day_number += 1;
  }
  // Civil date from days since 1970-01-01 (1899-12-30 is day -25569).
  int64_t z = day_number - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t year = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  if (month <= 2) ++year;
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld",
                static_cast<long long>(year), static_cast<long long>(month),
                static_cast<long long>(day), static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  return buffer;
}

}  // namespace

const Property* PropertyMap::Find(std::string_view property) const {
  for (const Property& p : properties) {
    if (SameName(p.name, property)) return &p;
  }
  return nullptr;
}

const PropertyMap* PropertyMaps::Find(std::string_view map_name, uint16_t kind) const {
  for (const PropertyMap& map : maps) {
    if (map.kind == kind && SameName(map.name, map_name)) return &map;
  }
  return nullptr;
}

PropertyMaps DecodePropertyBlob(ByteView blob, const TextDecoder& text) {
  PropertyMaps maps;
  if (blob.empty()) return maps;
  blob.Require(0, kSignatureSize);
  if (std::memcmp(blob.data(), kPropertyBlobJet4, kSignatureSize) != 0 &&
      std::memcmp(blob.data(), kPropertyBlobJet3, kSignatureSize) != 0) {
    throw FormatError("unknown property blob");
  }
  std::vector<std::string> names;
  size_t pos = kSignatureSize;
  while (pos < blob.size()) {
    const size_t length = blob.U32(pos);
    if (length < kChunkHeaderSize) throw FormatError("bad property chunk length");
    const ByteView chunk = blob.Sub(pos, length);
    const uint16_t kind = chunk.U16(4);
    const ByteView body = chunk.From(kChunkHeaderSize);
    if (kind == kPropertyChunkNames) {
      names.clear();
      for (size_t at = 0; at < body.size();) names.push_back(ReadPropertyName(body, at, text));
    } else {
      ReadValues(body, names, kind, text, maps);
    }
    pos += length;
  }
  return maps;
}

std::string PropertyDisplayText(const Property& property) {
  const Cell& value = property.value;
  if (const bool* b = std::get_if<bool>(&value)) return *b ? "True" : "False";
  if (const int64_t* i = std::get_if<int64_t>(&value)) {
    return property.data_type == kTypeMoney ? FormatCurrency(*i) : std::to_string(*i);
  }
  if (const double* d = std::get_if<double>(&value)) {
    return property.data_type == kTypeDateTime ? FormatDate(*d) : FormatDouble(*d);
  }
  if (const std::string* s = std::get_if<std::string>(&value)) return *s;
  if (const Bytes* bytes = std::get_if<Bytes>(&value)) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes->data) {
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0xF]);
    }
    return out;
  }
  return "";
}

bool PropertyIsTrue(const Property& property) {
  if (const bool* b = std::get_if<bool>(&property.value)) return *b;
  if (const int64_t* i = std::get_if<int64_t>(&property.value)) return *i != 0;
  return false;
}

}  // namespace dbaccess::mdb
