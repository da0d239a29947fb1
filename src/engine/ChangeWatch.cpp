#include "engine/ChangeWatch.h"

#include <sqlite3.h>

namespace qdx::engine {

namespace {

constexpr int kRegionBytes = 32768;  // SQLite's size of a WAL-index region

}  // namespace

// The region is SQLite's own mapping, asked for through the VFS. Opening the
// shared-memory file separately would not do: closing that descriptor
// would drop every POSIX lock this process holds on it, SQLite's included.
void ChangeWatch::attach(sqlite3* db) {
    header_ = nullptr;
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
        return;
    volatile void* region = nullptr;
    if (file->pMethods->xShmMap(file, 0, kRegionBytes, 0, &region) == SQLITE_OK && region)
        header_ = static_cast<const volatile uint32_t*>(region);
}

}  // namespace qdx::engine
