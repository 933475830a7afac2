// The one error of the .mdb decoding code: the bytes do not form a database we can read.
//
// The decoders throw it with a short note of what was wrong (for tests and debugging); the
// storage turns it into Jet's "Unrecognized database format '<path>'." for the user.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_ERROR_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_ERROR_H_

#include <stdexcept>
#include <string>

namespace dbaccess::mdb {

class FormatError : public std::runtime_error {
 public:
  explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_FORMAT_ERROR_H_
