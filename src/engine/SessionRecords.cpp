// Record operations of the session: Insert, Update, Delete, the Get and Step
// families, Get Position and Get Direct.

#include <algorithm>
#include <cstring>

#include "base/Endian.h"
#include "engine/KeyCodec.h"
#include "engine/Session.h"

namespace qdx::engine {

const KeyDef* Session::findKey(Handle& h, int keyNumber) {
    if (keyNumber < 0) return nullptr;
    if (const KeyDef* k = h.file->spec().findKey(keyNumber)) return k;
    if (h.file->refreshSpec() != kOk) return nullptr;
    return h.file->spec().findKey(keyNumber);
}

Status Session::checkRecordLength(const Call& c, const EngineFile& f) const {
    if (!c.data) return kDataBufferLength;
    const FileSpec& spec = f.spec();
    if (spec.variableLength()) {
        if (c.dataSize < spec.recordLength || c.dataSize > kMaxRecordLength) return kDataBufferLength;
    } else if (c.dataSize != spec.recordLength) {
        return kDataBufferLength;
    }
    return kOk;
}

void Session::returnKey(Call& c, const KeyDef& key, const uint8_t* record, size_t size, Handle& h) {
    if (!c.key) return;
    ExtractKey(key, record, size, h.image);
    std::memcpy(c.key, h.image.data(), std::min<size_t>(c.keySize, h.image.size()));
}

Status Session::deliver(Call& c, Handle& h, const KeyDef* key, const uint8_t* data, size_t size) {
    if (key) returnKey(c, *key, data, size, h);
    if (c.keyOnly) return kOk;
    const size_t room = c.data ? c.dataSize : 0;
    const size_t n = std::min(room, size);
    if (n) std::memcpy(c.data, data, n);
    if (c.dataLength) *c.dataLength = static_cast<uint32_t>(n);
    return n < size ? kDataBufferLength : kOk;
}

Status Session::insert(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    EngineFile& f = *h.file;
    const KeyDef* key = findKey(h, c.keyNumber);
    if (!key && c.keyNumber >= 0 && !f.spec().keys.empty()) return kInvalidKeyNumber;
    if (Status st = checkRecordLength(c, f)) return st;
    h.record.assign(reinterpret_cast<const char*>(c.data), c.dataSize);
    uint32_t rid = 0;
    if (Status st = f.insert(h.record, &rid)) return st;
    // Auto-increment values go back to the caller.
    std::memcpy(c.data, h.record.data(), h.record.size());
    if (c.keyNumber == -1) return kOk;
    key = f.spec().findKey(c.keyNumber);  // the write may have re-read the file specification
    h.cursor.placeAt(key, h.record, rid, 0);
    if (key) returnKey(c, *key, reinterpret_cast<const uint8_t*>(h.record.data()), h.record.size(), h);
    return kOk;
}

Status Session::update(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    EngineFile& f = *h.file;
    if (!h.cursor.current()) return kInvalidPositioning;
    const KeyDef* key = findKey(h, c.keyNumber);
    if (!key && c.keyNumber >= 0 && !f.spec().keys.empty()) return kInvalidKeyNumber;
    if (Status st = checkRecordLength(c, f)) return st;
    h.record.assign(reinterpret_cast<const char*>(c.data), c.dataSize);
    ChangeTag tag = 0;
    if (Status st = f.update(h.cursor.rid(), h.cursor.tag(), h.record, h.suffixes, &tag)) return st;
    if (c.keyNumber == -1) {
        h.cursor.wrote(tag);
        h.cursor.abandon();
        return kOk;
    }
    key = f.spec().findKey(c.keyNumber);  // the write may have re-read the file specification
    h.cursor.placeAt(key, h.record, h.cursor.rid(), tag, h.suffixes);
    if (key) returnKey(c, *key, reinterpret_cast<const uint8_t*>(h.record.data()), h.record.size(), h);
    return kOk;
}

Status Session::erase(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    if (!h.cursor.current()) return kInvalidPositioning;
    if (Status st = h.file->erase(h.cursor.rid(), h.cursor.tag())) return st;
    h.cursor.markDeleted();
    return kOk;
}

Status Session::get(Call& c, Handle& h) {
    EngineFile& f = *h.file;
    const KeyDef* key = findKey(h, c.keyNumber);
    if (!key) return kInvalidKeyNumber;
    Fetched got;
    Status st;
    switch (c.op) {
    case kOpGetNext:
    case kOpGetPrevious: st = h.cursor.next(f, *key, c.op == kOpGetNext, got); break;
    case kOpGetFirst:
    case kOpGetLast: st = h.cursor.first(f, *key, c.op == kOpGetLast, got); break;
    default: {
        // The key value as the caller gave it; missing bytes read as zero.
        const size_t len = key->length();
        h.image.assign(len, '\0');
        if (c.key) std::memcpy(&h.image[0], c.key, std::min<size_t>(len, c.keySize));
        st = h.cursor.seek(f, *key, c.op, reinterpret_cast<const uint8_t*>(h.image.data()), got);
        break;
    }
    }
    if (st) return st;
    return deliver(c, h, key, got.data, got.size);
}

Status Session::step(Call& c, Handle& h) {
    EngineFile& f = *h.file;
    Fetched got;
    Status st;
    switch (c.op) {
    case kOpStepFirst: st = h.cursor.stepFirst(f, false, got); break;
    case kOpStepLast: st = h.cursor.stepFirst(f, true, got); break;
    case kOpStepNext: st = h.cursor.stepNext(f, true, got); break;
    default: st = h.cursor.stepNext(f, false, got); break;
    }
    if (st) return st;
    return deliver(c, h, nullptr, got.data, got.size);
}

Status Session::getPosition(Call& c, Handle& h) {
    if (!h.cursor.current()) return kInvalidPositioning;
    if (!c.data || c.dataSize < 4) return kDataBufferLength;
    le::PutU32(c.data, h.cursor.rid());
    if (c.dataLength) *c.dataLength = 4;
    return kOk;
}

Status Session::getDirect(Call& c, Handle& h) {
    if (!c.data || c.dataSize < 4) return kDataBufferLength;
    const KeyDef* key = findKey(h, c.keyNumber);
    if (!key && c.keyNumber >= 0 && !h.file->spec().keys.empty()) return kInvalidKeyNumber;
    const uint32_t rid = le::GetU32(c.data);
    std::string& record = h.record;
    if (Status st = h.cursor.direct(*h.file, key, rid, record)) return st;
    return deliver(c, h, key, reinterpret_cast<const uint8_t*>(record.data()), record.size());
}

}  // namespace qdx::engine
