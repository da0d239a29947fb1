#pragma once
// Owner names and record encryption. The owner name is never stored: the file
// keeps a random salt and a PBKDF2-HMAC-SHA256 verifier. For encrypting owner
// modes a random 256-bit data key encrypts each record with AES-256-GCM; the
// data key is stored wrapped (itself AES-256-GCM) under a key derived from the
// owner name, and, in mode 3 only, also under a key derived from the salt
// alone so that the file stays readable without the owner (mode 3 therefore
// hides the records from casual inspection but is not confidential).

#include <cstdint>
#include <string>
#include <string_view>

namespace qdx::engine {

constexpr size_t kOwnerMaxLength = 8;
constexpr size_t kSaltSize = 16;
constexpr size_t kDataKeySize = 32;

struct OwnerSecrets {
    std::string verifier;  // compared to the stored one
    std::string wrapKey;   // unwraps the data key
};

bool RandomBytes(size_t n, std::string& out);

// Derives the verifier and the wrapping key of an owner name.
bool DeriveOwner(std::string_view ownerName, const std::string& salt, OwnerSecrets& out);

// The wrapping key of mode 3, from the salt alone.
bool DeriveSaltKey(const std::string& salt, std::string& out);

// Constant-time comparison of two verifiers.
bool SameSecret(const std::string& a, const std::string& b);

// AES-256-GCM with a random 12-byte nonce: output nonce | ciphertext | tag.
bool Seal(const std::string& key, const uint8_t* plain, size_t n, std::string& out);
// Fails (false) on a wrong key or any damage.
bool Open(const std::string& key, const uint8_t* sealed, size_t n, std::string& out);

}  // namespace qdx::engine
