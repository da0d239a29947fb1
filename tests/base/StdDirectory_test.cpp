#include "base/StdDirectory.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

class TempTree {
public:
    TempTree() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/qdx_stddir_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data()) != nullptr) path = buf.data();
    }
    ~TempTree() {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    void File(const std::string& name, const std::string& content) {
        std::ofstream(path + "/" + name, std::ios::binary) << content;
    }
    std::string path;
};

std::vector<std::string> Names(const StdDirectory& dir) {
    std::vector<std::string> names;
    for (int i = 0; i < dir.Count(); ++i) names.push_back(dir.Get(i).name.ToStdString());
    std::sort(names.begin(), names.end());
    return names;
}

const DirectoryEntry* Find(const StdDirectory& dir, const char* name) {
    for (int i = 0; i < dir.Count(); ++i) {
        if (dir.Get(i).name.ToStdString() == name) return &dir.Get(i);
    }
    return nullptr;
}

}  // namespace

TEST(StdDirectory, PatternMatching) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*", "abc", true},           {"*", "", true},
        {"*.txt", "A.TXT", true},     {"*.TXT", "a.txt", true},
        {"*.txt", "a.txt.bak", false}, {"*.txt", "txt", false},
        {"a?c", "abc", true},         {"a?c", "ac", false},
        {"*.*", "noext", true},       {"*a*b", "xaxxb", true},
        {"*a*b", "xaxxbc", false},    {"ab*", "ab", true},
        {"", "", true},               {"", "a", false},
        {"*.dat", "FILE.DAT", true},  {"f??e.*", "file.ddf", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.matches, StdDirectory::Matches(c.pattern, c.name)) << c.pattern << " on " << c.name;
    }
}

TEST(StdDirectory, ListsMatchingEntriesWithAttributesSizeAndTime) {
    TempTree tree;
    tree.File("a.txt", "hello");
    tree.File("B.TXT", "");
    tree.File("c.dat", "123");
    tree.File(".hidden", "h");
    tree.File("caf\xC3\xA9.txt", "x");
    ASSERT_EQ(0, mkdir((tree.path + "/sub").c_str(), 0755));
    ASSERT_EQ(0, chmod((tree.path + "/c.dat").c_str(), 0444));

    // A known local time for a.txt: 4 March 2021, 05:06:08.
    struct tm when = {};
    when.tm_year = 121;
    when.tm_mon = 2;
    when.tm_mday = 4;
    when.tm_hour = 5;
    when.tm_min = 6;
    when.tm_sec = 8;
    when.tm_isdst = -1;
    time_t stamp = mktime(&when);
    struct timeval times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(0, utimes((tree.path + "/a.txt").c_str(), times));

    StdDirectory dir;
    ASSERT_EQ(0, dir.Read(tree.path, "*.txt"));
    EXPECT_EQ((std::vector<std::string>{"B.TXT", "a.txt", "caf\x82.txt"}), Names(dir));
    const DirectoryEntry* a = Find(dir, "a.txt");
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(StdDirectory::kAttrArchive, a->attributes);
    EXPECT_EQ(5u, a->size);
    EXPECT_EQ(stamp, a->modified);
    EXPECT_EQ((41 << 9) | (3 << 5) | 4, a->dosDate);
    EXPECT_EQ((5 << 11) | (6 << 5) | 4, a->dosTime);

    ASSERT_EQ(0, dir.Read(tree.path));
    EXPECT_EQ((std::vector<std::string>{".", "..", ".hidden", "B.TXT", "a.txt", "c.dat", "caf\x82.txt", "sub"}), Names(dir));
    EXPECT_EQ(StdDirectory::kAttrDirectory, Find(dir, "sub")->attributes);
    EXPECT_EQ(StdDirectory::kAttrArchive | StdDirectory::kAttrHidden, Find(dir, ".hidden")->attributes);
    EXPECT_EQ(StdDirectory::kAttrArchive | StdDirectory::kAttrReadOnly, Find(dir, "c.dat")->attributes);
    EXPECT_EQ(3u, Find(dir, "c.dat")->size);

    // Directories only; and a mask without hidden and directory entries.
    ASSERT_EQ(0, dir.Read(tree.path, "*", StdDirectory::kAttrAll, true));
    EXPECT_EQ((std::vector<std::string>{".", "..", "sub"}), Names(dir));
    ASSERT_EQ(0, dir.Read(tree.path, "*", StdDirectory::kAttrReadOnly | StdDirectory::kAttrArchive));
    EXPECT_EQ((std::vector<std::string>{"B.TXT", "a.txt", "c.dat", "caf\x82.txt"}), Names(dir));
    EXPECT_FALSE(dir.FileSystemName().IsEmpty());
}

TEST(StdDirectory, MissingDirectoryGivesItsErrorAndNoEntries) {
    TempTree tree;
    tree.File("x", "1");
    StdDirectory dir;
    ASSERT_EQ(0, dir.Read(tree.path));
    EXPECT_GT(dir.Count(), 0);
    EXPECT_EQ(ENOENT, dir.Read(tree.path + "/nothing"));
    EXPECT_EQ(0, dir.Count());
    EXPECT_EQ(ENOTDIR, dir.Read(tree.path + "\\x"));  // "\" taken as "/"
}
