#include "engine/Cursor.h"

#include <cstring>
#include <limits>

#include "engine/KeyCodec.h"

namespace qdx::engine {

namespace {

constexpr int64_t kPhysical = 0;

// Sorts after every index entry: entries are at most ~520 bytes.
const std::string& HighestEntry() {
    static const std::string kHigh(1024, '\xFF');
    return kHigh;
}

}  // namespace

Cursor::Scans* Cursor::scansFor(EngineFile& f, const KeyDef* key) {
    const int64_t id = key ? key->tableId : kPhysical;
    if (scansFormat_ != f.format()) {
        // An upgrade added columns the scans select.
        pending_ = nullptr;
        scans_.clear();
        scansFormat_ = f.format();
    }
    auto it = scans_.find(id);
    if (it != scans_.end()) return &it->second;
    Scans sc;
    std::string head, col, tail;
    const char* tag = f.format() >= kFormatChangeTags ? "tag" : "NULL";
    if (key) {
        head = std::string("SELECT i.k, i.rid, r.data, ") + (f.format() >= kFormatChangeTags ? "r.tag" : "NULL") +
               " FROM " + EngineFile::IndexTable(*key) +
               " AS i CROSS JOIN qdx_record AS r ON r.rid = i.rid WHERE i.k ";
        col = "i.k";
    } else {
        head = std::string("SELECT rid, rid, data, ") + tag + " FROM qdx_record WHERE rid ";
        col = "rid";
    }
    if (sc.ge.prepare(f.db(), head + ">= ?1 ORDER BY " + col) != SQLITE_OK ||
        sc.gt.prepare(f.db(), head + "> ?1 ORDER BY " + col) != SQLITE_OK ||
        sc.le.prepare(f.db(), head + "<= ?1 ORDER BY " + col + " DESC") != SQLITE_OK ||
        sc.lt.prepare(f.db(), head + "< ?1 ORDER BY " + col + " DESC") != SQLITE_OK)
        return nullptr;
    return &scans_.emplace(id, std::move(sc)).first->second;
}

bool Cursor::canContinue(const EngineFile& f, const KeyDef* key, bool forward) const {
    if (!pending_ || !pending_->busy()) return false;
    if (pendingTable_ != (key ? key->tableId : kPhysical) || pendingForward_ != forward) return false;
    if (pendingSeq_ != f.writeSequence() || pendingRows_ >= kContinueRows) return false;
    // The statement reads the snapshot taken when it started: anything
    // committed since (by any process) means seeking again.
    return f.changeMark() == pendingMark_;
}

// Steps s; on a row moves the position there and leaves s open for the next
// call in the same direction.
Status Cursor::fetch(EngineFile& f, Statement& s, const KeyDef* key, bool forward, Fetched& out) {
    if (pending_ != &s) markStart(f);
    const int rc = s.step();
    if (rc != SQLITE_ROW) {
        s.reset();
        pending_ = nullptr;
        return rc == SQLITE_DONE ? kEndOfFile : f.fromSqlite(rc);
    }
    return take(f, s, key, forward, out);
}

// s stands on a row: the position moves there.
Status Cursor::take(EngineFile& f, Statement& s, const KeyDef* key, bool forward, Fetched& out) {
    if (Status st = f.plainRecord(s.columnBlob(2), s.columnBytes(2), &out.data, &out.size)) {
        s.reset();
        pending_ = nullptr;
        return st;
    }
    out.rid = static_cast<uint32_t>(s.columnInt(1));
    out.tag = s.columnInt(3);
    rid_ = out.rid;
    tag_ = out.tag;
    physical_ = true;
    current_ = true;
    if (key) {
        keyPath_ = key->keyNumber;
        keyTable_ = key->tableId;
        entry_.assign(reinterpret_cast<const char*>(s.columnBlob(0)), s.columnBytes(0));
    } else {
        keyPath_ = -1;
    }
    if (!f.holdsReads()) {
        // No statement stays open between calls (it would hold a lock the
        // other processes' writers wait for, or miss their commits).
        held_.assign(reinterpret_cast<const char*>(out.data), out.size);
        out.data = reinterpret_cast<const uint8_t*>(held_.data());
        s.reset();
        pending_ = nullptr;
        return kOk;
    }
    if (pending_ != &s) {
        pending_ = &s;
        pendingTable_ = key ? key->tableId : kPhysical;
        pendingForward_ = forward;
        pendingSeq_ = f.writeSequence();
        pendingRows_ = 0;
        pendingMark_ = startMark_;
    }
    ++pendingRows_;
    return kOk;
}

Status Cursor::seek(EngineFile& f, const KeyDef& key, int op, const uint8_t* image, Fetched& out) {
    Scans* sc = scansFor(f, &key);
    if (!sc) return kIoError;
    f.quiesce();
    pending_ = nullptr;
    EncodeKey(key, image, image_);
    Statement* s;
    bool forward = true;
    switch (op) {
    case kOpGetEqual:
    case kOpGetGreaterOrEqual: s = &sc->ge; bound_ = image_; break;
    case kOpGetGreater: s = &sc->gt; UpperBound(image_, bound_); break;
    case kOpGetLess: s = &sc->lt; bound_ = image_; forward = false; break;
    default: s = &sc->lt; UpperBound(image_, bound_); forward = false; break;  // Less or Equal
    }
    s->bindBlob(1, bound_);
    if (op != kOpGetEqual) return fetch(f, *s, &key, forward, out);
    // Get Equal: the first entry at or after the value must carry it.
    markStart(f);
    const int rc = s->step();
    if (rc == SQLITE_DONE) {
        s->reset();
        return kKeyNotFound;
    }
    if (rc != SQLITE_ROW) {
        s->reset();
        return f.fromSqlite(rc);
    }
    if (s->columnBytes(0) < image_.size() ||
        std::memcmp(s->columnBlob(0), image_.data(), image_.size()) != 0) {
        s->reset();
        return kKeyNotFound;
    }
    return take(f, *s, &key, true, out);
}

Status Cursor::first(EngineFile& f, const KeyDef& key, bool last, Fetched& out) {
    Scans* sc = scansFor(f, &key);
    if (!sc) return kIoError;
    f.quiesce();
    pending_ = nullptr;
    Statement& s = last ? sc->le : sc->ge;
    if (last) {
        s.bindBlob(1, HighestEntry());
    } else {
        s.bindBlob(1, "", 0);
    }
    return fetch(f, s, &key, !last, out);
}

Status Cursor::next(EngineFile& f, const KeyDef& key, bool forward, Fetched& out) {
    if (!physical_ || keyPath_ < 0) return kInvalidPositioning;
    if (keyPath_ != key.keyNumber || keyTable_ != key.tableId) return kDifferentKeyNumber;
    if (canContinue(f, &key, forward)) return fetch(f, *pending_, &key, forward, out);
    Scans* sc = scansFor(f, &key);
    if (!sc) return kIoError;
    f.quiesce();
    pending_ = nullptr;
    Statement& s = forward ? sc->gt : sc->lt;
    s.bindBlob(1, entry_);
    return fetch(f, s, &key, forward, out);
}

Status Cursor::stepFirst(EngineFile& f, bool last, Fetched& out) {
    Scans* sc = scansFor(f, nullptr);
    if (!sc) return kIoError;
    f.quiesce();
    pending_ = nullptr;
    Statement& s = last ? sc->le : sc->ge;
    s.bindInt(1, last ? std::numeric_limits<int64_t>::max() : 0);
    return fetch(f, s, nullptr, !last, out);
}

Status Cursor::stepNext(EngineFile& f, bool forward, Fetched& out) {
    if (!physical_) return kInvalidPositioning;
    if (canContinue(f, nullptr, forward)) return fetch(f, *pending_, nullptr, forward, out);
    Scans* sc = scansFor(f, nullptr);
    if (!sc) return kIoError;
    f.quiesce();
    pending_ = nullptr;
    Statement& s = forward ? sc->gt : sc->lt;
    s.bindInt(1, rid_);
    return fetch(f, s, nullptr, forward, out);
}

Status Cursor::direct(EngineFile& f, const KeyDef* key, uint32_t rid, std::string& record) {
    f.quiesce();
    pending_ = nullptr;
    ChangeTag tag = 0;
    if (Status st = f.readRecord(rid, record, &suffixes_, &tag)) return st;
    placeAt(key, record, rid, tag, suffixes_);
    return kOk;
}

void Cursor::placeAt(const KeyDef* key, const std::string& record, uint32_t rid, ChangeTag tag,
                     const std::string& suffixes) {
    pending_ = nullptr;
    rid_ = rid;
    tag_ = tag;
    physical_ = true;
    current_ = true;
    keyPath_ = -1;
    if (!key) return;
    ExtractKey(*key, reinterpret_cast<const uint8_t*>(record.data()), record.size(), image_);
    if (IsNullKey(*key, reinterpret_cast<const uint8_t*>(image_.data()))) return;
    IndexEntry(*key, reinterpret_cast<const uint8_t*>(image_.data()),
               DuplicateSuffix(suffixes, key->tableId, rid), entry_);
    keyPath_ = key->keyNumber;
    keyTable_ = key->tableId;
}

}  // namespace qdx::engine
