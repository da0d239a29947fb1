#pragma once
// StdDirectory: the entries of one directory that match a wildcard pattern,
// with their attributes, sizes and last-write times, as the file dialog lists
// them.
//
// Names are 8-bit text in the console's code page (converted from the file
// system's UTF-8); "\" in a directory name is taken as "/". Patterns know "*"
// (any run of characters) and "?" (one character) and ignore the case of
// A to Z; "*.*" matches every name, with or without a point.
//
// Attributes use the classic bit values so that masks read the same
// everywhere: an entry is listed only when the mask includes each of
// kAttrHidden, kAttrSystem and kAttrDirectory that the entry has.
//   kAttrReadOnly   nobody may write it (no write permission bit)
//   kAttrHidden     the name begins with "." (not "." and "..")
//   kAttrSystem     neither a regular file nor a directory (device, socket...)
//   kAttrDirectory  a directory (a symbolic link counts as what it points to)
//   kAttrArchive    a regular file

#include "base/Estring.h"

#include <cstdint>
#include <ctime>
#include <string_view>
#include <vector>

struct DirectoryEntry {
    Estring name;
    uint32_t attributes = 0;
    uint64_t size = 0;
    time_t modified = 0;     // seconds since 1970, UTC
    uint16_t dosDate = 0;    // local time: (year - 1980) << 9 | month << 5 | day
    uint16_t dosTime = 0;    // local time: hour << 11 | minute << 5 | second / 2
};

class StdDirectory {
public:
    static constexpr uint32_t kAttrReadOnly = 0x01;
    static constexpr uint32_t kAttrHidden = 0x02;
    static constexpr uint32_t kAttrSystem = 0x04;
    static constexpr uint32_t kAttrDirectory = 0x10;
    static constexpr uint32_t kAttrArchive = 0x20;
    static constexpr uint32_t kAttrAll = 0x37;

    // Reads the entries of directory that match pattern and the attribute
    // mask (directoriesOnly: directories alone), "." and ".." included when
    // they match, in the order the file system gives them. Returns the error
    // number, 0 on success; on failure the list is empty.
    int Read(std::string_view directory, std::string_view pattern = "*", uint32_t attributeMask = kAttrAll,
             bool directoriesOnly = false);

    int Count() const { return static_cast<int>(entries.size()); }
    // Requires: 0 <= i < Count().
    const DirectoryEntry& Get(int i) const { return entries[static_cast<size_t>(i)]; }
    const Estring& Directory() const { return directory; }
    // The file system type of the directory ("ext4", "tmpfs", ...), empty when unknown.
    const Estring& FileSystemName() const { return fileSystemName; }

    // The pattern rule above, on 8-bit names.
    static bool Matches(std::string_view pattern, std::string_view name);
    // Packed date and time of t in local time.
    static void ToDosDateTime(time_t t, uint16_t& dosDate, uint16_t& dosTime);

private:
    Estring directory;
    Estring fileSystemName;
    std::vector<DirectoryEntry> entries;
};
