#pragma once
// The file layer: one engine file is one SQLite database. EngineFile owns the
// connection, the schema, the file specification read from it, and every
// write; the owner's keys are OwnerKeys', SQLite's transaction state
// WriteTransaction's. One EngineFile is shared by all position blocks of the
// process that have the file open. Its methods live in EngineFile.cpp (open,
// create, specification, reads), FileTransaction.cpp (the write bracket and
// the caller's transactions), FileWrites.cpp, FileOwner.cpp, FileCheck.cpp
// and FileUpgrade.cpp.
//
// Schema:
//   qdx_file    one row: record length, page size, file flags, spec version,
//               next index table id, owner mode, salt, verifier, wrapped keys
//   qdx_key     one row per key: key number, index table id, segment blob,
//               key order (KeyDef::order)
//   qdx_count   the counters of FileCounters.h
//   qdx_record  rid INTEGER PRIMARY KEY (the record's 4-byte position), data,
//               seq (the suffixes of its duplicates entries that are not
//               its position; NULL when none)
//   qdx_k<id>   one WITHOUT ROWID table per key: k BLOB PRIMARY KEY (the
//               order-preserving index entry, see KeyCodec.h), rid
//
// Writes: outside a transaction every operation is one SQLite transaction
// (BEGIN IMMEDIATE ... COMMIT); inside a caller's transaction the file joins
// it at its first write and each operation is a savepoint (Insert undoes its
// own partial work instead, savepoints copy every page touched), so a failing
// operation leaves no half-written record.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/ChangeWatch.h"
#include "engine/FileCounters.h"
#include "engine/FileSpec.h"
#include "engine/OwnerKeys.h"
#include "engine/SqliteStatement.h"
#include "engine/Status.h"
#include "engine/WriteTransaction.h"

namespace qdx::engine {

// The highest record position (and duplicates suffix) a file hands out.
constexpr int64_t kMaxPosition = 0xFFFFFFFE;

// File formats (qdx_file.format). Files of an earlier format are brought up
// to date by EngineFile::upgrade; until then they are read as they are.
//   1  the first release
//   2  qdx_key.key_order: numeric keys by value (KeyDef::order)
//   3  qdx_count: the counts Stat reports (FileCounters.h)
//   4  qdx_record.seq: suffixes of moved duplicates entries (KeyCodec.h)
//   5  qdx_record.tag: the record's change tag (see ChangeTag)
constexpr int kFormatFirst = 1;
constexpr int kFormatCounters = 3;
constexpr int kFormatSuffixes = 4;
constexpr int kFormatChangeTags = 5;
constexpr int kFormatCurrent = 5;

// A record's change tag: 0 (stored as NULL) until its first update, then a
// value every update raises by a random step of 1 to 2^32. A position block
// remembers the tag of the record it last read; an Update or Delete through
// it whose tag no longer matches the stored one meets a change it has not
// seen (80). Random steps keep a tag seen inside an aborted transaction from
// being handed out again by the next update of another process.
using ChangeTag = int64_t;

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator<(const FileIdentity& o) const {
        return device != o.device ? device < o.device : inode < o.inode;
    }
};

// Holds a flock() on the file for as long as it is open: shared for normal
// opens, exclusive for the exclusive mode. flock() locks are independent of
// the POSIX locks SQLite uses; the descriptor is closed only after SQLite's.
class OpenLock {
public:
    OpenLock() = default;
    ~OpenLock();
    OpenLock(const OpenLock&) = delete;
    OpenLock& operator=(const OpenLock&) = delete;
    // useFlock false (a shared file system): the descriptor is only held.
    Status acquire(const std::string& path, bool exclusive, bool useFlock = true);
    // Takes the lock exclusively while no other process has the file open
    // (false when one has); release() goes back to the lock taken at open.
    bool takeSole();
    void release();

private:
    int fd_ = -1;
    bool exclusive_ = false;
    bool sole_ = false;
    bool unlocked_ = false;
};

class EngineFile {
public:
    ~EngineFile();
    EngineFile(const EngineFile&) = delete;
    EngineFile& operator=(const EngineFile&) = delete;

    // Opens an existing engine file. 12 missing, 30 not ours, 88 held
    // exclusively elsewhere.
    static Status Open(const std::string& path, bool exclusive, std::unique_ptr<EngineFile>& out);
    // Creates (or, with replace, replaces) a file. 59 when it exists and
    // replace is false; 85 when another process has it open.
    static Status Create(const std::string& path, const FileSpec& spec, bool replace);
    static Status Identify(const std::string& path, FileIdentity& out);

    const std::string& path() const { return path_; }
    const FileIdentity& identity() const { return identity_; }
    const FileSpec& spec() const { return spec_; }
    sqlite3* db() const { return conn_.get(); }

    // A SQLite result as a status; a damaged database is noted: every later
    // write answers 2 until the file is opened again (rearm()).
    Status fromSqlite(int rc);
    bool damaged() const { return damaged_; }
    // Opened again: the file is trusted again until SQLite meets damage.
    void rearm() { damaged_ = false; verified_ = false; }

    // Re-reads the file specification when another process changed it.
    Status refreshSpec();

    int format() const { return format_; }
    // Brings a file of an earlier format up to date in one transaction
    // (rebuilding keys whose order changed). Skipped quietly when the file
    // is read-only or another process holds the write lock: the next write
    // does it instead. Requires: the records can be read (owner checked).
    void upgrade();
    // While this file is of an earlier format, another process may upgrade
    // it: re-reads the file specification when it did. Call before positioning.
    void followUpgrade();

    // --- owner ---------------------------------------------------------
    int ownerMode() const { return owner_.mode(); }
    bool encrypted() const { return owner_.encrypted(); }
    // Checks an owner name given at open; sets *granted when it matches.
    Status checkOwner(const std::string& name, bool* granted);
    // With encryption (modes 2 and 3) no other process may have the file
    // open (85): once it answers 0 (or, inside a transaction, once End
    // does), no record written before is left in clear in any file of it.
    Status setOwner(const std::string& name, int mode);
    Status clearOwner();

    // --- reading ---------------------------------------------------------
    // The plain record of stored bytes (decrypted when the file is
    // encrypted); the result stays valid until the next call.
    Status plainRecord(const uint8_t* stored, size_t n, const uint8_t** out, size_t* outSize);
    // Reads the record at a position (and the suffixes of its duplicates
    // entries, see KeyCodec.h, and its change tag); 43 when there is none.
    Status readRecord(uint32_t rid, std::string& out, std::string* suffixes = nullptr,
                      ChangeTag* tag = nullptr);
    // Stat's counts: the number of records and, per key of spec() in its
    // order, of distinct values. Reads the stored counters (inside this
    // process's transaction, the ones it is changing); files of a format
    // without counters are counted.
    Status counts(uint32_t* records, std::vector<uint32_t>& unique);
    // How many index entries (or records, for a null key) lie before the bound.
    Status countBefore(const KeyDef* key, const std::string& bound, uint32_t* before, uint32_t* total);

    // Resets every statement still stepping, so the next read starts from a
    // fresh snapshot (and writes can begin). Cursors notice and re-seek.
    void quiesce();
    // Bumped on every write through this connection; cursors holding an open
    // scan re-seek when it changed.
    uint64_t writeSequence() const { return writeSeq_; }
    // Whether a read statement may stay open between calls: only where
    // other processes' commits can be seen (changeMark) and do not wait for
    // it (WAL). Otherwise every read ends its statement before returning.
    bool holdsReads() const { return watch_.valid(); }
    // Moves on with every commit to the file by any connection (ChangeWatch.h).
    uint64_t changeMark() const { return watch_.mark(); }

    // The whole file against itself (kOpCheckFile): 0 sound, 2 with the
    // problems in report (and later writes refused, as for any damage).
    struct CheckReport {
        int problems = 0;
        std::vector<std::string> lines;
        void add(const std::string& line);
    };
    Status check(CheckReport& report);

    // --- writing ---------------------------------------------------------
    // record: in/out (auto-increment values are filled in). rid: out.
    Status insert(std::string& record, uint32_t* rid);
    // seen: the change tag the caller last read; 80 when the record has
    // changed since. suffixes, tag: out, the record's duplicates suffixes and
    // change tag after the update.
    Status update(uint32_t rid, ChangeTag seen, std::string& record, std::string& suffixes,
                  ChangeTag* tag);
    Status erase(uint32_t rid, ChangeTag seen);
    Status createIndex(KeyDef key);
    Status dropIndex(int keyNumber, bool renumber);

    // --- transactions ----------------------------------------------------
    // While the caller's transaction is active, writes join it.
    void setTransactionMode(bool active) { tx_.setCallerActive(active); }
    bool inTransaction() const { return tx_.joined(); }
    Status commitTransaction();
    void rollbackTransaction();

    static std::string IndexTable(const KeyDef& key) { return "qdx_k" + std::to_string(key.tableId); }

private:
    EngineFile() = default;
    // Opens the connection to name (the path, or a URI with SQLITE_OPEN_URI)
    // with flags and checks that the file is ours: kIoError or kAccessDenied
    // when SQLite cannot open or read it that way.
    Status OpenConnection(const std::string& name, int flags);
    Status loadSpec();
    bool walMode();
    // Starts a write; inside a transaction with a savepoint unless the
    // operation undoes its own partial work.
    Status beginWrite(bool savepoint = true);
    // The upgrade itself, inside a write transaction (FileUpgrade.cpp).
    Status upgradeSteps();
    Status rebuildKeyOrder(const KeyDef& key);
    Status checkSpecVersion();
    // Before the first write of an open: SQLite's quick check of a file small
    // enough to check at once; a damaged file is not written.
    Status verifyBeforeWrite();
    Status endWrite(Status status);
    // done: number of keys written before a failure.
    Status writeIndexes(const uint8_t* record, size_t n, uint32_t rid, const std::string& suffixes,
                        bool insert, size_t* done);
    struct KeyStatements;
    // Adds or removes one index entry (entry_) and keeps the key's count of
    // distinct values.
    Status putEntry(const KeyDef& key, KeyStatements& ks, uint32_t rid, bool insert);
    // Whether a duplicates key still holds an entry of the value of entry_.
    Status valuePresent(KeyStatements& ks, bool* present);
    // Stores the counters changed in this transaction; before COMMIT.
    Status saveCounters();
    // After a COMMIT of this connection.
    void committed(bool countersSaved);
    Status assignAutoIncrement(std::string& record);
    Status storedForm(const std::string& record, std::string& out);
    Status rewriteRecords(const std::string* newKey);
    Status setOwnerWrite(const std::string& name, int mode);
    void checkRecords(CheckReport& report);
    void checkCounters(CheckReport& report);
    // Empties the log into the file (best effort: others may be reading).
    void checkpointLog();
    // Rebuilds the file (VACUUM) and empties the log into it, so that no
    // page or log frame written before remains; after Set Owner encrypted.
    Status scrub();
    // secure_delete: freed space is overwritten in encrypted files.
    void applySecureDelete();

    struct KeyStatements {
        Statement insert, erase, last, first, probe;
    };
    KeyStatements* keyStatements(const KeyDef& key);
    Status prepared(Statement& s, const char* sql);

    std::string path_;
    FileIdentity identity_;
    OpenLock lock_;      // released after the connection is closed
    Connection conn_;
    ChangeWatch watch_;  // SQLite's mapping: valid while the connection is open
    FileSpec spec_;
    int64_t specVersion_ = 0;
    int format_ = kFormatCurrent;
    uint64_t dataVersion_ = 0;
    uint64_t writeSeq_ = 0;
    WriteTransaction tx_;
    bool damaged_ = false;
    bool verified_ = false;  // checked before this open's first write
    bool scrubAtEnd_ = false;  // an encrypting Set Owner inside the transaction
    int secureDelete_ = -1;  // the status that made SQLite give up the caller's transaction

    OwnerKeys owner_;

    // Counters of the open write transaction (loaded at its start), as
    // loaded, and at the start of the current operation (restored when the
    // operation fails inside a transaction).
    CounterStore counterStore_;
    FileCounters counters_, storedCounters_, opCounters_;
    bool countersLoaded_ = false;
    // storedCounters_ are the file's as long as its data version is still
    // countersVersion_ (set at this connection's commits).
    bool countersCurrent_ = false;
    uint64_t countersVersion_ = 0;
    int64_t abortedPositions_ = 0;  // next position after an aborted transaction's
    std::string scratch_, image_, entry_, bound_, oldRecord_, oldSuffixes_;

    Statement insertRecord_, updateRecord_, deleteRecord_, selectRecord_;
    std::map<int64_t, KeyStatements> keyStatements_;
};

}  // namespace qdx::engine
