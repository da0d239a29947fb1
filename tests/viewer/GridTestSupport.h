#pragma once
// A small dictionary database for the grid's tests, written into a scratch
// directory that becomes the working directory, and an input source that
// keeps a copy of the screen at every read (to see modal boxes that are gone
// by the time the window under test returns).

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "ViewerTestSupport.h"
#include "dictionary/Dictionary.h"
#include "dictionary/DictionaryDef.h"
#include "dictionary/DictionaryLayout.h"
#include "dictionary/DictionaryWriter.h"
#include "dictionary/Schema.h"
#include "btrieve/BtrieveFile.h"
#include "platform/MemoryDisplay.h"
#include "platform/ScriptedInput.h"

namespace viewertest {

constexpr const char* kGridSchema = R"(
table Items location items.dat
  field Id Integer 4
  field Name String 30
  field Price Decimal 5 2
  field Remark String 40
  field Extra String 40
  index 0 : Id
  index 1 duplicates : Name
table Narrow location narrow.dat
  field Id Integer 2
  index 0 : Id
table Secret location secret.dat owner hush encrypt
  field Id Integer 4
  field Name String 20
  index 0 : Id
)";

// Items records: Id, Name "Item <id>", Price id * 1.25, Remark "Remark <id>".
inline std::vector<uint8_t> ItemRecord(int id, int length) {
    std::vector<uint8_t> record(static_cast<size_t>(length), 0);
    le::PutU32(record.data(), static_cast<uint32_t>(id));
    std::string name = "Item " + std::to_string(id);
    name.resize(30, ' ');
    std::memcpy(&record[4], name.data(), 30);
    return record;
}

class SnapshotInput : public ScriptedInput {
public:
    explicit SnapshotInput(const MemoryDisplay& display) : screen(display) {}
    void Read(InputEvent& event, int timeoutMs) override {
        if (timeoutMs < 0) screens.push_back(ScreenText(screen));
        ScriptedInput::Read(event, timeoutMs);
    }
    // True when some screen seen at a read held text.
    bool Saw(const std::string& text) const {
        for (const std::string& s : screens)
            if (s.find(text) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> screens;

private:
    const MemoryDisplay& screen;
};

// A database defined from a schema text in a scratch directory, which is the
// working directory, with the dictionary open, for the object's life.
class GridDatabase {
public:
    explicit GridDatabase(const char* schemaText = kGridSchema) {
        UseRealEngine();
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) != nullptr) savedCwd = cwd;
        Schema schema;
        SchemaError error;
        EXPECT_TRUE(ParseSchema(schemaText, schema, error)) << error.line << ": " << error.message.Text();
        Estring message;
        EXPECT_TRUE(DefineDatabase(Estring(dir.Path().c_str()), schema, DefineOptions(), message)) << message.Text();
        EXPECT_EQ(0, chdir(dir.Path().c_str()));
        Estring path(dir.Path().c_str());
        EXPECT_TRUE(openDictionary(path, nullptr));
    }
    ~GridDatabase() {
        closeDictionary();
        if (!savedCwd.empty()) {
            EXPECT_EQ(0, chdir(savedCwd.c_str()));
        }
    }
    GridDatabase(const GridDatabase&) = delete;
    GridDatabase& operator=(const GridDatabase&) = delete;

    // The table's file.ddf record.
    static std::vector<uint8_t> TableRecord(const char* name) {
        std::vector<uint8_t> record(ddf::kFileRecordLength, 0);
        uint8_t key[256] = {};
        BtrieveFile& files = FileDictionary();
        files.setDataLength(ddf::kFileRecordLength);
        for (int s = files.getFirst(key, record.data(), 0); s == 0; s = files.getNext(key, record.data(), 0)) {
            if (ddf::DecodeFileRecord(record.data()).tableName == name) return record;
            files.setDataLength(ddf::kFileRecordLength);
        }
        ADD_FAILURE() << "no table " << name;
        return record;
    }

    ScratchDir dir;

private:
    std::string savedCwd;
};

}  // namespace viewertest
