#include "dbaccess/base/crypto.h"

#include <nettle/memops.h>
#include <nettle/pbkdf2.h>
#include <nettle/sha2.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#else
#include <sys/random.h>
#endif

namespace dbaccess {

Sha256Digest Sha256(std::string_view content) {
  Sha256Hasher hasher;
  hasher.Update(content.data(), content.size());
  return hasher.Finish();
}

Sha256Hasher::Sha256Hasher() : context_(std::make_unique<sha256_ctx>()) {
  sha256_init(context_.get());
}

Sha256Hasher::~Sha256Hasher() = default;

void Sha256Hasher::Update(const void* data, size_t size) {
  sha256_update(context_.get(), size, static_cast<const uint8_t*>(data));
}

Sha256Digest Sha256Hasher::Finish() {
  Sha256Digest digest{};
  sha256_digest(context_.get(), digest.size(), digest.data());
  return digest;
}

std::vector<unsigned char> Pbkdf2Sha256(std::string_view password,
                                        const std::vector<unsigned char>& salt, unsigned iterations,
                                        size_t length) {
  if (iterations < 1) throw std::invalid_argument("PBKDF2 needs at least one iteration");
  std::vector<unsigned char> derived(length);
  pbkdf2_hmac_sha256(password.size(), reinterpret_cast<const uint8_t*>(password.data()), iterations,
                     salt.size(), salt.data(), derived.size(), derived.data());
  return derived;
}

void RandomBytes(void* out, size_t size) {
  auto* bytes = static_cast<unsigned char*>(out);
#ifdef _WIN32
  if (BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG) !=
      0) {
    throw std::runtime_error("the system gave no random bytes");
  }
#else
  while (size > 0) {
    const ssize_t got = getrandom(bytes, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(std::string("the system gave no random bytes: ") +
                               std::strerror(errno));
    }
    bytes += got;
    size -= static_cast<size_t>(got);
  }
#endif
}

bool EqualInConstantTime(const void* a, const void* b, size_t size) {
  return memeql_sec(a, b, size) != 0;
}

void SecureErase(void* data, size_t size) {
  if (size == 0) return;
#ifdef _WIN32
  SecureZeroMemory(data, size);
#else
  explicit_bzero(data, size);
#endif
}

}  // namespace dbaccess
