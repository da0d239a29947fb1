#include "EngineClient.h"

#include <gtest/gtest.h>
#include <limits.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace enginetest {

BtrcallFunction Engine() {
    static BtrcallFunction fn = [] {
        std::string lib;
        if (const char* dir = getenv("QDX_BIN_DIR")) {
            lib = std::string(dir) + "/libqdxengine.so";
        } else {
            char exe[PATH_MAX] = {};
            ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
            std::string self(exe, n > 0 ? size_t(n) : 0);
            lib = self.substr(0, self.rfind('/')) + "/../bin/libqdxengine.so";
        }
        void* h = dlopen(lib.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            fprintf(stderr, "cannot load %s: %s\n", lib.c_str(), dlerror());
            abort();
        }
        auto f = reinterpret_cast<BtrcallFunction>(dlsym(h, "BTRCALL"));
        if (!f) abort();
        return f;
    }();
    return fn;
}

std::vector<uint8_t> MakeSpec(uint16_t recordLength, const std::vector<KeySpec>& keys,
                              uint16_t fileFlags, uint16_t pageSize) {
    std::vector<uint8_t> b(16, 0);
    b[0] = uint8_t(recordLength); b[1] = uint8_t(recordLength >> 8);
    b[2] = uint8_t(pageSize); b[3] = uint8_t(pageSize >> 8);
    b[4] = uint8_t(keys.size());
    b[10] = uint8_t(fileFlags); b[11] = uint8_t(fileFlags >> 8);
    for (const KeySpec& k : keys) {
        std::vector<uint8_t> e = MakeIndexSpec(k);
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

std::vector<uint8_t> MakeIndexSpec(const KeySpec& key) {
    std::vector<uint8_t> b;
    for (size_t i = 0; i < key.size(); ++i) {
        const SegmentDef& s = key[i];
        uint16_t flags = s.flags;
        if (i + 1 < key.size()) flags |= 0x10;
        if (!(flags & 0x0004)) flags |= 0x100;
        uint8_t e[16] = {};
        e[0] = uint8_t(s.position); e[1] = uint8_t(s.position >> 8);
        e[2] = uint8_t(s.length); e[3] = uint8_t(s.length >> 8);
        e[4] = uint8_t(flags); e[5] = uint8_t(flags >> 8);
        e[10] = s.type;
        e[11] = s.nullValue;
        b.insert(b.end(), e, e + 16);
    }
    return b;
}

TempDir::TempDir() {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/qdxengine-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) abort();
    dir_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

int16_t CreateFile(const std::string& path, const std::vector<uint8_t>& spec, int8_t mode) {
    uint8_t pos[128] = {};
    std::vector<uint8_t> data(spec);
    uint32_t len = uint32_t(data.size());
    std::vector<char> key(path.begin(), path.end());
    key.resize(255, '\0');
    return Engine()(kCreate, pos, data.data(), &len, key.data(), 255, mode);
}

int16_t File::openFile(const std::string& path, const std::string& owner, int8_t mode) {
    std::vector<char> key(path.begin(), path.end());
    key.resize(255, '\0');
    std::vector<char> data(owner.begin(), owner.end());
    data.push_back('\0');
    uint32_t len = owner.empty() ? 0 : uint32_t(data.size());
    lastStatus = call(kOpen, data.data(), &len, key.data(), 255, mode);
    open = lastStatus == 0;
    return lastStatus;
}

int16_t File::close() {
    uint32_t len = 0;
    lastStatus = call(kClose, nullptr, &len, nullptr, 0, 0);
    if (lastStatus == 0) open = false;
    return lastStatus;
}

int16_t File::insert(std::vector<uint8_t>& rec, int8_t keyNumber) {
    uint32_t len = uint32_t(rec.size());
    uint8_t key[255] = {};
    return lastStatus = call(kInsert, rec.data(), &len, key, 255, keyNumber);
}

int16_t File::update(std::vector<uint8_t>& rec, int8_t keyNumber) {
    uint32_t len = uint32_t(rec.size());
    uint8_t key[255] = {};
    return lastStatus = call(kUpdate, rec.data(), &len, key, 255, keyNumber);
}

int16_t File::erase(int8_t keyNumber) {
    uint32_t len = 0;
    uint8_t key[255] = {};
    return lastStatus = call(kDelete, nullptr, &len, key, 255, keyNumber);
}

int16_t File::get(uint16_t op, std::vector<uint8_t>& rec, std::vector<uint8_t>& key, int8_t keyNumber,
                  uint32_t room) {
    rec.assign(room, 0);
    key.resize(255, 0);
    uint32_t len = room;
    lastStatus = call(op, rec.data(), &len, key.data(), 255, keyNumber);
    rec.resize(std::min(len, room));
    return lastStatus;
}

int16_t File::step(uint16_t op, std::vector<uint8_t>& rec) {
    rec.assign(32768, 0);
    uint32_t len = 32768;
    uint8_t key[255] = {};
    lastStatus = call(op, rec.data(), &len, key, 255, 0);
    rec.resize(std::min<uint32_t>(len, 32768));
    return lastStatus;
}

uint32_t File::position() {
    uint8_t buf[4] = {};
    uint32_t len = 4;
    uint8_t key[255] = {};
    lastStatus = call(kGetPosition, buf, &len, key, 255, 0);
    return lastStatus == 0 ? uint32_t(buf[0] | buf[1] << 8 | buf[2] << 16 | uint32_t(buf[3]) << 24) : 0;
}

int16_t File::direct(uint32_t position, std::vector<uint8_t>& rec, int8_t keyNumber) {
    rec.assign(32768, 0);
    for (int i = 0; i < 4; ++i) rec[i] = uint8_t(position >> (8 * i));
    uint32_t len = 32768;
    uint8_t key[255] = {};
    lastStatus = call(kGetDirect, rec.data(), &len, key, 255, keyNumber);
    rec.resize(std::min<uint32_t>(len, 32768));
    return lastStatus;
}

int16_t File::stat(std::vector<uint8_t>& out) {
    out.assign(2251, 0);
    uint32_t len = 2251;
    uint8_t key[255] = {};
    return lastStatus = call(kStat, out.data(), &len, key, 255, -1);
}

uint32_t File::recordCount() {
    std::vector<uint8_t> s;
    if (stat(s) != 0) return UINT32_MAX;
    return GetU32(s, 6);
}

std::vector<std::vector<uint8_t>> File::scan(int8_t keyNumber, bool backward, int16_t* endStatus) {
    std::vector<std::vector<uint8_t>> out;
    std::vector<uint8_t> rec, key;
    int16_t st = get(backward ? kGetLast : kGetFirst, rec, key, keyNumber);
    while (st == 0) {
        out.push_back(rec);
        st = get(backward ? kGetPrevious : kGetNext, rec, key, keyNumber);
    }
    if (endStatus) *endStatus = st;
    return out;
}

std::vector<uint32_t> File::stepAll(bool backward) {
    std::vector<uint32_t> out;
    std::vector<uint8_t> rec;
    int16_t st = step(backward ? kStepLast : kStepFirst, rec);
    while (st == 0) {
        out.push_back(position());
        st = step(backward ? kStepPrevious : kStepNext, rec);
    }
    return out;
}

std::vector<uint8_t> Record(size_t length) { return std::vector<uint8_t>(length, 0); }

void PutU32(std::vector<uint8_t>& r, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) r[at + i] = uint8_t(v >> (8 * i));
}

uint32_t GetU32(const std::vector<uint8_t>& r, size_t at) {
    return uint32_t(r[at]) | uint32_t(r[at + 1]) << 8 | uint32_t(r[at + 2]) << 16 | uint32_t(r[at + 3]) << 24;
}

void PutText(std::vector<uint8_t>& r, size_t at, const std::string& s, size_t width, char pad) {
    for (size_t i = 0; i < width; ++i) r[at + i] = uint8_t(i < s.size() ? s[i] : pad);
}

}  // namespace enginetest
