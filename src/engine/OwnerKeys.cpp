#include "engine/OwnerKeys.h"

#include "engine/OwnerCrypto.h"

namespace qdx::engine {

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

}  // namespace

Status OwnerKeys::load(StoredOwner stored) {
    if (stored.mode != stored_.mode || stored.salt != stored_.salt) {
        if (!dataKey_.empty()) knownKeys_[stored_.salt] = dataKey_;
        dataKey_.clear();
        auto known = knownKeys_.find(stored.salt);
        if (stored.mode >= 0 && known != knownKeys_.end()) dataKey_ = known->second;
    }
    stored_ = std::move(stored);
    if (stored_.mode == 3 && dataKey_.empty()) {
        std::string wrap;
        if (!DeriveSaltKey(stored_.salt, wrap) ||
            !Open(wrap, Bytes(stored_.keyBySalt), stored_.keyBySalt.size(), dataKey_))
            return kNotEngineFile;
    }
    return kOk;
}

Status OwnerKeys::check(const std::string& name, bool* granted) {
    *granted = stored_.mode == kOwnerNone;
    if (*granted || name.empty()) return kOk;
    OwnerSecrets secrets;
    if (!DeriveOwner(name, stored_.salt, secrets)) return kIoError;
    if (!SameSecret(secrets.verifier, stored_.verifier)) return kInvalidOwner;
    if (encrypted() && dataKey_.empty() &&
        !Open(secrets.wrapKey, Bytes(stored_.keyByOwner), stored_.keyByOwner.size(), dataKey_))
        return kInvalidOwner;
    *granted = true;
    return kOk;
}

Status OwnerKeys::Make(const std::string& name, int mode, NewOwner& out) {
    out = NewOwner();
    out.stored.mode = mode;
    OwnerSecrets secrets;
    if (!RandomBytes(kSaltSize, out.stored.salt) || !DeriveOwner(name, out.stored.salt, secrets))
        return kIoError;
    out.stored.verifier = secrets.verifier;
    if (mode != 2 && mode != 3) return kOk;
    if (!RandomBytes(kDataKeySize, out.dataKey) ||
        !Seal(secrets.wrapKey, Bytes(out.dataKey), out.dataKey.size(), out.stored.keyByOwner))
        return kIoError;
    std::string saltKey;
    if (mode == 3 && (!DeriveSaltKey(out.stored.salt, saltKey) ||
                      !Seal(saltKey, Bytes(out.dataKey), out.dataKey.size(), out.stored.keyBySalt)))
        return kIoError;
    return kOk;
}

Status OwnerKeys::plain(const uint8_t* stored, size_t n, std::string& scratch, const uint8_t** out,
                        size_t* outSize) const {
    if (!encrypted()) {
        *out = stored ? stored : reinterpret_cast<const uint8_t*>("");
        *outSize = n;
        return kOk;
    }
    if (dataKey_.empty()) return kInvalidOwner;
    if (!Open(dataKey_, stored, n, scratch)) return kIoError;
    *out = Bytes(scratch);
    *outSize = scratch.size();
    return kOk;
}

Status OwnerKeys::seal(const std::string& record, std::string& out) const {
    if (!encrypted()) {
        out = record;
        return kOk;
    }
    if (dataKey_.empty()) return kAccessDenied;
    return Seal(dataKey_, Bytes(record), record.size(), out) ? kOk : kIoError;
}

}  // namespace qdx::engine
