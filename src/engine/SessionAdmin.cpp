// File-level operations of the session: Stat, owner names, supplemental
// indexes and Find Percentage.

#include <algorithm>
#include <cstring>

#include "base/Endian.h"
#include "engine/KeyCodec.h"
#include "engine/OwnerCrypto.h"
#include "engine/Session.h"

namespace qdx::engine {

std::string DecodeOwnerName(const uint8_t* p, size_t n);

Status Session::stat(Call& c, Handle& h) {
    EngineFile& f = *h.file;
    if (Status st = f.refreshSpec()) return st;
    const FileSpec& spec = f.spec();
    if (!c.data || c.dataSize < spec.statSize()) return kDataBufferLength;
    uint32_t count = 0;
    std::vector<uint32_t> unique;
    if (Status st = f.counts(&count, unique)) return st;
    WriteStat(spec, count, unique, c.data);
    if (c.dataLength) *c.dataLength = static_cast<uint32_t>(spec.statSize());
    return kOk;
}

Status Session::setOwner(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    std::string name = c.data ? DecodeOwnerName(c.data, std::min<uint32_t>(c.dataSize, 255))
                              : DecodeOwnerName(c.key, c.keySize);
    if (name.empty() && c.key) name = DecodeOwnerName(c.key, c.keySize);
    if (name.empty() || name.size() > kOwnerMaxLength) return kInvalidOwner;
    if (c.keyNumber < 0 || c.keyNumber > 3) return kInvalidOwner;
    if (Status st = h.file->setOwner(name, c.keyNumber)) return st;
    h.ownerAccess = true;
    return kOk;
}

Status Session::clearOwner(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    if (!h.ownerAccess) return kInvalidOwner;
    return h.file->clearOwner();
}

Status Session::createIndex(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    EngineFile& f = *h.file;
    if (Status st = f.refreshSpec()) return st;
    KeyDef key;
    if (Status st = ParseIndexSpec(c.data, c.data ? c.dataSize : 0, f.spec(), key)) return st;
    return f.createIndex(std::move(key));
}

Status Session::dropIndex(Call& c, Handle& h) {
    if (h.readOnly) return kAccessDenied;
    const uint8_t raw = static_cast<uint8_t>(c.keyNumber);
    const bool renumber = !(raw & 0x80);
    const int keyNumber = raw & 0x7F;
    if (!findKey(h, keyNumber)) return kInvalidKeyNumber;
    return h.file->dropIndex(keyNumber, renumber);
}

// Hundredths of a per cent of the way through a key (before the key value
// given) or through the file in physical order (before the position given).
Status Session::findPercentage(Call& c, Handle& h) {
    if (!c.data || c.dataSize < 4) return kDataBufferLength;
    EngineFile& f = *h.file;
    f.quiesce();
    uint32_t before = 0, total = 0;
    if (c.keyNumber >= 0) {
        const KeyDef* key = findKey(h, c.keyNumber);
        if (!key) return kInvalidKeyNumber;
        const size_t len = key->length();
        h.image.assign(len, '\0');
        if (c.key) std::memcpy(&h.image[0], c.key, std::min<size_t>(len, c.keySize));
        std::string encoded;
        EncodeKey(*key, reinterpret_cast<const uint8_t*>(h.image.data()), encoded);
        if (Status st = f.countBefore(key, encoded, &before, &total)) return st;
    } else {
        const uint32_t rid = le::GetU32(c.data);
        std::string record;
        if (Status st = f.readRecord(rid, record)) return st;
        std::string bound(4, '\0');
        le::PutU32(&bound[0], rid);
        if (Status st = f.countBefore(nullptr, bound, &before, &total)) return st;
    }
    const uint32_t pct = total ? static_cast<uint32_t>(uint64_t(before) * 10000 / total) : 0;
    le::PutU32(c.data, pct);
    if (c.dataLength) *c.dataLength = 4;
    return kOk;
}

}  // namespace qdx::engine

namespace qdx::engine {

Status Session::checkFile(Call& c, Handle& h) {
    EngineFile::CheckReport report;
    const Status st = h.file->check(report);
    // Whole lines only; the last line that fits may say how many are left out.
    std::string text;
    const size_t room = c.data ? c.dataSize : 0;
    for (size_t i = 0; i < report.lines.size(); ++i) {
        const std::string line = report.lines[i] + "\n";
        const std::string rest = "(" + std::to_string(report.lines.size() - i) + " more problems)\n";
        if (text.size() + line.size() + (i + 1 < report.lines.size() ? rest.size() : 0) > room) {
            if (text.size() + rest.size() <= room) text += rest;
            break;
        }
        text += line;
    }
    if (!text.empty()) std::memcpy(c.data, text.data(), text.size());
    if (c.dataLength) *c.dataLength = static_cast<uint32_t>(text.size());
    return st;
}

}  // namespace qdx::engine
