#include "base/StdFile.h"

#include "base/CodePage437.h"
#include "base/Estring.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

// The lock an opener holds for each share mode (0: none).
constexpr int kShareLocks[4] = {0, LOCK_EX, LOCK_SH, LOCK_EX};

ssize_t WriteRetrying(int fd, const char* bytes, size_t n) {
    ssize_t done;
    do {
        done = ::write(fd, bytes, n);
    } while (done < 0 && errno == EINTR);
    return done;
}

ssize_t ReadRetrying(int fd, char* bytes, size_t n) {
    ssize_t done;
    do {
        done = ::read(fd, bytes, n);
    } while (done < 0 && errno == EINTR);
    return done;
}

int FlockRetrying(int fd, int operation) {
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

// Takes the lock of shareMode after checking that no other opener's lock
// forbids the access wanted: a writer must find no lock at all, a reader no
// exclusive lock.
int TakeShareLock(int fd, int shareMode, bool writing) {
    int probe = FlockRetrying(fd, (writing ? LOCK_EX : LOCK_SH) | LOCK_NB);
    if (probe != 0) return probe == EWOULDBLOCK ? StdFile::kSharingViolation : probe;
    int wanted = kShareLocks[shareMode];
    if (wanted == 0) return FlockRetrying(fd, LOCK_UN);
    int rc = FlockRetrying(fd, wanted | LOCK_NB);
    return rc == EWOULDBLOCK ? StdFile::kSharingViolation : rc;
}

}  // namespace

StdFile::StdFile() : buffer(new char[kBufferSize]) {}

StdFile::~StdFile() { Close(); }

bool StdFile::HasExtension(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    const std::string_view own = slash == std::string_view::npos ? name : name.substr(slash + 1);
    return own.find('.') != std::string_view::npos;
}

std::string StdFile::NativeName(std::string_view name8bit) {
    std::string slashed(name8bit);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    return cp437::ToUtf8(slashed);
}

int StdFile::Fail(int error) {
    lastError = error;
    return error;
}

int StdFile::Open(std::string_view fileName, int newShareMode, int flags) {
    if (IsOpen()) Close();
    if (newShareMode < kShareReadWrite || newShareMode > kShareNone) return Fail(EINVAL);
    std::string native = NativeName(fileName);
    if (native.empty()) return Fail(ENOENT);

    const bool writing = (flags & kWrite) != 0;
    int access = O_RDONLY;
    if (writing) access = (flags & kRead) ? O_RDWR : O_WRONLY;
    int disposition = 0;
    bool truncate = false;
    if (writing) {
        if (flags & kAppend) {
            if (flags & kCreate) disposition = O_CREAT;
        } else if (flags & kCreate) {
            disposition = O_CREAT;
            truncate = true;
        } else {
            truncate = true;
        }
    }
    // Truncation waits until the share lock is held, so a refused open
    // destroys nothing.
    int fd;
    do {
        fd = ::open(native.c_str(), access | disposition | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(errno);

    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else {
        error = TakeShareLock(fd, newShareMode, writing);
    }
    if (error == 0 && truncate && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) error = errno;
    int64_t start = 0;
    if (error == 0 && (flags & kAppend)) {
        off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0 && S_ISREG(info.st_mode)) error = errno;
        start = end < 0 ? 0 : end;
    }
    if (error != 0) {
        ::close(fd);
        return Fail(error);
    }

    handle = fd;
    shareMode = newShareMode;
    openFlags = flags;
    textMode = (flags & kText) != 0;
    name = std::move(native);
    position = start;
    bufferUsed = bufferPos = 0;
    bufferMode = kBufferEmpty;
    return Fail(0);
}

int StdFile::Close() {
    if (!IsOpen()) return Fail(0);
    int error = bufferMode == kBufferWrite ? FlushBuffer() : 0;
    if (::close(handle) != 0 && error == 0 && errno != EINTR) error = errno;
    handle = -1;
    bufferUsed = bufferPos = 0;
    bufferMode = kBufferEmpty;
    return Fail(error);
}

int StdFile::FlushBuffer() {
    int done = 0;
    int error = 0;
    while (done < bufferUsed) {
        ssize_t n = WriteRetrying(handle, buffer.get() + done, static_cast<size_t>(bufferUsed - done));
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0) {
            error = ENOSPC;
            break;
        }
        done += static_cast<int>(n);
        position += n;
    }
    // What did not reach the file stays pending.
    if (done > 0 && done < bufferUsed) std::memmove(buffer.get(), buffer.get() + done, static_cast<size_t>(bufferUsed - done));
    bufferUsed -= done;
    if (bufferUsed == 0) bufferMode = kBufferEmpty;
    return error;
}

int StdFile::Flush() {
    if (!IsOpen()) return Fail(kNotOpen);
    return Fail(bufferMode == kBufferWrite ? FlushBuffer() : 0);
}

int StdFile::EnterWriteMode() {
    if (!(openFlags & kWrite)) return kNotOpen;
    if (bufferMode == kBufferRead) {
        // The operating system's offset is past the read-ahead; go back to
        // where the caller is.
        int64_t logical = Position();
        if (::lseek(handle, logical, SEEK_SET) < 0) return errno;
        position = logical;
        bufferUsed = bufferPos = 0;
    }
    bufferMode = kBufferWrite;
    return 0;
}

int StdFile::EnterReadMode() {
    if (bufferMode == kBufferWrite) {
        int error = FlushBuffer();
        if (error != 0) return error;
    }
    if (bufferMode != kBufferRead) {
        bufferMode = kBufferRead;
        bufferUsed = bufferPos = 0;
    }
    return 0;
}

int StdFile::WriteDirect(const char* bytes, int n) {
    while (n > 0) {
        ssize_t done = WriteRetrying(handle, bytes, static_cast<size_t>(n));
        if (done < 0) return errno;
        if (done == 0) return ENOSPC;
        bytes += done;
        n -= static_cast<int>(done);
        position += done;
    }
    return 0;
}

int StdFile::AppendBytes(const char* bytes, int n) {
    int error = EnterWriteMode();
    if (error != 0) return error;
    if (n > kBufferSize - bufferUsed) {
        error = FlushBuffer();
        if (error != 0) return error;
        bufferMode = kBufferWrite;
    }
    if (n > kBufferSize) return WriteDirect(bytes, n);
    std::memcpy(buffer.get() + bufferUsed, bytes, static_cast<size_t>(n));
    bufferUsed += n;
    return 0;
}

int StdFile::Write(const void* bytes, int n) {
    if (!IsOpen()) return Fail(kNotOpen);
    if (n < 0) return Fail(EINVAL);
    if (n == 0) return Fail(0);
    const char* text = static_cast<const char*>(bytes);
    if (!textMode || std::memchr(text, '\n', static_cast<size_t>(n)) == nullptr) return Fail(AppendBytes(text, n));
    // Expanded a slice at a time, so that the copy stays small and its
    // length within int whatever n is.
    constexpr int kSlice = kBufferSize / 2;
    std::string expanded;
    expanded.reserve(static_cast<size_t>(std::min(n, kSlice)) * 2);
    for (int start = 0; start < n; start += kSlice) {
        int end = n - start > kSlice ? start + kSlice : n;
        expanded.clear();
        for (int i = start; i < end; ++i) {
            if (text[i] == '\n') expanded += '\r';
            expanded += text[i];
        }
        int error = AppendBytes(expanded.data(), static_cast<int>(expanded.size()));
        if (error != 0) return Fail(error);
    }
    return Fail(0);
}

int StdFile::WriteText(std::string_view text) {
    if (text.size() > static_cast<size_t>(INT32_MAX)) return Fail(EINVAL);
    return Write(text.data(), static_cast<int>(text.size()));
}

int StdFile::FillReadBuffer() {
    ssize_t n = ReadRetrying(handle, buffer.get(), kBufferSize);
    if (n < 0) return errno;
    position += n;
    bufferUsed = static_cast<int>(n);
    bufferPos = 0;
    return 0;
}

int StdFile::Read(void* bytes, int n, int& got) {
    got = 0;
    if (!IsOpen()) return Fail(kNotOpen);
    if (n < 0) return Fail(EINVAL);
    int error = EnterReadMode();
    if (error != 0) return Fail(error);
    char* out = static_cast<char*>(bytes);
    while (got < n) {
        if (bufferPos == bufferUsed) {
            if (n - got >= kBufferSize) {
                // Large reads bypass the buffer.
                ssize_t direct = ReadRetrying(handle, out + got, static_cast<size_t>(n - got));
                if (direct < 0) return Fail(errno);
                if (direct == 0) break;
                position += direct;
                got += static_cast<int>(direct);
                continue;
            }
            error = FillReadBuffer();
            if (error != 0) return Fail(error);
            if (bufferUsed == 0) break;
        }
        int take = std::min(n - got, bufferUsed - bufferPos);
        std::memcpy(out + got, buffer.get() + bufferPos, static_cast<size_t>(take));
        bufferPos += take;
        got += take;
    }
    return Fail(0);
}

int StdFile::ReadLineBytes(std::string& line, int limit, bool& readAny) {
    readAny = false;
    for (;;) {
        if (bufferPos == bufferUsed) {
            int error = FillReadBuffer();
            if (error != 0) return error;
            if (bufferUsed == 0) return 0;
        }
        char c = buffer[bufferPos];
        if (c == '\n' || c == '\0') {
            ++bufferPos;
            readAny = true;
            return 0;
        }
        if (static_cast<int>(line.size()) >= limit) return 0;
        line += c;
        ++bufferPos;
        readAny = true;
    }
}

int StdFile::ReadLine(char* out, int size) {
    if (!IsOpen()) return Fail(kNotOpen);
    if (out == nullptr || size < 1) return Fail(EINVAL);
    out[0] = '\0';
    Estring line;
    int error = ReadLineLimited(line, size - 1);
    std::memcpy(out, line.Text(), static_cast<size_t>(line.Length()));
    out[line.Length()] = '\0';
    return error;
}

int StdFile::ReadLine(Estring& line) { return ReadLineLimited(line, INT32_MAX); }

int StdFile::ReadLineLimited(Estring& line, int limit) {
    line.Clear();
    if (!IsOpen()) return Fail(kNotOpen);
    int error = EnterReadMode();
    if (error != 0) return Fail(error);
    std::string text;
    bool readAny = false;
    error = ReadLineBytes(text, limit, readAny);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    line = Estring(text.data(), static_cast<int>(text.size()));
    if (error != 0) return Fail(error);
    return Fail(readAny ? 0 : kEndOfFile);
}

int StdFile::Seek(int64_t newPosition) {
    if (!IsOpen()) return Fail(kNotOpen);
    if (newPosition < 0) return Fail(EINVAL);
    if (bufferMode == kBufferWrite) {
        int error = FlushBuffer();
        if (error != 0) return Fail(error);
    }
    if (::lseek(handle, newPosition, SEEK_SET) < 0) return Fail(errno);
    position = newPosition;
    bufferUsed = bufferPos = 0;
    bufferMode = kBufferEmpty;
    return Fail(0);
}

int64_t StdFile::Size() {
    if (!IsOpen()) {
        Fail(kNotOpen);
        return -1;
    }
    struct stat info;
    if (::fstat(handle, &info) != 0) {
        Fail(errno);
        return -1;
    }
    int64_t size = info.st_size;
    if (bufferMode == kBufferWrite) size = std::max<int64_t>(size, position + bufferUsed);
    Fail(0);
    return size;
}

int64_t StdFile::Position() const {
    switch (bufferMode) {
    case kBufferWrite:
        return position + bufferUsed;
    case kBufferRead:
        return position - bufferUsed + bufferPos;
    default:
        return position;
    }
}
