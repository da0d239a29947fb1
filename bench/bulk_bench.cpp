// Modify all on the demo's Orders table (QDX_BENCH_RECORDS orders, default
// 1,000,000; the database is made once under QDX_BENCH_DIR or /tmp, in a
// directory of its own since the runs change it): one formula field
// ("Total" = "Total + 1") over every record, through the grid's run with its
// counter window on a memory screen, against the engine's own loop of Get
// Next and Update over the same file in the same run, with the same batches
// of engine transactions. Both rates are printed with their ratio.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Startup.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineTransaction.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "fields/FieldList.h"
#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "viewer/BulkOperations.h"
#include "viewer/BulkProgress.h"
#include "viewer/FileViewer.h"

namespace {

long long Records() {
    const char* e = getenv("QDX_BENCH_RECORDS");
    return e ? std::max(1000LL, atoll(e)) : 1000000LL;
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

// The process's processor time: the machine is shared, so the wall clock
// alone says as much about the neighbours as about the run.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Rates {
    double wall = 0;
    double cpu = 0;
};

MemoryDisplay* screen = nullptr;
ScriptedInput* keys = nullptr;
std::vector<uint8_t> tableRecord;
Rates engineRate, modifyRate;

bool Prepare() {
    const char* base = getenv("QDX_BENCH_DIR");
    std::string dir = std::string(base ? base : "/tmp") + "/qdx-bulk-bench-" + std::to_string(Records());
    std::string bin = BinDir();
    if (access((dir + "/file.ddf").c_str(), F_OK) != 0) {
        std::string command = bin + "/qdxutil demo " + dir + " --replace --rows " + std::to_string(Records()) +
                              " >/dev/null";
        if (std::system(command.c_str()) != 0) return false;
    }
    setenv("QDX_ENGINE_LIBRARY", (bin + "/libqdxengine.so").c_str(), 1);
    if (chdir(dir.c_str()) != 0) return false;
    Estring path(dir.c_str());
    if (!openDictionary(path, nullptr)) return false;
    screen = new MemoryDisplay(120, 40);
    keys = new ScriptedInput;
    InstallConsole(screen, keys);
    if (!FindTableByLocation("orders.dat", tableRecord)) return false;
    // One read of the whole file first, so that neither run pays for a cold cache.
    BtrieveFile file;
    if (file.open("orders.dat") != 0) return false;
    std::vector<uint8_t> record(32768);
    uint8_t key[256] = {};
    file.setDataLength(32768);
    for (int s = file.stepFirst(record.data(), key); s == 0; s = file.stepNext(record.data(), key))
        file.setDataLength(32768);
    return true;
}

// The engine's own loop: Get Next and Update on key 0, a byte of the Total
// field changed, in transactions of the bulk runs' batch size.
void BM_EngineUpdate(benchmark::State& state) {
    BtrieveFile file;
    file.open("orders.dat");
    DictionaryDef definition(tableRecord.data(), "orders.dat", &file);
    const FieldAttributes* total = definition.Find("Total");
    const int at = total != nullptr ? total->offset + total->length - 2 : 0;
    std::vector<uint8_t> record(32768);
    uint8_t key[256] = {};
    long long n = 0;
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = CpuSeconds();
    for (auto _ : state) {
        n = 0;
        EngineTransaction transaction;
        transaction.Begin();
        file.setDataLength(32768);
        for (int s = file.getFirst(key, record.data(), 0); s == 0; s = file.getNext(key, record.data(), 0)) {
            const uint16_t length = file.dataLength();
            record[static_cast<size_t>(at)] ^= 0x01;  // a digit of the packed value: 0 <-> 1, still a number
            file.setDataLength(length);
            if (file.updateRecord(record.data(), -1) != 0) state.SkipWithError("Update refused");
            if (++n % kBulkBatchSize == 0) {
                transaction.Commit();
                transaction.Begin();
            }
            file.setDataLength(32768);
        }
        transaction.Commit();
    }
    const double records = static_cast<double>(n) * static_cast<double>(state.iterations());
    engineRate = {records / Seconds(started), records / (CpuSeconds() - cpuStarted)};
    state.counters["records/s"] = engineRate.wall;
    state.counters["cpu records/s"] = engineRate.cpu;
}

void BM_ModifyAll(benchmark::State& state) {
    BtrieveFile file;
    file.open("orders.dat");
    DictionaryDef definition(tableRecord.data(), "orders.dat", &file);
    FileViewer viewer(&file, definition, 2, 38);
    viewer.refill();
    const std::vector<FieldFormula> formulas{{viewer.fields.Find("Total"), "Total + 1"}};
    long long n = 0;
    const auto started = std::chrono::steady_clock::now();
    const double cpuStarted = CpuSeconds();
    for (auto _ : state) {
        BulkProgress progress("Modified: ", "Cancel Modify?");
        const BulkResult result = ModifyAllRecords(viewer, formulas, progress);
        if (result.refused != 0 || result.endStatus != 9) state.SkipWithError("the run did not reach the end");
        n = result.done;
    }
    const double records = static_cast<double>(n) * static_cast<double>(state.iterations());
    modifyRate = {records / Seconds(started), records / (CpuSeconds() - cpuStarted)};
    state.counters["records/s"] = modifyRate.wall;
    state.counters["cpu records/s"] = modifyRate.cpu;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!Prepare()) {
        std::fprintf(stderr, "bulk_bench: could not prepare the demo database\n");
        return 1;
    }
    benchmark::RegisterBenchmark("EngineUpdate", BM_EngineUpdate)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ModifyAll", BM_ModifyAll)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    if (engineRate.wall > 0 && engineRate.cpu > 0) {
        std::printf("modify all / engine update: %.2f (%.0f vs %.0f records/s)\n", modifyRate.wall / engineRate.wall,
                    modifyRate.wall, engineRate.wall);
        std::printf("the same in processor time: %.2f (%.0f vs %.0f records/s)\n", modifyRate.cpu / engineRate.cpu,
                    modifyRate.cpu, engineRate.cpu);
    }
    InstallConsole(nullptr, nullptr);
    closeDictionary();
    return 0;
}
