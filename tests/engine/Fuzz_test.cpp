// Fuzz of the entry point: random operation codes, key numbers, lengths,
// null and short buffers, garbage and stale position blocks, interleaved with
// valid calls on a few real files. Every call must return a status, leave
// the bytes beyond the buffers it was given alone, and never report more
// bytes than it was given room for; afterwards every file must still be
// consistent (Stat count = Step count = every key's count).
//
// Fixed seed and a fixed number of calls (QDX_FUZZ_SEED and QDX_FUZZ_CALLS
// override them for longer runs; QDX_FUZZ_TRACE prints every call). Buffers are heap blocks of exactly the size the call names,
// so the address sanitizer sees any access outside them; without it, guard
// bytes after each buffer catch stray writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <sys/stat.h>

#include "EngineClient.h"

using namespace enginetest;

namespace {

using Bytes = std::vector<uint8_t>;

#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kGuard = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr size_t kGuard = 0;
#else
constexpr size_t kGuard = 32;
#endif
#else
constexpr size_t kGuard = 32;
#endif
constexpr uint8_t kGuardByte = 0xC7;

// A heap buffer of exactly `size` usable bytes (plus guard bytes when the
// sanitizer is not watching).
class Buffer {
public:
    explicit Buffer(size_t size) : size_(size), bytes_(new uint8_t[size + kGuard + (size + kGuard == 0)]) {
        std::fill(bytes_.get(), bytes_.get() + size + kGuard, kGuardByte);
    }
    uint8_t* data() { return bytes_.get(); }
    size_t size() const { return size_; }
    bool guardIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (bytes_[size_ + i] != kGuardByte) return false;
        return true;
    }

private:
    size_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

struct RealFile {
    std::string path;
    uint16_t recordLength;
    bool variable;
    File master;  // only ever given valid calls; keeps the file open
};

class Fuzzer {
public:
    explicit Fuzzer(uint32_t seed) : rng_(seed) {}

    std::mt19937 rng_;
    TempDir dir_;
    std::vector<std::unique_ptr<RealFile>> files_;
    // Position blocks handed to random calls: opened, stale, garbage.
    std::vector<std::array<uint8_t, 128>> blocks_;
    std::string lastCall_;

    uint32_t below(uint32_t n) { return n ? uint32_t(rng_() % n) : 0; }
    bool chance(int percent) { return below(100) < uint32_t(percent); }

    void setUp() {
        // File 0: unique integer id (auto-increment), duplicates string.
        // File 1: variable length, segmented unique key, null-any key.
        // File 2: descending unsigned duplicates key, modifiable integer.
        struct Def {
            uint16_t length;
            std::vector<KeySpec> keys;
            uint16_t flags;
        };
        const Def defs[] = {
            {40, {{{1, 4, 0, 15}}, {{5, 6, 0x0003, 0}}}, 0},
            {24, {{{1, 2, 0x0002, 1}, {3, 3, 0x0002, 0}}, {{9, 2, 0x0203, 14, 0}}}, 0x0001},
            {16, {{{1, 2, 0x0043, 14}}, {{3, 4, 0x0002, 1}}}, 0},
        };
        for (size_t i = 0; i < 3; ++i) {
            auto f = std::make_unique<RealFile>();
            f->path = dir_.path("f" + std::to_string(i) + ".dat");
            f->recordLength = defs[i].length;
            f->variable = defs[i].flags & 1;
            ASSERT_EQ(0, CreateFile(f->path, MakeSpec(defs[i].length, defs[i].keys, defs[i].flags)));
            ASSERT_EQ(0, f->master.openFile(f->path));
            files_.push_back(std::move(f));
        }
        std::ofstream(dir_.path("text.dat")) << "not an engine file\n";
        mkdir(dir_.path("adir").c_str(), 0700);
        blocks_.resize(8);
        for (auto& b : blocks_) randomBlock(b);
    }

    void randomBlock(std::array<uint8_t, 128>& b) {
        for (auto& c : b) c = uint8_t(rng_());
        if (chance(50)) std::memcpy(b.data(), "QdxPos1", 8);  // our magic, garbage after it
        if (chance(50)) std::memset(b.data() + 8, 0, 4 + below(5));
        unalias(b.data());
    }

    // A forged block that happens to name a master's handle would be that
    // handle (the engine cannot tell): keep forgeries off the masters.
    void unalias(uint8_t* b) {
        for (auto& f : files_) {
            if (f && std::memcmp(b, f->master.pos, 16) == 0) b[12] ^= 0x80;
        }
    }

    // A path for Open and Create: the real files, a directory, a foreign
    // file, a missing one, or garbage (always inside the temporary
    // directory, so that Create cannot litter the working directory).
    std::string randomPath() {
        switch (below(12)) {
        default: return files_[below(3)]->path;
        case 2: return dir_.path("adir");
        case 3: return dir_.path("text.dat");
        case 4: return dir_.path("missing/x.dat");
        case 5: return dir_.path("new" + std::to_string(below(3)) + ".dat");
        case 6: {
            std::string s = dir_.path("");
            for (uint32_t n = below(12); n--;) s.push_back(char(1 + below(255)));
            return s;
        }
        }
    }

    uint16_t randomOperation() {
        static const uint16_t kKnown[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 19, 20,
                                          21, 22, 23, 24, 29, 30, 31, 32, 33, 34, 35, 45};
        uint16_t op = kKnown[below(sizeof kKnown / sizeof kKnown[0])];
        switch (below(16)) {
        case 0: return uint16_t(below(65536));
        case 1: return uint16_t(op + 50);
        case 2: return uint16_t(op + 100 * (1 + below(4)));
        case 3: return uint16_t(op + 50 + 100 * (1 + below(4)));
        case 4: return uint16_t(below(600));
        default: return op;
        }
    }

    uint32_t randomLength() {
        switch (below(6)) {
        case 0: return 0;
        case 1: return below(8);
        case 2: return below(64);
        case 3: return files_[below(3)]->recordLength + below(3) - 1;
        case 4: return below(2300);
        default: return below(40000);
        }
    }

    void fill(Buffer& b) {
        const int how = below(4);
        for (size_t i = 0; i < b.size(); ++i)
            b.data()[i] = how == 0 ? 0 : how == 1 ? uint8_t(below(4)) : uint8_t(rng_());
    }

    // One call with arbitrary arguments. Checks guards and the length out.
    void randomCall() {
        uint8_t* pos = nullptr;
        std::array<uint8_t, 128>* block = nullptr;
        std::unique_ptr<Buffer> posCopy;
        switch (below(10)) {
        case 0: break;  // null position block
        case 1:  // a 128-byte copy of a real file's open block (set below)
            posCopy = std::make_unique<Buffer>(128);
            pos = posCopy->data();
            break;
        default: block = &blocks_[below(blocks_.size())]; pos = block->data(); break;
        }
        if (block && chance(3)) randomBlock(*block);
        if (block && chance(60) && Engine()(kGetPosition, pos, nullptr, nullptr, nullptr, 0, 0) == 3) {
            // Most calls should meet an open file: open this block on one.
            Bytes path(255, 0);
            const std::string& p = files_[below(3)]->path;
            std::memcpy(path.data(), p.data(), p.size());
            Engine()(kOpen, pos, nullptr, nullptr, path.data(), 255, 0);
        }
        const uint16_t op = randomOperation();
        const uint16_t base = op % 100;
        if (posCopy) {
            // An exact copy is the master's own handle: any operation but
            // Open and Close (which would take the master away); otherwise
            // a stale or damaged copy.
            std::memcpy(posCopy->data(), files_[below(3)]->master.pos, 128);
            if (base == 0 || base == 1 || chance(50)) {
                posCopy->data()[8 + below(8)] ^= uint8_t(1 + below(255));
                unalias(posCopy->data());
            }
        }
        int8_t keyNumber = int8_t(below(256));
        if (chance(60)) keyNumber = int8_t(int(below(6)) - 2);

        std::unique_ptr<Buffer> data, key;
        uint32_t length = randomLength();
        const bool nullData = chance(10);
        const bool nullLength = chance(5);
        if (!nullData) {
            data = std::make_unique<Buffer>(length);
            fill(*data);
        }
        uint8_t keyLength = uint8_t(below(256));
        if (chance(40)) keyLength = 255;
        const bool nullKey = chance(10);
        if (!nullKey) {
            key = std::make_unique<Buffer>(keyLength);
            fill(*key);
        }
        if ((base == 0 || base == 14) && key && chance(85)) {
            // Open and Create name a path.
            const std::string p = randomPath();
            std::fill(key->data(), key->data() + key->size(), 0);
            std::memcpy(key->data(), p.data(), std::min(p.size(), key->size()));
            if (base == 14 && chance(50) && data) {
                // Sometimes a plausible specification.
                Bytes spec = MakeSpec(uint16_t(4 + below(60)), {{{uint16_t(1 + below(4)), 4, uint16_t(below(2)), 1}}});
                if (!chance(20)) keyNumber = -1;
                std::memcpy(data->data(), spec.data(), std::min(spec.size(), data->size()));
            }
        }
        if (base == 14 && keyNumber != -1 && chance(70)) keyNumber = -1;
        if (base == 0 && chance(70)) length = 0;  // no owner (the buffer keeps its size)

        uint32_t lengthIn = nullData ? (chance(50) ? length : below(70000)) : length;
        uint32_t lengthOut = lengthIn;
        char desc[160];
        snprintf(desc, sizeof desc, "op %u key# %d data %s len %u(%s) key %s keylen %u pos %s", op, keyNumber,
                 nullData ? "null" : "buf", lengthIn, nullLength ? "null" : "ptr", nullKey ? "null" : "buf",
                 keyLength, pos ? (block ? "block" : "copy") : "null");
        lastCall_ = desc;
        const int16_t st = Engine()(op, pos, data ? data->data() : nullptr, nullLength ? nullptr : &lengthOut,
                                    key ? key->data() : nullptr, keyLength, keyNumber);
        (void)st;
        if (getenv("QDX_FUZZ_TRACE")) fprintf(stderr, "%d <- %s\n", st, desc);
        if (data) {
            ASSERT_TRUE(data->guardIntact()) << "wrote past the data buffer: " << desc;
            if (!nullLength) {
                ASSERT_LE(lengthOut, lengthIn) << "data length grew: " << desc;
            }
        }
        if (key) {
            ASSERT_TRUE(key->guardIntact()) << "wrote past the key buffer: " << desc;
        }
        if (posCopy) {
            ASSERT_TRUE(posCopy->guardIntact()) << "wrote past the position block: " << desc;
        }
        // A block that was open stays a usable block for later calls;
        // sometimes keep a stale copy of it.
        if (block && st == 0 && (base == 0 || base == 1) && chance(30)) blocks_.push_back(*block);
        if (blocks_.size() > 24) blocks_.erase(blocks_.begin() + below(blocks_.size()));
    }

    // One valid call on a real file through its master block.
    void validCall() {
        RealFile& f = *files_[below(3)];
        const uint32_t roomFor = f.variable ? 200 : f.recordLength;
        Bytes rec(roomFor, 0), key(255, 0);
        switch (below(10)) {
        default:
        case 0:
        case 1:
        case 2: {  // insert
            Bytes r(f.variable ? f.recordLength + below(100) : f.recordLength);
            for (auto& c : r) c = uint8_t(below(4) ? below(3) : rng_());
            uint32_t len = uint32_t(r.size());
            lastCall_ = "valid insert";
            f.master.call(kInsert, r.data(), &len, key.data(), 255, int8_t(below(2)));
            break;
        }
        case 3: {  // update the current record
            uint32_t len = roomFor;
            if (f.master.call(kStepNext, rec.data(), &len, key.data(), 255, 0) != 0) {
                len = roomFor;
                f.master.call(kStepFirst, rec.data(), &len, key.data(), 255, 0);
            }
            lastCall_ = "valid update";
            if (len >= f.recordLength) {
                rec.resize(len);
                rec[below(uint32_t(rec.size()))] = uint8_t(below(3));
                f.master.call(kUpdate, rec.data(), &len, key.data(), 255, int8_t(int(below(3)) - 1));
            }
            break;
        }
        case 4: {  // delete
            lastCall_ = "valid delete";
            uint32_t len = 0;
            f.master.call(kDelete, nullptr, &len, key.data(), 255, 0);
            break;
        }
        case 5: {
            static const uint16_t kGets[] = {kGetFirst, kGetLast, kGetNext, kGetPrevious, kGetGreater,
                                             kGetLessOrEqual, kGetEqual};
            uint32_t len = roomFor;
            lastCall_ = "valid get";
            f.master.call(kGets[below(7)], rec.data(), &len, key.data(), 255, int8_t(below(2)));
            break;
        }
        case 6: {
            static const uint16_t kSteps[] = {kStepFirst, kStepLast, kStepNext, kStepPrevious};
            uint32_t len = roomFor;
            lastCall_ = "valid step";
            f.master.call(kSteps[below(4)], rec.data(), &len, key.data(), 255, 0);
            break;
        }
        case 7: {  // transactions (no-ops or 36/37/39 when not fitting)
            static const uint16_t kTx[] = {kBegin, kEnd, kAbort};
            uint32_t len = 0;
            lastCall_ = "valid transaction";
            f.master.call(kTx[below(3)], nullptr, &len, nullptr, 0, 0);
            // An owner name set by a random call shuts the fuzz blocks out:
            // the master (opened before it) clears it again.
            if (chance(30)) f.master.call(kClearOwner, nullptr, &len, nullptr, 0, 0);
            break;
        }
        case 8:
        case 9: {  // open / close one of the fuzz blocks on a real file
            auto& b = blocks_[below(blocks_.size())];
            Bytes path(255, 0);
            std::memcpy(path.data(), f.path.data(), f.path.size());
            uint32_t len = 0;
            lastCall_ = "valid open/close";
            Engine()(chance(80) ? kOpen : kClose, b.data(), nullptr, &len, path.data(), 255, 0);
            break;
        }
        }
    }

    // Stat count = Step count = every key's count (null keys: at most);
    // every key holds exactly the records Step finds (null keys: a subset).
    void checkConsistent(RealFile& f) {
        SCOPED_TRACE(f.path);
        Bytes st(4096, 0);
        uint32_t len = uint32_t(st.size());
        Bytes key(255, 0);
        ASSERT_EQ(0, f.master.call(kStat, st.data(), &len, key.data(), 255, -1));
        const uint32_t count = GetU32(st, 6);
        const int keys = st[4];
        std::set<uint32_t> stepped;
        Bytes rec;
        int16_t s = f.master.step(kStepFirst, rec);
        while (s == 0) {
            if (f.variable) {
                EXPECT_GE(rec.size(), f.recordLength);
            } else {
                EXPECT_EQ(f.recordLength, rec.size());
            }
            EXPECT_TRUE(stepped.insert(f.master.position()).second) << "a record stepped twice";
            s = f.master.step(kStepNext, rec);
        }
        EXPECT_EQ(9, s);
        EXPECT_EQ(count, stepped.size()) << "Stat count against Step count";
        // Segment entries: find each key number and whether it may leave records out.
        std::vector<bool> nullable(keys, false);
        for (size_t at = 16; at + 16 <= len; at += 16) {
            const uint16_t flags = uint16_t(st[at + 4] | st[at + 5] << 8);
            const int k = st[at + 14];
            if (k < keys && (flags & 0x0208)) nullable[k] = true;
        }
        for (int k = 0; k < keys; ++k) {
            SCOPED_TRACE("key " + std::to_string(k));
            std::set<uint32_t> inKey;
            int16_t g = f.master.get(kGetFirst, rec, key, int8_t(k));
            while (g == 0) {
                EXPECT_TRUE(inKey.insert(f.master.position()).second) << "a record twice in a key";
                g = f.master.get(kGetNext, rec, key, int8_t(k));
            }
            EXPECT_EQ(9, g);
            if (nullable[k]) {
                EXPECT_TRUE(std::includes(stepped.begin(), stepped.end(), inKey.begin(), inKey.end()));
            } else {
                EXPECT_EQ(stepped, inKey);
            }
        }
    }
};

TEST(Fuzz, EntryPointSurvivesRandomCallsAndFilesStayConsistent) {
    int calls = 20000;
    uint32_t seed = 20240611;
    if (const char* env = getenv("QDX_FUZZ_CALLS")) calls = atoi(env);
    if (const char* env = getenv("QDX_FUZZ_SEED")) seed = uint32_t(strtoul(env, nullptr, 10));
    Fuzzer fz(seed);
    fz.setUp();
    if (HasFatalFailure()) return;
    for (int i = 0; i < calls; ++i) {
        if (fz.chance(40)) {
            fz.validCall();
        } else {
            fz.randomCall();
        }
        if (HasFatalFailure()) {
            ADD_FAILURE() << "at call " << i << ": " << fz.lastCall_;
            return;
        }
    }
    // No transaction left open: commit whatever the fuzz began.
    uint32_t len = 0;
    Engine()(kEnd, nullptr, nullptr, &len, nullptr, 0, 0);
    for (auto& f : fz.files_) fz.checkConsistent(*f);
    // The files open afresh and are still consistent (if the fuzz set an
    // owner name they answer 51, which is also a sound answer).
    for (auto& f : fz.files_) {
        File again;
        const int16_t st = again.openFile(f->path);
        EXPECT_TRUE(st == 0 || st == 51) << st;
    }
}

}  // namespace
