#include "dbaccess/storage/mdb/bytes.h"

#include <string>

namespace dbaccess::mdb {

void ThrowOutside(size_t offset, size_t length, size_t size) {
  throw FormatError("read of " + std::to_string(length) + " bytes at " + std::to_string(offset) +
                    " outside " + std::to_string(size));
}

}  // namespace dbaccess::mdb
