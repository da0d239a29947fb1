#include "engine/JournalChoice.h"

#include <sys/vfs.h>

#include <cstdlib>
#include <cstring>

namespace qdx::engine {

namespace {

// File system types (the kernel's magic numbers) whose files may be shared
// between hosts, or whose shared memory is not the one other users see.
constexpr unsigned long kSharedFileSystems[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2/3
    0x65735546,  // FUSE (sshfs, virtiofs, user-space network file systems)
    0x01021997,  // 9P
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x73757245,  // Coda
    0x00C36400,  // Ceph
    0x564C,      // NCP
    0x01161970,  // GFS2
    0x7461636F,  // OCFS2
    0x0BD00BD0,  // Lustre
    0x47504653,  // GPFS
    0x20030528,  // OrangeFS
    0x786F4256,  // VirtualBox shared folders
};

bool StatFs(const std::string& path, unsigned long* magic) {
    struct statfs fs;
    if (statfs(path.c_str(), &fs) == 0) {
        *magic = static_cast<unsigned long>(fs.f_type);
        return true;
    }
    const size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (statfs(directory.c_str(), &fs) != 0) return false;
    *magic = static_cast<unsigned long>(fs.f_type);
    return true;
}

}  // namespace

Journal JournalForFileSystem(unsigned long magic) {
    // Only the low 32 bits name the type: f_type is a signed word, and a
    // widened one carries the CIFS and SMB2 numbers sign-extended.
    magic &= 0xFFFFFFFFul;
    for (unsigned long shared : kSharedFileSystems)
        if (magic == shared) return Journal::kRollback;
    return Journal::kWal;
}

bool NetworkFileSystem(const std::string& path) {
    unsigned long magic = 0;
    return StatFs(path, &magic) && JournalForFileSystem(magic) == Journal::kRollback;
}

Journal ChooseJournal(bool network) {
    // Never WAL where other hosts may share the file, whatever was asked.
    if (network) return Journal::kRollback;
    if (const char* forced = std::getenv("QDX_ENGINE_JOURNAL")) {
        if (std::strcmp(forced, "wal") == 0) return Journal::kWal;
        if (std::strcmp(forced, "rollback") == 0) return Journal::kRollback;
    }
    return Journal::kWal;
}

Journal ChooseJournal(const std::string& path) { return ChooseJournal(NetworkFileSystem(path)); }

}  // namespace qdx::engine
