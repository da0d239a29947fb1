#pragma once
// Which journal an engine file runs with. WAL needs shared memory that every
// process using the file maps on one host; processes on two hosts sharing a
// file over a network file system would each keep their own copy of the
// log's index and could damage the file. There the file runs with a rollback
// journal and the file system's own locks instead.
//
// Chosen at each open (and create) from the file system holding the file
// (statfs); QDX_ENGINE_JOURNAL=rollback chooses the rollback journal on a
// local file system too (so it can be tested anywhere).

#include <string>

namespace qdx::engine {

enum class Journal { kWal, kRollback };

// The journal for a file system type (statfs f_type): rollback for network
// and user-space file systems (NFS, SMB/CIFS, FUSE, 9P, AFS, Coda, Ceph and
// the like), WAL for every other.
Journal JournalForFileSystem(unsigned long magic);

// Whether the file system is one shared between hosts (JournalForFileSystem
// gives rollback for it): flock() there may be emulated with the POSIX
// locks SQLite itself uses, so the engine takes none.
bool NetworkFileSystem(const std::string& path);

// The journal for the file at path (or, when it does not exist yet, for its
// directory): rollback on a network file system; elsewhere WAL unless
// QDX_ENGINE_JOURNAL says "rollback" (any value but "wal" and "rollback"
// is ignored). The override never puts a network file into WAL mode.
Journal ChooseJournal(const std::string& path);
// The same once NetworkFileSystem(path) is known.
Journal ChooseJournal(bool network);

}  // namespace qdx::engine
