#pragma once
// The cursor layer: the position of one open position block in its file.
//
// State table (keyPath = key of the logical position, -1 none;
//              physical = a record position for Step operations):
//   state            current record  Get Next/Prev      Step Next/Prev
//   unpositioned     no              8                  8
//   on record (key)  yes             from entry         from rid
//   on record (step) yes             8 (no key path)    from rid
//   after Delete     no              from old entry     from old rid
// A failed positioning call leaves the state as it was.
//
// Speed: a Get Next/Previous or Step Next/Previous that continues in the
// direction of the previous call steps the SQLite statement left open by it
// instead of seeking again. The open statement is abandoned (and the next call
// seeks from the remembered entry) when anything was written through the
// connection, when another positioning call ran on the file, when any process
// committed to the file since the statement started (ChangeWatch.h), or after
// kContinueRows rows. Where the file cannot be watched so (rollback journal),
// no statement stays open between calls.

#include <cstdint>
#include <map>
#include <string>

#include "engine/EngineFile.h"
#include "engine/SqliteStatement.h"

namespace qdx::engine {

// One record found by a positioning call. data stays valid until the next
// call on the cursor or the file.
struct Fetched {
    uint32_t rid = 0;
    ChangeTag tag = 0;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

enum class Bound { kGreaterOrEqual, kGreater, kLessOrEqual, kLess };

class Cursor {
public:
    static constexpr int kContinueRows = 4096;

    // Get Equal / Greater / GE / Less / LE with a key image of key.length() bytes.
    Status seek(EngineFile& f, const KeyDef& key, int op, const uint8_t* image, Fetched& out);
    Status first(EngineFile& f, const KeyDef& key, bool last, Fetched& out);
    Status next(EngineFile& f, const KeyDef& key, bool forward, Fetched& out);

    Status stepFirst(EngineFile& f, bool last, Fetched& out);
    Status stepNext(EngineFile& f, bool forward, Fetched& out);

    // Get Direct: the record at rid, positioned on key (or physically only
    // when key is null or the record is not in it).
    Status direct(EngineFile& f, const KeyDef* key, uint32_t rid, std::string& record);

    // After Insert or Update: on the given key (null: physical only).
    // suffixes: the record's duplicates suffixes (KeyCodec.h); tag: its
    // change tag as written.
    void placeAt(const KeyDef* key, const std::string& record, uint32_t rid, ChangeTag tag,
                 const std::string& suffixes = std::string());
    // After Update with key number -1: the record as written is the one seen.
    void wrote(ChangeTag tag) { tag_ = tag; }
    // After Delete: no current record, but the surroundings remain.
    void markDeleted() { current_ = false; abandon(); }
    // After Update with key number -1: unchanged, but the scan must re-seek.
    void abandon() { pending_ = nullptr; }
    // Key numbers moved (drop with renumbering): forget the key path.
    void forgetKeyPath() { keyPath_ = -1; abandon(); }
    void reset() { *this = Cursor(); }

    bool current() const { return current_; }
    bool positioned() const { return physical_; }
    int keyPath() const { return keyPath_; }
    uint32_t rid() const { return rid_; }
    // The change tag of the current record when this cursor last read it.
    ChangeTag tag() const { return tag_; }

    Cursor() = default;
    Cursor(Cursor&&) = default;
    Cursor& operator=(Cursor&&) = default;

private:
    struct Scans {
        Statement ge, gt, le, lt;
    };
    Scans* scansFor(EngineFile& f, const KeyDef* key);
    Status fetch(EngineFile& f, Statement& s, const KeyDef* key, bool forward, Fetched& out);
    Status take(EngineFile& f, Statement& s, const KeyDef* key, bool forward, Fetched& out);
    bool canContinue(const EngineFile& f, const KeyDef* key, bool forward) const;
    // Before a statement's first step: the file's change mark its snapshot
    // is at least as new as.
    void markStart(const EngineFile& f) { startMark_ = f.holdsReads() ? f.changeMark() : 0; }

    int keyPath_ = -1;
    int64_t keyTable_ = 0;   // index table of keyPath_ when the path was set
    std::string entry_;      // index entry of the position on keyPath_
    uint32_t rid_ = 0;
    ChangeTag tag_ = 0;
    bool physical_ = false;  // rid_ is meaningful
    bool current_ = false;   // a current record exists (not deleted)

    Statement* pending_ = nullptr;
    int64_t pendingTable_ = -1;  // 0 = physical
    bool pendingForward_ = true;
    uint64_t pendingSeq_ = 0;
    int pendingRows_ = 0;
    uint64_t pendingMark_ = 0, startMark_ = 0;

    std::map<int64_t, Scans> scans_;  // by index table id; 0 = physical order
    int scansFormat_ = 0;             // the file format the scans were prepared for
    std::string bound_, image_, suffixes_, held_;
};

}  // namespace qdx::engine
