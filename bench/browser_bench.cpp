// The grid on the demo's Orders table (QDX_BENCH_RECORDS orders, default
// 1,000,000; the database is made once under QDX_BENCH_DIR or /tmp): opening
// it with its first page, End, Page Up, Page Down and a one-line scroll, each
// engine + formatting on a memory screen; a full scan through the record
// list's fetch loop with a filter that rejects every record, against the
// engine's own Get Next over the same file in the same run; the resident
// memory after paging from the first to the last record; and the first page
// and End with a filter that accepts one order in a thousand and with a key
// range over 1% of the orders, the range on this file and on one a tenth of
// its size (QDX_BENCH_SMALL_RECORDS), each against the plain first page and
// End measured in the same run. A range seeds the fetch with its bounds, so
// its times must not grow with the file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
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
#include "viewer/SortRestrict.h"

namespace {

long long Records() {
    const char* e = getenv("QDX_BENCH_RECORDS");
    return e ? std::max(1000LL, atoll(e)) : 1000000LL;
}

long long SmallRecords() {
    const char* e = getenv("QDX_BENCH_SMALL_RECORDS");
    return e ? std::max(1000LL, atoll(e)) : std::max(1000LL, Records() / 10);
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

// The smaller file of the range comparison, shown through the same definition.
struct SmallFile {
    BtrieveFile file;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

Session* session = nullptr;
SmallFile* small = nullptr;
double engineRate = 0, scanRate = 0;
// Mean seconds of one iteration, by benchmark name, for the ratios printed at the end.
std::map<std::string, double> meanSeconds;

std::string DatabaseDir(long long records) {
    const char* base = getenv("QDX_BENCH_DIR");
    return std::string(base ? base : "/tmp") + "/qdx-browser-bench-" + std::to_string(records);
}

bool MakeDatabase(const std::string& dir, long long records) {
    if (access((dir + "/file.ddf").c_str(), F_OK) == 0) return true;
    std::string command =
        BinDir() + "/qdxutil demo " + dir + " --replace --rows " + std::to_string(records) + " >/dev/null";
    return std::system(command.c_str()) == 0;
}

bool Prepare() {
    std::string dir = DatabaseDir(Records());
    std::string bin = BinDir();
    if (!MakeDatabase(dir, Records())) return false;
    if (SmallRecords() != Records() && !MakeDatabase(DatabaseDir(SmallRecords()), SmallRecords())) return false;
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

void Press(int key, FileViewer* viewer = nullptr) {
    session->keys.PushKey(key);
    session->keys.PushKey(kKeyAltX);
    (viewer != nullptr ? viewer : session->viewer.get())->run(nullptr);
}

double Since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

bool OpenSmall() {
    small = new SmallFile;
    if (small->file.open(Estring((DatabaseDir(SmallRecords()) + "/orders.dat").c_str())) != 0) return false;
    small->definition = std::make_unique<DictionaryDef>(session->record.data(), "orders.dat", &small->file);
    small->viewer = std::make_unique<FileViewer>(&small->file, *small->definition, 2, 38);
    small->viewer->refill();
    return true;
}

// 1% of the orders of a file of records orders (numbered from 100001), from its middle, on OrderNo.
void SetRange(FileViewer& viewer, long long records) {
    const long long low = 100001 + records / 2;
    const std::vector<Estring> from{Estring::FromInt(static_cast<int>(low))};
    const std::vector<Estring> to{Estring::FromInt(static_cast<int>(low + records / 100 - 1))};
    bool active = false;
    Estring bad;
    viewer.keyNumber = 0;
    BuildRange(viewer.definition, 0, from, to, viewer.rangeFrom, viewer.rangeTo, active, bad);
    viewer.rangeActive = active ? 1 : 0;
}

void ClearRange(FileViewer& viewer) {
    bool active = false;
    Estring bad;
    BuildRange(viewer.definition, 0, {}, {}, viewer.rangeFrom, viewer.rangeTo, active, bad);
    viewer.rangeActive = 0;
    viewer.restartAtFirst();
}

// The first page from nothing: the fetch of the first record in view and the page after it.
void FirstPage(benchmark::State& state, const char* name, FileViewer& viewer) {
    double total = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        viewer.restartAtFirst();
        const double t = Since(t0);
        total += t;
        state.SetIterationTime(t);
    }
    meanSeconds[name] = total / static_cast<double>(state.iterations());
    state.counters["rows"] = viewer.rowCount();
}

void EndKey(benchmark::State& state, const char* name, FileViewer& viewer) {
    double total = 0;
    for (auto _ : state) {
        Press(kKeyHome, &viewer);
        auto t0 = std::chrono::steady_clock::now();
        Press(kKeyEnd, &viewer);
        const double t = Since(t0);
        total += t;
        state.SetIterationTime(t);
    }
    meanSeconds[name] = total / static_cast<double>(state.iterations());
    state.counters["rows"] = viewer.rowCount();
}

constexpr const char* kOneInAThousand = "OrderNo % 1000 = 0";

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

// The library runs each benchmark function several times (to settle the
// iteration count), so each one sets the view it measures itself.
void Plain(FileViewer& viewer) {
    ClearRange(viewer);
    viewer.setFilter("");
}
void Filtered(FileViewer& viewer) {
    ClearRange(viewer);
    viewer.setFilter(kOneInAThousand);
}
void Ranged(FileViewer& viewer, long long records) {
    SetRange(viewer, records);
    viewer.setFilter("");
}

void BM_PlainFirstPage(benchmark::State& state) {
    Plain(*session->viewer);
    FirstPage(state, "PlainFirstPage", *session->viewer);
}
void BM_PlainEnd(benchmark::State& state) {
    Plain(*session->viewer);
    EndKey(state, "PlainEnd", *session->viewer);
}
void BM_FilterFirstPage(benchmark::State& state) {
    Filtered(*session->viewer);
    FirstPage(state, "FilterFirstPage", *session->viewer);
}
void BM_FilterEnd(benchmark::State& state) {
    Filtered(*session->viewer);
    EndKey(state, "FilterEnd", *session->viewer);
}
void BM_RangeFirstPage(benchmark::State& state) {
    Ranged(*session->viewer, Records());
    FirstPage(state, "RangeFirstPage", *session->viewer);
}
void BM_RangeEnd(benchmark::State& state) {
    Ranged(*session->viewer, Records());
    EndKey(state, "RangeEnd", *session->viewer);
}
void BM_SmallRangeFirstPage(benchmark::State& state) {
    Ranged(*small->viewer, SmallRecords());
    FirstPage(state, "SmallRangeFirstPage", *small->viewer);
}
void BM_SmallRangeEnd(benchmark::State& state) {
    Ranged(*small->viewer, SmallRecords());
    EndKey(state, "SmallRangeEnd", *small->viewer);
}

void Ratio(const char* label, const char* a, const char* b) {
    if (meanSeconds.count(a) == 0 || meanSeconds.count(b) == 0 || meanSeconds[b] <= 0) return;
    std::printf("%s: %.2f (%.3f ms vs %.3f ms)\n", label, meanSeconds[a] / meanSeconds[b], meanSeconds[a] * 1e3,
                meanSeconds[b] * 1e3);
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
    if (!OpenSmall()) {
        std::fprintf(stderr, "browser_bench: could not open the orders of %lld records\n", SmallRecords());
        return 1;
    }
    const std::string smallName = std::to_string(SmallRecords());
    benchmark::RegisterBenchmark("OpenAndFirstPage", BM_OpenAndFirstPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("End", BM_End)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PageUp", BM_PageUp)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PageDown", BM_PageDown)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LineScroll", BM_LineScroll)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EngineGetNext", BM_EngineGetNext)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilteredScan", BM_FilteredScan)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ResidentAfterPaging", BM_ResidentAfterPaging)->Iterations(1);
    benchmark::RegisterBenchmark("PlainFirstPage", BM_PlainFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PlainEnd", BM_PlainEnd)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilterFirstPage", BM_FilterFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilterEnd", BM_FilterEnd)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RangeFirstPage", BM_RangeFirstPage)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RangeEnd", BM_RangeEnd)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("RangeFirstPage/" + smallName).c_str(), BM_SmallRangeFirstPage)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("RangeEnd/" + smallName).c_str(), BM_SmallRangeEnd)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    if (engineRate > 0)
        std::printf("filtered scan / engine Get Next: %.2f (%.0f vs %.0f records/s)\n", scanRate / engineRate, scanRate,
                    engineRate);
    Ratio("first page, filter 1 in 1000 / plain", "FilterFirstPage", "PlainFirstPage");
    Ratio("End, filter 1 in 1000 / plain", "FilterEnd", "PlainEnd");
    Ratio("first page, 1% key range / plain", "RangeFirstPage", "PlainFirstPage");
    Ratio("End, 1% key range / plain", "RangeEnd", "PlainEnd");
    std::printf("key range on %lld vs %lld records:\n", Records(), SmallRecords());
    Ratio("  first page, large / small file", "RangeFirstPage", "SmallRangeFirstPage");
    Ratio("  End, large / small file", "RangeEnd", "SmallRangeEnd");
    small->viewer.reset();
    delete small;
    session->viewer.reset();
    InstallConsole(nullptr, nullptr);
    closeDictionary();
    return 0;
}
