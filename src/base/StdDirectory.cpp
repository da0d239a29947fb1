#include "base/StdDirectory.h"

#include "base/CodePage437.h"
#include "base/StdFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

#include <cerrno>
#include <memory>
#include <string>

namespace {

struct FileSystemType {
    unsigned long magic;
    const char* name;
};

// statfs type numbers of the file systems worth naming.
constexpr FileSystemType kFileSystemTypes[] = {
    {0xEF53, "ext4"},       {0x01021994, "tmpfs"}, {0x58465342, "xfs"},   {0x9123683E, "btrfs"},
    {0x6969, "nfs"},        {0x794C7630, "overlay"}, {0x4D44, "vfat"},    {0x5346544E, "ntfs"},
    {0x65735546, "fuse"},   {0x9FA0, "proc"},      {0x62656572, "sysfs"}, {0xFF534D42, "cifs"},
    {0x2011BAB0, "exfat"},  {0x01021997, "9p"},
};

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

uint32_t AttributesOf(const struct stat& info, std::string_view name) {
    uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) {
        attributes |= StdDirectory::kAttrDirectory;
    } else if (S_ISREG(info.st_mode)) {
        attributes |= StdDirectory::kAttrArchive;
    } else {
        attributes |= StdDirectory::kAttrSystem;
    }
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= StdDirectory::kAttrReadOnly;
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= StdDirectory::kAttrHidden;
    return attributes;
}

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

}  // namespace

bool StdDirectory::Matches(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") pattern = "*";
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            // Let the last star swallow one more character.
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

void StdDirectory::ToDosDateTime(time_t t, uint16_t& dosDate, uint16_t& dosTime) {
    struct tm local;
    if (localtime_r(&t, &local) == nullptr || local.tm_year < 80) {
        dosDate = static_cast<uint16_t>((1 << 5) | 1);  // 1 January 1980, the first date the form holds
        dosTime = 0;
        return;
    }
    int year = local.tm_year - 80;
    if (year > 127) year = 127;
    dosDate = static_cast<uint16_t>((year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    dosTime = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

int StdDirectory::Read(std::string_view directoryName, std::string_view pattern, uint32_t attributeMask,
                       bool directoriesOnly) {
    entries.clear();
    directory = Estring(directoryName);
    fileSystemName.Clear();
    std::string native = StdFile::NativeName(directoryName);
    if (native.empty()) native = ".";

    std::unique_ptr<DIR, DirCloser> dir(opendir(native.c_str()));
    if (!dir) return errno;

    struct statfs volume;
    if (statfs(native.c_str(), &volume) == 0) {
        for (const FileSystemType& type : kFileSystemTypes) {
            if (static_cast<unsigned long>(volume.f_type) == type.magic) fileSystemName = type.name;
        }
    }

    const uint32_t special = kAttrHidden | kAttrSystem | kAttrDirectory;
    for (;;) {
        errno = 0;
        struct dirent* item = readdir(dir.get());
        if (item == nullptr) {
            if (errno != 0) {
                int error = errno;
                entries.clear();
                return error;
            }
            break;
        }
        std::string name8 = cp437::FromUtf8(item->d_name);
        if (!Matches(pattern, name8)) continue;
        struct stat info;
        // Follow links; a dangling link is listed with what lstat tells.
        if (fstatat(dirfd(dir.get()), item->d_name, &info, 0) != 0 &&
            fstatat(dirfd(dir.get()), item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // vanished while listing
        }
        DirectoryEntry entry;
        entry.attributes = AttributesOf(info, name8);
        if (directoriesOnly && !(entry.attributes & kAttrDirectory)) continue;
        uint32_t extra = entry.attributes & special;
        if ((extra & ~attributeMask) != 0) continue;
        entry.name = Estring(name8.data(), static_cast<int>(name8.size()));
        entry.size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
        entry.modified = info.st_mtime;
        ToDosDateTime(info.st_mtime, entry.dosDate, entry.dosTime);
        entries.push_back(std::move(entry));
    }
    return 0;
}
