#include "dbaccess/storage/mdb/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dbaccess::mdb {
namespace {

// The published "Key"/"Plaintext" vector, undone by applying it again; a key longer than 256
// bytes (only its first 256 reach the key schedule); an empty key changes nothing.
TEST(Rc4Test, MatchesPublishedVectorAndUndoesItself) {
  const std::string key = "Key";
  const std::string text = "Plaintext";
  std::vector<uint8_t> data(text.begin(), text.end());
  Rc4Apply({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, data);
  EXPECT_EQ(data, (std::vector<uint8_t>{0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}));
  Rc4Apply({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, data);
  EXPECT_EQ(std::string(data.begin(), data.end()), text);

  std::vector<uint8_t> long_key(300);
  for (size_t i = 0; i < long_key.size(); ++i) long_key[i] = static_cast<uint8_t>(i * 7 + 3);
  std::vector<uint8_t> zeros(16, 0);
  Rc4Apply(long_key, zeros);
  EXPECT_EQ(zeros, (std::vector<uint8_t>{0x61, 0xF3, 0x88, 0xF9, 0xB9, 0xD4, 0xCE, 0x6A, 0x0C, 0x58,
                                         0xC9, 0x19, 0x7E, 0x72, 0x12, 0x47}));

  std::vector<uint8_t> untouched = {1, 2, 3};
  Rc4Apply({}, untouched);
  EXPECT_EQ(untouched, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace dbaccess::mdb
