#include "ui/DirectoryTree.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"

namespace {

std::vector<std::string> Lines(const EstringStore& store) {
    std::vector<std::string> lines;
    for (int i = 0; i < store.Count(); ++i) lines.push_back(store.Get(i)->ToStdString());
    return lines;
}

// The tree lines of a directory's own components: "Drives", "  /", "    tmp", ...
std::vector<std::string> ComponentLines(const std::string& directory) {
    std::vector<std::string> lines{"Drives"};
    std::vector<Estring> components = DirectoryTree::Components(Estring(directory));
    for (size_t i = 0; i < components.size(); ++i)
        lines.push_back(std::string(2 * (i + 1), ' ') + components[i].ToStdString());
    return lines;
}

using uitest::HomeOverride;

std::string WorkingDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? cp437::FromUtf8(buffer) : std::string();
}

}  // namespace

TEST(DirectoryTreeTest, AbsolutePath) {
    const std::string cwd = WorkingDirectory();
    const struct {
        const char* path;
        std::string expect;
    } cases[] = {
        {"/", "/"},
        {"/a/b", "/a/b"},
        {"/a/b/", "/a/b"},
        {"/a/./b//c", "/a/b/c"},
        {"/a/b/../c", "/a/c"},
        {"/..", "/"},
        {"/a/../../b", "/b"},
        {"\\data\\sub", "/data/sub"},  // a stored Windows form
        {"", cwd},
        {".", cwd},
        {"rel/x", cwd == "/" ? "/rel/x" : cwd + "/rel/x"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expect, DirectoryTree::AbsolutePath(c.path).ToStdString()) << c.path;
}

TEST(DirectoryTreeTest, ComponentsAndJoin) {
    EXPECT_TRUE(DirectoryTree::Components(Estring()).empty());
    std::vector<Estring> parts = DirectoryTree::Components(Estring("/usr/local/lib"));
    ASSERT_EQ(4u, parts.size());
    EXPECT_EQ("/", parts[0].ToStdString());
    EXPECT_EQ("lib", parts[3].ToStdString());
    EXPECT_EQ(1u, DirectoryTree::Components(Estring("/")).size());
    EXPECT_EQ("/usr", DirectoryTree::Join(Estring("/"), Estring("usr")).ToStdString());
    EXPECT_EQ("/usr/lib", DirectoryTree::Join(Estring("/usr"), Estring("lib")).ToStdString());
}

TEST(DirectoryTreeTest, ShortenPath) {
    const struct {
        const char* path;
        int width;
        const char* expect;
    } cases[] = {
        {"/short", 10, "/short"},
        {"/exactly10", 10, "/exactly10"},
        {"/a/much/longer/path", 10, "...er/path"},
        {"C:\\one\\two\\three", 12, "C:\\...\\three"},  // a drive form keeps its root
        {"/abcdef", 2, "ef"},
    };
    for (const auto& c : cases) {
        Estring shown = DirectoryTree::ShortenPath(Estring(c.path), c.width);
        EXPECT_EQ(c.expect, shown.ToStdString()) << c.path;
        EXPECT_LE(shown.Length(), c.width) << c.path;
    }
}

TEST(DirectoryTreeTest, RootsAreTheRootAndHome) {
    {
        HomeOverride home("/home/someone/");
        std::vector<Estring> roots = DirectoryTree::Roots();
        ASSERT_EQ(2u, roots.size());
        EXPECT_EQ("/", roots[0].ToStdString());
        EXPECT_EQ("/home/someone", roots[1].ToStdString());
    }
    {
        HomeOverride home("/");  // root's home is the root: listed once
        EXPECT_EQ(1u, DirectoryTree::Roots().size());
    }
    {
        HomeOverride home(nullptr);
        EXPECT_EQ(1u, DirectoryTree::Roots().size());
    }
}

TEST(DirectoryTreeTest, ListsARealDirectory) {
    uitest::TempTree temp;
    for (const char* name : {"a.csv", "B.CSV", "notes.txt", "\xC3\xA9t\xC3\xA9.csv", ".hidden.csv", "csv"})
        temp.File(name);
    for (const char* name : {"sub", "Zeta", "alpha", "caf\xC3\xA9"}) temp.Dir(name);

    DirectoryTree tree;
    const std::string root = temp.Cp437();
    int depth = tree.Fill(Estring(root), Estring("*.CSV"), false);

    std::vector<std::string> expectTree = ComponentLines(root);
    EXPECT_EQ(static_cast<int>(expectTree.size()) - 1, depth);
    const std::string indent(2 * (depth + 1), ' ');
    for (const char* name : {"alpha", "caf\x82", "sub", "Zeta"}) expectTree.push_back(indent + name);
    EXPECT_EQ(expectTree, Lines(tree.TreeEntries()));
    // *.CSV matches any letter case; "é" is shown as its code page byte 0x82.
    EXPECT_EQ((std::vector<std::string>{".hidden.csv", "a.csv", "B.CSV", "\x82t\x82.csv"}), Lines(tree.FileEntries()));
    EXPECT_EQ("\x82t\x82.csv", tree.FileName(3).ToStdString());
    EXPECT_EQ("Zeta", tree.TreeName(depth + 4).ToStdString());

    // Directories only: the same tree, no files.
    tree.Fill(Estring(root), Estring("*"), true);
    EXPECT_EQ(expectTree, Lines(tree.TreeEntries()));
    EXPECT_EQ(0, tree.FileEntries().Count());

    // Every file with the pattern "*".
    tree.Fill(Estring(root), Estring("*"), false);
    EXPECT_EQ(6, tree.FileEntries().Count());
}

TEST(DirectoryTreeTest, WalksDownUpAndThroughTheDrives) {
    uitest::TempTree temp;
    temp.Dir("caf\xC3\xA9");
    temp.Dir("caf\xC3\xA9/inner");
    temp.File("caf\xC3\xA9/inner/deep.csv");
    HomeOverride home(temp.root.c_str());

    DirectoryTree tree;
    const std::string root = temp.Cp437();
    int depth = tree.Fill(Estring(root), Estring("*"), false);

    // Down into the accented subdirectory, then into inner.
    Estring next = tree.DirectoryForLine(depth + 1);
    EXPECT_EQ(root + "/caf\x82", next.ToStdString());
    EXPECT_EQ(depth + 1, tree.Fill(next, Estring("*"), false));
    next = tree.DirectoryForLine(depth + 2);
    EXPECT_EQ(root + "/caf\x82/inner", next.ToStdString());
    EXPECT_EQ(depth + 2, tree.Fill(next, Estring("*"), false));
    EXPECT_EQ((std::vector<std::string>{"deep.csv"}), Lines(tree.FileEntries()));

    // Its own line changes nothing; a line past the end neither.
    EXPECT_EQ(next, tree.DirectoryForLine(tree.Depth()));
    EXPECT_EQ(next, tree.DirectoryForLine(tree.TreeEntries().Count()));
    // Up two levels to the temporary root, and to "/".
    EXPECT_EQ(root, tree.DirectoryForLine(depth).ToStdString());
    EXPECT_EQ("/", tree.DirectoryForLine(1).ToStdString());

    // "Drives": the root and the home directory; choosing home goes there.
    Estring drives = tree.DirectoryForLine(0);
    EXPECT_TRUE(drives.IsEmpty());
    EXPECT_EQ(0, tree.Fill(drives, Estring("*"), false));
    EXPECT_EQ((std::vector<std::string>{"Drives", "  /", "  " + root}), Lines(tree.TreeEntries()));
    EXPECT_EQ(0, tree.FileEntries().Count());
    EXPECT_EQ("/", tree.DirectoryForLine(1).ToStdString());
    EXPECT_EQ(root, tree.DirectoryForLine(2).ToStdString());
    EXPECT_EQ(depth, tree.Fill(tree.DirectoryForLine(2), Estring("*"), false));
    EXPECT_EQ(depth + 1, tree.TreeEntries().Count() - 1);
}

TEST(DirectoryTreeTest, MissingDirectoryListsNothing) {
    uitest::TempTree temp;
    DirectoryTree tree;
    const std::string gone = temp.Cp437() + "/not-there";
    int depth = tree.Fill(Estring(gone), Estring("*"), false);
    EXPECT_EQ(ComponentLines(gone), Lines(tree.TreeEntries()));
    EXPECT_EQ(depth + 1, tree.TreeEntries().Count());
    EXPECT_EQ(0, tree.FileEntries().Count());
}

TEST(DirectoryTreeTest, UnreadableDirectoryListsNothing) {
    uitest::TempTree temp;
    temp.Dir("locked");
    temp.File("locked-sibling.csv");
    std::system(("touch '" + temp.root + "/locked/inside.csv'").c_str());
    temp.Dir("locked", 0311);  // may be entered, not listed
    const std::string root = temp.Cp437();
    int outcome = uitest::RunAsNonRoot([&] {
        DirectoryTree tree;
        int depth = tree.Fill(Estring(root), Estring("*"), false);
        if (tree.FileEntries().Count() != 1) return 1;  // the parent is readable
        Estring locked = tree.DirectoryForLine(depth + 1);
        if (locked.ToStdString() != root + "/locked") return 2;
        if (tree.Fill(locked, Estring("*"), false) != depth + 1) return 3;
        if (tree.FileEntries().Count() != 0) return 4;
        if (tree.TreeEntries().Count() != depth + 2) return 5;  // its own components only
        return 0;
    });
    EXPECT_EQ(0, outcome) << "1: parent not listed, 2: wrong path, 3: wrong depth, 4: files listed, "
                             "5: subdirectories listed, 99: could not give up root";
}
