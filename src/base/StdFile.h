#pragma once
// StdFile: a buffered disk file with 64-bit positions.
//
// Names are 8-bit text in the console's code page; they reach the file system
// as UTF-8, with every "\" taken as "/". Every operation returns the error
// number (errno) of what went wrong, 0 on success, and keeps it in
// LastError(). Nothing throws; a failed Open leaves the file closed.
//
// Writes collect in a buffer and reach the file when it fills, on Flush(),
// Seek(), a read, or Close(). A failed write keeps what it could not write in
// the buffer: no byte accepted by an earlier successful Write is dropped, and
// a later Flush() retries it. In text mode every line feed written becomes
// carriage return + line feed.
//
// Share modes say what other openers may do, enforced among StdFiles (and any
// other process that honours them) with advisory flock locks:
//   0 read and write (no lock), 1 write, 2 read (shared lock), 3 none.
// Modes 1 and 3 take an exclusive lock. An opener that wants to write fails
// while anyone holds a lock; one that only reads fails while someone holds an
// exclusive lock. Such a conflict answers kSharingViolation, and a file that
// would be truncated is left untouched.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <cerrno>

class Estring;

class StdFile {
public:
    // Open flags.
    static constexpr int kRead = 0x01;
    static constexpr int kWrite = 0x02;
    static constexpr int kCreate = 0x04;
    static constexpr int kAppend = 0x08;  // position at the end after opening
    static constexpr int kText = 0x20;

    // Share modes (what other openers may do).
    static constexpr int kShareReadWrite = 0;
    static constexpr int kShareWrite = 1;
    static constexpr int kShareRead = 2;
    static constexpr int kShareNone = 3;

    static constexpr int kSharingViolation = EWOULDBLOCK;
    static constexpr int kNotOpen = EBADF;
    // ReadLine at the end of the file with nothing read (not an errno value).
    static constexpr int kEndOfFile = -1;
    static constexpr int kBufferSize = 64 * 1024;

    StdFile();
    ~StdFile();
    StdFile(const StdFile&) = delete;
    StdFile& operator=(const StdFile&) = delete;

    // Opening disposition:
    //   no kWrite                 open an existing file;
    //   kWrite|kAppend|kCreate    open, creating the file when missing;
    //   kWrite|kAppend            open an existing file;
    //   kWrite|kCreate            create, or truncate an existing file;
    //   kWrite                    truncate an existing file.
    // A file already open is closed first. Directories are refused (EISDIR).
    int Open(std::string_view name, int shareMode, int flags);
    // Writes what is pending, then closes; the file is closed even when that
    // write fails (its error is returned). Closing a closed file answers 0.
    int Close();
    // Writes pending data; kNotOpen when the file is not open.
    int Flush();

    // On failure, a leading part of these bytes may have been taken (in the
    // file or pending); bytes of earlier calls are in the file or still pending.
    int Write(const void* bytes, int n);
    int WriteText(std::string_view text);

    // Reads up to n bytes; got = bytes read, 0 at the end of the file (result 0).
    int Read(void* bytes, int n, int& got);
    // Reads one line into buffer (zero-terminated): at most size - 1 bytes,
    // up to a line feed or zero byte (consumed, not stored); trailing carriage
    // returns and line feeds are removed. 0 when at least one byte was read
    // (even when the file ended), kEndOfFile when nothing was left.
    int ReadLine(char* buffer, int size);
    // The same without a length limit.
    int ReadLine(Estring& line);

    // Moves to an absolute position (writes what is pending first).
    int Seek(int64_t newPosition);
    // Size including what is pending; -1 when the size cannot be read.
    int64_t Size();
    int64_t Position() const;

    bool IsOpen() const { return handle >= 0; }
    int LastError() const { return lastError; }
    bool TextMode() const { return textMode; }
    int ShareMode() const { return shareMode; }
    // The name as it reached the file system.
    const std::string& Name() const { return name; }
    // Bytes accepted by Write but not yet in the file.
    int PendingBytes() const { return bufferMode == kBufferWrite ? bufferUsed : 0; }

    // The file system's form of an 8-bit name: "\" as "/", code page 437 as UTF-8.
    static std::string NativeName(std::string_view name8bit);
    // True when the file's own name (after the last "/" or "\") holds a
    // ".": a dot in a directory's name is no extension.
    static bool HasExtension(std::string_view name);

private:
    static constexpr int kBufferEmpty = 0;
    static constexpr int kBufferWrite = 1;
    static constexpr int kBufferRead = 2;

    int Fail(int error);
    int FlushBuffer();
    int EnterReadMode();
    int EnterWriteMode();
    int FillReadBuffer();
    int WriteDirect(const char* bytes, int n);
    int AppendBytes(const char* bytes, int n);
    int ReadLineBytes(std::string& line, int limit, bool& readAny);
    int ReadLineLimited(Estring& line, int limit);

    int handle = -1;
    int lastError = 0;
    std::unique_ptr<char[]> buffer;
    int bufferUsed = 0;  // write: pending bytes; read: bytes held
    int bufferPos = 0;   // read: next byte to hand out
    int bufferMode = kBufferEmpty;
    int64_t position = 0;  // the operating system's offset
    int shareMode = 0;
    int openFlags = 0;
    std::string name;
    bool textMode = false;
};
