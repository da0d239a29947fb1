// Export and import against the raw engine, in the same run on the same
// data: the demo's Orders table (QDX_BENCH_ROWS rows, default 1,000,000)
// exported to CSV through the view cursor and the CSV writer, against a
// plain Get First / Get Next scan of key 0; the CSV imported into an empty
// copy, against inserting the same records raw in transactions of the same
// size. Prints records per second and the ratios.
//
// QDX_BENCH_DIR: where the databases go (default TMPDIR or /tmp).

#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DictionaryAccess.h"
#include "TableView.h"
#include "dictionary/Dictionary.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineTransaction.h"
#include "viewfile/Exporter.h"
#include "viewfile/Importer.h"
#include "viewfile/ViewCursor.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double CpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string BinDir() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self(path, n > 0 ? static_cast<size_t>(n) : 0);
    return self.substr(0, self.rfind('/')) + "/../bin";
}

int Run(const std::string& command) { return std::system(command.c_str()); }

class NullSink : public ExportSink {
public:
    explicit NullSink(FILE* f) : file(f) {}
    int Write(const char* bytes, size_t n) override { return std::fwrite(bytes, 1, n, file) == n ? 0 : 5; }
    FILE* file;
};

bool Open(const std::string& dir, qdxutil::TableView& tv) {
    std::string message;
    Estring directory(dir);
    if (!qdxutil::OpenTableView(directory, "Orders", "", tv, message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main() {
    const char* rowsText = std::getenv("QDX_BENCH_ROWS");
    long long rows = rowsText && *rowsText ? std::atoll(rowsText) : 1000000;
    const char* base = std::getenv("QDX_BENCH_DIR");
    if (!base || !*base) base = std::getenv("TMPDIR");
    std::string dir = std::string(base && *base ? base : "/tmp") + "/qdxviewbench-" + std::to_string(getpid());
    std::string qdxutil = BinDir() + "/qdxutil";
    setenv("QDX_ENGINE_LIBRARY", (BinDir() + "/libqdxengine.so").c_str(), 1);
    if (Run(qdxutil + " demo " + dir + "/demo --rows " + std::to_string(rows) + " >/dev/null") != 0 ||
        Run(qdxutil + " define " + dir + "/raw " + dir + "/demo/demo-schema.txt >/dev/null") != 0 ||
        Run(qdxutil + " define " + dir + "/csv " + dir + "/demo/demo-schema.txt >/dev/null") != 0) {
        std::fprintf(stderr, "cannot make the databases in %s\n", dir.c_str());
        return 1;
    }
    std::string csvPath = dir + "/orders.csv";
    std::vector<std::vector<uint8_t>> records;
    double scanRate = 0, exportRate = 0, insertRate = 0, importRate = 0;
    double scanCpu = 0, exportCpu = 0, insertCpu = 0, importCpu = 0;  // records per processor second
    long long exported = 0, inserted = 0;
    {
        qdxutil::TableView tv;
        if (!Open(dir + "/demo", tv)) return 1;
        BtrieveFile& file = tv.table.file;
        std::vector<uint8_t> record(static_cast<size_t>(recordBufferSize(file)));
        uint8_t key[256] = {};
        auto start = Clock::now();
        double cpu = CpuNow();
        long long n = 0;
        file.setDataLength(static_cast<uint16_t>(record.size()));
        for (int s = file.getFirst(key, record.data(), 0); s == 0; s = file.getNext(key, record.data(), 0)) {
            ++n;
            records.emplace_back(record.begin(), record.begin() + file.dataLength());
            file.setDataLength(static_cast<uint16_t>(record.size()));
        }
        double scan = Seconds(start);
        scanRate = n / scan;
        scanCpu = n / (CpuNow() - cpu);

        FILE* out = std::fopen(csvPath.c_str(), "wb");
        NullSink sink(out);
        start = Clock::now();
        cpu = CpuNow();
        ExportResult r = exportRecords(tv.view, ExportOptions(), sink);
        std::fclose(out);
        exportRate = r.exported / Seconds(start);
        exportCpu = r.exported / (CpuNow() - cpu);
        exported = r.exported;
        closeDictionary();
    }
    {
        qdxutil::TableView tv;
        if (!Open(dir + "/raw", tv)) return 1;
        BtrieveFile& file = tv.table.file;
        auto start = Clock::now();
        double cpu = CpuNow();
        EngineTransaction t;
        long long n = 0;
        for (auto& rec : records) {
            if (!t.Active()) t.Begin();
            file.setDataLength(static_cast<uint16_t>(rec.size()));
            if (file.insertRecord(rec.data(), 0) == 0) ++n;
            if (n % kImportBatchSize == 0) t.Commit();
        }
        if (t.Active()) t.Commit();
        insertRate = n / Seconds(start);
        insertCpu = n / (CpuNow() - cpu);
        closeDictionary();
    }
    {
        qdxutil::TableView tv;
        if (!Open(dir + "/csv", tv)) return 1;
        auto start = Clock::now();
        double cpu = CpuNow();
        ImportResult r = importCsv(tv.view, Estring(csvPath));
        importRate = r.inserted / Seconds(start);
        importCpu = r.inserted / (CpuNow() - cpu);
        inserted = r.inserted;
        closeDictionary();
    }
    std::printf("orders: %zu records, %lld exported, %lld imported\n", records.size(), exported, inserted);
    std::printf("raw Get Next scan   %12.0f records/s\n", scanRate);
    std::printf("export to CSV       %12.0f records/s   ratio %.2f (target >= 0.50)\n", exportRate,
                exportRate / scanRate);
    std::printf("raw inserts (1000)  %12.0f records/s\n", insertRate);
    std::printf("import from CSV     %12.0f records/s   ratio %.2f (target >= 0.50)\n", importRate,
                importRate / insertRate);
    std::printf("by processor time: export ratio %.2f (%.0f / %.0f records/s), import ratio %.2f (%.0f / %.0f)\n",
                exportCpu / scanCpu, exportCpu, scanCpu, importCpu / insertCpu, importCpu, insertCpu);
    Run("rm -rf " + dir);
    return exported == static_cast<long long>(records.size()) && inserted == exported ? 0 : 1;
}
