// qdxutil stat FILE [--owner NAME]: a file's specification and keys as a
// person reads them.

#include <cstdio>
#include <memory>
#include <string>

#include "Args.h"
#include "CommandRegistry.h"
#include "OwnerInput.h"
#include "base/CodePage437.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "stat";

// The Stat buffer's layout and flags are the wire contract's.
using namespace qdx::wire;

struct FlagName {
    uint16_t bit;
    const char* name;
};

const FlagName kFileFlagNames[] = {
    {kFilePreallocated, "Preallocated Pages"}, {kFileCompressed, "Compressed"}, {kFileKeyOnly, "Key Only"},
    {kFileIndexBalancing, "Index Balancing"},  {kFileVats, "VATs"},
};

const FlagName kKeyFlagNames[] = {
    {kSegDuplicates, "duplicates"},         {kSegModifiable, "modifiable"}, {kSegNullAll, "null key (all segments)"},
    {kSegNullAny, "null key (any segment)"}, {kSegSupplemental, "supplemental"},
};

const FlagName kSegmentFlagNames[] = {
    {kSegDescending, "descending"}, {kSegNoCase, "case-insensitive"}, {kSegAltCollation, "alternate collating sequence"},
};

std::string SegmentTypeName(uint16_t flags, uint8_t type) {
    if (flags & kSegExtendedType) return DataTypeName(type);
    return (flags & kSegBinary) ? "Unsigned (binary)" : "String";
}

int RunStat(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"--owner", "--owner-file"}, {}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one FILE expected");
    Estring path(a.positional[0]);
    std::string owner;
    if (!CurrentOwner(a, owner, error)) return UsageError(kName, error);
    BtrieveFile file;
    if (file.open(owner.empty() ? path : path + "+" + Estring(owner)) != 0)
        return Failure(kName, a.positional[0] + ": " + statusText(file.status()).ToStdString());
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[BtrieveFile::kStatBufferSize]());
    if (file.stat(buffer.get()) != 0)
        return Failure(kName, a.positional[0] + ": " + statusText(file.status()).ToStdString());
    const uint8_t* s = buffer.get();
    int major = s[kSpecVersion] >> 4, minor = s[kSpecVersion] & 0x0F;
    std::printf("File              : %s\n", cp437::ToUtf8(a.positional[0]).c_str());
    std::printf("Record Size       : %u\n", le::GetU16(s + kSpecRecordLength));
    std::printf("Page Size         : %u\n", le::GetU16(s + kSpecPageSize));
    std::printf("Indexes           : %u\n", s[kSpecKeyCount]);
    if (major < 6)
        std::printf("File Version      : pre-6.x\n");
    else
        std::printf("File Version      : %d.%d\n", major, minor);
    std::printf("Number of Records : %u\n", le::GetU32(s + kSpecRecordCount));
    std::printf("Free Duplicate    : %u\n", s[kSpecFreeDuplicates]);
    std::printf("Unused Pages      : %u\n", le::GetU16(s + kSpecUnusedPages));
    uint16_t flags = le::GetU16(s + kSpecFileFlags);
    std::string flagText;
    auto addFlag = [&flagText](const std::string& text) { flagText += (flagText.empty() ? "" : ", ") + text; };
    if (flags & kFileVariable) addFlag((flags & kFileBlankTruncation) ? "Variable Length (right trimmed)" : "Variable Length");
    for (const FlagName& f : kFileFlagNames)
        if (flags & f.bit) addFlag(f.name);
    if (int threshold = (flags & kFileFreeSpaceThreshold) >> 6) addFlag(std::to_string(threshold) + "0% free space threshold");
    std::printf("Flags             : %s\n", flagText.empty() ? "none" : flagText.c_str());

    int keys = s[kSpecKeyCount];
    int segment = 0;
    int maxSegments = static_cast<int>((BtrieveFile::kStatBufferSize - kSpecHeaderSize) / kSegmentEntrySize);
    for (int key = 0; key < keys && segment < maxSegments; ++key) {
        // The key's segments run until one lacks the "another segment follows" flag.
        int first = segment;
        while (segment < maxSegments && (le::GetU16(s + kSpecHeaderSize + kSegmentEntrySize * segment + kSegFlags) & kSegSegmented))
            ++segment;
        int last = segment++;
        const uint8_t* head = s + kSpecHeaderSize + kSegmentEntrySize * first;
        uint16_t keyFlags = le::GetU16(head + kSegFlags);
        std::string keyText = (keyFlags & kSegDuplicates) ? "" : "unique";
        for (const FlagName& f : kKeyFlagNames)
            if (keyFlags & f.bit) keyText += (keyText.empty() ? "" : ", ") + std::string(f.name);
        int count = last - first + 1;
        std::printf("Key %d: %d segment%s, %s, %u unique values\n", head[kSegKeyNumber], count,
                    count == 1 ? "" : "s", keyText.c_str(), le::GetU32(head + kSegUniqueCount));
        for (int i = first; i <= last; ++i) {
            const uint8_t* e = s + kSpecHeaderSize + kSegmentEntrySize * i;
            uint16_t f = le::GetU16(e + kSegFlags);
            std::string text = "  segment " + std::to_string(i - first + 1) + ": position " +
                               std::to_string(le::GetU16(e + kSegPosition)) + ", length " +
                               std::to_string(le::GetU16(e + kSegLength)) + ", " + SegmentTypeName(f, e[kSegType]);
            for (const FlagName& n : kSegmentFlagNames)
                if (f & n.bit) text += ", " + std::string(n.name);
            if (!(f & kSegDescending)) text += ", ascending";
            if (f & (kSegNullAll | kSegNullAny)) text += ", null value " + std::to_string(e[kSegNullValue]);
            if (e[kSegCollation]) text += ", collating sequence " + std::to_string(e[kSegCollation]);
            std::printf("%s\n", text.c_str());
        }
    }
    file.close();
    return kExitOk;
}

Registration reg{kName, "FILE [--owner NAME] [--owner-file PATH]", "print a file's specification: record length, records, flags, keys",
                 RunStat};

}  // namespace
}  // namespace qdxutil
