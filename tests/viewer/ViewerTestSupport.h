#pragma once
// Shared by the browser's tests: the real engine, scratch directories, a
// numbered test file built straight through the engine, the order of its
// records read straight from the engine, and the screen as text.

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Endian.h"
#include "base/Estring.h"
#include "btrieve/BtrieveFile.h"
#include "platform/MemoryDisplay.h"

namespace viewertest {

inline std::string BinDir() {
    const char* bin = std::getenv("QDX_BIN_DIR");
    if (bin != nullptr && *bin != '\0') return bin;
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, n > 0 ? static_cast<size_t>(n) : 0);
    return std::filesystem::path(self).parent_path().parent_path().string() + "/bin";
}

inline void UseRealEngine() { setenv("QDX_ENGINE_LIBRARY", (BinDir() + "/libqdxengine.so").c_str(), 1); }

class ScratchDir {
public:
    ScratchDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qdxview-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) != nullptr) path = buffer.data();
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    const std::string& Path() const { return path; }

private:
    std::string path;
};

// The numbered file: 24-byte records
//   OFFSET  WIDTH  MEANING
//   0       4      id (integer), key 0, unique
//   4       4      group = (id * 7) % 10 (integer), key 1, duplicates, descending
//   8       16     text "R<id>" (string)
constexpr int kRecordLength = 24;

inline std::vector<uint8_t> NumberedSpecification() {
    std::vector<uint8_t> spec(16 + 2 * 16, 0);
    le::PutU16(&spec[0], kRecordLength);
    le::PutU16(&spec[2], 4096);
    le::PutU16(&spec[4], 2);
    auto segment = [&](int at, int position, int length, uint16_t flags, int key) {
        uint8_t* s = &spec[static_cast<size_t>(16 + 16 * at)];
        le::PutU16(s, static_cast<uint16_t>(position));
        le::PutU16(s + 2, static_cast<uint16_t>(length));
        le::PutU16(s + 4, flags);
        s[10] = 1;  // integer
        s[14] = static_cast<uint8_t>(key);
    };
    segment(0, 1, 4, 0x0100 | 0x0002, 0);
    segment(1, 5, 4, 0x0100 | 0x0002 | 0x0001 | 0x0040, 1);
    return spec;
}

inline void NumberedRecord(int id, uint8_t* record) {
    std::memset(record, 0, kRecordLength);
    le::PutU32(record, static_cast<uint32_t>(id));
    le::PutU32(record + 4, static_cast<uint32_t>((id * 7) % 10));
    std::snprintf(reinterpret_cast<char*>(record + 8), 16, "R%d", id);
}

// Creates path with ids 0 .. count-1, inserted in a scrambled order so that
// physical order differs from key order. 0 on success, else the status.
inline int CreateNumberedFile(const std::string& path, int count) {
    std::vector<uint8_t> spec = NumberedSpecification();
    int status = BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), Estring(path.c_str()), true);
    if (status != 0) return status;
    BtrieveFile file;
    if ((status = file.open(Estring(path.c_str()))) != 0) return status;
    uint8_t record[kRecordLength];
    for (int i = 0; i < count; ++i) {
        int id = static_cast<int>((static_cast<long long>(i) * 389) % count);  // 389 is prime to the counts used
        NumberedRecord(id, record);
        file.setDataLength(kRecordLength);
        if ((status = file.insertRecord(record)) != 0) return status;
    }
    return 0;
}

inline int IdOf(const uint8_t* record) { return static_cast<int>(le::GetU32(record)); }

// Ids in the order of keyNumber (physical order when negative), straight from the engine.
inline std::vector<int> EngineOrder(BtrieveFile& file, int keyNumber) {
    std::vector<int> ids;
    std::vector<uint8_t> buffer(32768);
    uint8_t* record = buffer.data();
    uint8_t key[256] = {};
    file.setDataLength(32768);
    int status = keyNumber < 0 ? file.stepFirst(record, key) : file.getFirst(key, record, keyNumber);
    while (status == 0) {
        ids.push_back(IdOf(record));
        file.setDataLength(32768);
        status = keyNumber < 0 ? file.stepNext(record, key) : file.getNext(key, record, keyNumber);
    }
    return ids;
}

inline std::string ScreenText(const MemoryDisplay& screen) {
    std::string text;
    for (int y = 0; y < screen.Height(); ++y) text += screen.RowText(y) + "\n";
    return text;
}

}  // namespace viewertest
