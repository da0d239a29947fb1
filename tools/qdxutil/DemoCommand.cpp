// qdxutil demo DIR [--rows N] [--replace]: writes the demo database into DIR:
// its schema file, the dictionary and the data (see DemoData.h).

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "Args.h"
#include "CommandRegistry.h"
#include "DemoData.h"
#include "EngineTransaction.h"
#include "dictionary/DictionaryWriter.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "demo";
constexpr long long kMaxRows = 50000000;
constexpr long long kTransactionBatch = 100000;  // fewer, larger commits: a third less time than 10,000

// Inserts into one open file; every kTransactionBatch inserts over all files
// end the engine transaction and begin the next.
class FileSink : public DemoSink {
public:
    FileSink(BtrieveFile& file, long long& pending, EngineTransaction& transaction, std::string& failure)
        : file(file), pending(pending), transaction(transaction), failure(failure) {}

    bool Insert(const uint8_t* record, int length) override {
        file.setDataLength(static_cast<uint16_t>(length));
        if (file.insertRecord(const_cast<uint8_t*>(record)) != 0) {
            failure = file.fileName().ToStdString() + ": " + statusText(file.status()).ToStdString();
            return false;
        }
        ++count;
        if (++pending >= kTransactionBatch) {
            pending = 0;
            int status = transaction.Commit();
            if (status == 0) status = transaction.Begin();
            if (status != 0) {
                failure = file.fileName().ToStdString() + ": " + statusText(status).ToStdString();
                return false;
            }
        }
        return true;
    }
    long long count = 0;

private:
    BtrieveFile& file;
    long long& pending;
    EngineTransaction& transaction;
    std::string& failure;
};

int RunDemo(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"--rows"}, {"--replace"}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one DIR expected");
    long long rows = kDemoDefaultRows;
    if (a.values.count("--rows") && (!ParseCount(a.Value("--rows"), rows) || rows > kMaxRows))
        return UsageError(kName, "--rows needs a number from 0 to " + std::to_string(kMaxRows));
    auto started = std::chrono::steady_clock::now();

    Schema schema;
    SchemaError schemaError;
    if (!ParseSchema(DemoSchemaText(), schema, schemaError))
        return Failure(kName, "demo schema line " + std::to_string(schemaError.line) + ": " +
                                  schemaError.message.ToStdString());
    Estring dir(a.positional[0]);
    DefineOptions options;
    options.replace = a.Has("--replace");
    options.setOwners = false;  // after loading: the loader opens the files without one
    Estring message;
    std::vector<DefinedTable> tables;
    if (!DefineDatabase(dir, schema, options, message, &tables)) return Failure(kName, message.ToStdString());

    Estring schemaPath = TableFilePath(dir, kDemoSchemaFile);
    {
        std::ofstream out(schemaPath.ToStdString(), std::ios::binary | std::ios::trunc);
        out << DemoSchemaText();
        if (!out) return Failure(kName, schemaPath.ToStdString() + ": cannot be written");
    }

    // One open file and sink per data table.
    std::map<std::string, std::unique_ptr<BtrieveFile>> files;
    std::map<std::string, std::unique_ptr<FileSink>> sinks;
    std::string failure;
    long long pending = 0;
    EngineTransaction transaction;
    for (const DefinedTable& d : tables) {
        if (d.table->dictionary || !d.table->createFile) continue;
        auto file = std::make_unique<BtrieveFile>();
        if (file->open(d.path) != 0)
            return Failure(kName, d.path.ToStdString() + ": " + statusText(file->status()).ToStdString());
        std::string key = d.table->name.ToStdString();
        sinks[key] = std::make_unique<FileSink>(*file, pending, transaction, failure);
        files[key] = std::move(file);
    }
    int status = transaction.Begin();
    if (status != 0) return Failure(kName, "begin transaction: " + statusText(status).ToStdString());
    bool generated = GenerateDemo(schema, rows, [&sinks](const Estring& name) { return sinks.at(name.ToStdString()).get(); });
    if (!generated) return Failure(kName, failure);
    status = transaction.Commit();
    if (status != 0) return Failure(kName, "end transaction: " + statusText(status).ToStdString());
    for (auto& f : files) f.second->close();

    for (const DefinedTable& d : tables)
        if (d.table->createFile && !d.table->owner.IsEmpty()) {
            int ownerStatus = SetTableOwner(d.path, *d.table);
            if (ownerStatus != 0) return Failure(kName, d.path.ToStdString() + ": " + statusText(ownerStatus).ToStdString());
        }

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Demo database written to %s in %.1f s (schema: %s)\n", dir.Text(), seconds, schemaPath.Text());
    for (const DefinedTable& d : tables) {
        if (d.table->dictionary) continue;
        auto sink = sinks.find(d.table->name.ToStdString());
        if (sink == sinks.end())
            std::printf("  %-12s %-14s no file yet\n", d.table->name.Text(), d.table->location.Text());
        else
            std::printf("  %-12s %-14s %lld records%s\n", d.table->name.Text(), d.table->location.Text(),
                        sink->second->count, d.table->owner.IsEmpty() ? "" : " (owner name required)");
    }
    return kExitOk;
}

Registration reg{kName, "DIR [--rows N] [--replace]",
                 "write the demo database (schema, dictionary and data; N orders and order lines) into DIR", RunDemo};

}  // namespace
}  // namespace qdxutil
