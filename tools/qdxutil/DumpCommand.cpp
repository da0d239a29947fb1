// qdxutil dump [-d DICTDIR] TABLE [--key N] [--display] [--owner NAME]: a
// table's records as comma-separated values on stdout, one heading line of
// field names, then one line per record in physical order or in key N's
// order; each value is the field's text as the program shows it (plain
// form, or display form with --display), CSV-encoded.

#include <cstdio>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "OwnerInput.h"
#include "DictionaryAccess.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/NumberText.h"
#include "viewfile/ExportLines.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "dump";
constexpr int kRecordBufferSize = qdx::wire::kMaxRecordLength;
constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;
constexpr long long kMaxKeyNumber = DictionaryDef::kMaxIndexes - 1;

void WriteLine(const std::string& line) { std::fwrite(line.data(), 1, line.size(), stdout); }

int Dump(const ParsedArgs& a, const std::string& owner, long long keyNumber) {
    std::string message;
    Estring directory(a.Value("-d"));
    OpenedTable table;
    if (!OpenTable(directory, a.positional[0], owner, table, message)) return Failure(kName, message);
    BtrieveFile& file = table.file;
    const DictionaryDef& def = *table.def;

    // The export's CSV writer, with every field, line feeds, names encoded and zeros written out.
    CsvStyle style;
    char dateOrder[4];
    LocaleDateOrder(dateOrder);  // once for the dump, not once a date
    style.emptyZeros = false;
    style.displayForm = a.Has("--display");
    style.encodeHeading = true;
    style.lineEnd = "\n";
    std::vector<const FieldAttributes*> fields = exportedFields(def, false);
    std::string line;
    appendCsvHeading(line, fields, style);
    WriteLine(line);

    std::vector<uint8_t> record(kRecordBufferSize, 0);
    uint8_t key[256] = {};
    auto fetch = [&](bool first) {
        file.setDataLength(kRecordBufferSize);
        if (keyNumber >= 0)
            return first ? file.getFirst(key, record.data(), static_cast<int>(keyNumber))
                         : file.getNext(key, record.data(), static_cast<int>(keyNumber));
        return first ? file.stepFirst(record.data(), key) : file.stepNext(record.data(), key);
    };
    int status = fetch(true);
    while (status == 0) {
        int length = file.dataLength();
        line.clear();
        appendCsvRecord(line, fields, record.data(), length, style, std::string_view(dateOrder, sizeof dateOrder));
        WriteLine(line);
        status = fetch(false);
    }
    std::fflush(stdout);
    if (status != kStatusEndOfFile) return Failure(kName, table.path.ToStdString() + ": " + statusText(status).ToStdString());
    return kExitOk;
}

int RunDump(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"-d", "--key", "--owner", "--owner-file"}, {"--display"}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one TABLE expected");
    // Checked before anything is written: a usage error prints no heading.
    long long keyNumber = -1;
    if (a.values.count("--key") && (!ParseCount(a.Value("--key"), keyNumber) || keyNumber > kMaxKeyNumber))
        return UsageError(kName, "--key needs an index number from 0 to " + std::to_string(kMaxKeyNumber));
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    int result = Dump(a, owner, keyNumber);
    closeDictionary();
    return result;
}

Registration reg{kName, "[-d DICTDIR] TABLE [--key N] [--display] [--owner NAME] [--owner-file PATH]",
                 "write a table's records as CSV (heading line of field names) on stdout", RunDump};

}  // namespace
}  // namespace qdxutil
