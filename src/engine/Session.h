#pragma once
// The engine's process-wide state behind BTRCALL: the table of open handles
// (one per position block), the registry of open files (one EngineFile per
// file, shared by its handles) and the caller's transaction. Every call runs
// under one mutex, so callers may use the engine from several threads.
//
// Position block (kPositionBlockSize bytes, owned by the caller):
//   OFFSET  WIDTH  MEANING
//   0       8      magic "QdxPos1\0"
//   8       4      slot in the handle table
//   12      4      generation of that slot (a closed handle's block is stale)
//   16      112    zero
// A block whose magic, slot or generation does not match an open handle is
// not open: every operation on it answers 3.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/Cursor.h"
#include "engine/EngineFile.h"
#include "engine/Status.h"

namespace qdx::engine {

// One decoded call.
struct Call {
    int op = 0;
    bool keyOnly = false;
    uint8_t* position = nullptr;
    uint8_t* data = nullptr;
    uint32_t* dataLength = nullptr;
    uint32_t dataSize = 0;  // *dataLength on entry, 0 without a length
    uint8_t* key = nullptr;
    uint8_t keySize = 0;    // 0 without a key buffer
    int8_t keyNumber = 0;
};

class Session {
public:
    static Session& Instance();
    Status dispatch(Call& call);

private:
    struct Handle {
        std::shared_ptr<EngineFile> file;  // declared first: outlives the cursor
        Cursor cursor;
        bool readOnly = false;     // read-only mode, or owner missing in modes 1 and 3
        bool ownerAccess = false;  // opened with the owner (or the file has none)
        bool exclusive = false;
        std::string record, image, suffixes;
    };
    struct Slot {
        uint32_t generation = 1;
        std::unique_ptr<Handle> handle;
    };

    Handle* lookup(const uint8_t* position);

    Status open(Call& c);
    Status close(Call& c);
    Status create(Call& c);
    Status insert(Call& c, Handle& h);
    Status update(Call& c, Handle& h);
    Status erase(Call& c, Handle& h);
    Status get(Call& c, Handle& h);
    Status step(Call& c, Handle& h);
    Status getPosition(Call& c, Handle& h);
    Status getDirect(Call& c, Handle& h);
    Status stat(Call& c, Handle& h);
    Status setOwner(Call& c, Handle& h);
    Status clearOwner(Call& c, Handle& h);
    Status createIndex(Call& c, Handle& h);
    Status dropIndex(Call& c, Handle& h);
    Status findPercentage(Call& c, Handle& h);
    Status checkFile(Call& c, Handle& h);
    Status beginTransaction();
    Status endTransaction(bool commit);

    // Key of the given number, re-reading the file specification once when the
    // file does not have it (another process may have added it).
    const KeyDef* findKey(Handle& h, int keyNumber);
    // Checks a record's length for Insert and Update.
    Status checkRecordLength(const Call& c, const EngineFile& f) const;
    // Copies a found record and its key value to the caller.
    Status deliver(Call& c, Handle& h, const KeyDef* key, const uint8_t* data, size_t size);
    void returnKey(Call& c, const KeyDef& key, const uint8_t* record, size_t size, Handle& h);

    std::mutex mutex_;
    std::vector<Slot> slots_;
    std::map<FileIdentity, std::weak_ptr<EngineFile>> files_;
    bool transaction_ = false;
    std::vector<std::shared_ptr<EngineFile>> transactionFiles_;
};

}  // namespace qdx::engine
