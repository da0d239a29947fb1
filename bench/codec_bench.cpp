// Field codec throughput: 1,000,000 fields of mixed types formatted into
// display text (the grid's and the fixed-width export's path), against a
// baseline of the same values written with snprintf in the same run.
// Prints fields per second and the codec / baseline time ratio.

#include <benchmark/benchmark.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/Endian.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"

namespace {

constexpr int kFields = 1000000;
constexpr int kRecords = 1000;

struct Layout {
    const char* name;
    uint8_t type;
    int length;
    int decimals;
};

// One record of a typical table: text, integers, reals, dates, money.
const Layout kLayout[] = {
    {"Name", kTypeString, 20, 0},        {"Id", kTypeInteger, 4, 0},     {"Count", kTypeInteger, 2, 0},
    {"Big", kTypeInteger, 8, 0},         {"Price", kTypeFloat, 8, 2},    {"Ratio", kTypeFloat, 4, -1},
    {"Born", kTypeDate, 4, 0},           {"At", kTypeTime, 4, 0},        {"Amount", kTypeDecimal, 5, 2},
    {"Cash", kTypeCurrency, 8, 0},       {"Active", kTypeLogical, 1, 0}, {"Flags", kTypeUnsignedInteger, 2, 0},
    {"Old", kTypeBFloat, 8, 2},          {"Code", kTypeZString, 9, 0},
};

struct Data {
    FieldList fields;
    int recordLength = 0;
    std::vector<std::vector<uint8_t>> records;

    Data() {
        int offset = 0;
        for (const Layout& l : kLayout) {
            auto field = FieldAttributes::FromDictionary(l.name, l.type, static_cast<uint16_t>(offset),
                                                         static_cast<uint16_t>(l.length), 0, 0, l.decimals);
            if (l.type == kTypeFloat) field->decimals = l.decimals;
            offset += l.length;
            fields.Add(std::move(field));
        }
        recordLength = offset;
        std::mt19937 random(7);
        for (int r = 0; r < kRecords; ++r) {
            std::vector<uint8_t> record(static_cast<size_t>(recordLength));
            for (int i = 0; i < fields.Count(); ++i) {
                const FieldAttributes& f = *fields.Get(i);
                std::string text;
                switch (f.type) {
                    case kTypeString: text = "Customer " + std::to_string(random() % 100000); break;
                    case kTypeZString: text = "Z" + std::to_string(random() % 1000000); break;
                    case kTypeFloat:
                    case kTypeBFloat: text = std::to_string((random() % 2000000) / 7.0 - 100000); break;
                    case kTypeDate: text = std::to_string(random() % 12 + 1) + "/" + std::to_string(random() % 28 + 1) + "/2023"; break;
                    case kTypeTime: text = std::to_string(random() % 24) + ":" + std::to_string(random() % 60) + ":07"; break;
                    case kTypeDecimal:
                    case kTypeCurrency: text = std::to_string(static_cast<int>(random() % 2000000) - 1000000) + ".25"; break;
                    case kTypeLogical: text = random() % 2 ? "Y" : "N"; break;
                    default: text = std::to_string(static_cast<int>(random() % 60000) - (f.type == kTypeUnsignedInteger ? 0 : 30000)); break;
                }
                FieldFromText(f, record.data(), recordLength, text);
            }
            records.push_back(std::move(record));
        }
    }
};

Data& TheData() {
    static Data data;
    return data;
}

std::map<std::string, double> gSeconds;
std::map<std::string, double> gCpuSeconds;

// Process CPU time: the machine may be shared, so both clocks are reported.
double CpuNow() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

void Record(benchmark::State& state, const char* key, double seconds, double cpuSeconds) {
    state.SetIterationTime(seconds);
    gCpuSeconds[key] = cpuSeconds;
    state.counters["fields_per_s"] = kFields / seconds;
    gSeconds[key] = seconds;
}

void BM_CodecDisplayText(benchmark::State& state) {
    Data& data = TheData();
    const int perRecord = data.fields.Count();
    for (auto _ : state) {
        size_t total = 0;
        double t = Now();
        double c = CpuNow();
        for (int done = 0, r = 0; done < kFields; r = (r + 1) % kRecords) {
            const uint8_t* record = data.records[static_cast<size_t>(r)].data();
            for (int i = 0; i < perRecord && done < kFields; ++i, ++done)
                total += static_cast<size_t>(FieldToText(*data.fields.Get(i), record, data.recordLength, true).Length());
        }
        Record(state, "codec", Now() - t, CpuNow() - c);
        benchmark::DoNotOptimize(total);
    }
}

// The same values written by snprintf with each type's obvious format.
void BM_SnprintfBaseline(benchmark::State& state) {
    Data& data = TheData();
    const int perRecord = data.fields.Count();
    char buffer[128];
    for (auto _ : state) {
        size_t total = 0;
        double t = Now();
        double c = CpuNow();
        for (int done = 0, r = 0; done < kFields; r = (r + 1) % kRecords) {
            const uint8_t* record = data.records[static_cast<size_t>(r)].data();
            for (int i = 0; i < perRecord && done < kFields; ++i, ++done) {
                const FieldAttributes& f = *data.fields.Get(i);
                const uint8_t* p = record + f.offset;
                int width = f.width < 0 ? -f.width : f.width;
                int n;
                switch (f.type) {
                    case kTypeString:
                    case kTypeZString: n = std::snprintf(buffer, sizeof buffer, "%-*.*s", width, f.length, reinterpret_cast<const char*>(p)); break;
                    case kTypeFloat: {
                        double v = 0;
                        if (f.length == 8) std::memcpy(&v, p, 8);
                        else { float s; std::memcpy(&s, p, 4); v = s; }
                        n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, f.decimals < 0 ? 6 : f.decimals, v);
                        break;
                    }
                    case kTypeDate: n = std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u", p[1], p[0], le::GetU16(p + 2)); break;
                    case kTypeTime: n = std::snprintf(buffer, sizeof buffer, "%u:%02u:%02u", p[3], p[2], p[1]); break;
                    case kTypeUnsignedInteger: n = std::snprintf(buffer, sizeof buffer, "%*llu", width, static_cast<unsigned long long>(le::GetUnsigned(p, f.length))); break;
                    case kTypeCurrency: n = std::snprintf(buffer, sizeof buffer, "%*.4f", width, static_cast<double>(le::GetI64(p)) / 10000); break;
                    default: n = std::snprintf(buffer, sizeof buffer, "%*lld", width, static_cast<long long>(le::GetSigned(p, f.length > 8 ? 8 : f.length))); break;
                }
                total += static_cast<size_t>(n);
            }
        }
        Record(state, "snprintf", Now() - t, CpuNow() - c);
        benchmark::DoNotOptimize(total);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    TheData();
    benchmark::RegisterBenchmark("DisplayText1M/snprintf", BM_SnprintfBaseline)
        ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DisplayText1M/codec", BM_CodecDisplayText)
        ->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (gSeconds.count("codec") && gSeconds.count("snprintf") && gSeconds["snprintf"] > 0 &&
        gCpuSeconds["snprintf"] > 0) {
        std::printf("\n%d mixed fields to display text:\n", kFields);
        std::printf("  wall: codec %.0f ms (%.2f M fields/s), snprintf baseline %.0f ms, codec / baseline %.2fx\n",
                    gSeconds["codec"] * 1000, kFields / gSeconds["codec"] / 1e6, gSeconds["snprintf"] * 1000,
                    gSeconds["codec"] / gSeconds["snprintf"]);
        std::printf("  cpu:  codec %.0f ms (%.2f M fields/s), snprintf baseline %.0f ms, codec / baseline %.2fx\n",
                    gCpuSeconds["codec"] * 1000, kFields / gCpuSeconds["codec"] / 1e6, gCpuSeconds["snprintf"] * 1000,
                    gCpuSeconds["codec"] / gCpuSeconds["snprintf"]);
    }
    benchmark::Shutdown();
    return 0;
}
