// Creating a supplemental index on a large file through the administration
// layer (the work behind Insert in Choose Index and qdxutil index), against
// the same run's full scans of the file: the engine's Step First / Step Next
// in physical order, and raw SQLite reading every record row of the same
// file. An index build reads every record once and writes one entry per
// record, so its time is printed as a ratio of both scans.
//
// The file has 100-byte records: a unique 4-byte integer (key 0), an 8-byte
// group name with many duplicates and a 20-byte name. It is made once under
// QDX_BENCH_DIR (default TMPDIR or /tmp) with QDX_BENCH_RECORDS records
// (default 1,000,000); each index created is dropped again.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "admin/KeySpecification.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineTransaction.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldTypes.h"

namespace {

constexpr int kRecordLength = 100;
constexpr int kIdOffset = 0, kGroupOffset = 4, kNameOffset = 12;
constexpr int kGroupLength = 8, kNameLength = 20;
constexpr long long kBatch = 10000;

long long Records() {
    const char* e = getenv("QDX_BENCH_RECORDS");
    return e ? std::max(1000LL, atoll(e)) : 1000000LL;
}

std::string Dir() {
    if (const char* d = getenv("QDX_BENCH_DIR")) return d;
    if (const char* d = getenv("TMPDIR")) return d;
    return "/tmp";
}

std::string BinDir() {
    char exe[4096] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string self(exe, n > 0 ? size_t(n) : 0);
    return self.substr(0, self.rfind('/')) + "/../bin";
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::string gPath;
BtrieveFile gFile;
double gStepScan = 0, gRawScan = 0;
std::vector<std::pair<std::string, double>> gCreates;

std::unique_ptr<FieldAttributes> gGroup =
    FieldAttributes::FromDictionary("Group", kTypeString, kGroupOffset, kGroupLength, 0, 2, 0);
std::unique_ptr<FieldAttributes> gName =
    FieldAttributes::FromDictionary("Name", kTypeString, kNameOffset, kNameLength, 0, 3, 0);
std::unique_ptr<FieldAttributes> gId = FieldAttributes::FromDictionary("Id", kTypeInteger, kIdOffset, 4, 0, 1, 0);

int KeyCount() {
    std::vector<uint8_t> stat(BtrieveFile::kStatBufferSize);
    return gFile.stat(stat.data()) == 0 ? stat[4] : -1;
}

long long RecordCount() {
    std::vector<uint8_t> stat(BtrieveFile::kStatBufferSize);
    return gFile.stat(stat.data()) == 0 ? le::GetU32(&stat[6]) : -1;
}

// Makes the file unless one with the right count and key 0 alone is there.
bool Prepare() {
    gPath = Dir() + "/qdx-admin-bench-" + std::to_string(Records()) + ".dat";
    if (gFile.open(Estring(gPath)) == 0 && RecordCount() == Records() && KeyCount() == 1) return true;
    gFile.close();
    std::vector<uint8_t> spec(16 + 16, 0);
    le::PutU16(&spec[0], kRecordLength);
    le::PutU16(&spec[2], 4096);
    spec[4] = 1;
    le::PutU16(&spec[16 + 0], kIdOffset + 1);
    le::PutU16(&spec[16 + 2], 4);
    le::PutU16(&spec[16 + 4], 0x0100);  // extended type, unique
    spec[16 + 10] = kTypeInteger;
    if (BtrieveFile::createFile(spec.data(), static_cast<int>(spec.size()), Estring(gPath), true) != 0) return false;
    if (gFile.open(Estring(gPath)) != 0) return false;
    std::vector<uint32_t> ids(static_cast<size_t>(Records()));
    std::iota(ids.begin(), ids.end(), 1u);
    std::mt19937 rng(20);
    std::shuffle(ids.begin(), ids.end(), rng);
    std::vector<uint8_t> record(kRecordLength);
    for (long long i = 0; i < Records(); i += kBatch) {
        EngineTransaction batch;
        if (batch.Begin() != 0) return false;
        for (long long j = i; j < std::min(Records(), i + kBatch); ++j) {
            std::memset(record.data(), ' ', record.size());
            le::PutU32(&record[kIdOffset], ids[static_cast<size_t>(j)]);
            char group[kGroupLength + 1];
            std::snprintf(group, sizeof group, "g%07u", unsigned(rng() % 50000));
            std::memcpy(&record[kGroupOffset], group, kGroupLength);
            for (int c = 0; c < kNameLength; ++c) record[kNameOffset + c] = static_cast<uint8_t>("aAbBcCdDeEfF"[rng() % 12]);
            gFile.setDataLength(kRecordLength);
            if (gFile.insertRecord(record.data()) != 0) return false;
        }
        if (batch.Commit() != 0) return false;
    }
    return RecordCount() == Records();
}

void BM_StepScan(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> record(kRecordLength);
        uint8_t key[256] = {};
        long long n = 0;
        const auto start = std::chrono::steady_clock::now();
        gFile.setDataLength(kRecordLength);
        for (int s = gFile.stepFirst(record.data(), key); s == 0; s = gFile.stepNext(record.data(), key)) {
            ++n;
            gFile.setDataLength(kRecordLength);
        }
        gStepScan = Seconds(start);
        state.SetIterationTime(gStepScan);
        state.SetItemsProcessed(n);
        if (n != Records()) state.SkipWithError("the scan missed records");
    }
}

// The record rows of the same file read with SQLite alone, the engine's
// handle closed meanwhile.
void BM_RawScan(benchmark::State& state) {
    gFile.close();
    for (auto _ : state) {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(gPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            state.SkipWithError("sqlite3_open_v2 failed");
            sqlite3_close(db);
            break;
        }
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT data FROM qdx_record", -1, &statement, nullptr);
        std::vector<uint8_t> record(kRecordLength);
        long long n = 0;
        const auto start = std::chrono::steady_clock::now();
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            const int bytes = std::min(kRecordLength, sqlite3_column_bytes(statement, 0));
            std::memcpy(record.data(), sqlite3_column_blob(statement, 0), static_cast<size_t>(bytes));
            ++n;
        }
        gRawScan = Seconds(start);
        sqlite3_finalize(statement);
        sqlite3_close(db);
        benchmark::DoNotOptimize(record);
        state.SetIterationTime(gRawScan);
        state.SetItemsProcessed(n);
        if (n != Records()) state.SkipWithError("the raw scan missed records");
    }
    gFile.open(Estring(gPath));
}

void CreateAndDrop(benchmark::State& state, const std::string& label, const std::vector<IndexSegment>& segments) {
    IndexOptions options;
    options.duplicates = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = CreateIndex(gFile, segments, options);
        const double seconds = Seconds(start);
        state.SetIterationTime(seconds);
        state.SetItemsProcessed(Records());
        if (status != 0) {
            state.SkipWithError(("create index: status " + std::to_string(status)).c_str());
            break;
        }
        gCreates.emplace_back(label, seconds);
        if (DropIndex(gFile, 1, true) != 0) state.SkipWithError("drop index failed");
    }
}

void BM_CreateTextIndex(benchmark::State& state) { CreateAndDrop(state, "Name, case-insensitive", {NewIndexSegment(*gName)}); }

void BM_CreateTwoSegmentIndex(benchmark::State& state) {
    IndexSegment group = NewIndexSegment(*gGroup);
    group.descending = true;
    CreateAndDrop(state, "Group descending, Id", {group, NewIndexSegment(*gId)});
}

void Register(const char* name, void (*fn)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, fn)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (getenv("QDX_ENGINE_LIBRARY") == nullptr) setenv("QDX_ENGINE_LIBRARY", (BinDir() + "/libqdxengine.so").c_str(), 1);
    const auto made = std::chrono::steady_clock::now();
    if (!Prepare()) {
        std::fprintf(stderr, "admin_bench: could not make %s (status %d)\n", gPath.c_str(), gFile.status());
        return 1;
    }
    std::printf("records: %lld in %s (ready in %.1f s)\n", Records(), gPath.c_str(), Seconds(made));
    Register("StepScan/engine", BM_StepScan);
    Register("RecordScan/raw", BM_RawScan);
    Register("CreateIndex/text", BM_CreateTextIndex);
    Register("CreateIndex/two-segment", BM_CreateTwoSegmentIndex);
    benchmark::RunSpecifiedBenchmarks();
    for (const auto& [label, seconds] : gCreates) {
        std::printf("create index (%s): %.2f s = %.1f x engine step scan (%.2f s), %.1f x raw record scan (%.2f s)\n",
                    label.c_str(), seconds, gStepScan > 0 ? seconds / gStepScan : 0.0, gStepScan,
                    gRawScan > 0 ? seconds / gRawScan : 0.0, gRawScan);
    }
    gFile.close();
    return 0;
}
