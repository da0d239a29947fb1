// qdxutil owner and qdxutil index on a scratch copy of the demo: what they
// change is checked through the other commands (dump, stat) and the raw
// file; what they refuse must leave the file as it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "AppTestSupport.h"

namespace {

using apptest::Lines;
using apptest::ReadFile;
using apptest::RunQdxutil;
using apptest::ScratchDir;
using apptest::ShellQuote;
using apptest::ToolResult;
using apptest::WriteFile;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Shown(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += a + " ";
    return text;
}

class QdxutilAdmin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, RunQdxutil({"demo", dir.Path(), "--rows", "300"}).exitCode);
    }
    std::string File(const std::string& name) const { return dir / name; }
    ToolResult Dump(const std::string& table, const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> args = {"dump", "-d", dir.Path(), table};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunQdxutil(args);
    }
    std::string Stat(const std::string& file, const std::string& owner = "") const {
        ToolResult r = owner.empty() ? RunQdxutil({"stat", File(file)}) : RunQdxutil({"stat", File(file), "--owner", owner});
        EXPECT_EQ(0, r.exitCode) << r.err;
        return r.out;
    }
    // Runs qdxutil with input on its standard input.
    ToolResult RunWithInput(const std::vector<std::string>& args, const std::string& input) const {
        const std::string path = dir / "stdin.txt";
        WriteFile(path, input);
        return RunQdxutil(args, "<" + ShellQuote(path) + " ");
    }
    ScratchDir dir;
};

// The "Key N:" lines of stat's output.
std::vector<std::string> KeyLines(const std::string& stat) {
    std::vector<std::string> keys;
    for (const std::string& line : Lines(stat))
        if (line.compare(0, 4, "Key ") == 0) keys.push_back(line.substr(0, line.rfind(", ")));
    return keys;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
        parts.push_back(line.substr(start, comma - start));
    parts.push_back(line.substr(start));
    return parts;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST_F(QdxutilAdmin, EncryptingOwnerIsNeededToReadAndClearRemovesIt) {
    const ToolResult plain = Dump("Customers");
    ASSERT_EQ(0, plain.exitCode);
    // A name from the first record, to look for in the raw file.
    const std::string marker = Split(Lines(plain.out).at(1)).at(1).substr(0, 6);
    ASSERT_TRUE(Contains(ReadFile(File("customers.dat")), marker)) << marker;

    // From standard input, with a Windows line end: the name is "tr0wel".
    ToolResult set = RunWithInput({"owner", File("customers.dat"), "--set", "-", "--mode", "2"}, "tr0wel\r\nrest\n");
    ASSERT_EQ(0, set.exitCode) << set.err;
    EXPECT_EQ(File("customers.dat") + ": Owner successfully set\n", set.out);
    EXPECT_FALSE(Contains(ReadFile(File("customers.dat")), marker)) << "records still readable in the raw file";

    ToolResult refused = Dump("Customers");
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_TRUE(Contains(refused.err, "51: Invalid Owner")) << refused.err;
    EXPECT_EQ(1, Dump("Customers", {"--owner", "tr0wel\r"}).exitCode);
    ToolResult owned = Dump("Customers", {"--owner", "tr0wel"});
    EXPECT_EQ(0, owned.exitCode) << owned.err;
    EXPECT_EQ(plain.out, owned.out);

    // A second owner cannot be set over the first, even by its owner.
    EXPECT_EQ(1, RunQdxutil({"owner", File("customers.dat"), "--set", "other", "--owner", "tr0wel"}).exitCode);
    // Clearing needs the current name, here from a file.
    EXPECT_EQ(1, RunQdxutil({"owner", File("customers.dat"), "--clear"}).exitCode);
    WriteFile(dir / "owner.txt", "tr0wel\n");
    ToolResult clear = RunQdxutil({"owner", File("customers.dat"), "--clear", "--owner-file", dir / "owner.txt"});
    ASSERT_EQ(0, clear.exitCode) << clear.err;
    EXPECT_EQ(File("customers.dat") + ": Owner has been cleared\n", clear.out);
    ToolResult after = Dump("Customers");
    EXPECT_EQ(0, after.exitCode) << after.err;
    EXPECT_EQ(plain.out, after.out);
}

TEST_F(QdxutilAdmin, AccessModesDecideWhatNeedsTheName) {
    struct Case {
        const char* mode;
        bool readableWithout;
    } cases[] = {{"0", false}, {"1", true}, {"2", false}, {"3", true}};
    const std::string before = Dump("Notes").out;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("mode ") + c.mode);
        ASSERT_EQ(0, RunQdxutil({"owner", File("notes.dat"), "--set", "quill", "--mode", c.mode}).exitCode);
        ToolResult without = Dump("Notes");
        EXPECT_EQ(c.readableWithout ? 0 : 1, without.exitCode) << without.err;
        if (c.readableWithout) {
            EXPECT_EQ(before, without.out);
            // Read-only without the name: clearing is refused.
            EXPECT_EQ(1, RunQdxutil({"owner", File("notes.dat"), "--clear"}).exitCode);
        }
        ASSERT_EQ(0, RunWithInput({"owner", File("notes.dat"), "--clear", "--owner", "-"}, "quill").exitCode);
        EXPECT_EQ(before, Dump("Notes").out);
    }
}

TEST_F(QdxutilAdmin, RefusedOwnerCommandsChangeNothing) {
    const std::string file = File("orders.dat");
    WriteFile(dir / "empty.txt", "");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"owner", file}, 2, "either --set NAME or --clear"},
        {{"owner", file, "--set", "a", "--clear"}, 2, "either --set NAME or --clear"},
        {{"owner", file, "--set", ""}, 2, "1 to 8 characters"},
        {{"owner", file, "--set", "ninechars"}, 2, "1 to 8 characters"},
        {{"owner", file, "--set", "a", "--mode", "4"}, 2, "--mode needs 0, 1, 2 or 3"},
        {{"owner", file, "--set", "a", "--mode", "-1"}, 2, "--mode needs 0, 1, 2 or 3"},
        {{"owner", file, "--clear", "--mode", "1"}, 2, "--mode goes with --set"},
        {{"owner", file, "--set", "-", "--owner", "-"}, 2, "cannot both read standard input"},
        {{"owner", file, "--clear", "--owner", "a", "--owner-file", dir / "empty.txt"}, 2, "exclude each other"},
        {{"owner", file, "--clear", "--owner-file", dir / "empty.txt"}, 2, "holds no owner name"},
        {{"owner", file, "--clear", "--owner-file", dir / "missing.txt"}, 2, "cannot be read"},
        {{"owner", file, "--set", "-"}, 2, "no owner name on standard input"},
        {{"owner", dir / "nothing.dat", "--set", "a"}, 1, "12: File Not Found"},
        {{"owner", File("payroll.dat"), "--clear"}, 1, "51: Invalid Owner"},
    };
    const std::string statBefore = Stat("orders.dat");
    const std::string dumpBefore = Dump("Orders").out;
    for (const Case& c : cases) {
        ToolResult r = RunWithInput(c.args, "");
        EXPECT_EQ(c.exitCode, r.exitCode) << Shown(c.args);
        EXPECT_EQ(0u, r.err.find("qdxutil owner: ")) << Shown(c.args) << "\n" << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << Shown(c.args) << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << Shown(c.args);
    }
    EXPECT_EQ(statBefore, Stat("orders.dat"));
    EXPECT_EQ(dumpBefore, Dump("Orders").out);
    EXPECT_EQ(0, Dump("Payroll", {"--owner", "paydesk"}).exitCode);
}

TEST_F(QdxutilAdmin, OwnerNameFromStandardInputOrFileForEveryFileCommand) {
    WriteFile(dir / "right.txt", "paydesk\n");
    WriteFile(dir / "wrong.txt", "paydes\n");
    const std::string payroll = File("payroll.dat");
    const std::vector<std::vector<std::string>> commands = {
        {"stat", payroll},
        {"check", payroll},
        {"dump", "-d", dir.Path(), "Payroll"},
        {"export", "-d", dir.Path(), "Payroll"},
        {"index", payroll, "--drop", "1", "--keep-numbers"},
    };
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(Shown(command));
        auto with = [&](std::vector<std::string> extra) {
            std::vector<std::string> args = command;
            args.insert(args.end(), extra.begin(), extra.end());
            return args;
        };
        EXPECT_EQ(1, RunWithInput(with({"--owner-file", dir / "wrong.txt"}), "").exitCode);
        EXPECT_EQ(1, RunWithInput(with({"--owner", "-"}), "paydes\n").exitCode);
        EXPECT_EQ(2, RunWithInput(with({"--owner", "x", "--owner-file", dir / "right.txt"}), "").exitCode);
        // The drop is the last command: it succeeds once only.
        ToolResult fromFile = RunWithInput(with({"--owner-file", dir / "right.txt"}), "");
        EXPECT_EQ(0, fromFile.exitCode) << fromFile.err;
        if (command[0] != "index") {
            ToolResult fromInput = RunWithInput(with({"--owner", "-"}), "paydesk\r\n");
            EXPECT_EQ(0, fromInput.exitCode) << fromInput.err;
            EXPECT_EQ(fromFile.out, fromInput.out);
        }
    }
    EXPECT_EQ(1u, KeyLines(Stat("payroll.dat", "paydesk")).size());
}

TEST_F(QdxutilAdmin, CreatedIndexOrdersTheDump) {
    ToolResult created =
        RunQdxutil({"index", File("orders.dat"), "--create", "status/DESC , Total", "--duplicates"});
    ASSERT_EQ(0, created.exitCode) << created.err;
    EXPECT_EQ(File("orders.dat") + ": index 3 created\n", created.out);
    const std::vector<std::string> keys = KeyLines(Stat("orders.dat"));
    ASSERT_EQ(4u, keys.size());
    EXPECT_EQ("Key 3: 2 segments, duplicates", keys[3]);

    const std::vector<std::string> physical = Lines(Dump("Orders").out);
    ToolResult ordered = Dump("Orders", {"--key", "3"});
    ASSERT_EQ(0, ordered.exitCode) << ordered.err;
    const std::vector<std::string> lines = Lines(ordered.out);
    ASSERT_EQ(physical.size(), lines.size());
    EXPECT_EQ(std::multiset<std::string>(physical.begin(), physical.end()),
              std::multiset<std::string>(lines.begin(), lines.end()));
    const int status = 4, total = 6;  // columns of the heading
    ASSERT_EQ("Status", Split(lines[0]).at(status));
    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string> a = Split(lines[i - 1]), b = Split(lines[i]);
        const std::string sa = Lower(a.at(status)), sb = Lower(b.at(status));
        ASSERT_GE(sa, sb) << "line " << i << ": status not descending\n" << lines[i - 1] << "\n" << lines[i];
        if (sa == sb) {
            ASSERT_LE(std::atof(a.at(total).c_str()), std::atof(b.at(total).c_str()))
                << "line " << i << ": total not ascending\n" << lines[i - 1] << "\n" << lines[i];
        }
    }

    // By table name, through -d; and unique without --duplicates.
    ToolResult unique = RunQdxutil({"index", "-d", dir.Path(), "Orders", "--create", "OrderNo/desc"});
    ASSERT_EQ(0, unique.exitCode) << unique.err;
    EXPECT_TRUE(Contains(unique.out, ": index 4 created")) << unique.out;
    const std::vector<std::string> descending = Lines(Dump("Orders", {"--key", "4"}).out);
    ASSERT_EQ(physical.size(), descending.size());
    for (size_t i = 2; i < descending.size(); ++i)
        ASSERT_GT(std::atol(descending[i - 1].c_str()), std::atol(descending[i].c_str())) << i;
}

TEST_F(QdxutilAdmin, IndexOnAnOwnedFileNeedsTheOwner) {
    const std::string before = Stat("payroll.dat", "paydesk");
    ToolResult refused = RunQdxutil({"index", File("payroll.dat"), "--drop", "0"});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_TRUE(Contains(refused.err, "51: Invalid Owner")) << refused.err;
    EXPECT_EQ(before, Stat("payroll.dat", "paydesk"));
    const std::string fields = Lines(Dump("Payroll", {"--owner", "paydesk"}).out).at(0);
    const std::string first = fields.substr(0, fields.find(','));
    ToolResult created = RunWithInput({"index", File("payroll.dat"), "--create", first + "/desc", "--duplicates",
                                       "--owner", "-"},
                                      "paydesk\n");
    EXPECT_EQ(0, created.exitCode) << created.err;
    EXPECT_EQ(KeyLines(before).size() + 1, KeyLines(Stat("payroll.dat", "paydesk")).size());
}

TEST_F(QdxutilAdmin, DropRenumbersUnlessToldToKeepNumbers) {
    const std::vector<std::string> keys = KeyLines(Stat("orders.dat"));
    ASSERT_EQ(3u, keys.size());
    auto renamed = [](const std::string& line, int number) { return "Key " + std::to_string(number) + line.substr(5); };

    ToolResult kept = RunQdxutil({"index", File("orders.dat"), "--drop", "1", "--keep-numbers"});
    ASSERT_EQ(0, kept.exitCode) << kept.err;
    EXPECT_EQ(File("orders.dat") + ": index 1 dropped\n", kept.out);
    EXPECT_EQ((std::vector<std::string>{keys[0], keys[2]}), KeyLines(Stat("orders.dat")));
    // Key 2 kept its number: the dump by it still works, by 1 it does not.
    EXPECT_EQ(0, Dump("Orders", {"--key", "2"}).exitCode);
    EXPECT_EQ(1, Dump("Orders", {"--key", "1"}).exitCode);
    ToolResult gone = RunQdxutil({"index", File("orders.dat"), "--drop", "1"});
    EXPECT_EQ(1, gone.exitCode);
    EXPECT_TRUE(Contains(gone.err, "dropping index 1: 6: Invalid Key Number")) << gone.err;

    // A fresh index goes in after key 2; dropping key 2 with renumbering
    // moves it down.
    ASSERT_EQ(0, RunQdxutil({"index", File("orders.dat"), "--create", "Status", "--duplicates"}).exitCode);
    const std::vector<std::string> three = KeyLines(Stat("orders.dat"));
    ASSERT_EQ(3u, three.size());
    ToolResult moved = RunQdxutil({"index", File("orders.dat"), "--drop", "2"});
    ASSERT_EQ(0, moved.exitCode) << moved.err;
    EXPECT_TRUE(Contains(moved.out, "index 2 dropped, the indexes above renumbered")) << moved.out;
    EXPECT_EQ((std::vector<std::string>{keys[0], renamed(three[2], 2)}), KeyLines(Stat("orders.dat")));
}

TEST_F(QdxutilAdmin, BadSpecificationOrNumberChangesNothing) {
    const std::string file = File("orders.dat");
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{"index", file, "--create", "Nosuch"}, 2, "no field named 'Nosuch'"},
        {{"index", file, "--create", "Status,,Total"}, 2, "empty segment"},
        {{"index", file, "--create", ""}, 2, "no field named"},
        {{"index", file, "--create", "Status/up"}, 2, "unknown flag 'up'"},
        {{"index", file, "--create", "Total/case"}, 2, "'Total' is not a text field"},
        {{"index", file, "--create", "Status"}, 1, "Couldn't create index: 5: Duplicate Key Value"},
        {{"index", file, "--create", "Status", "--keep-numbers"}, 2, "--keep-numbers goes with --drop"},
        {{"index", file, "--drop", "1", "--duplicates"}, 2, "go with --create"},
        {{"index", file, "--drop", "1", "--create", "Status"}, 2, "either --create SPEC or --drop N"},
        {{"index", file}, 2, "either --create SPEC or --drop N"},
        {{"index", file, "--drop", "x"}, 2, "from 0 to 118"},
        {{"index", file, "--drop", "119"}, 2, "from 0 to 118"},
        {{"index", file, "--drop", ""}, 2, "from 0 to 118"},
        {{"index", file, "--drop", "1.5"}, 2, "from 0 to 118"},
        {{"index", file, "--drop", "7"}, 1, "dropping index 7: 6: Invalid Key Number"},
        {{"index", File("nothing.dat"), "--drop", "1"}, 1, "nothing.dat: 12: File Not Found"},
        {{"index", File("nothing.dat"), "--create", "Status"}, 1, "nothing.dat: 12: File Not Found"},
        {{"index", "-d", dir.Path(), "Nosuch", "--drop", "1"}, 1, "no table named 'Nosuch'"},
        {{"index", dir / "demo-schema.txt", "--create", "Status"}, 1, "no table has its data in"},
    };
    const std::string statBefore = Stat("orders.dat");
    for (const Case& c : cases) {
        ToolResult r = RunQdxutil(c.args);
        EXPECT_EQ(c.exitCode, r.exitCode) << Shown(c.args) << "\n" << r.err;
        EXPECT_EQ(0u, r.err.find("qdxutil index: ")) << Shown(c.args) << "\n" << r.err;
        EXPECT_TRUE(Contains(Lower(r.err), Lower(c.message))) << Shown(c.args) << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << Shown(c.args) << "\n" << r.out;
    }
    EXPECT_EQ(statBefore, Stat("orders.dat"));
}

}  // namespace
