#pragma once
// The owner protection of one open file, as this process knows it: the mode,
// the salt and verifier stored in qdx_file, the wrapped data keys, and the
// data key itself once an owner name (or, in mode 3, the salt) unlocked it.
// Pure state and crypto: storing a new owner in the file is EngineFile's.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "engine/Status.h"

namespace qdx::engine {

constexpr int kOwnerNone = -1;

// What qdx_file stores of an owner (the blobs empty when not stored).
struct StoredOwner {
    int mode = kOwnerNone;
    std::string salt, verifier, keyByOwner, keyBySalt;
};

// A new owner made by OwnerKeys::Make: what to store, and the data key the
// records are to be sealed with (empty when the mode does not encrypt).
struct NewOwner {
    StoredOwner stored;
    std::string dataKey;
};

class OwnerKeys {
public:
    int mode() const { return stored_.mode; }
    bool encrypted() const { return stored_.mode == 2 || stored_.mode == 3; }
    // The key the records are sealed with; empty while locked (or in clear).
    const std::string& dataKey() const { return dataKey_; }

    // Takes the owner as read from the file. A data key belongs to its salt:
    // when an aborted Clear or Set Owner brings a salt back, the key this
    // process held for it is known again. Mode 3 unlocks by the salt alone.
    // kNotEngineFile when a mode 3 key cannot be unwrapped.
    Status load(StoredOwner stored);

    // An owner name given at open: *granted when it matches (or when the file
    // has no owner); 51 when it does not; an empty name grants nothing.
    Status check(const std::string& name, bool* granted);

    // The salt, verifier and wrapped keys of a new owner.
    static Status Make(const std::string& name, int mode, NewOwner& out);
    // The new owner's key, once it is stored in the file.
    void adopt(const std::string& dataKey) { dataKey_ = dataKey; }

    // Stored record bytes in clear: *out points at stored itself or at
    // scratch. 51 while locked, 2 when the bytes do not open.
    Status plain(const uint8_t* stored, size_t n, std::string& scratch, const uint8_t** out,
                 size_t* outSize) const;
    // A record as it is to be stored (sealed under the data key when encrypted).
    Status seal(const std::string& record, std::string& out) const;

private:
    StoredOwner stored_;
    std::string dataKey_;
    std::map<std::string, std::string> knownKeys_;  // data keys held earlier, by salt
};

}  // namespace qdx::engine
