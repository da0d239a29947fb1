// qdxutil as users run it: the built binary with its exit codes and output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "dictionary/DictionaryLayout.h"
#include "dictionary/Schema.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldCodec.h"

namespace {

using apptest::Lines;
using apptest::RunQdxutil;
using apptest::ScratchDir;
using apptest::ToolResult;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Qdxutil, ExitCodesForUsageAndHelp) {
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    } cases[] = {
        {{}, 2},
        {{"nosuchcommand"}, 2},
        {{"stat"}, 2},
        {{"stat", "a", "b"}, 2},
        {{"dump", "--bogus", "x"}, 2},
        {{"dump", "T", "--key"}, 2},
        {{"dump", "T", "--key", "x"}, 2},
        {{"dump", "T", "--key", "119"}, 2},
        {{"define", "onlydir"}, 2},
        {{"demo", "/tmp/x", "--rows", "many"}, 2},
        {{"--help"}, 0},
        {{"define", "--help"}, 0},
        {{"demo", "--help"}, 0},
        {{"stat", "-h"}, 0},
        {{"dump", "--help"}, 0},
    };
    for (const Case& c : cases) {
        ToolResult r = RunQdxutil(c.args);
        std::string shown;
        for (const std::string& a : c.args) shown += a + " ";
        EXPECT_EQ(c.exitCode, r.exitCode) << shown << "\n" << r.err;
        if (c.exitCode == 0 && c.args.size() > 1) {
            EXPECT_TRUE(Contains(r.out, "usage: qdxutil " + c.args[0])) << shown;
        }
        if (c.exitCode == 2) {
            EXPECT_FALSE(r.err.empty()) << shown;
            EXPECT_TRUE(r.out.empty()) << shown << "\n" << r.out;  // refused before any output
        }
    }
}

TEST(Qdxutil, FailuresNameTheFileAndTheEngineStatus) {
    ScratchDir dir;
    ToolResult noEngine = RunQdxutil({"stat", dir / "x.dat"}, "QDX_ENGINE_LIBRARY=/nonexistent/libnone.so ");
    EXPECT_EQ(1, noEngine.exitCode);
    EXPECT_TRUE(Contains(noEngine.err, dir / "x.dat: 20: MKDE Inactive")) << noEngine.err;
    EXPECT_EQ(1u, Lines(noEngine.err).size()) << noEngine.err;

    ToolResult noDictionary = RunQdxutil({"dump", "-d", dir.Path(), "Customers"});
    EXPECT_EQ(1, noDictionary.exitCode);
    EXPECT_TRUE(Contains(noDictionary.err, dir / "file.ddf: 12: File Not Found")) << noDictionary.err;

    ToolResult noFile = RunQdxutil({"stat", dir / "missing.dat"});
    EXPECT_EQ(1, noFile.exitCode);
    EXPECT_TRUE(Contains(noFile.err, "missing.dat: 12: File Not Found")) << noFile.err;
}

TEST(Qdxutil, DefineRefusesABadSchemaWithItsLineNumberAndWritesNothing) {
    struct Case {
        const char* schema;
        const char* where;  // "schema.txt:LINE:" and part of the reason
        const char* reason;
    } cases[] = {
        {"table T location t.dat\n  field A Integr 4\n", "schema.txt:2:", "unknown type"},
        {"table T location t.dat\n  field A Integer 4\n  field A String 2\n", "schema.txt:3:", "defined twice"},
        {"table T location t.dat\n  field A Integer 4\n  index 0 : B\n", "schema.txt:3:", "no field 'B'"},
        {"table T location t.dat record 6\n  field A Integer 4\n  field B String 4\n", "schema.txt:3:",
         "past the record end"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        apptest::WriteFile(dir / "schema.txt", c.schema);
        ToolResult r = RunQdxutil({"define", dir / "db", dir / "schema.txt"});
        EXPECT_EQ(1, r.exitCode) << c.schema;
        EXPECT_TRUE(Contains(r.err, c.where) && Contains(r.err, c.reason)) << c.schema << "\n" << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "db")) << c.schema;
    }
}

TEST(Qdxutil, DefineKeepsExistingFilesUnlessToldToReplaceThem) {
    ScratchDir dir;
    apptest::WriteFile(dir / "schema.txt", "table T location t.dat\n  field A Integer 4\n  index 0 : A\n");
    ASSERT_EQ(0, RunQdxutil({"define", dir.Path(), dir / "schema.txt"}).exitCode);
    ToolResult again = RunQdxutil({"define", dir.Path(), dir / "schema.txt"});
    EXPECT_EQ(1, again.exitCode);
    EXPECT_TRUE(Contains(again.err, "59: File Already Exists")) << again.err;
    EXPECT_EQ(0, RunQdxutil({"define", dir.Path(), dir / "schema.txt", "--replace"}).exitCode);
    ToolResult files = RunQdxutil({"dump", "-d", dir.Path(), "DDF Files"});
    EXPECT_EQ(5u, Lines(files.out).size()) << files.out;  // heading, three dictionary tables, T
}

// Directory names reach the file system as the engine takes them, so what
// define checks and creates is what the engine opens.
TEST(Qdxutil, DefineIntoDirectoriesWithAccentsButNotWithPlus) {
    ScratchDir dir;
    apptest::WriteFile(dir / "schema.txt", "table T location t.dat\n  field A Integer 4\n  index 0 : A\n");
    const std::string accented = dir / "Gr\xC3\xB6\xC3\x9F" "e";  // UTF-8, as typed in a shell
    ToolResult define = RunQdxutil({"define", accented, dir / "schema.txt"});
    ASSERT_EQ(0, define.exitCode) << define.err;
    EXPECT_TRUE(std::filesystem::exists(accented + "/t.dat"));
    ToolResult dump = RunQdxutil({"dump", "-d", accented, "DDF Files"});
    EXPECT_EQ(0, dump.exitCode) << dump.err;
    ToolResult again = RunQdxutil({"define", accented, dir / "schema.txt"});
    EXPECT_EQ(1, again.exitCode);
    EXPECT_TRUE(Contains(again.err, "59: File Already Exists")) << again.err;

    // "+" in an opened name starts the owner name: refused before anything is made.
    ToolResult plus = RunQdxutil({"define", dir / "a+b", dir / "schema.txt"});
    EXPECT_EQ(1, plus.exitCode);
    EXPECT_TRUE(Contains(plus.err, "a+b/file.ddf: 11: Invalid Filename")) << plus.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "a+b"));
}

TEST(Qdxutil, DemoSchemaDefinedAgainGivesTheSameDictionary) {
    ScratchDir dir;
    ToolResult demo = RunQdxutil({"demo", dir / "demo"});
    ASSERT_EQ(0, demo.exitCode) << demo.err;
    ToolResult define = RunQdxutil({"define", dir / "again", dir / "demo/demo-schema.txt"});
    ASSERT_EQ(0, define.exitCode) << define.err;
    for (const char* table : {"DDF Files", "DDF Fields", "DDF Indexes"}) {
        ToolResult a = RunQdxutil({"dump", "-d", dir / "demo", table});
        ToolResult b = RunQdxutil({"dump", "-d", dir / "again", table});
        ASSERT_EQ(0, a.exitCode) << a.err;
        EXPECT_GT(Lines(a.out).size(), 5u) << table;
        EXPECT_EQ(a.out, b.out) << table;
    }
    EXPECT_TRUE(std::filesystem::exists(dir / "again/orders.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "again/suppliers.dat"));
    ToolResult empty = RunQdxutil({"dump", "-d", dir / "again", "orders"});
    EXPECT_EQ(0, empty.exitCode);
    EXPECT_EQ(1u, Lines(empty.out).size());  // the heading alone
}

// The record of table Mixed below, from typed parts.
struct MixedRecord {
    int16_t i;
    uint32_t u;
    uint8_t decimal[3];
    int64_t currency;
    std::string s, z, l;
    uint8_t day, month;
    uint16_t year;
    uint8_t hours, minutes, seconds;
    bool logical;
    double real;
    std::string note;
};

const char kMixedSchema[] = R"(table Mixed location mixed.dat
  field I Integer 2
  field U "Unsigned Integer" 4
  field D Decimal 3 2
  field C Currency
  field S String 10
  field Z ZString 6
  field L LString 5
  field Dt Date
  field T Time
  field G Logical
  field F Float 8
  field N Note 50
  index 0 : I
)";

// Offsets: I 0, U 2, D 6, C 9, S 17, Z 27, L 33, Dt 38, T 42, G 46, F 47, N 55.
std::vector<uint8_t> Encode(const MixedRecord& m) {
    std::vector<uint8_t> r(55 + m.note.size() + 1, 0);
    le::PutI16(&r[0], m.i);
    le::PutU32(&r[2], m.u);
    std::memcpy(&r[6], m.decimal, 3);
    le::PutI64(&r[9], m.currency);
    std::memset(&r[17], ' ', 10);
    std::memcpy(&r[17], m.s.data(), m.s.size());
    std::memcpy(&r[27], m.z.data(), m.z.size());
    r[33] = static_cast<uint8_t>(m.l.size());
    std::memcpy(&r[34], m.l.data(), m.l.size());
    r[38] = m.day;
    r[39] = m.month;
    le::PutU16(&r[40], m.year);
    r[42] = 0;
    r[43] = m.seconds;
    r[44] = m.minutes;
    r[45] = m.hours;
    r[46] = m.logical ? 1 : 0;
    std::memcpy(&r[47], &m.real, 8);
    std::memcpy(&r[55], m.note.data(), m.note.size());
    return r;
}

std::string DateText(uint8_t day, uint8_t month, uint16_t year) {
    uint8_t bytes[4] = {day, month, static_cast<uint8_t>(year), static_cast<uint8_t>(year >> 8)};
    auto field = FieldAttributes::FromDictionary("Dt", kTypeDate, 0, 4, 0, 1, 0);
    return FieldToText(*field, bytes, 4, false).ToStdString();
}

TEST(Qdxutil, DumpWritesTheCodecTextsOfKnownBytes) {
    ScratchDir dir;
    apptest::WriteFile(dir / "schema.txt", kMixedSchema);
    ASSERT_EQ(0, RunQdxutil({"define", dir.Path(), dir / "schema.txt"}).exitCode);
    apptest::UseRealEngine();
    MixedRecord second{7, 0, {0x00, 0x00, 0x0F}, 7, "", "", "", 1, 2, 1999, 0, 30, 0, false, -0.5, ""};
    MixedRecord first{-5, 4000000000u, {0x00, 0x12, 0x3D}, -55000, "ab, \"c\"", "Zo\x89", "xy",
                      31, 1, 2023, 13, 5, 9, true, 3.25, "Hello note"};
    {
        BtrieveFile file;
        ASSERT_EQ(0, file.open(Estring((dir / "mixed.dat").c_str())));
        for (const MixedRecord* m : {&second, &first}) {  // physical order: 7 first
            std::vector<uint8_t> bytes = Encode(*m);
            file.setDataLength(static_cast<uint16_t>(bytes.size()));
            ASSERT_EQ(0, file.insertRecord(bytes.data()));
        }
    }
    std::string heading = "I,U,D,C,S,Z,L,Dt,T,G,F,N";
    std::string line7 = "7,0,0.00,0.0007,,,," + DateText(1, 2, 1999) + ",12:30:00a,N,-0.5,";
    std::string lineMinus5 = "-5,4000000000,-1.23,-5.5000,\"ab, \"\"c\"\"\",Zo\\137,xy," + DateText(31, 1, 2023) +
                             ",1:05:09p,Y,3.25,Hello note";

    ToolResult physical = RunQdxutil({"dump", "-d", dir.Path(), "mixed"});
    ASSERT_EQ(0, physical.exitCode) << physical.err;
    EXPECT_EQ((std::vector<std::string>{heading, line7, lineMinus5}), Lines(physical.out));

    ToolResult byKey = RunQdxutil({"dump", "-d", dir.Path(), "MIXED", "--key", "0"});
    ASSERT_EQ(0, byKey.exitCode) << byKey.err;
    EXPECT_EQ((std::vector<std::string>{heading, lineMinus5, line7}), Lines(byKey.out));

    // Display form: aligned to each column's width, numbers with a trailing sign place.
    ToolResult display = RunQdxutil({"dump", "-d", dir.Path(), "mixed", "--key", "0", "--display"});
    ASSERT_EQ(0, display.exitCode) << display.err;
    std::vector<std::string> lines = Lines(display.out);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[1].find("    -5,")) << lines[1];
    EXPECT_TRUE(Contains(lines[1], ",   1.23-,")) << lines[1];

    ToolResult badKey = RunQdxutil({"dump", "-d", dir.Path(), "mixed", "--key", "3"});
    EXPECT_EQ(1, badKey.exitCode);
    EXPECT_TRUE(Contains(badKey.err, "mixed.dat: 6: Invalid Key Number")) << badKey.err;
}

// Record count of a file as stat prints it, -1 when stat fails.
long StatRecords(const std::string& path, const std::string& owner = "") {
    std::vector<std::string> args = {"stat", path};
    if (!owner.empty()) args.insert(args.end(), {"--owner", owner});
    ToolResult r = RunQdxutil(args);
    if (r.exitCode != 0) return -1;
    for (const std::string& line : Lines(r.out))
        if (line.rfind("Number of Records : ", 0) == 0) return std::stol(line.substr(20));
    return -1;
}

TEST(Qdxutil, DemoWritesEveryTableAndStatCountsThem) {
    ScratchDir dir;
    ToolResult demo = RunQdxutil({"demo", dir.Path(), "--rows", "2000"});
    ASSERT_EQ(0, demo.exitCode) << demo.err;
    struct Table {
        const char* name;
        const char* file;
        long records;
        const char* owner;
    } tables[] = {{"Customers", "customers.dat", 120, ""}, {"Products", "products.dat", 80, ""},
                  {"Orders", "orders.dat", 2000, ""},       {"Order Lines", "orderlin.dat", 2000, ""},
                  {"Notes", "notes.dat", 150, ""},          {"Payroll", "payroll.dat", 40, "paydesk"}};
    for (const Table& t : tables) {
        EXPECT_EQ(t.records, StatRecords(dir / t.file, t.owner)) << t.name;
        std::vector<std::string> args = {"dump", "-d", dir.Path(), t.name};
        if (*t.owner) args.insert(args.end(), {"--owner", t.owner});
        ToolResult dump = RunQdxutil(args);
        ASSERT_EQ(0, dump.exitCode) << t.name << ": " << dump.err;
        EXPECT_EQ(static_cast<size_t>(t.records + 1), Lines(dump.out).size()) << t.name;
    }
    ToolResult locked = RunQdxutil({"stat", dir / "payroll.dat"});
    EXPECT_EQ(1, locked.exitCode);
    EXPECT_TRUE(Contains(locked.err, "51: Invalid Owner")) << locked.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "suppliers.dat"));
    ToolResult suppliers = RunQdxutil({"dump", "-d", dir.Path(), "Suppliers"});
    EXPECT_EQ(1, suppliers.exitCode);
    EXPECT_TRUE(Contains(suppliers.err, "suppliers.dat: 12: File Not Found")) << suppliers.err;

    ToolResult stat = RunQdxutil({"stat", dir / "orders.dat"});
    EXPECT_TRUE(Contains(stat.out, "Key 1: 2 segments, duplicates")) << stat.out;
    EXPECT_TRUE(Contains(stat.out, "descending")) << stat.out;
    EXPECT_TRUE(Contains(RunQdxutil({"stat", dir / "notes.dat"}).out, "Flags             : Variable Length"));

    // Realistic values: accented names (code page 437 bytes, escaped by the CSV encoder),
    // negative balances, order dates from the 1980s to the 2020s.
    std::vector<std::string> customers = Lines(RunQdxutil({"dump", "-d", dir.Path(), "Customers"}).out);
    EXPECT_TRUE(std::any_of(customers.begin(), customers.end(), [](const std::string& l) { return Contains(l, "\\1"); }));
    EXPECT_TRUE(std::any_of(customers.begin() + 1, customers.end(),
                            [](const std::string& l) { return Contains(l.substr(l.rfind(',', l.size() - 3)), ",-"); }));
    std::vector<std::string> orders = Lines(RunQdxutil({"dump", "-d", dir.Path(), "Orders", "--key", "0"}).out);
    EXPECT_TRUE(Contains(orders[1], "1988"));
    EXPECT_TRUE(Contains(orders.back(), "2024"));
}

TEST(Qdxutil, DemoIsTheSameEveryTime) {
    ScratchDir dir;
    ASSERT_EQ(0, RunQdxutil({"demo", dir / "a"}).exitCode);
    ASSERT_EQ(0, RunQdxutil({"demo", dir / "b"}).exitCode);
    for (const char* table : {"Customers", "Products", "Orders", "Order Lines", "Notes", "DDF Fields"}) {
        ToolResult a = RunQdxutil({"dump", "-d", dir / "a", table});
        ToolResult b = RunQdxutil({"dump", "-d", dir / "b", table});
        EXPECT_EQ(0, a.exitCode) << table;
        EXPECT_EQ(a.out, b.out) << table;
    }
    EXPECT_EQ(apptest::ReadFile(dir / "a/demo-schema.txt"), apptest::ReadFile(dir / "b/demo-schema.txt"));
    // The files themselves are the same bytes; payroll.dat alone differs, in
    // the salted check value of its owner name.
    for (const char* file : {"file.ddf", "field.ddf", "index.ddf", "customers.dat", "products.dat", "orders.dat",
                             "orderlin.dat", "notes.dat"}) {
        EXPECT_TRUE(apptest::ReadFile(dir / "a/" + file) == apptest::ReadFile(dir / "b/" + file)) << file;
    }
}

// The demo's schema uses every convertible type and every kind of key.
TEST(Qdxutil, DemoSchemaCoversEveryConvertibleTypeAndKeyKind) {
    ScratchDir dir;
    ASSERT_EQ(0, RunQdxutil({"demo", dir.Path(), "--rows", "10"}).exitCode);
    Schema schema;
    SchemaError error;
    ASSERT_TRUE(ParseSchema(apptest::ReadFile(dir / "demo-schema.txt"), schema, error)) << error.message.Text();
    std::set<std::pair<int, int>> typeSizes;
    std::set<int> types;
    bool segmented = false, descending = false, caseInsensitive = false, duplicates = false, owner = false,
         noFile = false, variable = false;
    for (const SchemaTable& t : schema.tables) {
        owner |= !t.owner.IsEmpty();
        noFile |= !t.createFile;
        variable |= t.VariableLength();
        for (const SchemaField& f : t.fields) {
            types.insert(f.type);
            typeSizes.insert({f.type, f.size});
        }
        for (const SchemaIndex& i : t.indexes) {
            segmented |= i.segments.size() > 1;
            duplicates |= i.duplicates;
            for (const SchemaSegment& s : i.segments) {
                descending |= s.descending;
                caseInsensitive |= s.caseInsensitive;
            }
        }
    }
    for (int type : {0, 3, 4, 5, 7, 10, 11, 12, 14, 15, 16, 19}) EXPECT_TRUE(types.count(type)) << "type " << type;
    for (int size : {1, 2, 4, 8}) EXPECT_TRUE(typeSizes.count({1, size})) << "Integer " << size;
    for (int size : {4, 8, 10}) EXPECT_TRUE(typeSizes.count({2, size})) << "Float " << size;
    for (int size : {4, 8}) EXPECT_TRUE(typeSizes.count({9, size})) << "BFloat " << size;
    EXPECT_TRUE(segmented && descending && caseInsensitive && duplicates && owner && noFile && variable);
}

}  // namespace
