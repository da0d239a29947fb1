#include "engine/SqliteStatement.h"

namespace qdx::engine {

Status StatusFromSqlite(int rc) {
    switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return kOk;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return kFileLocked;
    case SQLITE_FULL: return kDiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return kAccessDenied;
    case SQLITE_CONSTRAINT: return kDuplicateKey;
    case SQLITE_NOTADB: return kNotEngineFile;
    default: return kIoError;
    }
}

}  // namespace qdx::engine
