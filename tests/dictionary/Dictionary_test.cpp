#include "dictionary/Dictionary.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryLayout.h"
#include "dictionary/DictionaryMessages.h"
#include "dictionary/DictionaryWriter.h"
#include "dictionary/Schema.h"
#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"

namespace {

using apptest::ScratchDir;

const char kSchema[] = R"(
table Orders location orders.dat
  field OrderNo Integer 4
  field "Order Date" Date
  field Code String 6
  field Amount Decimal 5 2
  field Memo Note 200
  index 0 : OrderNo
  index 1 duplicates : Code case-insensitive, "Order Date" descending
table Bare location bare.dat
  field A Integer 2
table Overlay location overlay.dat
  field B Integer 2 at 4
  field P Decimal 4 2 at 0
  field Q Decimal 4 1 at 0
table Keys location keys.dat
  field K1 Integer 2
  field K2 String 4
  field K3 Integer 4
  field K4 Date
)";

// Restores the working directory and DDFPATH, and closes the dictionary.
class DictionaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::UseRealEngine();
        char cwd[4096];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        savedCwd = cwd;
        const char* ddfpath = std::getenv("DDFPATH");
        hadDdfPath = ddfpath != nullptr;
        if (hadDdfPath) savedDdfPath = ddfpath;
        unsetenv("DDFPATH");
    }
    void TearDown() override {
        closeDictionary();
        ASSERT_EQ(0, chdir(savedCwd.c_str()));
        if (hadDdfPath) setenv("DDFPATH", savedDdfPath.c_str(), 1);
    }

    // Defines kSchema (or text) in dir.
    void Define(const std::string& dir, const char* text = kSchema) {
        Schema schema;
        SchemaError error;
        ASSERT_TRUE(ParseSchema(text, schema, error)) << error.line << ": " << error.message.Text();
        Estring message;
        ASSERT_TRUE(DefineDatabase(Estring(dir), schema, DefineOptions(), message)) << message.Text();
    }

    void Open(const std::string& dir) {
        Estring path(dir);
        ASSERT_TRUE(openDictionary(path, nullptr)) << dir;
    }

    // The table's file.ddf record.
    std::vector<uint8_t> TableRecord(const char* name) {
        std::vector<uint8_t> record(ddf::kFileRecordLength, 0);
        uint8_t key[256] = {};
        BtrieveFile& files = FileDictionary();
        files.setDataLength(ddf::kFileRecordLength);
        for (int s = files.getFirst(key, record.data(), 0); s == 0; s = files.getNext(key, record.data(), 0))
            if (ddf::DecodeFileRecord(record.data()).tableName == name) return record;
        ADD_FAILURE() << "no table " << name;
        return record;
    }

    std::string savedCwd, savedDdfPath;
    bool hadDdfPath = false;
};

struct Reported {
    std::vector<std::string> lines;
    DictionaryReport Sink() {
        return [this](const Estring& a, const Estring& b) {
            lines.push_back(a.ToStdString());
            lines.push_back(b.ToStdString());
        };
    }
};

TEST_F(DictionaryTest, ThirdSearchElementFindsSiblingDdfDirectory) {
    ScratchDir root;
    Define(root / "ddf");
    std::filesystem::create_directories(root / "work");
    ASSERT_EQ(0, chdir((root / "work").c_str()));
    Estring path;
    ASSERT_TRUE(openDictionary(path, nullptr));
    EXPECT_EQ("../ddf/", path.ToStdString());
    EXPECT_EQ("../ddf/file.ddf", FileDictionary().fileName().ToStdString());
    EXPECT_TRUE(FieldDictionary().isOpen());
    EXPECT_TRUE(IndexDictionary().isOpen());
}

TEST_F(DictionaryTest, SearchListTakesSemicolonsColonsAndBackslashes) {
    ScratchDir root;
    Define(root / "ddf");
    for (const std::string& list : {"nowhere;" + root.Path() + "\\ddf", "nowhere:" + root.Path() + "/ddf/"}) {
        setenv("DDFPATH", list.c_str(), 1);
        Estring path;
        ASSERT_TRUE(openDictionary(path, nullptr)) << list;
        EXPECT_EQ(root / "ddf/", path.ToStdString()) << list;
        closeDictionary();
    }
}

TEST_F(DictionaryTest, NamedDirectoryWithoutDictionaryFailsWith12AndKeepsThePath) {
    ScratchDir root;
    Define(root / "ddf");
    ASSERT_EQ(0, chdir((root / "ddf").c_str()));  // the search list would find this one
    Estring path((root / "empty").c_str());
    int prompts = 0, seenStatus = 0;
    std::string seenPath;
    bool opened = openDictionary(path, [&](int status, Estring& p) {
        ++prompts;
        seenStatus = status;
        seenPath = p.ToStdString();
        return false;
    });
    EXPECT_FALSE(opened);
    EXPECT_EQ(1, prompts);
    EXPECT_EQ(12, seenStatus);
    EXPECT_EQ(root / "empty", seenPath);
    EXPECT_EQ(root / "empty", path.ToStdString());
    EXPECT_FALSE(FileDictionary().isOpen());
}

TEST_F(DictionaryTest, PromptRetriesWithTheEditedPath) {
    ScratchDir root;
    Define(root / "ddf");
    Estring path((root / "empty").c_str());
    int prompts = 0;
    ASSERT_TRUE(openDictionary(path, [&](int, Estring& p) {
        ++prompts;
        p = Estring((root / "ddf").c_str());
        return true;
    }));
    EXPECT_EQ(1, prompts);
    EXPECT_EQ(root / "ddf/file.ddf", FileDictionary().fileName().ToStdString());
}

TEST_F(DictionaryTest, FieldsAndIndexesFromTheIndexDictionary) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    Reported reported;
    DictionaryDef def(TableRecord("Orders").data(), Estring((root / "orders.dat").c_str()), nullptr, reported.Sink());
    ASSERT_TRUE(def.valid);
    EXPECT_TRUE(reported.lines.empty());
    EXPECT_EQ("Orders", def.tableName.ToStdString());
    EXPECT_EQ(4, def.tableId);
    ASSERT_EQ(5, def.Count());
    const char* names[] = {"OrderNo", "Order_Date", "Code", "Amount", "Memo"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(names[i], def.Get(i)->name.ToStdString());
    EXPECT_EQ(19, def.recordEnd);  // the Note is not part of the fixed record
    EXPECT_EQ(2, def.Get(3)->decimals);
    EXPECT_EQ(1, def.highestIndexNumber);
    EXPECT_EQ(3, def.segmentCount);
    ASSERT_EQ(1, def.index(0).Count());
    ASSERT_EQ(2, def.index(1).Count());
    const FieldAttributes* code = def.index(1).Get(0);
    const FieldAttributes* date = def.index(1).Get(1);
    EXPECT_EQ("Code", code->name.ToStdString());
    EXPECT_EQ(0, code->offset);
    EXPECT_EQ(8, code->dictionaryOffset);
    EXPECT_EQ(0x0100 | 0x0001 | 0x0010 | 0x0400, code->flags);  // 0x20 in index.ddf becomes 0x400
    EXPECT_EQ(6, date->offset);  // offset in the key: after the first segment
    EXPECT_EQ(4, date->dictionaryOffset);
    EXPECT_EQ(0x0100 | 0x0001 | 0x0040, date->flags);
    for (int n = 2; n < DictionaryDef::kMaxIndexes; ++n) EXPECT_EQ(0, def.index(n).Count());
}

TEST_F(DictionaryTest, FieldsComeInOrderOfOffsetThenDecimals) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    DictionaryDef def(TableRecord("Overlay").data(), Estring("overlay.dat"), nullptr, Reported().Sink());
    ASSERT_EQ(3, def.Count());
    EXPECT_EQ("Q", def.Get(0)->name.ToStdString());
    EXPECT_EQ("P", def.Get(1)->name.ToStdString());
    EXPECT_EQ("B", def.Get(2)->name.ToStdString());
    EXPECT_EQ(6, def.recordEnd);
}

// Indexes from an open file's specification and from index.ddf agree.
void ExpectSameIndexes(const DictionaryDef& fromDictionary, const DictionaryDef& fromFile, const std::string& table) {
    EXPECT_EQ(fromDictionary.highestIndexNumber, fromFile.highestIndexNumber) << table;
    EXPECT_EQ(fromDictionary.segmentCount, fromFile.segmentCount) << table;
    for (int n = 0; n < DictionaryDef::kMaxIndexes; ++n) {
        ASSERT_EQ(fromDictionary.index(n).Count(), fromFile.index(n).Count()) << table << " index " << n;
        for (int s = 0; s < fromFile.index(n).Count(); ++s) {
            const FieldAttributes* a = fromDictionary.index(n).Get(s);
            const FieldAttributes* b = fromFile.index(n).Get(s);
            std::string where = table + " index " + std::to_string(n) + " segment " + std::to_string(s);
            EXPECT_EQ(a->id, b->id) << where;
            EXPECT_EQ(a->offset, b->offset) << where;
            EXPECT_EQ(a->dictionaryOffset, b->dictionaryOffset) << where;
            EXPECT_EQ(a->length, b->length) << where;
            EXPECT_EQ(a->flags, b->flags) << where;
            EXPECT_EQ(a->type, b->type) << where;
        }
    }
}

TEST_F(DictionaryTest, IndexesFromStatMatchIndexesFromIndexDictionary) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    for (const char* table : {"Orders", "Bare", "DDF Files", "DDF Fields", "DDF Indexes"}) {
        std::vector<uint8_t> record = TableRecord(table);
        Estring path(root.Path().c_str());
        path += "/";
        path += ddf::DecodeFileRecord(record.data()).location;
        DictionaryDef fromDictionary(record.data(), path, nullptr, Reported().Sink());
        BtrieveFile file;
        ASSERT_EQ(0, file.open(path)) << table;
        DictionaryDef fromFile(record.data(), path, &file, Reported().Sink());
        ASSERT_TRUE(fromDictionary.valid && fromFile.valid) << table;
        ExpectSameIndexes(fromDictionary, fromFile, table);
    }
}

TEST_F(DictionaryTest, IndexesFromStatMatchForEveryDemoTable) {
    ScratchDir root;
    apptest::ToolResult demo = apptest::RunQdxutil({"demo", root.Path()});
    ASSERT_EQ(0, demo.exitCode) << demo.err;
    Open(root.Path());
    int tables = 0;
    std::vector<uint8_t> record(ddf::kFileRecordLength, 0);
    uint8_t key[256] = {};
    std::vector<std::vector<uint8_t>> records;
    FileDictionary().setDataLength(ddf::kFileRecordLength);
    for (int s = FileDictionary().getFirst(key, record.data(), 0); s == 0;
         s = FileDictionary().getNext(key, record.data(), 0))
        records.push_back(record);
    for (const std::vector<uint8_t>& r : records) {
        ddf::FileRecord table = ddf::DecodeFileRecord(r.data());
        if (table.tableName == "Suppliers") continue;  // listed without a file
        Estring path = TableFilePath(Estring(root.Path()), table.location);
        DictionaryDef fromDictionary(r.data(), path, nullptr, Reported().Sink());
        BtrieveFile file;
        Estring open = table.tableName == "Payroll" ? path + "+paydesk" : path;
        ASSERT_EQ(0, file.open(open)) << table.tableName.Text();
        DictionaryDef fromFile(r.data(), path, &file, Reported().Sink());
        ASSERT_TRUE(fromDictionary.valid && fromFile.valid) << table.tableName.Text();
        EXPECT_GE(fromFile.highestIndexNumber, 0) << table.tableName.Text();
        ExpectSameIndexes(fromDictionary, fromFile, table.tableName.ToStdString());
        ++tables;
    }
    EXPECT_EQ(9, tables);  // six business tables with files and the dictionary's three
}

// One segment entry of an engine file specification (Stat buffer).
struct StatEntry {
    int position;  // 1-based
    uint16_t flags;
    int keyNumber;
    int collating;
};

std::vector<uint8_t> Specification(int keyCount, const std::vector<StatEntry>& entries) {
    std::vector<uint8_t> stat(DictionaryDef::kStatBufferSize, 0);
    stat[4] = static_cast<uint8_t>(keyCount);
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* e = &stat[16 + 16 * i];
        le::PutU16(e, static_cast<uint16_t>(entries[i].position));
        le::PutU16(e + 4, entries[i].flags);
        e[14] = static_cast<uint8_t>(entries[i].keyNumber);
        e[15] = static_cast<uint8_t>(entries[i].collating);
    }
    return stat;
}

// Table Keys: K1 Integer 2 at 0, K2 String 4 at 2, K3 Integer 4 at 6, K4 Date at 10.
TEST_F(DictionaryTest, IndexesFromAFileSpecification) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    Reported reported;
    DictionaryDef def(TableRecord("Keys").data(), Estring("keys.dat"), nullptr, reported.Sink());
    ASSERT_TRUE(def.valid);
    ASSERT_EQ(-1, def.highestIndexNumber);

    // Key-number bytes left 0: the keys are numbered 0, 1, 2 in order.
    std::vector<uint8_t> stat = Specification(3, {{1, 0x0100, 0, 0},
                                                  {3, 0x0100 | 0x0010 | 0x0400, 0, 7},
                                                  {7, 0x0100 | 0x0001, 0, 0},
                                                  {11, 0x0100 | 0x0040, 0, 0}});
    ASSERT_TRUE(def.readIndexesFromSpecification(stat.data()));
    EXPECT_EQ(2, def.highestIndexNumber);
    EXPECT_EQ(4, def.segmentCount);
    ASSERT_EQ(1, def.index(0).Count());
    ASSERT_EQ(2, def.index(1).Count());
    ASSERT_EQ(1, def.index(2).Count());
    EXPECT_EQ("K1", def.index(0).Get(0)->name.ToStdString());
    const FieldAttributes* k2 = def.index(1).Get(0);
    const FieldAttributes* k3 = def.index(1).Get(1);
    EXPECT_EQ("K2", k2->name.ToStdString());
    EXPECT_EQ(0x0100 | 0x0010 | 0x0400, k2->flags);
    EXPECT_EQ(7, k2->collatingNumber);
    EXPECT_EQ("K3", k3->name.ToStdString());
    EXPECT_EQ(4, k3->offset);  // after K2 in the key
    EXPECT_EQ(6, k3->dictionaryOffset);
    EXPECT_EQ("K4", def.index(2).Get(0)->name.ToStdString());
    EXPECT_EQ(0x0100 | 0x0040, def.index(2).Get(0)->flags);

    // Read again: replaced, not added to. A key-number byte above the count
    // so far is taken; the key count ends the walk.
    stat = Specification(2, {{1, 0x0100, 0, 0}, {11, 0x0100, 3, 0}, {3, 0x0100, 4, 0}});
    ASSERT_TRUE(def.readIndexesFromSpecification(stat.data()));
    EXPECT_EQ(3, def.highestIndexNumber);
    EXPECT_EQ(2, def.segmentCount);
    EXPECT_EQ(1, def.index(0).Count());
    EXPECT_EQ(0, def.index(1).Count());
    EXPECT_EQ(0, def.index(2).Count());
    ASSERT_EQ(1, def.index(3).Count());
    EXPECT_EQ("K4", def.index(3).Get(0)->name.ToStdString());
    EXPECT_EQ(0, def.index(4).Count());

    // A key whose segments never end stops after 119 entries.
    std::vector<StatEntry> endless(130, StatEntry{1, 0x0100 | 0x0010, 0, 0});
    stat = Specification(1, endless);
    ASSERT_TRUE(def.readIndexesFromSpecification(stat.data()));
    EXPECT_EQ(119, def.index(0).Count());
    EXPECT_EQ(119, def.segmentCount);
    EXPECT_TRUE(reported.lines.empty());

    // No field at the position; a key number past 118.
    stat = Specification(2, {{1, 0x0100, 0, 0}, {2, 0x0100, 1, 0}});
    EXPECT_FALSE(def.readIndexesFromSpecification(stat.data()));
    EXPECT_EQ((std::vector<std::string>{"Error loading index 1", "Field not defined in dictionary"}), reported.lines);
    reported.lines.clear();
    stat = Specification(2, {{1, 0x0100, 0, 0}, {3, 0x0100, 119, 0}});
    EXPECT_FALSE(def.readIndexesFromSpecification(stat.data()));
    EXPECT_EQ((std::vector<std::string>{"Index number too large", "Limit is 118"}), reported.lines);
}

TEST_F(DictionaryTest, TableWithoutIndexRecordsHasHighestIndexNumberMinusOne) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    std::vector<uint8_t> record = TableRecord("Bare");
    DictionaryDef fromDictionary(record.data(), Estring("bare.dat"), nullptr, Reported().Sink());
    EXPECT_TRUE(fromDictionary.valid);
    EXPECT_EQ(-1, fromDictionary.highestIndexNumber);
    BtrieveFile file;
    ASSERT_EQ(0, file.open(Estring((root / "bare.dat").c_str())));
    DictionaryDef fromFile(record.data(), Estring("bare.dat"), &file, Reported().Sink());
    EXPECT_TRUE(fromFile.valid);
    EXPECT_EQ(-1, fromFile.highestIndexNumber);
    for (int n = 0; n < DictionaryDef::kMaxIndexes; ++n) EXPECT_EQ(0, fromFile.index(n).Count());
}

TEST_F(DictionaryTest, FieldOfSizeZeroIsNotPartOfTheTable) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    uint8_t field[ddf::kFieldRecordLength];
    ddf::EncodeFieldRecord(ddf::FieldRecord{999, 4, Estring("Ghost"), 0, 2, 0, 0, 0}, field);
    FieldDictionary().setDataLength(ddf::kFieldRecordLength);
    ASSERT_EQ(0, FieldDictionary().insertRecord(field));
    DictionaryDef def(TableRecord("Orders").data(), Estring("orders.dat"), nullptr, Reported().Sink());
    EXPECT_TRUE(def.valid);
    EXPECT_EQ(5, def.Count());
    EXPECT_EQ(nullptr, def.FindById(999));
    EXPECT_EQ(nullptr, def.Find("Ghost"));
}

// Deletes the field.ddf record of table 4's field named name.
void DeleteField(const char* name) {
    BtrieveFile& fields = FieldDictionary();
    uint8_t record[ddf::kFieldRecordLength];
    uint8_t key[256] = {};
    fields.setDataLength(ddf::kFieldRecordLength);
    for (int s = fields.getFirst(key, record, 0); s == 0; s = fields.getNext(key, record, 0)) {
        ddf::FieldRecord f = ddf::DecodeFieldRecord(record);
        if (f.tableId == 4 && f.name == name) {
            ASSERT_EQ(0, fields.deleteRecord(0));
            return;
        }
    }
    FAIL() << "no field " << name;
}

TEST_F(DictionaryTest, IndexOnAMissingField) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    DeleteField("Code");
    std::vector<uint8_t> record = TableRecord("Orders");

    // index.ddf: the segment is skipped without a message.
    Reported quiet;
    DictionaryDef fromDictionary(record.data(), Estring("orders.dat"), nullptr, quiet.Sink());
    EXPECT_TRUE(fromDictionary.valid);
    EXPECT_TRUE(quiet.lines.empty());
    ASSERT_EQ(1, fromDictionary.index(1).Count());
    EXPECT_EQ("Order_Date", fromDictionary.index(1).Get(0)->name.ToStdString());
    EXPECT_EQ(0, fromDictionary.index(1).Get(0)->offset);

    // The file's own specification: the key names a position no field has.
    BtrieveFile file;
    ASSERT_EQ(0, file.open(Estring((root / "orders.dat").c_str())));
    Reported loud;
    DictionaryDef fromFile(record.data(), Estring("orders.dat"), &file, loud.Sink());
    EXPECT_FALSE(fromFile.valid);
    ASSERT_EQ(2u, loud.lines.size());
    EXPECT_EQ("Error loading index 1", loud.lines[0]);
    EXPECT_EQ("Field not defined in dictionary", loud.lines[1]);
}

TEST_F(DictionaryTest, IndexNumberAbove118IsRefused) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    uint8_t index[ddf::kIndexRecordLength];
    ddf::EncodeIndexRecord(ddf::IndexRecord{4, 1, 119, 0, 0x0100}, index);
    IndexDictionary().setDataLength(ddf::kIndexRecordLength);
    ASSERT_EQ(0, IndexDictionary().insertRecord(index));
    Reported reported;
    DictionaryDef def(TableRecord("Orders").data(), Estring("orders.dat"), nullptr, reported.Sink());
    EXPECT_FALSE(def.valid);
    ASSERT_EQ(2u, reported.lines.size());
    EXPECT_EQ("Index number too large", reported.lines[0]);
    EXPECT_EQ("Limit is 118", reported.lines[1]);
}

TEST_F(DictionaryTest, FieldDictionaryFailureIsReported) {
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    std::vector<uint8_t> record = TableRecord("Orders");
    FieldDictionary().close();
    Reported reported;
    DictionaryDef def(record.data(), Estring("orders.dat"), nullptr, reported.Sink());
    EXPECT_FALSE(def.valid);
    ASSERT_EQ(2u, reported.lines.size());
    EXPECT_EQ(statusText(3).ToStdString(), reported.lines[0]);
    EXPECT_EQ("reading field list from field.ddf", reported.lines[1]);
}

// Without a report of its own, a definition tells the installed message sink
// (the program's message box); with none installed, nothing is shown.
TEST_F(DictionaryTest, WithoutAReportFailuresGoToTheInstalledMessages) {
    struct Sink : DictionaryMessages {
        void Show(const Estring& first, const Estring& second) override {
            lines.push_back(first.ToStdString());
            lines.push_back(second.ToStdString());
        }
        std::vector<std::string> lines;
    } sink;
    ScratchDir root;
    Define(root.Path());
    Open(root.Path());
    std::vector<uint8_t> record = TableRecord("Orders");
    FieldDictionary().close();
    {
        DictionaryDef quiet(record.data(), Estring("orders.dat"), nullptr);
        EXPECT_FALSE(quiet.valid);
    }
    InstallDictionaryMessages(&sink);
    DictionaryDef def(record.data(), Estring("orders.dat"), nullptr);
    InstallDictionaryMessages(nullptr);
    EXPECT_FALSE(def.valid);
    EXPECT_EQ((std::vector<std::string>{statusText(3).ToStdString(), "reading field list from field.ddf"}), sink.lines);
    Reported reported;  // a report of its own wins over the sink
    InstallDictionaryMessages(&sink);
    DictionaryDef reportedDef(record.data(), Estring("orders.dat"), nullptr, reported.Sink());
    InstallDictionaryMessages(nullptr);
    EXPECT_EQ(2u, sink.lines.size());
    EXPECT_EQ(2u, reported.lines.size());
}

}  // namespace
