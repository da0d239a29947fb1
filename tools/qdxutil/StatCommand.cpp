// qdxutil stat FILE [--owner NAME]: a file's specification and keys as a
// person reads them.

#include <cstdio>
#include <memory>
#include <string>

#include "Args.h"
#include "CommandRegistry.h"
#include "base/CodePage437.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "fields/FieldCodec.h"

namespace qdxutil {
namespace {

constexpr const char* kName = "stat";

// Stat buffer as shown here:
//   OFFSET  WIDTH  MEANING
//   0       2      record length
//   2       2      page size
//   4       1      number of keys
//   5       1      file version (high nibble major, low nibble minor)
//   6       4      number of records
//   10      2      file flags
//   12      1      duplicate pointers to reserve
//   14      2      unused pages
//   16      16n    segment entries: position 0 (2), length 2 (2), flags 4 (2),
//                  unique values 6 (4), extended type 10, null value 11,
//                  key number 14, collating sequence 15
constexpr int kRecordLength = 0, kPageSize = 2, kKeyCount = 4, kVersion = 5, kRecords = 6, kFlags = 10,
              kFreeDuplicates = 12, kUnusedPages = 14, kFirstSegment = 16;
constexpr int kSegPosition = 0, kSegLength = 2, kSegFlags = 4, kSegUnique = 6, kSegType = 10, kSegNull = 11,
              kSegKeyNumber = 14, kSegCollating = 15, kSegSize = 16;

struct FlagName {
    uint16_t bit;
    const char* name;
};

const FlagName kFileFlagNames[] = {
    {0x0004, "Preallocated Pages"}, {0x0008, "Compressed"}, {0x0010, "Key Only"},
    {0x0020, "Index Balancing"},    {0x0800, "VATs"},
};

const FlagName kKeyFlagNames[] = {
    {0x0001, "duplicates"},        {0x0002, "modifiable"}, {0x0008, "null key (all segments)"},
    {0x0200, "null key (any segment)"}, {0x0080, "supplemental"},
};

const FlagName kSegmentFlagNames[] = {
    {0x0040, "descending"}, {0x0400, "case-insensitive"}, {0x0020, "alternate collating sequence"},
};

std::string SegmentTypeName(uint16_t flags, uint8_t type) {
    if (flags & 0x0100) return DataTypeName(type);
    return (flags & 0x0004) ? "Unsigned (binary)" : "String";
}

int RunStat(const std::vector<std::string>& args) {
    ParsedArgs a;
    std::string error;
    if (!ParseArgs(args, {"--owner"}, {}, a, error)) return UsageError(kName, error);
    if (a.positional.size() != 1) return UsageError(kName, "one FILE expected");
    Estring path(a.positional[0]);
    std::string owner = a.Value("--owner");
    BtrieveFile file;
    if (file.open(owner.empty() ? path : path + "+" + Estring(owner)) != 0)
        return Failure(kName, a.positional[0] + ": " + statusText(file.status()).ToStdString());
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[BtrieveFile::kStatBufferSize]());
    if (file.stat(buffer.get()) != 0)
        return Failure(kName, a.positional[0] + ": " + statusText(file.status()).ToStdString());
    const uint8_t* s = buffer.get();
    int major = s[kVersion] >> 4, minor = s[kVersion] & 0x0F;
    std::printf("File              : %s\n", cp437::ToUtf8(a.positional[0]).c_str());
    std::printf("Record Size       : %u\n", le::GetU16(s + kRecordLength));
    std::printf("Page Size         : %u\n", le::GetU16(s + kPageSize));
    std::printf("Indexes           : %u\n", s[kKeyCount]);
    if (major < 6)
        std::printf("File Version      : pre-6.x\n");
    else
        std::printf("File Version      : %d.%d\n", major, minor);
    std::printf("Number of Records : %u\n", le::GetU32(s + kRecords));
    std::printf("Free Duplicate    : %u\n", s[kFreeDuplicates]);
    std::printf("Unused Pages      : %u\n", le::GetU16(s + kUnusedPages));
    uint16_t flags = le::GetU16(s + kFlags);
    std::string flagText;
    auto addFlag = [&flagText](const std::string& text) { flagText += (flagText.empty() ? "" : ", ") + text; };
    if (flags & 0x0001) addFlag((flags & 0x0002) ? "Variable Length (right trimmed)" : "Variable Length");
    for (const FlagName& f : kFileFlagNames)
        if (flags & f.bit) addFlag(f.name);
    if (int threshold = (flags & 0x00C0) >> 6) addFlag(std::to_string(threshold) + "0% free space threshold");
    std::printf("Flags             : %s\n", flagText.empty() ? "none" : flagText.c_str());

    int keys = s[kKeyCount];
    int segment = 0;
    int maxSegments = (BtrieveFile::kStatBufferSize - kFirstSegment) / kSegSize;
    for (int key = 0; key < keys && segment < maxSegments; ++key) {
        // The key's segments run until one lacks the "another segment follows" flag.
        int first = segment;
        while (segment < maxSegments && (le::GetU16(s + kFirstSegment + kSegSize * segment + kSegFlags) & 0x0010))
            ++segment;
        int last = segment++;
        const uint8_t* head = s + kFirstSegment + kSegSize * first;
        uint16_t keyFlags = le::GetU16(head + kSegFlags);
        std::string keyText = (keyFlags & 0x0001) ? "" : "unique";
        for (const FlagName& f : kKeyFlagNames)
            if (keyFlags & f.bit) keyText += (keyText.empty() ? "" : ", ") + std::string(f.name);
        int count = last - first + 1;
        std::printf("Key %d: %d segment%s, %s, %u unique values\n", head[kSegKeyNumber], count,
                    count == 1 ? "" : "s", keyText.c_str(), le::GetU32(head + kSegUnique));
        for (int i = first; i <= last; ++i) {
            const uint8_t* e = s + kFirstSegment + kSegSize * i;
            uint16_t f = le::GetU16(e + kSegFlags);
            std::string text = "  segment " + std::to_string(i - first + 1) + ": position " +
                               std::to_string(le::GetU16(e + kSegPosition)) + ", length " +
                               std::to_string(le::GetU16(e + kSegLength)) + ", " + SegmentTypeName(f, e[kSegType]);
            for (const FlagName& n : kSegmentFlagNames)
                if (f & n.bit) text += ", " + std::string(n.name);
            if (!(f & 0x0040)) text += ", ascending";
            if (f & 0x0208) text += ", null value " + std::to_string(e[kSegNull]);
            if (e[kSegCollating]) text += ", collating sequence " + std::to_string(e[kSegCollating]);
            std::printf("%s\n", text.c_str());
        }
    }
    file.close();
    return kExitOk;
}

Registration reg{kName, "FILE [--owner NAME]", "print a file's specification: record length, records, flags, keys",
                 RunStat};

}  // namespace
}  // namespace qdxutil
