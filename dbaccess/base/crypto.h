// The few cryptographic pieces the engine needs: SHA-256, PBKDF2 over HMAC-SHA-256, random
// bytes from the operating system, a comparison whose time does not depend on where the
// bytes differ, and an erase the compiler may not drop. None of them sets anything up at
// start: a command that needs none of them pays nothing for them.
#ifndef SKARNVEL_DBACCESS_BASE_CRYPTO_H_
#define SKARNVEL_DBACCESS_BASE_CRYPTO_H_

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

struct sha256_ctx;

namespace dbaccess {

constexpr size_t kSha256Bytes = 32;
using Sha256Digest = std::array<unsigned char, kSha256Bytes>;

// The SHA-256 of `content`.
Sha256Digest Sha256(std::string_view content);

// SHA-256 over content given piece by piece.
class Sha256Hasher {
 public:
  Sha256Hasher();
  ~Sha256Hasher();
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;

  void Update(const void* data, size_t size);
  // The digest of everything given; the hasher starts afresh after it.
  Sha256Digest Finish();

 private:
  std::unique_ptr<sha256_ctx> context_;
};

// PBKDF2 (RFC 8018) with HMAC-SHA-256: `length` bytes derived from `password` and `salt`
// in `iterations` rounds (at least 1).
std::vector<unsigned char> Pbkdf2Sha256(std::string_view password,
                                        const std::vector<unsigned char>& salt, unsigned iterations,
                                        size_t length);

// Fills `out` with `size` bytes from the operating system's secure random source; throws
// std::runtime_error when it cannot.
void RandomBytes(void* out, size_t size);

// Whether the `size` bytes at `a` and `b` are equal, in a time that depends on `size` only.
bool EqualInConstantTime(const void* a, const void* b, size_t size);

// Overwrites `size` bytes at `data` with zeros, even where nothing reads them again.
void SecureErase(void* data, size_t size);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_CRYPTO_H_
