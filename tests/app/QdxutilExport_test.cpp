// qdxutil export and import: round trips over every demo table, a view file
// applied to an export, and the import's column mapping, short lines,
// refused records and malformed dumps.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppTestSupport.h"

namespace {

using apptest::Lines;
using apptest::ReadFile;
using apptest::RunQdxutil;
using apptest::ScratchDir;
using apptest::ToolResult;
using apptest::WriteFile;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct DemoTable {
    const char* name;
    const char* owner;
};
const DemoTable kTables[] = {{"Customers", ""},   {"Products", ""}, {"Orders", ""},
                             {"Order Lines", ""}, {"Notes", ""},    {"Payroll", "paydesk"}};

std::vector<std::string> With(std::vector<std::string> args, const DemoTable& t) {
    if (*t.owner) {
        args.push_back("--owner");
        args.push_back(t.owner);
    }
    return args;
}

TEST(QdxutilExport, EveryDemoTableRoundTripsThroughSavAndCsv) {
    ScratchDir dir;
    ASSERT_EQ(0, RunQdxutil({"demo", dir / "demo"}).exitCode);
    for (const char* copy : {"sav", "csv"})
        ASSERT_EQ(0, RunQdxutil({"define", dir / copy, dir / "demo/demo-schema.txt"}).exitCode);
    for (const DemoTable& t : kTables) {
        std::string sav = dir / "t.sav", csv = dir / "t.csv";
        ToolResult e1 = RunQdxutil(With({"export", "-d", dir / "demo", "--format", "sav", "-o", sav, t.name}, t));
        ASSERT_EQ(0, e1.exitCode) << t.name << e1.err;
        ToolResult i1 = RunQdxutil(With({"import", "-d", dir / "sav", t.name, sav}, t));
        ASSERT_EQ(0, i1.exitCode) << t.name << i1.err;
        // Byte for byte, lengths included: the dumps of both files are equal.
        ToolResult again = RunQdxutil(With({"export", "-d", dir / "sav", "--format", "sav", t.name}, t));
        EXPECT_EQ(ReadFile(sav), again.out) << t.name;
        EXPECT_GT(ReadFile(sav).size(), 100u) << t.name;

        ToolResult e2 = RunQdxutil(With({"export", "-d", dir / "demo", "-o", csv, t.name}, t));
        ASSERT_EQ(0, e2.exitCode) << t.name << e2.err;
        ToolResult i2 = RunQdxutil(With({"import", "-d", dir / "csv", t.name, csv}, t));
        ASSERT_EQ(0, i2.exitCode) << t.name << i2.err;
        size_t records = Lines(ReadFile(csv)).size() - 1;
        EXPECT_EQ(std::to_string(records) + " records inserted\n", i2.out) << t.name;
        // As the codec reads them, every field of every record is the same.
        ToolResult a = RunQdxutil(With({"dump", "-d", dir / "demo", "--key", "0", t.name}, t));
        ToolResult b = RunQdxutil(With({"dump", "-d", dir / "csv", "--key", "0", t.name}, t));
        ASSERT_EQ(0, a.exitCode) << a.err;
        EXPECT_EQ(a.out, b.out) << t.name;
        EXPECT_EQ(records + 1, Lines(a.out).size()) << t.name;
    }
}

const char* kSchema =
    "table Items location items.dat\n"
    "  field Id Integer 4\n"
    "  field Name String 12\n"
    "  field Qty Integer 2\n"
    "  index 0 : Id\n";

struct Items {
    ScratchDir dir;
    Items() {
        WriteFile(dir / "schema.txt", kSchema);
        EXPECT_EQ(0, RunQdxutil({"define", dir.Path(), dir / "schema.txt"}).exitCode);
    }
    ToolResult Import(const std::string& text, std::vector<std::string> extra = {}) {
        WriteFile(dir / "in.csv", text);
        std::vector<std::string> args = {"import", "-d", dir.Path()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("Items");
        args.push_back(dir / "in.csv");
        return RunQdxutil(args);
    }
    std::string Dump() { return RunQdxutil({"dump", "-d", dir.Path(), "Items", "--key", "0"}).out; }
};

TEST(QdxutilImport, ColumnsMapByNameUnknownSkippedShortLinesZero) {
    Items items;
    ToolResult r = items.Import("\xEF\xBB\xBFqty,Extra,ID,name\r\n5,x,1,Apple\r\n,y,2\r\n7\r\n");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("3 records inserted\n", r.out);
    EXPECT_EQ("Id,Name,Qty\n0,,7\n1,Apple,5\n2,,0\n", items.Dump());
}

TEST(QdxutilImport, Utf8TextIsTakenIntoTheCodePage) {
    Items items;
    ToolResult r = items.Import("Id,Name\n1,M\xC3\xBCsli\n2,\xE2\x82\xAC" "uro\n");
    EXPECT_EQ(1, r.exitCode);
    EXPECT_TRUE(Contains(r.err, "line 3")) << r.err;
    EXPECT_TRUE(Contains(r.err, "column 3")) << r.err;
    EXPECT_EQ("1 records inserted\n", r.out);
    EXPECT_EQ("Id,Name,Qty\n1,M\\129sli,0\n", items.Dump());
}

TEST(QdxutilImport, RefusedRecordsStopOrAreCounted) {
    Items items;
    ToolResult stop = items.Import("Id,Name\n1,a\n1,dup\n2,b\n");
    EXPECT_EQ(1, stop.exitCode);
    EXPECT_TRUE(Contains(stop.err, "line 3")) << stop.err;
    EXPECT_TRUE(Contains(stop.err, "5: ")) << stop.err;  // the duplicate-key status text
    EXPECT_EQ("1 records inserted\n", stop.out);
    ToolResult skip = items.Import("Id,Name\n1,a\n3,c\n1,x\n4,d\n", {"--skip-errors"});
    EXPECT_EQ(0, skip.exitCode) << skip.err;
    EXPECT_EQ("2 records inserted\n", skip.out);
    EXPECT_TRUE(Contains(skip.err, "2 records refused")) << skip.err;
    EXPECT_EQ("Id,Name,Qty\n1,a,0\n3,c,0\n4,d,0\n", items.Dump());
}

TEST(QdxutilImport, SkippedRefusalsReportTheFirstFiveAndTheCount) {
    Items items;
    ASSERT_EQ(0, items.Import("Id,Name\n1,a\n2,b\n3,c\n4,d\n5,e\n6,f\n7,g\n").exitCode);
    // Lines 2 to 8 repeat the keys; line 9 is new.
    ToolResult r = items.Import("Id,Name\n1,a\n2,b\n3,c\n4,d\n5,e\n6,f\n7,g\n8,h\n", {"--skip-errors"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("1 records inserted\n", r.out);
    const std::vector<std::string> err = Lines(r.err);
    ASSERT_EQ(6u, err.size()) << r.err;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Contains(err[static_cast<size_t>(i)], "line " + std::to_string(i + 2) + ": ")) << err[i];
        EXPECT_TRUE(Contains(err[static_cast<size_t>(i)], "Error inserting record")) << err[i];
    }
    EXPECT_TRUE(Contains(err[5], "7 records refused")) << err[5];
}

TEST(QdxutilImport, AtMost1024HeadingColumnsAreMapped) {
    Items items;
    // 1023 names of no field, then Name (column 1024, the last one mapped)
    // and Id (column 1025, past the limit: read and ignored).
    std::string heading, values;
    for (int i = 0; i < 1023; ++i) {
        heading += "x" + std::to_string(i) + ",";
        values += ",";
    }
    ToolResult r = items.Import(heading + "Name,Id\n" + values + "Apple,7\n");
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("1 records inserted\n", r.out);
    EXPECT_EQ("Id,Name,Qty\n0,Apple,0\n", items.Dump());
}

TEST(QdxutilImport, MalformedDumpNamesTheOffsetAndTheCount) {
    Items items;
    std::string good(18, '\0');
    good[0] = 9;
    const struct { std::string dump; const char* where; } kCases[] = {
        {"18," + good + "\r\n1x,", "at byte 23"},
        {"18," + good + "\r\n99999999999999999999,", "at byte 23"},
        {"18," + good + "\r\n18,abc", "at byte 23"},
        {"18," + good + "\r\n,", "at byte 23"},
    };
    for (const auto& c : kCases) {
        Items fresh;
        WriteFile(fresh.dir / "in.sav", c.dump);
        ToolResult r = RunQdxutil({"import", "-d", fresh.dir.Path(), "Items", fresh.dir / "in.sav"});
        EXPECT_EQ(1, r.exitCode) << c.where;
        EXPECT_TRUE(Contains(r.err, std::string("Malformed record dump ") + c.where)) << r.err;
        EXPECT_EQ("1 records inserted\n", r.out) << c.where;
    }
}

TEST(QdxutilImport, AnInputThatFailsToReadIsAnErrorNotAnEmptyFile) {
    // A process's memory file opens as a regular file, and its first read fails.
    for (const char* format : {"csv", "sav"}) {
        Items items;
        ToolResult r = RunQdxutil({"import", "-d", items.dir.Path(), "--format", format, "Items", "/proc/self/mem"});
        EXPECT_EQ(1, r.exitCode) << format;
        EXPECT_TRUE(Contains(r.err, "Error reading /proc/self/mem: Input/output error")) << format << ": " << r.err;
        EXPECT_EQ("0 records inserted\n", r.out) << format;
    }
}

TEST(QdxutilImport, EmptyInputsInsertNothingAndEndNormally) {
    const struct { const char* bytes; const char* format; } kCases[] = {
        {"", "csv"}, {"Id,Name\r\n", "csv"}, {"\xEF\xBB\xBF", "csv"}, {"", "sav"},
    };
    for (const auto& c : kCases) {
        Items items;
        WriteFile(items.dir / "in", c.bytes);
        ToolResult r = RunQdxutil({"import", "-d", items.dir.Path(), "--format", c.format, "Items", items.dir / "in"});
        EXPECT_EQ(0, r.exitCode) << c.format << " " << r.err;
        EXPECT_EQ("0 records inserted\n", r.out) << c.format;
        EXPECT_EQ("Id,Name,Qty\n", items.Dump()) << c.format;
    }
}

TEST(QdxutilExport, ViewFileSortRangeFilterAndColumnsApply) {
    Items items;
    ASSERT_EQ(0, items.Import("Id,Name,Qty\n1,a,5\n2,b,0\n3,c,7\n4,d,9\n5,e,1\n").exitCode);
    WriteFile(items.dir / "v.qdx",
              "[QDX v1.0 View File]\nDictionaryName=items\nIndex=0\nFilter=Qty > 2\nRangeMin=2\nRangeMax=4\n\n"
              "[Field:Name]\nEnabled=N\n\n[CalcField:Twice]\nWidth=6\nFormula=Qty * 2\n\n");
    ToolResult r = RunQdxutil({"export", "-d", items.dir.Path(), "--view", items.dir / "v.qdx", "Items"});
    ASSERT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ("Id,Qty,Twice\r\n3,7,14\r\n4,9,18\r\n", r.out);
    ToolResult all = RunQdxutil({"export", "-d", items.dir.Path(), "--view", items.dir / "v.qdx", "--all-records",
                                 "--all-fields", "--no-heading", "Items"});
    EXPECT_EQ(5u, Lines(all.out).size()) << all.out;
    EXPECT_TRUE(Contains(all.out, "2,b,,0\r\n")) << all.out;  // Integer 0 as an empty value

    WriteFile(items.dir / "other.qdx", "[QDX v1.0 View File]\nDictionaryName=Orders\n");
    ToolResult bad = RunQdxutil({"export", "-d", items.dir.Path(), "--view", items.dir / "other.qdx", "Items"});
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_TRUE(Contains(bad.err, "Incompatible view file")) << bad.err;
    EXPECT_TRUE(bad.out.empty());
}

TEST(QdxutilExport, EmptyTableAndUnwritableFile) {
    Items items;
    ToolResult txt = RunQdxutil({"export", "-d", items.dir.Path(), "--format", "txt", "Items"});
    ASSERT_EQ(0, txt.exitCode) << txt.err;
    EXPECT_EQ(2u, Lines(txt.out).size()) << txt.out;  // the heading and its "=" line only
    ToolResult csv = RunQdxutil({"export", "-d", items.dir.Path(), "Items"});
    EXPECT_EQ("Id,Name,Qty\r\n", csv.out);
    ToolResult bad = RunQdxutil({"export", "-d", items.dir.Path(), "-o", items.dir / "no/such/x.csv", "Items"});
    EXPECT_EQ(1, bad.exitCode);
    EXPECT_TRUE(Contains(bad.err, "Error creating export file: " + items.dir / "no/such/x.csv" + ": No such file"))
        << bad.err;
}

TEST(QdxutilExport, DashForTheOutputIsStandardOutput) {
    Items items;
    ASSERT_EQ(0, items.Import("Id,Name,Qty\n1,a,5\n2,b,0\n").exitCode);
    const struct { const char* format; size_t lines; } kCases[] = {{"csv", 3}, {"sav", 2}, {"txt", 4}};
    for (const auto& [format, lines] : kCases) {
        ToolResult plain = RunQdxutil({"export", "-d", items.dir.Path(), "--format", format, "Items"});
        ToolResult dash = RunQdxutil({"export", "-d", items.dir.Path(), "--format", format, "-o", "-", "Items"});
        ASSERT_EQ(0, plain.exitCode) << plain.err;
        ASSERT_EQ(0, dash.exitCode) << dash.err;
        EXPECT_EQ(lines, Lines(plain.out).size()) << format;
        EXPECT_EQ(plain.out, dash.out) << format;
    }
}

TEST(QdxutilExport, UsageErrors) {
    const std::vector<std::vector<std::string>> kCases = {
        {"export"}, {"export", "--format", "xml", "T"}, {"export", "a", "b"},
        {"import", "T"}, {"import", "--format", "txt", "T", "f"}, {"import", "--bogus", "T", "f"},
    };
    for (const auto& args : kCases) {
        ToolResult r = RunQdxutil(args);
        EXPECT_EQ(2, r.exitCode) << args.size();
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(0, RunQdxutil({"export", "--help"}).exitCode);
    EXPECT_EQ(0, RunQdxutil({"import", "--help"}).exitCode);
}

}  // namespace
