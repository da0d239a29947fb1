// The grid on the demo's Orders table (QDX_BENCH_RECORDS orders, default
// 1,000,000; the database is made once under QDX_BENCH_DIR or /tmp): opening
// it with its first page, End, Page Up, Page Down and a one-line scroll, each
// engine + formatting on a memory screen; a full scan through the record
// list's fetch loop with a filter that rejects every record, against the
// engine's own Get Next over the same file in the same run; and the resident
// memory after paging from the first to the last record.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "app/FilePick.h"
#include "app/Startup.h"
#include "btrieve/BtrieveFile.h"
#include "platform/Console.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"
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

long ResidentKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return atol(line.c_str() + 6);
    return 0;
}

struct Session {
    MemoryDisplay screen{120, 40};
    ScriptedInput keys;
    BtrieveFile file;
    std::vector<uint8_t> record;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

Session* session = nullptr;
double engineRate = 0, scanRate = 0;

bool Prepare() {
    const char* base = getenv("QDX_BENCH_DIR");
    std::string dir = std::string(base ? base : "/tmp") + "/qdx-browser-bench-" + std::to_string(Records());
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
    session = new Session;
    InstallConsole(&session->screen, &session->keys);
    return FindTableByLocation("orders.dat", session->record);
}

void Open() {
    session->viewer.reset();
    session->definition.reset();
    session->file.open("orders.dat");
    session->definition = std::make_unique<DictionaryDef>(session->record.data(), "orders.dat", &session->file);
    session->viewer = std::make_unique<FileViewer>(&session->file, *session->definition, 2, 38);
    session->viewer->refill();
}

void Press(int key) {
    session->keys.PushKey(key);
    session->keys.PushKey(kKeyAltX);
    session->viewer->run(nullptr);
}

void BM_OpenAndFirstPage(benchmark::State& state) {
    for (auto _ : state) Open();
}
void BM_End(benchmark::State& state) {
    for (auto _ : state) {
        Press(kKeyHome);
        auto t0 = std::chrono::steady_clock::now();
        Press(kKeyEnd);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
}
void BM_PageUp(benchmark::State& state) {
    Press(kKeyEnd);
    for (auto _ : state) Press(kKeyPageUp);
}
void BM_PageDown(benchmark::State& state) {
    Press(kKeyHome);
    for (auto _ : state) Press(kKeyPageDown);
}
void BM_LineScroll(benchmark::State& state) {
    Press(kKeyHome);
    for (int i = 0; i < session->viewer->pageRowCount(); ++i) Press(kKeyDown);
    for (auto _ : state) Press(kKeyDown);
}

void BM_EngineGetNext(benchmark::State& state) {
    BtrieveFile file;
    file.open("orders.dat");
    std::vector<uint8_t> buffer(32768);
    uint8_t key[256] = {};
    long long n = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) {
        n = 0;
        file.setDataLength(32768);
        for (int s = file.getFirst(key, buffer.data(), 0); s == 0; s = file.getNext(key, buffer.data(), 0)) {
            ++n;
            file.setDataLength(32768);
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    engineRate = n * static_cast<double>(state.iterations()) / seconds;
    state.counters["records/s"] = engineRate;
}

void BM_FilteredScan(benchmark::State& state) {
    long long n = Records();
    auto t0 = std::chrono::steady_clock::now();
    for (auto _ : state) session->viewer->setFilter("OrderNo < 0");  // rejects every record; Searching popup and gauge included
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    scanRate = n * static_cast<double>(state.iterations()) / seconds;
    state.counters["records/s"] = scanRate;
    session->viewer->setFilter("");
}

void BM_ResidentAfterPaging(benchmark::State& state) {
    long before = ResidentKb();
    for (auto _ : state) {
        Press(kKeyHome);
        for (int i = 0; i < 2000; ++i) Press(kKeyPageDown);
    }
    state.counters["rss_kb_before"] = static_cast<double>(before);
    state.counters["rss_kb_after"] = static_cast<double>(ResidentKb());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!Prepare()) {
        std::fprintf(stderr, "browser_bench: could not prepare the demo database\n");
        return 1;
    }
    Open();
    benchmark::RegisterBenchmark("OpenAndFirstPage", BM_OpenAndFirstPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("End", BM_End)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PageUp", BM_PageUp)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PageDown", BM_PageDown)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LineScroll", BM_LineScroll)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EngineGetNext", BM_EngineGetNext)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilteredScan", BM_FilteredScan)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ResidentAfterPaging", BM_ResidentAfterPaging)->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    if (engineRate > 0)
        std::printf("filtered scan / engine Get Next: %.2f (%.0f vs %.0f records/s)\n", scanRate / engineRate, scanRate,
                    engineRate);
    session->viewer.reset();
    InstallConsole(nullptr, nullptr);
    closeDictionary();
    return 0;
}
