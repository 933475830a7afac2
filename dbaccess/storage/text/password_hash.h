// Database passwords of the text storage, kept as salted hashes, never in clear.
//
// The record a file keeps is "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>":
// PBKDF2-HMAC-SHA256 over the password's UTF-8 bytes with a random 16-byte salt, giving 32
// bytes. Passwords compare exactly (case counts), as Jet compares them.
#ifndef SKARNVEL_DBACCESS_STORAGE_TEXT_PASSWORD_HASH_H_
#define SKARNVEL_DBACCESS_STORAGE_TEXT_PASSWORD_HASH_H_

#include <string>
#include <string_view>

namespace dbaccess {

constexpr int kPasswordIterations = 100000;

std::string HashPassword(std::string_view password, int iterations = kPasswordIterations);

// False for a wrong password and for a record that is not of the form above.
bool VerifyPassword(std::string_view password, std::string_view record);

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_TEXT_PASSWORD_HASH_H_
