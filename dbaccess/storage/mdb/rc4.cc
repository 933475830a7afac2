#include "dbaccess/storage/mdb/rc4.h"

#include <nettle/arcfour.h>

#include <algorithm>

namespace dbaccess::mdb {

void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data) {
  if (key.empty() || data.empty()) return;
  // The key schedule reads no key byte past the 256th, so a longer key is that prefix.
  arcfour_ctx context;
  arcfour_set_key(&context, std::min<size_t>(key.size(), ARCFOUR_MAX_KEY_SIZE), key.data());
  arcfour_crypt(&context, data.size(), data.data(), data.data());
}

}  // namespace dbaccess::mdb
