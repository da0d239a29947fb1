// qdxutil owner FILE --set NAME [--mode N] | --clear: protects a file with an
// owner name, or removes the protection. --owner (or --owner-file) gives the
// current owner, needed to open a protected file. Modes: 0 the name is
// needed for reading too, 1 reading needs none; plus 2 the records are
// encrypted (the browser's Modify File Owner dialog sets the same).

#include <cstdio>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "DictionaryAccess.h"
#include "OwnerInput.h"
#include "admin/FileOwner.h"
#include "base/CodePage437.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "owner";
constexpr long long kHighestMode = 3;
// The longest owner name the engine keeps (the browser's entry is as wide).
constexpr size_t kOwnerNameWidth = 8;

int RunOwner(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"--set", "--mode", "--owner", "--owner-file"}, {"--clear"}, a, error))
        return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one FILE expected");
    const bool set = a.values.count("--set") != 0;
    const bool clear = a.Has("--clear");
    if (set == clear) return UsageError(kName, "give either --set NAME or --clear");
    long long mode = OwnerAccessMode(true, false);
    if (a.values.count("--mode")) {
        if (!set) return UsageError(kName, "--mode goes with --set");
        if (!ParseCount(a.Value("--mode"), mode) || mode > kHighestMode)
            return UsageError(kName, "--mode needs 0, 1, 2 or 3 (1: reading needs no name, +2: encrypted)");
    }
    // Both names may come from standard input only once.
    if (set && a.Value("--set") == "-" && a.Value("--owner") == "-")
        return UsageError(kName, "--set - and --owner - cannot both read standard input");
    std::string owner, name;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    if (set) {
        if (!ResolveOwnerValue(a.Value("--set"), name, error)) return UsageError(kName, error);
        // Refused here with the reason, where the engine would only answer
        // "Invalid Owner".
        if (name.empty() || name.size() > kOwnerNameWidth)
            return UsageError(kName, "--set needs an owner name of 1 to " + std::to_string(kOwnerNameWidth) + " characters");
    }

    const std::string& file = a.positional[0];
    BtrieveFile data;
    std::string message;
    if (!OpenDataFile(data, Estring(file), owner, message)) return Failure(kName, message);
    const int status = set ? SetFileOwner(data, Estring(name), static_cast<int>(mode)) : ClearFileOwner(data);
    const int closed = data.close();
    if (status != 0) return Failure(kName, file + ": " + statusText(status).ToStdString());
    // A close that fails after the change leaves its outcome unknown: say so.
    if (closed != 0) return Failure(kName, file + ": " + statusText(closed).ToStdString());
    std::printf("%s: %s\n", cp437::ToUtf8(EscapeControls(file)).c_str(),
                set ? "Owner successfully set" : "Owner has been cleared");
    return kExitOk;
}

Registration reg{kName, "FILE --set NAME [--mode N] | --clear [--owner OLD] [--owner-file PATH]",
                 "set a file's owner name (NAME - reads it from standard input) or clear it", RunOwner};

}  // namespace
}  // namespace qdxutil
