// qdxutil import [-d DICTDIR] [--owner NAME] [--format csv|sav] [--skip-errors] TABLE FILE:
// inserts FILE's records (CSV with a heading line, or a record dump) into
// TABLE and prints how many went in. Without --skip-errors the first refused
// record ends the import (exit 1); with it, refused records are counted and
// the first few reported.

#include <cstdio>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "OwnerInput.h"
#include "TableView.h"
#include "dictionary/Dictionary.h"
#include "viewfile/Importer.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "import";
constexpr int kReportedRefusals = 5;

class Control : public ImportControl {
public:
    explicit Control(bool skip) : skipErrors(skip) {}
    ImportDecision RecordRefused(const ImportProblem& p) override {
        if (shown < kReportedRefusals || !skipErrors) {
            std::fprintf(stderr, "qdxutil %s: %s %lld: %s: %s\n", kName, sav ? "record" : "line", p.line,
                         p.second.c_str(), p.first.c_str());
            ++shown;
        }
        return skipErrors ? ImportDecision::kSkip : ImportDecision::kCancel;
    }
    bool skipErrors;
    bool sav = false;
    int shown = 0;
};

bool EndsWith(const std::string& s, const char* tail) {
    std::string t(tail);
    if (s.size() < t.size()) return false;
    return Estring(s.substr(s.size() - t.size())) == Estring(t);  // A-Z case ignored
}

int Import(const ParsedArgs& a, const std::string& owner, bool sav) {
    std::string message;
    Estring directory(a.Value("-d"));
    TableView tv;
    if (!OpenTableView(directory, a.positional[0], owner, tv, message)) return Failure(kName, message);
    Control control(a.Has("--skip-errors"));
    control.sav = sav;
    Estring path(a.positional[1]);
    ImportResult r = sav ? importSav(tv.view, path, &control) : importCsv(tv.view, path, &control);
    if (!r.opened) return Failure(kName, a.positional[1] + ": Unable to open");
    std::printf("%lld records inserted\n", r.inserted);
    if (r.refused > 0 && control.skipErrors) std::fprintf(stderr, "qdxutil %s: %lld records refused\n", kName, r.refused);
    std::fflush(stdout);
    if (!r.error.IsEmpty()) return Failure(kName, a.positional[1] + ": " + r.error.ToStdString());
    return r.cancelled ? kExitFailure : kExitOk;
}

int RunImport(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"-d", "--owner", "--owner-file", "--format"}, {"--skip-errors"}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 2) return UsageError(kName, "TABLE and FILE expected");
    std::string format = a.Value("--format", EndsWith(a.positional[1], ".sav") ? "sav" : "csv");
    if (format != "csv" && format != "sav") return UsageError(kName, "--format is csv or sav");
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    int result = Import(a, owner, format == "sav");
    closeDictionary();
    return result;
}

Registration reg{kName, "[-d DICTDIR] [--owner NAME] [--owner-file PATH] [--format csv|sav] [--skip-errors] TABLE FILE",
                 "insert records from a CSV file with a heading line or a record dump", RunImport};

}  // namespace
}  // namespace qdxutil
