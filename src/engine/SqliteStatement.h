#pragma once
// Thin RAII wrappers over the SQLite C API: a connection and a prepared
// statement that finalize themselves, plus the mapping of SQLite result codes
// to engine statuses.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "engine/Status.h"

namespace qdx::engine {

// SQLite failures as engine statuses: busy or locked is "File Is Locked",
// a full disk is "Disk Full", a read-only database "Access To File Denied",
// anything else an I/O error.
Status StatusFromSqlite(int rc);

// Changes whenever the file changes, by this connection or another one (as
// far as the connection's current or last transaction can tell).
inline uint64_t DataVersion(sqlite3* db) {
    unsigned int version = 0;
    sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return version;
}

class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& o) noexcept : stmt_(std::exchange(o.stmt_, nullptr)) {}
    Statement& operator=(Statement&& o) noexcept {
        if (this != &o) {
            sqlite3_finalize(stmt_);
            stmt_ = std::exchange(o.stmt_, nullptr);
        }
        return *this;
    }

    int prepare(sqlite3* db, std::string_view sql) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                  SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
    }
    bool valid() const { return stmt_ != nullptr; }
    sqlite3_stmt* get() const { return stmt_; }

    void reset() {
        if (stmt_) sqlite3_reset(stmt_);
    }
    bool busy() const { return stmt_ && sqlite3_stmt_busy(stmt_); }
    int step() { return sqlite3_step(stmt_); }
    // Steps once and resets: for statements that return no rows.
    int run() {
        int rc = sqlite3_step(stmt_);
        sqlite3_reset(stmt_);
        return rc;
    }

    void bindBlob(int i, const void* p, size_t n) {
        sqlite3_bind_blob(stmt_, i, p ? p : "", static_cast<int>(n), SQLITE_STATIC);
    }
    void bindBlob(int i, const std::string& s) { bindBlob(i, s.data(), s.size()); }
    void bindInt(int i, int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
    void bindText(int i, std::string_view s) {
        sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }

    int64_t columnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
    const uint8_t* columnBlob(int i) const {
        return static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, i));
    }
    size_t columnBytes(int i) const { return static_cast<size_t>(sqlite3_column_bytes(stmt_, i)); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

class Connection {
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int open(const std::string& path, int flags) {
        close();
        int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) close();
        return rc;
    }
    void close() {
        if (db_) sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    sqlite3* get() const { return db_; }
    int exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace qdx::engine
