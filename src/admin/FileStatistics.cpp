#include "admin/FileStatistics.h"

#include "base/Endian.h"
#include "engine/Contract.h"

namespace {

using namespace qdx::wire;

constexpr int kFirstPreSixMajor = 6;
constexpr int kFreeSpaceShift = 6;
constexpr int kDrivePrefix = 3;

struct FlagLine {
    uint16_t bit;
    const char* text;
};

// In window order after the variable-length line.
constexpr FlagLine kPlainFlags[] = {
    {kFilePreallocated, "Preallocated Pages"},
    {kFileCompressed, "Compressed"},
    {kFileKeyOnly, "Key Only"},
    {kFileIndexBalancing, "Index Balancing"},
};

Estring Number(unsigned long value) { return Estring::FromInt(static_cast<long long>(value)); }

}  // namespace

std::vector<Estring> StatisticsValueLines(const uint8_t* stat) {
    const int major = stat[kSpecVersion] >> 4;
    const int minor = stat[kSpecVersion] & 0x0F;
    const Estring version =
        major < kFirstPreSixMajor ? Estring("pre-6.x") : Number(major) + "." + Number(static_cast<unsigned>(minor));
    return {
        Estring("Record Size       : ") + Number(le::GetU16(stat + kSpecRecordLength)),
        Estring("Page Size         : ") + Number(le::GetU16(stat + kSpecPageSize)),
        Estring("Indexes           : ") + Number(stat[kSpecKeyCount]),
        Estring("File Version      : ") + version,
        Estring("Number of Records : ") + Number(le::GetU32(stat + kSpecRecordCount)),
        Estring("Free Duplicate    : ") + Number(stat[kSpecFreeDuplicates]),
        Estring("Unused Pages      : ") + Number(le::GetU16(stat + kSpecUnusedPages)),
    };
}

std::vector<Estring> StatisticsFlagLines(uint16_t flags) {
    std::vector<Estring> lines;
    if (flags & kFileVariable)
        lines.push_back(Estring("Variable Length ") + ((flags & kFileBlankTruncation) ? "(right trimmed)" : ""));
    for (const FlagLine& flag : kPlainFlags)
        if (flags & flag.bit) lines.push_back(flag.text);
    if (const int tenths = (flags & kFileFreeSpaceThreshold) >> kFreeSpaceShift)
        lines.push_back(Number(static_cast<unsigned>(tenths)) + "0% free space threshold");
    if (flags & kFileVats) lines.push_back("VATs");
    return lines;
}

Estring ShortenLocation(const Estring& location, int width) {
    const int length = location.Length();
    if (length <= width) return location;
    if (length > 1 && location.Text()[1] == ':')
        return location.Left(kDrivePrefix) + "..." + location.Right(width - kDrivePrefix - 3);
    return Estring("...") + location.Right(width - 3);
}
