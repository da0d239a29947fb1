// The browser's export and import over the demo database, every table, and
// against qdxutil: Alt-E as SAV, Alt-Y, Alt-I back gives the records byte for
// byte; the same through CSV gives every field's text back and every record
// its length; Alt-E and qdxutil export write the same bytes, also for a
// saved view with a sort, a range, a filter, a join and a calculated field
// given with --view.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "btrieve/BtrieveFile.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryLayout.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"
#include "viewer/SortRestrict.h"

namespace {

using apptest::ReadFile;
using apptest::RunQdxutil;
using apptest::ToolResult;

struct DemoTable {
    const char* name;
    const char* base;  // the data file without ".dat": the name the dialogs offer
    const char* owner;
};
const DemoTable kTables[] = {{"Customers", "customers", ""}, {"Products", "products", ""},
                             {"Orders", "orders", ""},       {"Order Lines", "orderlin", ""},
                             {"Notes", "notes", ""},         {"Payroll", "payroll", "paydesk"}};

std::vector<uint8_t> TableRecord(const std::string& name) {
    std::vector<uint8_t> record(ddf::kFileRecordLength, 0);
    uint8_t key[256] = {};
    BtrieveFile& files = FileDictionary();
    files.setDataLength(ddf::kFileRecordLength);
    for (int s = files.getFirst(key, record.data(), 0); s == 0; s = files.getNext(key, record.data(), 0)) {
        if (ddf::DecodeFileRecord(record.data()).tableName == name.c_str()) return record;
        files.setDataLength(ddf::kFileRecordLength);
    }
    ADD_FAILURE() << "no table " << name;
    return record;
}

// Raw records in key-0 order, straight from the engine.
std::vector<std::string> EngineRecords(BtrieveFile& file) {
    std::vector<std::string> records;
    std::vector<uint8_t> buffer(32768);
    uint8_t key[256] = {};
    file.setDataLength(32768);
    for (int s = file.getFirst(key, buffer.data(), 0); s == 0; s = file.getNext(key, buffer.data(), 0)) {
        records.emplace_back(reinterpret_cast<const char*>(buffer.data()), file.dataLength());
        file.setDataLength(32768);
    }
    return records;
}

// Every record as the codec reads it (each field's plain text), sorted.
std::vector<std::string> RecordTexts(const FieldList& fields, const std::vector<std::string>& records) {
    std::vector<std::string> texts;
    for (const std::string& r : records) {
        std::string line;
        for (int i = 0; i < fields.Count(); ++i) {
            line += FieldToText(*fields.Get(i), reinterpret_cast<const uint8_t*>(r.data()),
                                static_cast<int>(r.size()), false)
                        .ToStdString();
            line += '|';
        }
        texts.push_back(line);
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

class InterchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::UseRealEngine();
        ASSERT_EQ(0, RunQdxutil({"demo", demo}).exitCode);
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        savedCwd = cwd;
        ASSERT_EQ(0, chdir(demo.c_str()));
        Estring path(demo.c_str());
        ASSERT_TRUE(openDictionary(path, nullptr));
    }
    void TearDown() override {
        viewer.reset();
        definition.reset();
        file.close();
        closeDictionary();
        ASSERT_EQ(0, chdir(savedCwd.c_str()));
    }

    void Open(const DemoTable& t) {
        viewer.reset();
        definition.reset();
        file.close();
        tableRecord = TableRecord(t.name);
        const std::string path = std::string(t.base) + ".dat";
        const std::string name = *t.owner ? path + "+" + t.owner : path;
        ASSERT_EQ(0, file.open(Estring(name.c_str()))) << t.name;
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring(path.c_str()), &file);
        ASSERT_TRUE(definition->valid) << t.name;
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);
    }

    // Runs the viewer over the keys pushed; true when they were used up exactly.
    bool Run() {
        const int dry = keys.DryReads();
        const int key = viewer->run(nullptr);
        return key == kKeyEsc && keys.Remaining() == 0 && keys.DryReads() == dry + 1;
    }

    void Keys(std::initializer_list<int> codes) {
        for (int k : codes) keys.PushKey(k);
    }

    // Alt-Y and OK: the file is emptied.
    void Empty(const DemoTable& t) {
        Keys({kKeyAltY, kKeyEnter});
        ASSERT_TRUE(Run()) << t.name;
        ASSERT_TRUE(EngineRecords(file).empty()) << t.name;
    }

    // Alt-I, the name typed over the one offered, the format key, Import.
    void Import(const std::string& name, int formatKey) {
        keys.PushKey(kKeyAltI);
        keys.PushText(name.c_str());
        if (formatKey) keys.PushKey(formatKey);
        keys.PushKey(kKeyEnter);
    }

    std::vector<std::string> Qdxutil(const DemoTable& t, std::vector<std::string> args) {
        args.insert(args.begin(), {"export", "-d", demo});
        if (*t.owner) args.insert(args.end(), {"--owner", t.owner});
        args.push_back(t.name);
        return args;
    }

    apptest::ScratchDir dir;
    const std::string demo = dir / "demo";
    std::string savedCwd;
    MemoryDisplay screen{80, 25};
    ScriptedInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

TEST_F(InterchangeTest, EveryDemoTableRoundTripsThroughTheBrowsersSavAndCsv) {
    for (const DemoTable& t : kTables) {
        Open(t);
        const std::vector<std::string> original = EngineRecords(file);
        ASSERT_GT(original.size(), 3u) << t.name;
        const std::string sav = std::string(t.base) + ".sav", csv = std::string(t.base) + ".csv";

        Keys({kKeyAltE, kKeyAltS, kKeyEnter});
        ASSERT_TRUE(Run()) << t.name;
        ToolResult tool = RunQdxutil(Qdxutil(t, {"--format", "sav"}));
        ASSERT_EQ(0, tool.exitCode) << tool.err;
        EXPECT_EQ(tool.out, ReadFile(demo + "/" + sav)) << t.name << ": Alt-E and qdxutil export differ";
        Empty(t);
        Import(sav, kKeyAltS);
        ASSERT_TRUE(Run()) << t.name;
        EXPECT_TRUE(EngineRecords(file) == original) << t.name << ": the SAV import is not the original";

        Keys({kKeyAltE, kKeyEnter});
        ASSERT_TRUE(Run()) << t.name;
        tool = RunQdxutil(Qdxutil(t, {}));
        ASSERT_EQ(0, tool.exitCode) << tool.err;
        EXPECT_EQ(tool.out, ReadFile(demo + "/" + csv)) << t.name << ": Alt-E and qdxutil export differ";
        Empty(t);
        Import(csv, 0);
        ASSERT_TRUE(Run()) << t.name;
        const std::vector<std::string> back = EngineRecords(file);
        EXPECT_EQ(original.size(), back.size()) << t.name;
        EXPECT_EQ(RecordTexts(*definition, original), RecordTexts(*definition, back)) << t.name;
        // Each record, in key order, comes back as long as it was: for Notes
        // the Note's text and its terminating zero, whatever the text's length.
        std::set<size_t> lengths;
        for (size_t i = 0; i < original.size() && i < back.size(); ++i) {
            EXPECT_EQ(original[i].size(), back[i].size()) << t.name << " record " << i;
            lengths.insert(original[i].size());
        }
        if (std::string(t.name) == "Notes") {
            EXPECT_GT(lengths.size(), 10u) << "the notes differ in length";
        }
    }
}

TEST_F(InterchangeTest, SavedViewExportsTheSameThroughTheBrowserAndQdxutil) {
    const DemoTable& orders = kTables[2];
    Open(orders);
    // Index 1 (CustomerId, Order Date descending) from customer 20 to 60, a
    // filter, Status narrowed, Paid hidden, a calculated column and the
    // customer's name through a join.
    viewer->setKeyNumber(1);
    bool active = false;
    Estring bad;
    ASSERT_TRUE(BuildRange(*definition, 1, {Estring("20")}, {Estring("60")}, viewer->rangeFrom, viewer->rangeTo,
                           active, bad))
        << bad.c_str();
    viewer->rangeActive = active ? 1 : 0;
    viewer->setFilter("Priority > 1");
    viewer->fields.Find("Status")->width = -6;
    viewer->fields.Find("Paid")->selected = false;
    viewer->fields.Add(FieldAttributes::Calculated(Estring("Twice"), 12, Estring("Total * 2"), 2));
    JoinDescription join;
    join.name = "Buyer";
    join.dictionaryName = "Customers";
    join.location = "customers.dat";
    join.index = 0;
    join.values = {Estring("CustomerId")};
    ASSERT_TRUE(viewer->joins->AddJoin(join, viewer->fields));
    viewer->fields.Find("Buyer.Name")->selected = true;
    viewer->redrawGrid();

    Keys({kKeyF2, kKeyEnter});
    ASSERT_TRUE(Run());
    const std::string view = ReadFile(demo + "/orders.qdx");
    ASSERT_NE(std::string::npos, view.find("[Join:Buyer]")) << view;
    // qdxutil runs elsewhere: the join's file is found beside the dictionary.
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    const struct {
        std::vector<int> dialogKeys;
        const char* file;
        std::vector<std::string> args;
    } kCases[] = {
        {{kKeyAltF, kKeyAltH}, "orders.csv", {"--all-fields", "--no-heading"}},
        {{kKeyAltT}, "orders.txt", {"--format", "txt"}},
        {{}, "orders.csv", {}},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(0, chdir(demo.c_str()));
        keys.PushKey(kKeyAltE);
        for (int k : c.dialogKeys) keys.PushKey(k);
        keys.PushKey(kKeyEnter);
        ASSERT_TRUE(Run()) << c.file;
        ASSERT_EQ(0, chdir(dir.Path().c_str()));
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--view", demo + "/orders.qdx"});
        ToolResult tool = RunQdxutil(Qdxutil(orders, args));
        ASSERT_EQ(0, tool.exitCode) << tool.err;
        const std::string browser = ReadFile(demo + "/" + c.file);
        EXPECT_EQ(tool.out, browser) << c.file;
        const auto lines = std::count(browser.begin(), browser.end(), '\n');
        EXPECT_GT(lines, 3) << browser;
        EXPECT_LT(lines, static_cast<long>(EngineRecords(file).size())) << "the range and the filter apply";
    }
    ASSERT_EQ(0, chdir(demo.c_str()));
    // The joined name is the last column, and every order's customer has one.
    const std::vector<std::string> rows = apptest::Lines(ReadFile(demo + "/orders.csv"));
    ASSERT_GT(rows.size(), 1u);
    EXPECT_EQ("OrderNo,CustomerId,Order_Date,Order_Time,Status,Priority,Total,Twice,Buyer.Name", rows[0].substr(0, rows[0].size() - 1));
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        EXPECT_NE(',', row[row.size() - 2]) << "no joined name in " << row;
    }
}

}  // namespace
