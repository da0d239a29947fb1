#pragma once
// Test client of libqdxengine.so: loads the library the way the program does
// (dlopen from QDX_BIN_DIR, else ../bin beside the test executable) and wraps
// BTRCALL with typed helpers. Also builds file specifications and temporary
// directories.

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/Contract.h"

namespace enginetest {

BtrcallFunction Engine();

// Operation codes used by the tests.
enum Op : uint16_t {
    kOpen = 0, kClose = 1, kInsert = 2, kUpdate = 3, kDelete = 4,
    kGetEqual = 5, kGetNext = 6, kGetPrevious = 7, kGetGreater = 8, kGetGreaterOrEqual = 9,
    kGetLess = 10, kGetLessOrEqual = 11, kGetFirst = 12, kGetLast = 13,
    kCreate = 14, kStat = 15, kBegin = 19, kEnd = 20, kAbort = 21,
    kGetPosition = 22, kGetDirect = 23, kStepNext = 24, kSetOwner = 29, kClearOwner = 30,
    kCreateIndex = 31, kDropIndex = 32, kStepFirst = 33, kStepLast = 34, kStepPrevious = 35,
    kFindPercentage = 45,
};

struct SegmentDef {
    uint16_t position;  // 1-based
    uint16_t length;
    uint16_t flags;
    uint8_t type = 0;
    uint8_t nullValue = 0;
};
using KeySpec = std::vector<SegmentDef>;  // segments of one key; chain flag added

// A Create buffer; the chain flag 0x10 and extended-type flag 0x100 are set
// by the builder (extended unless the segment asks for the old binary flag).
std::vector<uint8_t> MakeSpec(uint16_t recordLength, const std::vector<KeySpec>& keys,
                              uint16_t fileFlags = 0, uint16_t pageSize = 4096);
// Segment entries for Create Supplemental Index.
std::vector<uint8_t> MakeIndexSpec(const KeySpec& key);

// Fresh directory under TMPDIR, removed with its files on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

private:
    std::string dir_;
};

// One open position block.
class File {
public:
    File() { std::memset(pos, 0, sizeof pos); }
    ~File() { if (open) close(); }

    int16_t call(uint16_t op, void* data, uint32_t* len, void* key, uint8_t keyLen, int8_t keyNumber) {
        return Engine()(op, pos, data, len, key, keyLen, keyNumber);
    }
    int16_t openFile(const std::string& path, const std::string& owner = "", int8_t mode = 0);
    int16_t close();
    int16_t insert(std::vector<uint8_t>& rec, int8_t keyNumber = 0);
    int16_t update(std::vector<uint8_t>& rec, int8_t keyNumber = 0);
    int16_t erase(int8_t keyNumber = 0);
    // Get with a key value; rec receives the record (resized to what came back).
    int16_t get(uint16_t op, std::vector<uint8_t>& rec, std::vector<uint8_t>& key, int8_t keyNumber,
                uint32_t room = 32768);
    int16_t step(uint16_t op, std::vector<uint8_t>& rec);
    uint32_t position();  // Get Position; 0 on failure
    int16_t direct(uint32_t position, std::vector<uint8_t>& rec, int8_t keyNumber);
    int16_t stat(std::vector<uint8_t>& out);
    uint32_t recordCount();

    // Walks a key from Get First (or Last) and returns the records' first
    // `width` bytes in order; status of the end in *endStatus.
    std::vector<std::vector<uint8_t>> scan(int8_t keyNumber, bool backward = false,
                                           int16_t* endStatus = nullptr);
    std::vector<uint32_t> stepAll(bool backward = false);

    uint8_t pos[128];
    bool open = false;
    int16_t lastStatus = 0;
};

int16_t CreateFile(const std::string& path, const std::vector<uint8_t>& spec, int8_t mode = 0);

// Record helpers: a zero-filled record with values placed at offsets.
std::vector<uint8_t> Record(size_t length);
void PutU32(std::vector<uint8_t>& r, size_t at, uint32_t v);
uint32_t GetU32(const std::vector<uint8_t>& r, size_t at);
void PutText(std::vector<uint8_t>& r, size_t at, const std::string& s, size_t width, char pad = ' ');

}  // namespace enginetest
