// qdxutil check FILE [--owner NAME]: the engine's full check of one file
// (its own operation, see engine/Contract.h), each problem on a line of
// standard output. Exit 0 when the file is sound, 1 when it is damaged or
// cannot be read.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Args.h"
#include "CommandRegistry.h"
#include "OwnerInput.h"
#include "base/CodePage437.h"
#include "base/StdFile.h"
#include "btrieve/EngineBinding.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "check";
constexpr int kOpOpen = 0, kOpClose = 1;
constexpr int kOpenReadOnly = -2;
constexpr uint16_t kReportRoom = 65535;

int RunCheck(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"--owner", "--owner-file"}, {}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one FILE expected");
    const std::string shown = cp437::ToUtf8(a.positional[0]);
    const std::string native = StdFile::NativeName(a.positional[0]);
    if (native.size() >= kKeyBufferSize) {
        std::printf("%s: cannot be read: %s\n", shown.c_str(), statusText(kStatusInvalidFileName).ToStdString().c_str());
        return kExitFailure;
    }
    std::vector<uint8_t> position(kPositionBlockSize, 0), key(kKeyBufferSize, 0);
    std::memcpy(key.data(), native.data(), native.size());
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    std::vector<char> ownerBuffer(owner.begin(), owner.end());
    ownerBuffer.push_back('\0');
    uint16_t length = owner.empty() ? 0 : static_cast<uint16_t>(owner.size() + 1);
    // Read-only: the check changes nothing, and a damaged file must not be
    // upgraded or written.
    int status = CallEngine(kOpOpen, position.data(), ownerBuffer.data(), &length, key.data(), kOpenReadOnly);
    if (status != 0) {
        std::printf("%s: cannot be read: %s\n", shown.c_str(), statusText(status).ToStdString().c_str());
        return kExitFailure;
    }
    std::vector<char> report(kReportRoom);
    length = kReportRoom;
    status = CallEngine(qdx::wire::kOpCheckFile, position.data(), report.data(), &length, key.data(), 0);
    CallEngine(kOpClose, position.data(), nullptr, nullptr, nullptr, 0);
    if (status == 0) {
        std::printf("%s: sound\n", shown.c_str());
        return kExitOk;
    }
    if (length == 0) {
        std::printf("%s: cannot be checked: %s\n", shown.c_str(), statusText(status).ToStdString().c_str());
        return kExitFailure;
    }
    // The engine's lines, each under the file's name.
    size_t start = 0;
    const std::string text(report.data(), length);
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::printf("%s: %s\n", shown.c_str(), text.substr(start, end - start).c_str());
        start = end + 1;
    }
    return kExitFailure;
}

Registration reg{kName, "FILE [--owner NAME] [--owner-file PATH]",
                 "check a file in full (SQLite's check, every key against the records, the counts)", RunCheck};

}  // namespace
}  // namespace qdxutil
