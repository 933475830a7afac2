// Long values: the data of memo and OLE Object fields.
//
// In the row such a field is a 12-byte definition: a 4-byte word whose low 30 bits are the
// length and whose top bits say where the data is (0x80: right after the definition, in
// the row; 0x40: in one row of a long value page; 0x00: in a chain of rows, each starting
// with the 4-byte pointer to the next), then the row pointer of the data, then 4 unused
// bytes.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_H_

#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/bytes.h"
#include "dbaccess/storage/mdb/page_file.h"

namespace dbaccess::mdb {

class LongValueReader {
 public:
  // Reads at most `budget` bytes, following at most `hops` chain rows, over its life,
  // whatever the definitions claim: a file whose values point at the same data many times
  // cannot make us allocate or work without end.
  LongValueReader(const PageFile& file, uint64_t budget, uint64_t hops = UINT64_MAX)
      : file_(file), budget_(budget), hops_(hops) {}

  // The data of the field whose definition is `field`. Throws FormatError for a definition
  // that does not fit the file or a chain that breaks or loops. With `pages`, the pages of
  // the rows it read are appended there, in chain order.
  std::vector<uint8_t> Read(ByteView field, std::vector<uint32_t>* pages = nullptr);

 private:
  const PageFile& file_;
  uint64_t budget_;
  uint64_t hops_;
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_LONG_VALUE_H_
