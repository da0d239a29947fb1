// The record manager against raw SQLite doing the same work through a single
// prepared statement, in the same commit pattern, on the same data:
// 100-byte records with a unique 4-byte integer key (random order) and an
// 8-byte string key with duplicates. Prints engine/raw ratios at the end.
// Open + Stat (which the program does on every open) is measured against
// raw SQLite opening the file and counting its rows: the engine keeps its
// counts in the file, so its figure must not grow with the file.
//
// QDX_BENCH_RECORDS sets the number of records (default 1,000,000);
// QDX_BENCH_DIR the directory for the files (default TMPDIR or /tmp).

#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <time.h>
#include <limits.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/Contract.h"

namespace {

using Fn = BtrcallFunction;
constexpr size_t kRecLen = 100;
constexpr uint32_t kBatch = 10000;
constexpr uint32_t kAutocommitInserts = 10000;
constexpr uint32_t kLookups = 100000;
constexpr int kOpens = 20;

size_t N() {
    const char* e = getenv("QDX_BENCH_RECORDS");
    return e ? std::max<size_t>(size_t(atol(e)), 1000) : 1000000;
}

std::string Dir() {
    if (const char* d = getenv("QDX_BENCH_DIR")) return d;
    if (const char* d = getenv("TMPDIR")) return d;
    return "/tmp";
}

Fn LoadEngine() {
    std::string lib;
    if (const char* dir = getenv("QDX_BIN_DIR")) {
        lib = std::string(dir) + "/libqdxengine.so";
    } else {
        char exe[PATH_MAX] = {};
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string self(exe, n > 0 ? size_t(n) : 0);
        lib = self.substr(0, self.rfind('/')) + "/../bin/libqdxengine.so";
    }
    void* h = dlopen(lib.c_str(), RTLD_NOW);
    if (!h) {
        fprintf(stderr, "cannot load %s: %s\n", lib.c_str(), dlerror());
        exit(1);
    }
    return reinterpret_cast<Fn>(dlsym(h, "BTRCALL"));
}

// The data set: record i has key0 = perm[i], key1 = group name.
struct Data {
    std::vector<uint32_t> key0;
    std::vector<uint32_t> lookups;
    void make(size_t n) {
        key0.resize(n);
        std::iota(key0.begin(), key0.end(), 0u);
        std::mt19937 rng(7);
        std::shuffle(key0.begin(), key0.end(), rng);
        lookups.resize(kLookups);
        for (auto& l : lookups) l = uint32_t(rng() % n);
    }
    void record(size_t i, uint8_t* r) const {
        std::memset(r, 'a' + i % 26, kRecLen);
        const uint32_t k = key0[i];
        std::memcpy(r, &k, 4);
        snprintf(reinterpret_cast<char*>(r + 4), 9, "g%07u", unsigned(k % 50000));
    }
};

Data gData;
Fn gEngine;
std::map<std::string, double> gSeconds, gCpuSeconds;
std::map<std::string, size_t> gItems;
double gCpuStart = 0;

double Cpu() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// Wall clock; also starts the process CPU clock of the phase (the machine
// may be shared, so both ratios are printed).
double Now() {
    gCpuStart = Cpu();
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double Since(double start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count() - start;
}

void RemoveFiles(const std::string& p) {
    for (const char* s : {"", "-wal", "-shm"}) unlink((p + s).c_str());
}

// ---------------------------------------------------------------- engine

struct EngineFile {
    uint8_t pos[128] = {};
    std::string path;
    int16_t call(uint16_t op, void* data, uint32_t* len, void* key, int8_t kn) {
        return gEngine(op, pos, data, len, key, 255, kn);
    }
    void create(const std::string& p) {
        path = p;
        RemoveFiles(p);
        uint8_t spec[16 + 32] = {};
        spec[0] = kRecLen;
        spec[3] = 0x10;  // 4096
        spec[4] = 2;
        // key 0: position 1, 4 bytes, integer; key 1: position 5, 8 bytes, string, duplicates
        uint8_t* e = spec + 16;
        e[0] = 1; e[2] = 4; e[4] = 0; e[5] = 0x01; e[10] = 1;
        e += 16;
        e[0] = 5; e[2] = 8; e[4] = 0x01; e[5] = 0x01; e[10] = 0;
        uint32_t len = sizeof spec;
        char key[256] = {};
        snprintf(key, sizeof key, "%s", p.c_str());
        uint8_t cpos[128] = {};
        if (gEngine(14, cpos, spec, &len, key, 255, 0) != 0) abort();
    }
    void open() {
        char key[256] = {};
        snprintf(key, sizeof key, "%s", path.c_str());
        uint32_t len = 0;
        if (call(0, nullptr, &len, key, 0) != 0) abort();
    }
    void close() {
        uint32_t len = 0;
        call(1, nullptr, &len, nullptr, 0);
    }
};

EngineFile gEngineBig;
sqlite3* gRawBig = nullptr;

void EngineInsert(EngineFile& f, size_t n, uint32_t batch) {
    uint8_t rec[kRecLen], key[255];
    uint32_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        if (batch > 1 && i % batch == 0) gEngine(19, nullptr, nullptr, &len, nullptr, 0, 0);
        gData.record(i, rec);
        len = kRecLen;
        if (f.call(2, rec, &len, key, -1) != 0) abort();
        if (batch > 1 && (i + 1) % batch == 0) gEngine(20, nullptr, nullptr, &len, nullptr, 0, 0);
    }
    if (batch > 1 && n % batch) gEngine(20, nullptr, nullptr, &len, nullptr, 0, 0);
}

// ---------------------------------------------------------------- raw SQLite

sqlite3* RawCreate(const std::string& p) {
    RemoveFiles(p);
    sqlite3* db = nullptr;
    sqlite3_open(p.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-16384;"
                 " PRAGMA mmap_size=268435456;"
                 "CREATE TABLE t(id INTEGER PRIMARY KEY, k0 BLOB, k1 BLOB, data BLOB);"
                 "CREATE UNIQUE INDEX t_k0 ON t(k0); CREATE INDEX t_k1 ON t(k1);",
                 nullptr, nullptr, nullptr);
    return db;
}

void RawInsert(sqlite3* db, size_t n, uint32_t batch) {
    sqlite3_stmt* s;
    sqlite3_prepare_v2(db, "INSERT INTO t(k0, k1, data) VALUES(?1, ?2, ?3)", -1, &s, nullptr);
    uint8_t rec[kRecLen];
    for (size_t i = 0; i < n; ++i) {
        if (batch > 1 && i % batch == 0) sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        gData.record(i, rec);
        const uint32_t k = gData.key0[i];
        uint8_t be[4] = {uint8_t((k >> 24) ^ 0x80), uint8_t(k >> 16), uint8_t(k >> 8), uint8_t(k)};
        sqlite3_bind_blob(s, 1, be, 4, SQLITE_STATIC);
        sqlite3_bind_blob(s, 2, rec + 4, 8, SQLITE_STATIC);
        sqlite3_bind_blob(s, 3, rec, kRecLen, SQLITE_STATIC);
        if (sqlite3_step(s) != SQLITE_DONE) abort();
        sqlite3_reset(s);
        if (batch > 1 && (i + 1) % batch == 0) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    if (batch > 1 && n % batch) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(s);
}

// ---------------------------------------------------------------- phases

void Record(benchmark::State& state, const std::string& name, double seconds, size_t items) {
    gCpuSeconds[name] = Cpu() - gCpuStart;
    state.SetIterationTime(seconds);
    state.SetItemsProcessed(int64_t(items));
    gSeconds[name] = seconds;
    gItems[name] = items;
}

void BM_EngineInsertTxn(benchmark::State& state) {
    for (auto _ : state) {
        gEngineBig.create(Dir() + "/qdx_bench_engine.dat");
        gEngineBig.open();
        double t = Now();
        EngineInsert(gEngineBig, N(), kBatch);
        Record(state, "insert_txn_engine", Since(t), N());
    }
}
void BM_RawInsertTxn(benchmark::State& state) {
    for (auto _ : state) {
        gRawBig = RawCreate(Dir() + "/qdx_bench_raw.db");
        double t = Now();
        RawInsert(gRawBig, N(), kBatch);
        Record(state, "insert_txn_raw", Since(t), N());
    }
}
void BM_EngineInsertCommitEach(benchmark::State& state) {
    for (auto _ : state) {
        EngineFile f;
        f.create(Dir() + "/qdx_bench_engine_small.dat");
        f.open();
        double t = Now();
        EngineInsert(f, kAutocommitInserts, 1);
        Record(state, "insert_commit_engine", Since(t), kAutocommitInserts);
        f.close();
        RemoveFiles(f.path);
    }
}
void BM_RawInsertCommitEach(benchmark::State& state) {
    for (auto _ : state) {
        const std::string p = Dir() + "/qdx_bench_raw_small.db";
        sqlite3* db = RawCreate(p);
        double t = Now();
        RawInsert(db, kAutocommitInserts, 1);
        Record(state, "insert_commit_raw", Since(t), kAutocommitInserts);
        sqlite3_close(db);
        RemoveFiles(p);
    }
}
// A Get Next scan of the whole file on one key, and raw SQLite reading the
// same index with its records. Key 1 (an 8-byte string with duplicates)
// also pays the tie order by position.
void EngineKeyScan(benchmark::State& state, int8_t keyNumber, const char* name) {
    for (auto _ : state) {
        uint8_t rec[kRecLen], key[255];
        uint32_t len = kRecLen;
        size_t n = 0;
        double t = Now();
        for (int16_t st = gEngineBig.call(12, rec, &len, key, keyNumber); st == 0;
             len = kRecLen, st = gEngineBig.call(6, rec, &len, key, keyNumber))
            ++n;
        Record(state, name, Since(t), n);
        if (n != N()) abort();
    }
}
void RawKeyScan(benchmark::State& state, const char* sql, const char* name) {
    for (auto _ : state) {
        sqlite3_stmt* s;
        sqlite3_prepare_v2(gRawBig, sql, -1, &s, nullptr);
        uint8_t rec[kRecLen], key[255];
        size_t n = 0;
        double t = Now();
        while (sqlite3_step(s) == SQLITE_ROW) {
            std::memcpy(key, sqlite3_column_blob(s, 0), size_t(sqlite3_column_bytes(s, 0)));
            std::memcpy(rec, sqlite3_column_blob(s, 1), size_t(sqlite3_column_bytes(s, 1)));
            ++n;
        }
        Record(state, name, Since(t), n);
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rec);
    }
}
void BM_EngineGetNextScan(benchmark::State& state) { EngineKeyScan(state, 0, "getnext_engine"); }
void BM_RawKeyScan(benchmark::State& state) {
    RawKeyScan(state, "SELECT k0, data FROM t ORDER BY k0", "getnext_raw");
}
void BM_EngineGetNextScanKey1(benchmark::State& state) { EngineKeyScan(state, 1, "getnext1_engine"); }
void BM_RawKeyScanKey1(benchmark::State& state) {
    RawKeyScan(state, "SELECT k1, data FROM t ORDER BY k1, id", "getnext1_raw");
}
void BM_EngineStepScan(benchmark::State& state) {
    for (auto _ : state) {
        uint8_t rec[kRecLen];
        uint32_t len = kRecLen;
        size_t n = 0;
        double t = Now();
        for (int16_t st = gEngineBig.call(33, rec, &len, nullptr, 0); st == 0;
             len = kRecLen, st = gEngineBig.call(24, rec, &len, nullptr, 0))
            ++n;
        Record(state, "step_engine", Since(t), n);
        if (n != N()) abort();
    }
}
void BM_RawStepScan(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3_stmt* s;
        sqlite3_prepare_v2(gRawBig, "SELECT data FROM t ORDER BY id", -1, &s, nullptr);
        uint8_t rec[kRecLen];
        size_t n = 0;
        double t = Now();
        while (sqlite3_step(s) == SQLITE_ROW) {
            std::memcpy(rec, sqlite3_column_blob(s, 0), size_t(sqlite3_column_bytes(s, 0)));
            ++n;
        }
        Record(state, "step_raw", Since(t), n);
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rec);
    }
}
void BM_EngineGetEqual(benchmark::State& state) {
    for (auto _ : state) {
        uint8_t rec[kRecLen], key[255];
        double t = Now();
        for (uint32_t k : gData.lookups) {
            uint32_t len = kRecLen;
            std::memcpy(key, &k, 4);
            if (gEngineBig.call(5, rec, &len, key, 0) != 0) abort();
        }
        Record(state, "getequal_engine", Since(t), gData.lookups.size());
    }
}
void BM_RawGetEqual(benchmark::State& state) {
    for (auto _ : state) {
        sqlite3_stmt* s;
        sqlite3_prepare_v2(gRawBig, "SELECT data FROM t WHERE k0 = ?1", -1, &s, nullptr);
        uint8_t rec[kRecLen];
        double t = Now();
        for (uint32_t k : gData.lookups) {
            uint8_t be[4] = {uint8_t((k >> 24) ^ 0x80), uint8_t(k >> 16), uint8_t(k >> 8), uint8_t(k)};
            sqlite3_bind_blob(s, 1, be, 4, SQLITE_STATIC);
            if (sqlite3_step(s) != SQLITE_ROW) abort();
            std::memcpy(rec, sqlite3_column_blob(s, 0), size_t(sqlite3_column_bytes(s, 0)));
            sqlite3_reset(s);
        }
        Record(state, "getequal_raw", Since(t), gData.lookups.size());
        sqlite3_finalize(s);
        benchmark::DoNotOptimize(rec);
    }
}

void BM_EngineOpenStat(benchmark::State& state) {
    gEngineBig.close();  // each open below opens the file afresh
    for (auto _ : state) {
        double t = Now();
        for (int i = 0; i < kOpens; ++i) {
            EngineFile f;
            f.path = gEngineBig.path;
            f.open();
            uint8_t stat[16 + 32 + 64];
            uint32_t len = sizeof stat;
            uint8_t key[255];
            if (f.call(15, stat, &len, key, -1) != 0) abort();
            uint32_t count;
            std::memcpy(&count, stat + 6, 4);
            if (count != N()) abort();
            f.close();
        }
        Record(state, "openstat_engine", Since(t), kOpens);
    }
}
void BM_RawOpenCount(benchmark::State& state) {
    for (auto _ : state) {
        double t = Now();
        for (int i = 0; i < kOpens; ++i) {
            sqlite3* db = nullptr;
            sqlite3_open((Dir() + "/qdx_bench_raw.db").c_str(), &db);
            sqlite3_stmt* s;
            sqlite3_prepare_v2(db, "SELECT count(*) FROM t", -1, &s, nullptr);
            if (sqlite3_step(s) != SQLITE_ROW || size_t(sqlite3_column_int64(s, 0)) != N()) abort();
            sqlite3_finalize(s);
            sqlite3_close(db);
        }
        Record(state, "openstat_raw", Since(t), kOpens);
    }
}

void Register(const char* name, void (*fn)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, fn)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    gEngine = LoadEngine();
    gData.make(N());
    printf("records: %zu\n", N());
    Register("InsertTxn10000/engine", BM_EngineInsertTxn);
    Register("InsertTxn10000/raw", BM_RawInsertTxn);
    Register("InsertCommitEach/engine", BM_EngineInsertCommitEach);
    Register("InsertCommitEach/raw", BM_RawInsertCommitEach);
    Register("GetNextScan/engine", BM_EngineGetNextScan);
    Register("KeyScan/raw", BM_RawKeyScan);
    Register("GetNextScanKey1/engine", BM_EngineGetNextScanKey1);
    Register("KeyScanKey1/raw", BM_RawKeyScanKey1);
    Register("StepScan/engine", BM_EngineStepScan);
    Register("StepScan/raw", BM_RawStepScan);
    Register("GetEqualRandom/engine", BM_EngineGetEqual);
    Register("GetEqualRandom/raw", BM_RawGetEqual);
    Register("OpenStat/engine", BM_EngineOpenStat);
    Register("OpenCount/raw", BM_RawOpenCount);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printf("\nengine / raw SQLite, wall clock and process CPU time (target):\n");
    const struct { const char* name; double target; } rows[] = {
        {"insert_txn", 2.0}, {"insert_commit", 2.0}, {"getnext", 2.0}, {"getnext1", 2.0}, {"step", 2.0}, {"getequal", 1.5},
        {"openstat", 0}};
    for (const auto& r : rows) {
        const std::string e = std::string(r.name) + "_engine", w = std::string(r.name) + "_raw";
        if (gSeconds.count(e) && gSeconds.count(w) && gSeconds[w] > 0)
            printf("  %-14s wall %5.2fx (%6.0f vs %6.0f ms)  cpu %5.2fx (%6.0f vs %6.0f ms)  target %s\n",
                   r.name, gSeconds[e] / gSeconds[w], gSeconds[e] * 1000, gSeconds[w] * 1000,
                   gCpuSeconds[e] / gCpuSeconds[w], gCpuSeconds[e] * 1000, gCpuSeconds[w] * 1000,
                   r.target > 0 ? (std::to_string(r.target).substr(0, 3) + "x").c_str() : "none");
    }
    // Absolute rates: what a filtered view, a bulk run or an export can reach.
    printf("\nscan rates, records per second (target):\n");
    const struct { const char* name; const char* label; double target; } rates[] = {
        {"getnext_engine", "Get Next, key 0", 1e6},
        {"getnext1_engine", "Get Next, key 1", 7e5},
        {"step_engine", "Step Next", 5e6},
        {"getnext_raw", "raw SQLite, key 0", 0},
        {"getnext1_raw", "raw SQLite, key 1", 0},
        {"step_raw", "raw SQLite, rowid", 0}};
    for (const auto& r : rates) {
        if (!gSeconds.count(r.name) || gSeconds[r.name] <= 0) continue;
        const double rate = double(gItems[r.name]) / gSeconds[r.name];
        if (r.target > 0)
            printf("  %-18s %10.0f   target %.0f  %s\n", r.label, rate, r.target, rate >= r.target ? "met" : "NOT MET");
        else
            printf("  %-18s %10.0f\n", r.label, rate);
    }
    gEngineBig.close();
    if (gRawBig) sqlite3_close(gRawBig);
    RemoveFiles(Dir() + "/qdx_bench_engine.dat");
    RemoveFiles(Dir() + "/qdx_bench_raw.db");
    benchmark::Shutdown();
    return 0;
}
