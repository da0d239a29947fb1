#include "base/Estring.h"
#include "base/StdFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qdx_stdfile_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) != nullptr) path = buf.data();
    }
    ~TempDir() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

void Spit(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

TEST(StdFile, TextModeWritesCarriageReturnBeforeEveryLineFeed) {
    TempDir dir;
    StdFile file;
    ASSERT_EQ(0, file.Open(dir.File("t.txt"), StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kCreate | StdFile::kText));
    EXPECT_EQ(0, file.Write("a\nb", 3));
    EXPECT_EQ(4, file.Position());
    EXPECT_EQ(0, file.WriteText("\n\nc"));
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(std::string("a\r\nb\r\n\r\nc"), Slurp(dir.File("t.txt")));

    // A long text with many line ends in one write.
    std::string lines, expected;
    for (int i = 0; i < 70000; ++i) {
        lines += static_cast<char>('a' + i % 26);
        expected += static_cast<char>('a' + i % 26);
        if (i % 3 == 0) {
            lines += '\n';
            expected += "\r\n";
        }
    }
    ASSERT_EQ(0, file.Open(dir.File("long.txt"), StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kCreate | StdFile::kText));
    EXPECT_EQ(0, file.WriteText(lines));
    EXPECT_EQ(static_cast<int64_t>(expected.size()), file.Position());
    EXPECT_EQ(0, file.Close());
    EXPECT_TRUE(expected == Slurp(dir.File("long.txt")));

    // Without text mode the bytes go as they are.
    ASSERT_EQ(0, file.Open(dir.File("b.bin"), StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kCreate));
    EXPECT_EQ(0, file.WriteText("a\nb"));
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(std::string("a\nb"), Slurp(dir.File("b.bin")));
}

TEST(StdFile, ReadLineSplitsLfAndCrLfLinesAndKeepsALastLineWithoutEnd) {
    struct Case {
        std::string content;
        int size;  // buffer size given to ReadLine
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"one\ntwo\r\nthree", 100, {"one", "two", "three"}},
        {"\n\r\n", 100, {"", ""}},
        {"x\r\r\n\n", 100, {"x", ""}},
        {"ab", 100, {"ab"}},
        {"", 100, {}},
        {std::string("ab\0cd\n", 6), 100, {"ab", "cd"}},
        {"abcdef\n", 4, {"abc", "def"}},  // a line longer than the buffer comes in pieces
        {"abc\n", 4, {"abc"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.content) + " size " + std::to_string(c.size));
        Spit(dir.File("lines"), c.content);
        StdFile file;
        ASSERT_EQ(0, file.Open(dir.File("lines"), StdFile::kShareRead, StdFile::kRead));
        std::vector<char> buffer(static_cast<size_t>(c.size));
        for (const std::string& expected : c.lines) {
            ASSERT_EQ(0, file.ReadLine(buffer.data(), c.size));
            EXPECT_EQ(expected, std::string(buffer.data()));
        }
        EXPECT_EQ(StdFile::kEndOfFile, file.ReadLine(buffer.data(), c.size));
        EXPECT_EQ(std::string(), std::string(buffer.data()));
    }
}

TEST(StdFile, LongLinesCrossTheBufferBoundary) {
    TempDir dir;
    // A first line ending with CR LF split over the buffer boundary, and a
    // second line longer than the buffer.
    std::string first(StdFile::kBufferSize - 1, 'a');
    std::string second(StdFile::kBufferSize * 2 + 17, 'b');
    Spit(dir.File("long"), first + "\r\n" + second + "\n");
    StdFile file;
    ASSERT_EQ(0, file.Open(dir.File("long"), StdFile::kShareRead, StdFile::kRead));
    Estring line;
    ASSERT_EQ(0, file.ReadLine(line));
    EXPECT_EQ(first.size(), static_cast<size_t>(line.Length()));
    ASSERT_EQ(0, file.ReadLine(line));
    EXPECT_EQ(second, line.ToStdString());
    EXPECT_EQ(StdFile::kEndOfFile, file.ReadLine(line));
}

TEST(StdFile, OpeningDispositions) {
    struct Case {
        const char* what;
        int flags;
        bool exists;
        int result;
        std::string after;  // file content after writing "new" (or untouched)
    };
    const int W = StdFile::kWrite, C = StdFile::kCreate, A = StdFile::kAppend, R = StdFile::kRead;
    const std::vector<Case> cases = {
        {"read, missing", R, false, ENOENT, ""},
        {"read, existing", R, true, 0, "old"},
        {"write, missing", W, false, ENOENT, ""},
        {"write, existing truncates", W, true, 0, "new"},
        {"write create, missing", W | C, false, 0, "new"},
        {"write create, existing truncates", W | C, true, 0, "new"},
        {"append, missing", W | A, false, ENOENT, ""},
        {"append, existing", W | A, true, 0, "oldnew"},
        {"append create, missing", W | A | C, false, 0, "new"},
        {"append create, existing", W | A | C, true, 0, "oldnew"},
        {"read write, existing truncates", R | W, true, 0, "new"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = dir.File("d");
        unlink(path.c_str());
        if (c.exists) Spit(path, "old");
        StdFile file;
        ASSERT_EQ(c.result, file.Open(path, StdFile::kShareReadWrite, c.flags));
        EXPECT_EQ(c.result == 0, file.IsOpen());
        if (c.result == 0 && (c.flags & W)) {
            EXPECT_EQ(0, file.Write("new", 3));
        }
        EXPECT_EQ(0, file.Close());
        EXPECT_EQ(c.exists || c.result == 0, Exists(path));
        if (Exists(path)) {
            EXPECT_EQ(c.after, Slurp(path));
        }
    }
}

TEST(StdFile, RandomAccessRoundTripThroughTheBuffer) {
    TempDir dir;
    std::string data;
    for (int i = 0; i < 200000; ++i) data += static_cast<char>('A' + i % 23);
    StdFile file;
    ASSERT_EQ(0, file.Open(dir.File("r"), StdFile::kShareNone, StdFile::kRead | StdFile::kWrite | StdFile::kCreate));
    for (size_t at = 0; at < data.size(); at += 1000) ASSERT_EQ(0, file.Write(data.data() + at, 1000));
    EXPECT_EQ(200000, file.Position());
    EXPECT_EQ(200000, file.Size());  // pending bytes count

    ASSERT_EQ(0, file.Seek(100000));
    char got[10];
    int n = 0;
    ASSERT_EQ(0, file.Read(got, 10, n));
    ASSERT_EQ(10, n);
    EXPECT_EQ(data.substr(100000, 10), std::string(got, 10));
    EXPECT_EQ(100010, file.Position());

    // A write after a buffered read lands where the reader was.
    ASSERT_EQ(0, file.Write("xyz", 3));
    data.replace(100010, 3, "xyz");
    EXPECT_EQ(100013, file.Position());
    ASSERT_EQ(0, file.Read(got, 4, n));
    EXPECT_EQ(data.substr(100013, 4), std::string(got, static_cast<size_t>(n)));

    // A large read bypasses the buffer; reading past the end stops there.
    ASSERT_EQ(0, file.Seek(0));
    std::string all(300000, '\0');
    ASSERT_EQ(0, file.Read(&all[0], 300000, n));
    EXPECT_EQ(200000, n);
    all.resize(static_cast<size_t>(n));
    EXPECT_EQ(data, all);
    ASSERT_EQ(0, file.Read(got, 10, n));
    EXPECT_EQ(0, n);
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(data, Slurp(dir.File("r")));
}

TEST(StdFile, ShareModesKeepOtherOpenersOut) {
    TempDir dir;
    std::string path = dir.File("s");
    Spit(path, "keep me");
    struct Case {
        const char* what;
        int firstShare;
        int secondShare;
        int secondFlags;
        int result;
    };
    const int R = StdFile::kRead, W = StdFile::kWrite, C = StdFile::kCreate;
    const std::vector<Case> cases = {
        {"shared freely: a writer gets in", StdFile::kShareReadWrite, StdFile::kShareReadWrite, W | StdFile::kAppend, 0},
        {"read shared: a reader gets in", StdFile::kShareRead, StdFile::kShareRead, R, 0},
        {"read shared: a writer stays out", StdFile::kShareRead, StdFile::kShareReadWrite, W | C, StdFile::kSharingViolation},
        {"exclusive: a reader stays out", StdFile::kShareNone, StdFile::kShareReadWrite, R, StdFile::kSharingViolation},
        {"exclusive: a truncating writer stays out", StdFile::kShareNone, StdFile::kShareNone, W | C, StdFile::kSharingViolation},
        {"write shared: a reader stays out", StdFile::kShareWrite, StdFile::kShareReadWrite, R, StdFile::kSharingViolation},
        {"reader present: exclusive stays out", StdFile::kShareRead, StdFile::kShareNone, R, StdFile::kSharingViolation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StdFile first, second;
        ASSERT_EQ(0, first.Open(path, c.firstShare, R));
        EXPECT_EQ(c.result, second.Open(path, c.secondShare, c.secondFlags));
        EXPECT_EQ(c.result == 0, second.IsOpen());
        second.Close();
        first.Close();
        EXPECT_EQ("keep me", Slurp(path));  // a refused opener truncates nothing
    }
    // Once the holder closes, the file is free again.
    StdFile holder, later;
    ASSERT_EQ(0, holder.Open(path, StdFile::kShareNone, R));
    holder.Close();
    EXPECT_EQ(0, later.Open(path, StdFile::kShareNone, R));
}

TEST(StdFile, FullDeviceKeepsWhatItCouldNotWrite) {
    StdFile file;
    ASSERT_EQ(0, file.Open("/dev/full", StdFile::kShareReadWrite, StdFile::kWrite));
    EXPECT_EQ(0, file.Write("abc", 3));  // buffered
    EXPECT_EQ(ENOSPC, file.Flush());
    EXPECT_EQ(ENOSPC, file.LastError());
    EXPECT_EQ(3, file.PendingBytes());
    EXPECT_EQ(ENOSPC, file.Flush());  // retried, still pending
    EXPECT_EQ(3, file.PendingBytes());
    // A write that needs room fails before taking any of its bytes.
    std::string big(StdFile::kBufferSize, 'x');
    EXPECT_EQ(ENOSPC, file.Write(big.data(), static_cast<int>(big.size())));
    EXPECT_EQ(3, file.PendingBytes());
    EXPECT_EQ(ENOSPC, file.Close());
    EXPECT_FALSE(file.IsOpen());
}

TEST(StdFile, FileSizeLimitLosesNothingAlreadyWritten) {
    // A real file that runs out of room: the process file size limit makes
    // writes past 100000 bytes fail (EFBIG) even for root.
    TempDir dir;
    std::string path = dir.File("limited");
    struct rlimit old;
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 100000;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &tight));

    StdFile file;
    std::string accepted;
    int error = 0;
    ASSERT_EQ(0, file.Open(path, StdFile::kShareNone, StdFile::kWrite | StdFile::kCreate));
    for (int chunk = 0; chunk < 300 && error == 0; ++chunk) {
        std::string bytes(1000, static_cast<char>('a' + chunk % 26));
        error = file.Write(bytes.data(), 1000);
        if (error == 0) accepted += bytes;
    }
    EXPECT_EQ(EFBIG, error);
    EXPECT_GT(file.PendingBytes(), 0);
    EXPECT_EQ(static_cast<int64_t>(accepted.size()), file.Position());
    // What reached the file is intact.
    std::string onDisk = Slurp(path);
    EXPECT_EQ(100000u, onDisk.size());
    EXPECT_EQ(accepted.substr(0, onDisk.size()), onDisk);

    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &old));
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(0, file.Flush());
    EXPECT_EQ(0, file.PendingBytes());
    EXPECT_EQ(0, file.Close());
    EXPECT_EQ(accepted, Slurp(path));
}

TEST(StdFile, ReadOnlyLocationsRefuseWritesAndKeepTheirContent) {
    TempDir dir;
    std::string path = dir.File("ro");
    Spit(path, "precious");

    // Opened for reading only: a write is refused at once, nothing is taken.
    StdFile reader;
    ASSERT_EQ(0, reader.Open(path, StdFile::kShareReadWrite, StdFile::kRead));
    EXPECT_EQ(EBADF, reader.Write("x", 1));
    EXPECT_EQ(0, reader.PendingBytes());
    EXPECT_EQ(0, reader.Close());
    EXPECT_EQ("precious", Slurp(path));

    // A kernel attribute that nobody, root included, may write.
    StdFile attribute;
    if (Exists("/sys/kernel/uevent_seqnum")) {
        EXPECT_EQ(EACCES, attribute.Open("/sys/kernel/uevent_seqnum", StdFile::kShareReadWrite, StdFile::kWrite));
        EXPECT_FALSE(attribute.IsOpen());
    }

    // An immutable file (where the file system supports the flag).
    int fd = open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    bool immutable = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (immutable) {
        flags |= FS_IMMUTABLE_FL;
        immutable = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (immutable) {
        StdFile writer;
        EXPECT_EQ(EPERM, writer.Open(path, StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kCreate));
        EXPECT_EQ(EPERM, writer.Open(path, StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kAppend));
        EXPECT_EQ("precious", Slurp(path));
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
}

TEST(StdFile, NamesAreTakenWithSlashesAndCodePage437) {
    TempDir dir;
    ASSERT_EQ(0, mkdir(dir.File("sub").c_str(), 0755));
    // "\" as "/" and byte 0x82 (e acute) as UTF-8.
    std::string name = dir.path + "\\sub\\caf\x82.txt";
    StdFile file;
    ASSERT_EQ(0, file.Open(name, StdFile::kShareReadWrite, StdFile::kWrite | StdFile::kCreate));
    EXPECT_EQ(dir.File("sub/caf\xC3\xA9.txt"), file.Name());
    EXPECT_EQ(0, file.Close());
    EXPECT_TRUE(Exists(dir.File("sub/caf\xC3\xA9.txt")));
    EXPECT_EQ("//server/share/x", StdFile::NativeName("\\\\server\\share\\x"));
}

TEST(StdFile, FailuresAndStates) {
    TempDir dir;
    StdFile file;
    EXPECT_EQ(StdFile::kNotOpen, file.Flush());
    EXPECT_EQ(StdFile::kNotOpen, file.Write("a", 1));
    EXPECT_EQ(EISDIR, file.Open(dir.path, StdFile::kShareReadWrite, StdFile::kRead));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ENOENT, file.Open("", StdFile::kShareReadWrite, StdFile::kRead));
    EXPECT_EQ(EINVAL, file.Open(dir.File("x"), 7, StdFile::kRead));

    // Opening another file flushes and closes the first.
    ASSERT_EQ(0, file.Open(dir.File("first"), StdFile::kShareNone, StdFile::kWrite | StdFile::kCreate));
    ASSERT_EQ(0, file.Write("1st", 3));
    ASSERT_EQ(0, file.Open(dir.File("second"), StdFile::kShareNone, StdFile::kWrite | StdFile::kCreate));
    EXPECT_EQ("1st", Slurp(dir.File("first")));
    StdFile other;
    EXPECT_EQ(0, other.Open(dir.File("first"), StdFile::kShareNone, StdFile::kRead));  // its lock is gone
}
