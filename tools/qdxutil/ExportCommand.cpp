// qdxutil export [-d DICTDIR] [--owner NAME] [--view FILE] [--format csv|sav|txt]
//                [--all-fields] [--all-records] [--no-heading] [-o OUT] TABLE:
// what the browser's export writes for that view, to OUT or standard output.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "OwnerInput.h"
#include "TableView.h"
#include "dictionary/Dictionary.h"
#include "btrieve/StatusText.h"
#include "viewfile/Exporter.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "export";

class StdoutSink : public ExportSink {
public:
    int Write(const char* bytes, size_t n) override {
        if (std::fwrite(bytes, 1, n, stdout) != n) return errno ? errno : EIO;
        return 0;
    }
};

int Export(const ParsedArgs& a, const std::string& owner, const ExportOptions& options) {
    std::string message;
    Estring directory(a.Value("-d"));
    TableView tv;
    if (!OpenTableView(directory, a.positional[0], owner, tv, message)) return Failure(kName, message);
    if (a.values.count("--view") && !LoadViewFile(tv, a.Value("--view"), message)) return Failure(kName, message);

    std::string out = a.Value("-o", "-");
    ExportResult result;
    if (out == "-") {
        StdoutSink sink;
        result = exportRecords(tv.view, options, sink);
        if (std::fflush(stdout) != 0 && result.writeError == 0) result.writeError = errno ? errno : EIO;
        if (result.writeError) return Failure(kName, std::string("standard output: ") + std::strerror(result.writeError));
        if (result.ReadFailed())
            return Failure(kName, tv.table.path.ToStdString() + ": Error occurred reading records: " +
                                      statusText(result.readStatus).ToStdString());
    } else {
        Estring first, second;
        if (!exportToFile(tv.view, Estring(out), options, nullptr, result, first, second))
            return Failure(kName, first.ToStdString() + ": " + second.ToStdString());
    }
    if (!result.filterError.IsEmpty())
        std::fprintf(stderr, "qdxutil %s: the filter refused records: %s\n", kName, result.filterError.c_str());
    return kExitOk;
}

int RunExport(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"-d", "--owner", "--owner-file", "--view", "--format", "-o"},
                   {"--all-fields", "--all-records", "--no-heading"}, a, error))
        return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one TABLE expected");
    ExportOptions options;
    std::string format = a.Value("--format", "csv");
    if (format == "csv") options.format = ExportFormat::kCsv;
    else if (format == "sav") options.format = ExportFormat::kSav;
    else if (format == "txt") options.format = ExportFormat::kTxt;
    else return UsageError(kName, "--format is csv, sav or txt");
    options.selectedFieldsOnly = !a.Has("--all-fields");
    options.selectedRecordsOnly = !a.Has("--all-records");
    options.fieldNameHeading = !a.Has("--no-heading");
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    int result = Export(a, owner, options);
    closeDictionary();
    return result;
}

Registration reg{kName,
                 "[-d DICTDIR] [--owner NAME] [--owner-file PATH] [--view FILE] [--format csv|sav|txt] [--all-fields] [--all-records] "
                 "[--no-heading] [-o OUT] TABLE",
                 "write a table's records as the browser exports them (default: its own view as CSV on stdout)",
                 RunExport};

}  // namespace
}  // namespace qdxutil
