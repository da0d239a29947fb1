#include "engine/OwnerCrypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace qdx::engine {

namespace {

constexpr int kIterations = 20000;
constexpr size_t kNonceSize = 12;
constexpr size_t kTagSize = 16;

struct CipherFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherPtr = std::unique_ptr<EVP_CIPHER_CTX, CipherFree>;

bool Pbkdf2(std::string_view secret, const std::string& salt, size_t n, std::string& out) {
    out.assign(n, '\0');
    return PKCS5_PBKDF2_HMAC(secret.data(), static_cast<int>(secret.size()),
                             reinterpret_cast<const unsigned char*>(salt.data()),
                             static_cast<int>(salt.size()), kIterations, EVP_sha256(),
                             static_cast<int>(n), reinterpret_cast<unsigned char*>(&out[0])) == 1;
}

}  // namespace

bool RandomBytes(size_t n, std::string& out) {
    out.assign(n, '\0');
    return RAND_bytes(reinterpret_cast<unsigned char*>(&out[0]), static_cast<int>(n)) == 1;
}

bool DeriveOwner(std::string_view ownerName, const std::string& salt, OwnerSecrets& out) {
    std::string both;
    if (!Pbkdf2(ownerName, salt, 64, both)) return false;
    out.verifier = both.substr(0, 32);
    out.wrapKey = both.substr(32);
    return true;
}

bool DeriveSaltKey(const std::string& salt, std::string& out) {
    return Pbkdf2("qdx-shared-read", salt, kDataKeySize, out);
}

bool SameSecret(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

bool Seal(const std::string& key, const uint8_t* plain, size_t n, std::string& out) {
    if (key.size() != kDataKeySize) return false;
    std::string nonce;
    if (!RandomBytes(kNonceSize, nonce)) return false;
    CipherPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return false;
    out.assign(kNonceSize + n + kTagSize, '\0');
    auto* o = reinterpret_cast<unsigned char*>(&out[0]);
    std::copy(nonce.begin(), nonce.end(), o);
    int len = 0;
    if (EVP_EncryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.data()), o) != 1)
        return false;
    if (n > 0 && EVP_EncryptUpdate(ctx.get(), o + kNonceSize, &len, plain, static_cast<int>(n)) != 1)
        return false;
    if (EVP_EncryptFinal_ex(ctx.get(), o + kNonceSize + len, &len) != 1) return false;
    return EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, o + kNonceSize + n) == 1;
}

bool Open(const std::string& key, const uint8_t* sealed, size_t n, std::string& out) {
    if (key.size() != kDataKeySize || !sealed || n < kNonceSize + kTagSize) return false;
    const size_t plainSize = n - kNonceSize - kTagSize;
    CipherPtr ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return false;
    out.assign(plainSize, '\0');
    auto* o = reinterpret_cast<unsigned char*>(&out[0]);
    int len = 0;
    if (EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr,
                           reinterpret_cast<const unsigned char*>(key.data()), sealed) != 1)
        return false;
    if (plainSize > 0 &&
        EVP_DecryptUpdate(ctx.get(), o, &len, sealed + kNonceSize, static_cast<int>(plainSize)) != 1)
        return false;
    std::string tag(reinterpret_cast<const char*>(sealed + n - kTagSize), kTagSize);
    if (EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, &tag[0]) != 1) return false;
    return EVP_DecryptFinal_ex(ctx.get(), o + len, &len) == 1;
}

}  // namespace qdx::engine
