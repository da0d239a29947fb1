#include "engine/EngineFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Endian.h"
#include "engine/JournalChoice.h"
#include "engine/KeyCodec.h"

namespace qdx::engine {

namespace {

constexpr int kApplicationId = 0x51445845;  // "QDXE"
constexpr int kBusyTimeoutMs = 250;
const char* const kSchema =
    "CREATE TABLE qdx_file(id INTEGER PRIMARY KEY CHECK (id = 1), format INTEGER NOT NULL,"
    " record_length INTEGER NOT NULL, page_size INTEGER NOT NULL, file_flags INTEGER NOT NULL,"
    " spec_version INTEGER NOT NULL, next_table INTEGER NOT NULL, owner_mode INTEGER NOT NULL,"
    " owner_salt BLOB, owner_verifier BLOB, key_by_owner BLOB, key_by_salt BLOB);"
    "CREATE TABLE qdx_key(key_number INTEGER PRIMARY KEY, table_id INTEGER NOT NULL,"
    " segments BLOB NOT NULL, key_order INTEGER NOT NULL DEFAULT 1);"
    "CREATE TABLE qdx_record(rid INTEGER PRIMARY KEY, data BLOB NOT NULL, seq BLOB, tag INTEGER);";

Status CreateStatusFromErrno(int err) {
    switch (err) {
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return kAccessDenied;
    default: return kCreateIoError;
    }
}

std::string Blob(const Statement& s, int col) {
    const uint8_t* p = s.columnBlob(col);
    return p ? std::string(reinterpret_cast<const char*>(p), s.columnBytes(col)) : std::string();
}

// Runs one statement (with optional blob/integer parameters) and returns its rc.
int Exec(sqlite3* db, const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// The journal mode SQLite reports after asking for mode ("wal", "delete").
std::string SetJournalMode(sqlite3* db, const char* mode) {
    Statement s;
    if (s.prepare(db, std::string("PRAGMA journal_mode=") + mode) != SQLITE_OK || s.step() != SQLITE_ROW)
        return std::string();
    const uint8_t* text = s.columnBlob(0);
    return text ? std::string(reinterpret_cast<const char*>(text), s.columnBytes(0)) : std::string();
}

Status ConfigureConnection(Connection& conn, Journal journal) {
    sqlite3_busy_timeout(conn.get(), kBusyTimeoutMs);
    sqlite3_extended_result_codes(conn.get(), 0);
    int rc;
    if (journal == Journal::kWal) {
        // WAL: readers never wait for the writer, commits are appends.
        // synchronous=NORMAL: a commit has reached the operating system when it
        // is acknowledged, so a killed process loses nothing; a power loss may
        // lose the last commits but never consistency.
        // mmap_size: reads of the file's first 256 MB come straight from
        // the operating system's page cache instead of a copy per page; a
        // key-order scan, one record lookup per entry, runs twice as fast.
        // The mapped pages are the file's, shared and reclaimable, and the
        // mapping is bounded whatever the file's size. Never on a file
        // server (the rollback branch), where a mapping can fault.
        rc = conn.exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                       " PRAGMA temp_store=MEMORY; PRAGMA cache_size=-16384;"
                       " PRAGMA mmap_size=268435456;");
    } else {
        // Rollback journal: the file system's locks alone keep writers and
        // readers apart, on any number of hosts. A file left in WAL mode
        // switches when no one else has it open; while someone does, it is
        // refused rather than used with a log index of this host's own.
        const std::string mode = SetJournalMode(conn.get(), "DELETE");
        if (mode != "delete" && !sqlite3_db_readonly(conn.get(), "main")) return kIncompatibleMode;
        rc = conn.exec("PRAGMA synchronous=FULL; PRAGMA temp_store=MEMORY; PRAGMA cache_size=-16384;");
    }
    return StatusFromSqlite(rc);
}

}  // namespace

OpenLock::~OpenLock() {
    if (fd_ >= 0) close(fd_);
}

Status OpenLock::acquire(const std::string& path, bool exclusive, bool useFlock) {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return errno == ENOENT ? kFileNotFound : kIoError;
    if (!useFlock) {
        // The descriptor stays open until after SQLite's (closing it first
        // would drop this process's POSIX locks on the file).
        unlocked_ = true;
        exclusive_ = exclusive;
        return kOk;
    }
    if (flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        close(fd_);
        fd_ = -1;
        return kIncompatibleMode;
    }
    exclusive_ = exclusive;
    return kOk;
}

bool OpenLock::takeSole() {
    if (fd_ < 0) return false;
    if (unlocked_) return true;  // no flock() on a shared file system: SQLite's locks decide
    if (exclusive_ || sole_) return true;
    // Converting drops the shared lock first; when another process holds
    // one, the exclusive lock fails and the shared one is taken again
    // (an exclusive opener meanwhile would have failed on the same holder).
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        sole_ = true;
        return true;
    }
    flock(fd_, LOCK_SH | LOCK_NB);
    return false;
}

void OpenLock::release() {
    if (!sole_ || unlocked_) return;
    sole_ = false;
    flock(fd_, LOCK_SH | LOCK_NB);
}

EngineFile::~EngineFile() {
    if (tx_.joined()) rollbackTransaction();
}

Status EngineFile::Identify(const std::string& path, FileIdentity& out) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return kFileNotFound;
        if (errno == ENAMETOOLONG) return kInvalidFileName;
        return kIoError;
    }
    if (!S_ISREG(st.st_mode)) return kNotEngineFile;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    return kOk;
}

namespace {

// "file:" URI of path that tells SQLite the file will not change while open.
std::string ImmutableUri(const std::string& path) {
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?immutable=1";
}

}  // namespace

Status EngineFile::OpenConnection(const std::string& name, int flags) {
    int rc = conn_.open(name, flags);
    if (rc != SQLITE_OK) return rc == SQLITE_CANTOPEN ? kIoError : fromSqlite(rc);
    sqlite3_busy_timeout(db(), kBusyTimeoutMs);
    Statement s;
    if (s.prepare(db(), "PRAGMA application_id") != SQLITE_OK) return kNotEngineFile;
    rc = s.step();
    if (rc == SQLITE_BUSY) return kFileLocked;
    // Reading the first page needs the shared-memory file of the log, which a
    // read-write connection must be able to create.
    if (rc == SQLITE_CANTOPEN || (rc & 0xFF) == SQLITE_IOERR) return kIoError;
    if (rc == SQLITE_READONLY) return kAccessDenied;
    if (rc != SQLITE_ROW) return kNotEngineFile;
    if (s.columnInt(0) != kApplicationId) return kNotEngineFile;
    return kOk;
}

Status EngineFile::Open(const std::string& path, bool exclusive, std::unique_ptr<EngineFile>& out) {
    std::unique_ptr<EngineFile> f(new EngineFile());
    f->path_ = path;
    if (Status st = Identify(path, f->identity_)) return st;
    const bool network = NetworkFileSystem(path);
    const Journal journal = ChooseJournal(network);
    if (Status st = f->lock_.acquire(path, exclusive, !network)) return st;
    // Check the header before SQLite sees the file: an empty or foreign file
    // must not be turned into a database.
    {
        char header[16] = {};
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return kIoError;
        ssize_t n = read(fd, header, sizeof header);
        close(fd);
        if (n != static_cast<ssize_t>(sizeof header) ||
            std::memcmp(header, "SQLite format 3", 16) != 0)
            return kNotEngineFile;
    }
    // A file (or its directory) we may not write is opened read-only: it can
    // still be read, and every write then answers 46. In a directory where
    // the log's shared-memory file cannot be made, the file is read as it
    // stands (no one without write access there can change it either).
    Status st = f->OpenConnection(f->path_, SQLITE_OPEN_READWRITE);
    if (st == kIoError || st == kAccessDenied) st = f->OpenConnection(f->path_, SQLITE_OPEN_READONLY);
    if (st == kIoError || st == kAccessDenied)
        st = f->OpenConnection(ImmutableUri(f->path_), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    if (st != kOk) return st;
    if (Status st = ConfigureConnection(f->conn_, journal)) {
        // A read-only file cannot switch journal modes; it is still readable.
        if (st != kAccessDenied) return st;
    }
    if (network && exclusive) {
        // No flock() here: the exclusive open holds SQLite's own exclusive
        // lock until it closes.
        if (f->conn_.exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT") != SQLITE_OK)
            return kIncompatibleMode;
    }
    if (Status st = f->loadSpec()) return st == kIoError ? kNotEngineFile : st;
    if (f->walMode()) f->watch_.attach(f->db());
    out = std::move(f);
    return kOk;
}

Status EngineFile::Create(const std::string& path, const FileSpec& spec, bool replace) {
    struct stat st;
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !replace) return kFileExists;
    if (exists && S_ISDIR(st.st_mode)) return kInvalidFileName;
    if (exists) {
        // Nobody else may have it open while it is replaced.
        OpenLock probe;
        if (probe.acquire(path, true, !NetworkFileSystem(path)) != kOk) return kFileLocked;
    }
    // Built under a temporary name and renamed into place, so a failed
    // create never leaves a half-made file under the real name.
    const std::string temp = path + ".qdxnew" + std::to_string(getpid());
    unlink(temp.c_str());
    Status status = kOk;
    {
        Connection conn;
        int rc = conn.open(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (rc != SQLITE_OK) {
            status = errno ? CreateStatusFromErrno(errno) : kCreateIoError;
        } else {
            rc = conn.exec(ChooseJournal(path) == Journal::kWal ? "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                                                                : "PRAGMA synchronous=FULL;");
            if (rc == SQLITE_OK) {
                std::string sql = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                                  "; BEGIN; " + kSchema + CounterStore::Schema() +
                                  "INSERT INTO qdx_count VALUES(0, 0); INSERT INTO qdx_count VALUES(-1, 1);";
                int64_t table = 1;
                for (const KeyDef& k : spec.keys) {
                    KeyDef copy = k;
                    copy.tableId = table++;
                    sql += "CREATE TABLE " + IndexTable(copy) +
                           "(k BLOB PRIMARY KEY, rid INTEGER NOT NULL) WITHOUT ROWID;"
                           "INSERT INTO qdx_count VALUES(" + std::to_string(copy.tableId) + ", 0);";
                }
                rc = Exec(conn.get(), sql);
            }
            Statement s;
            if (rc == SQLITE_OK)
                rc = s.prepare(conn.get(),
                               "INSERT INTO qdx_file VALUES(1, ?1, ?2, ?3, ?4, 1, ?5, -1,"
                               " NULL, NULL, NULL, NULL)");
            if (rc == SQLITE_OK) {
                s.bindInt(1, kFormatCurrent);
                s.bindInt(2, spec.recordLength);
                s.bindInt(3, spec.pageSize);
                s.bindInt(4, spec.fileFlags);
                s.bindInt(5, static_cast<int64_t>(spec.keys.size()) + 1);
                rc = s.run();
                if (rc == SQLITE_DONE) rc = SQLITE_OK;
            }
            Statement k;
            if (rc == SQLITE_OK)
                rc = k.prepare(conn.get(), "INSERT INTO qdx_key VALUES(?1, ?2, ?3, ?4)");
            int64_t table = 1;
            for (const KeyDef& key : spec.keys) {
                if (rc != SQLITE_OK) break;
                std::string blob = EncodeSegments(key);
                k.bindInt(1, key.keyNumber);
                k.bindInt(2, table++);
                k.bindBlob(3, blob);
                k.bindInt(4, kKeyOrderByValue);
                rc = k.run();
                if (rc == SQLITE_DONE) rc = SQLITE_OK;
            }
            if (rc == SQLITE_OK) rc = conn.exec("COMMIT");
            if (rc != SQLITE_OK) status = rc == SQLITE_FULL ? kDiskFull : kCreateIoError;
        }
    }
    if (status == kOk) {
        // Stale journal files of the replaced file must not be replayed
        // into the new one.
        unlink((path + "-wal").c_str());
        unlink((path + "-shm").c_str());
        unlink((path + "-journal").c_str());
        if (rename(temp.c_str(), path.c_str()) != 0) status = CreateStatusFromErrno(errno);
    }
    if (status != kOk) {
        unlink(temp.c_str());
        unlink((temp + "-wal").c_str());
        unlink((temp + "-shm").c_str());
        unlink((temp + "-journal").c_str());
    }
    return status;
}

Status EngineFile::prepared(Statement& s, const char* sql) {
    if (s.valid()) return kOk;
    int rc = s.prepare(db(), sql);
    return rc == SQLITE_OK ? kOk : fromSqlite(rc);
}

Status EngineFile::loadSpec() {
    Statement s;
    if (s.prepare(db(), "SELECT format, record_length, page_size, file_flags, spec_version,"
                        " owner_mode, owner_salt, owner_verifier, key_by_owner, key_by_salt"
                        " FROM qdx_file WHERE id = 1") != SQLITE_OK)
        return kNotEngineFile;
    int rc = s.step();
    if (rc == SQLITE_BUSY) return kFileLocked;
    if (rc != SQLITE_ROW) return kNotEngineFile;
    const int64_t format = s.columnInt(0);
    if (format < kFormatFirst || format > kFormatCurrent) return kNotEngineFile;
    FileSpec spec;
    spec.recordLength = static_cast<uint16_t>(s.columnInt(1));
    spec.pageSize = static_cast<uint16_t>(s.columnInt(2));
    spec.fileFlags = static_cast<uint16_t>(s.columnInt(3));
    const int64_t version = s.columnInt(4);
    StoredOwner owner;
    owner.mode = static_cast<int>(s.columnInt(5));
    owner.salt = Blob(s, 6);
    owner.verifier = Blob(s, 7);
    owner.keyByOwner = Blob(s, 8);
    owner.keyBySalt = Blob(s, 9);
    s.reset();

    Statement k;
    if (k.prepare(db(), format >= 2 ? "SELECT key_number, table_id, segments, key_order FROM qdx_key"
                                      " ORDER BY key_number"
                                    : "SELECT key_number, table_id, segments, 1 FROM qdx_key"
                                      " ORDER BY key_number") != SQLITE_OK)
        return kNotEngineFile;
    while ((rc = k.step()) == SQLITE_ROW) {
        KeyDef key;
        key.keyNumber = static_cast<int>(k.columnInt(0));
        key.tableId = k.columnInt(1);
        key.order = k.columnInt(3) == kKeyOrderFirst ? kKeyOrderFirst : kKeyOrderByValue;
        if (!DecodeSegments(k.columnBlob(2), k.columnBytes(2), key)) return kNotEngineFile;
        spec.keys.push_back(std::move(key));
    }
    if (rc != SQLITE_DONE) return fromSqlite(rc);

    if (version != specVersion_) keyStatements_.clear();
    spec_ = std::move(spec);
    if (format != format_) selectRecord_ = Statement();  // its columns depend on the format
    format_ = static_cast<int>(format);
    specVersion_ = version;
    if (Status st = owner_.load(std::move(owner))) return st;
    dataVersion_ = DataVersion(db());
    applySecureDelete();
    return kOk;
}

bool EngineFile::walMode() {
    Statement s;
    if (s.prepare(db(), "PRAGMA journal_mode") != SQLITE_OK || s.step() != SQLITE_ROW) return false;
    const uint8_t* mode = s.columnBlob(0);
    return mode && s.columnBytes(0) == 3 && std::memcmp(mode, "wal", 3) == 0;
}

Status EngineFile::fromSqlite(int rc) {
    if ((rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB) damaged_ = true;
    return StatusFromSqlite(rc);
}

Status EngineFile::refreshSpec() {
    quiesce();
    return loadSpec();
}

void EngineFile::quiesce() {
    for (sqlite3_stmt* s = sqlite3_next_stmt(db(), nullptr); s; s = sqlite3_next_stmt(db(), s))
        if (sqlite3_stmt_busy(s)) sqlite3_reset(s);
}

// --- reading ----------------------------------------------------------------

Status EngineFile::plainRecord(const uint8_t* stored, size_t n, const uint8_t** out, size_t* outSize) {
    return owner_.plain(stored, n, scratch_, out, outSize);
}

Status EngineFile::readRecord(uint32_t rid, std::string& out, std::string* suffixes, ChangeTag* tag) {
    const char* sql = format_ >= kFormatChangeTags ? "SELECT data, seq, tag FROM qdx_record WHERE rid = ?1"
                      : format_ >= kFormatSuffixes ? "SELECT data, seq, NULL FROM qdx_record WHERE rid = ?1"
                                                   : "SELECT data, NULL, NULL FROM qdx_record WHERE rid = ?1";
    if (Status st = prepared(selectRecord_, sql)) return st;
    selectRecord_.bindInt(1, rid);
    int rc = selectRecord_.step();
    if (rc != SQLITE_ROW) {
        selectRecord_.reset();
        return rc == SQLITE_DONE ? kInvalidRecordAddress : fromSqlite(rc);
    }
    const uint8_t* p;
    size_t n;
    Status st = plainRecord(selectRecord_.columnBlob(0), selectRecord_.columnBytes(0), &p, &n);
    if (st == kOk) out.assign(reinterpret_cast<const char*>(p), n);
    if (st == kOk && suffixes) *suffixes = Blob(selectRecord_, 1);
    if (tag) *tag = selectRecord_.columnInt(2);
    selectRecord_.reset();
    return st;
}

Status EngineFile::counts(uint32_t* records, std::vector<uint32_t>& unique) {
    FileCounters c;
    if (countersLoaded_) {
        c = counters_;
    } else if (format_ >= kFormatCounters) {
        if (Status st = counterStore_.load(db(), c)) return st;
    } else if (Status st = CounterStore::Count(db(), spec_, c)) {
        return st;
    }
    c.report(spec_, records, unique);
    return kOk;
}

Status EngineFile::countBefore(const KeyDef* key, const std::string& bound, uint32_t* before,
                               uint32_t* total) {
    std::string table = key ? IndexTable(*key) : std::string("qdx_record");
    std::string column = key ? "k" : "rid";
    Statement s;
    if (s.prepare(db(), "SELECT count(*), sum(" + column + " < ?1) FROM " + table) != SQLITE_OK)
        return kIoError;
    if (key) {
        s.bindBlob(1, bound);
    } else {
        s.bindInt(1, static_cast<int64_t>(le::GetU32(bound.data())));
    }
    int rc = s.step();
    if (rc != SQLITE_ROW) return fromSqlite(rc);
    *total = static_cast<uint32_t>(s.columnInt(0));
    *before = static_cast<uint32_t>(s.columnInt(1));
    return kOk;
}

EngineFile::KeyStatements* EngineFile::keyStatements(const KeyDef& key) {
    auto it = keyStatements_.find(key.tableId);
    if (it != keyStatements_.end()) return &it->second;
    KeyStatements ks;
    const std::string t = IndexTable(key);
    if (ks.insert.prepare(db(), "INSERT INTO " + t + "(k, rid) VALUES(?1, ?2)") != SQLITE_OK ||
        ks.erase.prepare(db(), "DELETE FROM " + t + " WHERE k = ?1") != SQLITE_OK ||
        ks.last.prepare(db(), "SELECT k FROM " + t + " ORDER BY k DESC LIMIT 1") != SQLITE_OK ||
        ks.first.prepare(db(), "SELECT k FROM " + t + " ORDER BY k LIMIT 1") != SQLITE_OK ||
        ks.probe.prepare(db(), "SELECT 1 FROM " + t + " WHERE k > ?1 AND k < ?2 LIMIT 1") != SQLITE_OK)
        return nullptr;
    return &keyStatements_.emplace(key.tableId, std::move(ks)).first->second;
}

}  // namespace qdx::engine
