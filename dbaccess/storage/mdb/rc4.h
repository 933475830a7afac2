// RC4, the stream cipher Jet uses to mask the header page and, in an encrypted database,
// every other page. Applying the same key twice gives back the input.
#ifndef SKARNVEL_DBACCESS_STORAGE_MDB_RC4_H_
#define SKARNVEL_DBACCESS_STORAGE_MDB_RC4_H_

#include <cstdint>
#include <span>

namespace dbaccess::mdb {

// XORs `data` in place with the RC4 key stream of `key` (an empty key leaves it as it is).
void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

}  // namespace dbaccess::mdb

#endif  // SKARNVEL_DBACCESS_STORAGE_MDB_RC4_H_
