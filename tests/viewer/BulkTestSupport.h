#pragma once
// Shared by the bulk operation tests: a Stock table of numeric fields of
// every kind, records made through the codec, the records read back
// straight from the engine, a BulkControl that answers from a script, and a
// fixture with a viewer over the file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ViewerTestSupport.h"
#include "btrieve/EngineTransaction.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryWriter.h"
#include "dictionary/Schema.h"
#include "fields/FieldCodec.h"
#include "fields/Variant.h"
#include "viewer/BulkOperations.h"
#include "viewer/FileViewer.h"
#include "viewer/SortRestrict.h"

namespace bulktest {

constexpr const char* kStockSchema = R"(
table Stock location stock.dat
  field Id Integer 4
  field Grp Integer 2
  field Price Decimal 6 2
  field Weight Float 8
  field Cost Currency
  field Legacy Money 8
  field Name String 12
  index 0 : Id
  index 1 duplicates modifiable : Price
  index 2 duplicates modifiable : Grp, Id descending

table Memo location memo.dat
  field Id Integer 4
  field Text Note 300
  index 0 : Id
)";

// The values of record id.
struct Item {
    int id;
    int grp;
    long long priceCents;  // multiples of ten, so that * 1.1 stays exact in cents
    double weight;
    long long costUnits;  // ten-thousandths
};

inline Item ItemOf(int id) {
    return Item{id, (id * 7) % 10, ((id * 37) % 1000) * 10 + 10, id * 0.25, id * 12345LL % 1000000};
}

// A scripted user: stops after stopAt records (asking ConfirmStop), answers
// refusals with goOn.
class ScriptedControl : public BulkControl {
public:
    void Counted(long long count) override {
        lastCount = count;
        ++records;
    }
    bool StopRequested() override { return records == stopAt; }
    bool ConfirmStop() override {
        ++stopQuestions;
        return confirm;
    }
    bool WriteRefused(const Estring& words, int status) override {
        ++refusals;
        refusedWords = words;
        refusedStatus = status;
        return goOn;
    }

    long long stopAt = -1;
    bool confirm = true;
    bool goOn = true;
    long long lastCount = 0;
    long long records = 0;
    int stopQuestions = 0;
    int refusals = 0;
    int refusedStatus = 0;
    Estring refusedWords;
};

class StockDatabase : public viewertest::GridDatabase {
public:
    StockDatabase() : GridDatabase(kStockSchema) {}
};

inline void SetField(const FieldList& fields, const char* name, uint8_t* record, int length, const std::string& text) {
    const FieldAttributes* field = fields.Find(name);
    ASSERT_NE(nullptr, field) << name;
    ASSERT_TRUE(FieldFromText(*field, record, length, text)) << name << " " << text;
}

inline std::vector<uint8_t> StockRecord(const FieldList& fields, int length, const Item& item) {
    std::vector<uint8_t> record(static_cast<size_t>(length), 0);
    uint8_t* r = record.data();
    SetField(fields, "Id", r, length, std::to_string(item.id));
    SetField(fields, "Grp", r, length, std::to_string(item.grp));
    char text[64];
    std::snprintf(text, sizeof text, "%lld.%02lld", item.priceCents / 100, item.priceCents % 100);
    SetField(fields, "Price", r, length, text);
    std::snprintf(text, sizeof text, "%.2f", item.weight);
    SetField(fields, "Weight", r, length, text);
    std::snprintf(text, sizeof text, "%lld.%04lld", item.costUnits / 10000, item.costUnits % 10000);
    SetField(fields, "Cost", r, length, text);
    for (int i = 0; i < 8; ++i) r[28 + i] = static_cast<uint8_t>(item.id + i);  // Money: bytes only
    SetField(fields, "Name", r, length, "N" + std::to_string(item.id));
    return record;
}

// The value of a field of a record as a real (fields of the definition).
inline long double ValueOf(const FieldList& fields, const char* name, const std::vector<uint8_t>& record) {
    Variant value;
    const FieldAttributes* field = fields.Find(name);
    if (field == nullptr || !FieldToVariant(*field, record.data(), static_cast<int>(record.size()), value)) return NAN;
    return value.AsReal();
}

// Every record by id, read through a handle of its own.
inline std::map<int, std::vector<uint8_t>> EngineRecords(const char* path) {
    std::map<int, std::vector<uint8_t>> records;
    BtrieveFile file;
    if (file.open(path) != 0) return records;
    const uint16_t length = file.dataLength();
    std::vector<uint8_t> record(length);
    uint8_t key[256] = {};
    file.setDataLength(length);
    for (int s = file.stepFirst(record.data(), key); s == 0; s = file.stepNext(record.data(), key)) {
        records[static_cast<int>(le::GetU32(record.data()))] = record;
        file.setDataLength(length);
    }
    return records;
}

// A Stock file of count records (ids 0 .. count-1 inserted in a scrambled
// order) open in a viewer on an 80 x 25 memory screen with scripted keys.
class StockFixture : public ::testing::Test {
protected:
    StockFixture() : screen(80, 25), keys(screen) {}
    ~StockFixture() override {
        viewer.reset();
        definition.reset();
        file.close();
    }

    void Open(int count, int mode = 0) {
        {
            BtrieveFile writer;
            ASSERT_EQ(0, writer.open("stock.dat"));
            MakeDefinition(writer);
            const int length = writer.dataLength();
            EngineTransaction transaction;
            ASSERT_EQ(0, transaction.Begin());
            for (int i = 0; i < count; ++i) {
                const int id = static_cast<int>((static_cast<long long>(i) * 7919) % count);  // scrambled order
                std::vector<uint8_t> record = StockRecord(*definition, length, ItemOf(id));
                writer.setDataLength(static_cast<uint16_t>(length));
                ASSERT_EQ(0, writer.insertRecord(record.data()));
            }
            ASSERT_EQ(0, transaction.Commit());
        }
        ASSERT_EQ(0, file.open("stock.dat", mode));
        MakeDefinition(file);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->run(nullptr);  // the empty script ends the loop at once: the page is filled
    }

    // Closes the viewer, empties the file and fills it again.
    void Reopen(int count) {
        viewer.reset();
        definition.reset();
        file.close();
        {
            BtrieveFile cleaner;
            ASSERT_EQ(0, cleaner.open("stock.dat"));
            uint8_t record[64], key[256];
            cleaner.setDataLength(sizeof record);
            while (cleaner.stepFirst(record, key) == 0) {
                ASSERT_EQ(0, cleaner.deleteRecord(0));
                cleaner.setDataLength(sizeof record);
            }
        }
        Open(count);
    }

    void MakeDefinition(BtrieveFile& handle) {
        tableRecord = viewertest::GridDatabase::TableRecord("Stock");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("stock.dat"), &handle);
        ASSERT_TRUE(definition->valid);
    }

    void Range(int key, const std::vector<Estring>& from, const std::vector<Estring>& to) {
        viewer->setKeyNumber(key);
        bool active = false;
        Estring bad;
        ASSERT_TRUE(BuildRange(*definition, key, from, to, viewer->rangeFrom, viewer->rangeTo, active, bad));
        viewer->rangeActive = active ? 1 : 0;
        viewer->restartAtFirst();
    }

    std::vector<FieldFormula> Formulas(const std::vector<std::pair<const char*, const char*>>& texts) {
        std::vector<FieldFormula> formulas;
        for (const auto& [name, text] : texts) formulas.push_back(FieldFormula{viewer->fields.Find(name), text});
        return formulas;
    }

    StockDatabase database;
    MemoryDisplay screen;
    viewertest::SnapshotInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
};

}  // namespace bulktest
