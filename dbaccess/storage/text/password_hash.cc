#include "dbaccess/storage/text/password_hash.h"

#include <vector>

#include "dbaccess/base/crypto.h"

namespace dbaccess {
namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
constexpr int kMaxIterations = 10'000'000;

std::string ToHex(const std::vector<unsigned char>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

bool FromHex(std::string_view hex, std::vector<unsigned char>& out) {
  if (hex.size() % 2 != 0) return false;
  const auto value = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = value(hex[i]), lo = value(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<unsigned char>(hi << 4 | lo));
  }
  return true;
}

std::vector<unsigned char> Derive(std::string_view password, const std::vector<unsigned char>& salt,
                                  int iterations) {
  return Pbkdf2Sha256(password, salt, static_cast<unsigned>(iterations), kHashBytes);
}

}  // namespace

std::string HashPassword(std::string_view password, int iterations) {
  std::vector<unsigned char> salt(kSaltBytes);
  RandomBytes(salt.data(), salt.size());
  return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + ToHex(salt) + "$" +
         ToHex(Derive(password, salt, iterations));
}

bool VerifyPassword(std::string_view password, std::string_view record) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= record.size(); ++i) {
    if (i == record.size() || record[i] == '$') {
      parts.push_back(record.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts.size() != 4 || parts[0] != kScheme || parts[1].empty() || parts[1].size() > 8) {
    return false;
  }
  int iterations = 0;
  for (char c : parts[1]) {
    if (c < '0' || c > '9') return false;
    iterations = iterations * 10 + (c - '0');
  }
  if (iterations < 1 || iterations > kMaxIterations) return false;
  std::vector<unsigned char> salt, expected;
  if (!FromHex(parts[2], salt) || !FromHex(parts[3], expected) || expected.size() != kHashBytes) {
    return false;
  }
  const std::vector<unsigned char> actual = Derive(password, salt, iterations);
  return EqualInConstantTime(actual.data(), expected.data(), kHashBytes);
}

}  // namespace dbaccess
