// Property blobs written: the mirror of DecodePropertyBlob for Jet 4 ("MR2").
//
// The blob holds one chunk listing the property names, then one chunk per map, in the order of
// PropertyMaps::maps: the object's own map (kind 0x00) and one per column (kind 0x01). Each value
// is stored as a column of its data type would store it: Boolean one byte, numbers little-endian at
// their size, Text and Memo as UCS-2, GUID as its 16 bytes, Binary as is.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_ENCODER_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_ENCODER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/property_blob.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {

// What a blob holds beyond its decoded maps: the name list as stored (Access lists names
// no map of the blob uses), and each value's flag byte and data as stored (Access sets
// other bits beside the DDL flag, and may store a number in more bytes than its type
// needs). A value that still reads the same is written again with its stored bytes.
struct PropertyBlobExtras {
  std::vector<std::string> names;
  struct StoredValue {
    Property decoded;
    uint8_t flags = 0;
    std::vector<uint8_t> data;
  };
  std::vector<std::vector<StoredValue>> values;  // by map, then by property, as stored
};

// Reads the extras of a blob. Throws FormatError.
PropertyBlobExtras DecodePropertyBlobExtras(ByteView blob, const TextDecoder& text);

// The blob of `maps`; no maps give an empty blob. The name list is extras.names followed by
// the names the maps use that it lacks, in the order they are first used. Throws
// FormatError for a value its data type cannot hold (a Cell of the wrong kind, a GUID text
// that does not parse), a name or value too long for its length field, or a map kind other
// than object or column.
std::vector<uint8_t> EncodePropertyBlob(const PropertyMaps& maps,
                                        const PropertyBlobExtras& extras = {});

// The stored bytes of one property value.
std::vector<uint8_t> EncodePropertyValue(const Property& property);

// Properties as Access's DDL sets them on a column.
Property DefaultValueProperty(const std::string& expression);  // Memo text
Property RequiredProperty(bool required);                      // Boolean

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_PROPERTY_BLOB_ENCODER_H_
