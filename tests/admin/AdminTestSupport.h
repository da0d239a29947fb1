#pragma once
// The grid database's Items file open with a few records whose names and
// remarks are chosen to tell key orders apart, and the table's definition.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "GridTestSupport.h"

namespace admintest {

using namespace viewertest;

struct ItemRow {
    int id;
    const char* name;
    const char* remark;
};

// Case and duplicates matter: "Apple" / "apricot" / "Date" sort apart with
// and without case, and the remarks repeat.
constexpr ItemRow kItems[] = {
    {0, "banana", "x"}, {1, "Apple", "y"}, {2, "cherry", "x"}, {3, "Date", "y"}, {4, "apricot", "x"},
};

class AdminFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, file.open("items.dat"));
        for (const ItemRow& row : kItems) Insert(row.id, row.name, row.remark);
        MakeDefinition();
    }

    void MakeDefinition() {
        tableRecord = GridDatabase::TableRecord("Items");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("items.dat"), &file);
        ASSERT_TRUE(definition->valid);
    }

    const FieldAttributes& Field(const char* name) const {
        for (int i = 0; i < definition->Count(); ++i)
            if (definition->Get(i)->name == Estring(name)) return *definition->Get(i);
        ADD_FAILURE() << "no field " << name;
        return *definition->Get(0);
    }

    void Put(std::vector<uint8_t>& record, const char* fieldName, const std::string& text) const {
        const FieldAttributes& field = Field(fieldName);
        std::string padded = text;
        padded.resize(field.length, ' ');
        std::memcpy(&record[field.dictionaryOffset], padded.data(), field.length);
    }

    void Insert(int id, const std::string& name, const std::string& remark) {
        if (!definition) MakeDefinition();
        std::vector<uint8_t> record = ItemRecord(id, file.recordLength());
        Put(record, "Name", name);
        Put(record, "Remark", remark);
        Put(record, "Extra", "Extra " + std::to_string(id));
        file.setDataLength(static_cast<uint16_t>(record.size()));
        ASSERT_EQ(0, file.insertRecord(record.data()));
    }

    // Number of indexes the open file reports.
    int IndexCount() {
        std::vector<uint8_t> stat(DictionaryDef::kStatBufferSize);
        if (file.stat(stat.data()) != 0) return -1;
        return stat[4];
    }

    GridDatabase database;
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
};

}  // namespace admintest
