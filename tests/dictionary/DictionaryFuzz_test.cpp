// Damaged dictionary records: the demo dictionary with one field.ddf or
// index.ddf record changed at a time (sizes, offsets, types, index numbers,
// field ids, short records). Reading every table's definition must refuse
// with a report or give fields and keys that stay inside the record and the
// key. Fixed seed, bounded rounds.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineBinding.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryLayout.h"
#include "dictionary/DictionaryWriter.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"

namespace {

using apptest::ScratchDir;

class DictionaryFuzz : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::UseRealEngine();
        apptest::ToolResult demo = apptest::RunQdxutil({"demo", root.Path()});
        ASSERT_EQ(0, demo.exitCode) << demo.err;
        Estring path(root.Path());
        ASSERT_TRUE(openDictionary(path, nullptr));
        std::vector<uint8_t> record(ddf::kFileRecordLength, 0);
        uint8_t key[kKeyBufferSize] = {};
        FileDictionary().setDataLength(ddf::kFileRecordLength);
        for (int s = FileDictionary().getFirst(key, record.data(), 0); s == 0;
             s = FileDictionary().getNext(key, record.data(), 0)) {
            tables.push_back(record);
            FileDictionary().setDataLength(ddf::kFileRecordLength);
        }
        ASSERT_GT(tables.size(), 3u);
    }
    void TearDown() override { closeDictionary(); }

    // Every table read back: a refusal is reported; what is accepted stays
    // within its record and its keys.
    void ReadEveryTable(const std::string& what) {
        for (const std::vector<uint8_t>& table : tables) {
            for (bool withFile : {false, true}) ReadTable(table, withFile, what);
        }
    }

    // One table read back from the dictionary alone, or with its data file
    // open (the keys then come from the file).
    void ReadTable(const std::vector<uint8_t>& table, bool withFile, const std::string& what) {
        {
            ddf::FileRecord r = ddf::DecodeFileRecord(table.data());
            Estring path = TableFilePath(Estring(root.Path()), r.location);
            BtrieveFile file;
            if (withFile) {
                Estring open = r.tableName == "Payroll" ? path + "+paydesk" : path;
                if (file.open(open) != 0) return;  // listed without a file
            }
            std::vector<std::string> reported;
            DictionaryDef def(table.data(), path, withFile ? &file : nullptr,
                              [&](const Estring& a, const Estring& b) {
                                  reported.push_back(a.ToStdString() + " / " + b.ToStdString());
                              });
            if (!def.valid) {
                EXPECT_FALSE(reported.empty()) << what;
                return;
            }
            ASSERT_LT(def.highestIndexNumber, DictionaryDef::kMaxIndexes) << what;
            ASSERT_GE(def.recordEnd, 0) << what;
            // The record exactly as long as the fields say, and as long as the engine allows.
            for (int length : {def.recordEnd, static_cast<int>(qdx::wire::kMaxRecordLength)}) {
                std::vector<uint8_t> record(static_cast<size_t>(length > 0 ? length : 1), 0x39);
                for (int i = 0; i < def.Count(); ++i)
                    FieldToText(*def.Get(i), record.data(), length, true);
            }
            for (int n = 0; n <= def.highestIndexNumber; ++n) {
                const FieldList& segments = def.index(n);
                int keyLength = 0;
                for (int i = 0; i < segments.Count(); ++i) {
                    const FieldAttributes& s = *segments.Get(i);
                    ASSERT_EQ(keyLength, s.offset) << what;
                    keyLength += s.length;
                }
                // A key the engine could hand back: the segments must fit it.
                EXPECT_LE(keyLength, qdx::wire::kMaxKeyLength) << what << " index " << n << (withFile ? " (file open)" : "");
                std::vector<uint8_t> key(kKeyBufferSize, 0x41);
                for (int i = 0; i < segments.Count(); ++i)
                    FieldToText(*segments.Get(i), key.data(), kKeyBufferSize, true);
            }
        }
    }

    // The records of a dictionary file in physical order.
    static std::vector<std::vector<uint8_t>> Records(BtrieveFile& file) {
        std::vector<std::vector<uint8_t>> records;
        std::vector<uint8_t> record(256, 0);
        uint8_t key[kKeyBufferSize] = {};
        file.setDataLength(256);
        for (int s = file.stepFirst(record.data(), key); s == 0; s = file.stepNext(record.data(), key)) {
            records.emplace_back(record.begin(), record.begin() + file.dataLength());
            file.setDataLength(256);
        }
        return records;
    }

    // Positions the file on its n-th record (physical order).
    static bool StepTo(BtrieveFile& file, size_t n) {
        std::vector<uint8_t> record(256, 0);
        uint8_t key[kKeyBufferSize] = {};
        file.setDataLength(256);
        int s = file.stepFirst(record.data(), key);
        for (size_t i = 0; s == 0 && i < n; ++i) {
            file.setDataLength(256);
            s = file.stepNext(record.data(), key);
        }
        return s == 0;
    }

    // Replaces record n with changed (any length), runs the checks, puts the original back.
    void WithRecordChanged(BtrieveFile& file, size_t n, const std::vector<uint8_t>& original,
                           std::vector<uint8_t> changed, const std::string& what) {
        ASSERT_TRUE(StepTo(file, n));
        file.setDataLength(static_cast<uint16_t>(changed.size()));
        if (file.updateRecord(changed.data()) != 0) return;  // the engine refused it: nothing to read
        ReadEveryTable(what);
        ASSERT_TRUE(StepTo(file, n));
        std::vector<uint8_t> back = original;
        file.setDataLength(static_cast<uint16_t>(back.size()));
        ASSERT_EQ(0, file.updateRecord(back.data())) << what;
    }

    ScratchDir root;
    std::vector<std::vector<uint8_t>> tables;
};

TEST_F(DictionaryFuzz, TheDemoReadsCleanly) {
    for (const std::vector<uint8_t>& table : tables) {
        std::vector<std::string> reported;
        DictionaryDef def(table.data(), Estring("none.dat"), nullptr,
                          [&](const Estring& a, const Estring&) { reported.push_back(a.ToStdString()); });
        EXPECT_TRUE(def.valid) << ddf::DecodeFileRecord(table.data()).tableName.Text();
        EXPECT_TRUE(reported.empty());
    }
    ReadEveryTable("demo");
}

TEST_F(DictionaryFuzz, FieldRecordsWithOddSizesOffsetsAndTypes) {
    std::vector<std::vector<uint8_t>> fields = Records(FieldDictionary());
    ASSERT_FALSE(fields.empty());
    std::mt19937 rng(31);
    const uint16_t kSizes[] = {0, 1, 255, 256, 4095, 4096, 32767, 65535};
    for (int round = 0; round < 80; ++round) {
        const size_t n = rng() % fields.size();
        std::vector<uint8_t> changed = fields[n];
        std::string what = "field record " + std::to_string(n) + ":";
        switch (rng() % 5) {
        case 0: {
            uint16_t size = kSizes[rng() % 8];
            std::memcpy(&changed[ddf::kFieldSize], &size, 2);
            what += " size " + std::to_string(size);
            break;
        }
        case 1: {
            uint16_t offset = kSizes[rng() % 8];
            std::memcpy(&changed[ddf::kFieldOffset], &offset, 2);
            what += " offset " + std::to_string(offset);
            break;
        }
        case 2:
            changed[ddf::kFieldType] = static_cast<uint8_t>(rng() % 256);
            changed[ddf::kFieldDecimals] = static_cast<uint8_t>(rng() % 256);
            what += " type " + std::to_string(changed[ddf::kFieldType]) + " decimals " +
                    std::to_string(changed[ddf::kFieldDecimals]);
            break;
        case 3:
            changed.resize(rng() % changed.size());
            what += " cut to " + std::to_string(changed.size());
            break;
        default:
            for (uint8_t& b : changed) b = static_cast<uint8_t>(rng() % 8 == 0 ? b ^ (1u << (rng() % 8)) : b);
            what += " bits flipped";
            break;
        }
        WithRecordChanged(FieldDictionary(), n, fields[n], changed, what);
    }
}

TEST_F(DictionaryFuzz, IndexRecordsWithOddNumbersAndFields) {
    std::vector<std::vector<uint8_t>> indexes = Records(IndexDictionary());
    std::vector<std::vector<uint8_t>> fields = Records(FieldDictionary());
    ASSERT_FALSE(indexes.empty());
    std::mt19937 rng(17);
    const uint16_t kNumbers[] = {0, 1, 117, 118, 119, 255, 32768, 65535};
    for (int round = 0; round < 80; ++round) {
        const size_t n = rng() % indexes.size();
        std::vector<uint8_t> changed = indexes[n];
        std::string what = "index record " + std::to_string(n) + ":";
        switch (rng() % 4) {
        case 0: {
            uint16_t number = kNumbers[rng() % 8];
            std::memcpy(&changed[ddf::kIndexNumber], &number, 2);
            what += " number " + std::to_string(number);
            break;
        }
        case 1: {
            // Another field of any table, or one that does not exist.
            uint16_t id = rng() % 3 == 0 ? static_cast<uint16_t>(rng())
                                         : ddf::DecodeFieldRecord(fields[rng() % fields.size()].data()).fieldId;
            std::memcpy(&changed[ddf::kIndexFieldId], &id, 2);
            what += " field " + std::to_string(id);
            break;
        }
        case 2:
            changed.resize(rng() % changed.size());
            what += " cut to " + std::to_string(changed.size());
            break;
        default:
            for (uint8_t& b : changed) b = static_cast<uint8_t>(rng() % 4 == 0 ? b ^ (1u << (rng() % 8)) : b);
            what += " bits flipped";
            break;
        }
        WithRecordChanged(IndexDictionary(), n, indexes[n], changed, what);
    }
}

// One field made as long as a record can be and put into a key: the key
// can no longer hold the index.
TEST_F(DictionaryFuzz, AnIndexLongerThanAKeyIsRefused) {
    std::vector<std::vector<uint8_t>> indexes = Records(IndexDictionary());
    std::vector<std::vector<uint8_t>> fields = Records(FieldDictionary());
    ASSERT_FALSE(indexes.empty());
    ddf::IndexRecord segment = ddf::DecodeIndexRecord(indexes[0].data());
    for (size_t n = 0; n < fields.size(); ++n) {
        ddf::FieldRecord f = ddf::DecodeFieldRecord(fields[n].data());
        if (f.fieldId != segment.fieldId) continue;
        std::vector<uint8_t> changed = fields[n];
        const uint16_t size = 4000;
        std::memcpy(&changed[ddf::kFieldSize], &size, 2);
        ASSERT_TRUE(StepTo(FieldDictionary(), n));
        FieldDictionary().setDataLength(static_cast<uint16_t>(changed.size()));
        ASSERT_EQ(0, FieldDictionary().updateRecord(changed.data()));
        for (const std::vector<uint8_t>& table : tables) {
            if (ddf::DecodeFileRecord(table.data()).tableId != segment.tableId) continue;
            std::vector<std::string> reported;
            DictionaryDef def(table.data(), Estring("none.dat"), nullptr,
                              [&](const Estring& a, const Estring& b) {
                                  reported.push_back(a.ToStdString() + " / " + b.ToStdString());
                              });
            EXPECT_FALSE(def.valid);
            ASSERT_EQ(1u, reported.size());
            EXPECT_EQ("Error loading index " + std::to_string(segment.number) + " / Key is longer than " +
                          std::to_string(qdx::wire::kMaxKeyLength) + " bytes",
                      reported[0]);
            return;
        }
    }
    FAIL() << "no field of the first index record";
}

}  // namespace
