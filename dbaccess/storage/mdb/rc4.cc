#include "dbaccess/storage/mdb/rc4.h"

#include <array>
#include <utility>

namespace dbaccess::mdb {

void Rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data) {
  if (key.empty()) return;
  std::array<uint8_t, 256> state;
  for (int i = 0; i < 256; ++i) state[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + state[i] + key[i % key.size()]);
    std::swap(state[i], state[j]);
  }
  uint8_t x = 0;
  uint8_t y = 0;
  for (uint8_t& byte : data) {
    x = static_cast<uint8_t>(x + 1);
    y = static_cast<uint8_t>(y + state[x]);
    std::swap(state[x], state[y]);
    byte ^= state[static_cast<uint8_t>(state[x] + state[y])];
  }
}

}  // namespace dbaccess::mdb
