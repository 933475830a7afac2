// Property blobs (MSysObjects.LvProp): the properties Access keeps for an object and, for
// a table, for each of its columns (DefaultValue, Required, Description, Format, ...).
//
// A blob starts with "MR2\0" (Jet 4) or "KKD\0" (Jet 3) and holds chunks: a 4-byte length
// (including itself), a 2-byte kind, then the data. Kind 0x80 lists the property names
// (2-byte length, name); kinds 0x00 (the object itself) and 0x01 (a column) hold a map: a
// block with the map's name (4-byte block length, then 2-byte length and name when the
// block is longer than 6), then values: 2-byte length (including itself), DDL flag, data
// type, 2-byte index into the name list, 2-byte data size, data.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbaccess/catalog/cell.h"
#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {

constexpr uint16_t kPropertyChunkNames = 0x80;
constexpr uint16_t kPropertyChunkObject = 0x00;
constexpr uint16_t kPropertyChunkColumn = 0x01;

// The properties the engine's DDL sets on a column.
constexpr char kRequiredPropertyName[] = "Required";
constexpr char kDefaultValuePropertyName[] = "DefaultValue";

struct Property {
  std::string name;
  uint8_t data_type = 0;  // ColumnType of the value
  bool ddl = false;       // set by the engine's DDL (Required, DefaultValue ...)
  Cell value;             // decoded as a column of that type would be
};

struct PropertyMap {
  std::string name;  // "" for the object itself, else the column's name
  uint16_t kind = kPropertyChunkObject;
  std::vector<Property> properties;

  const Property* Find(std::string_view property) const;  // Jet's name rule
};

struct PropertyMaps {
  std::vector<PropertyMap> maps;
  // The map of that name (Jet's name rule) and kind: a table's own map may bear the name
  // of one of its columns.
  const PropertyMap* Find(std::string_view map_name, uint16_t kind) const;
};

// Decodes a blob; an empty blob has no maps. Throws FormatError.
PropertyMaps DecodePropertyBlob(ByteView blob, const TextDecoder& text);

// The value as the property sheet shows it: "True"/"False", digits, the text itself, a
// GUID in braces, binary data in hexadecimal.
std::string PropertyDisplayText(const Property& property);

// Whether a Yes/No property (Required ...) is set: a true Boolean or a non-zero number.
bool PropertyIsTrue(const Property& property);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_H_
