#pragma once
// A viewer over the grid database's Items table on an 80 x 25 memory
// display, for the tests of the browser's commands; and what those tests
// compare: files as bytes, the screen as text with its attributes.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "ui/KeyCodes.h"
#include "viewer/FileViewer.h"

namespace viewertest {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Every cell: the character and its attribute, row by row.
inline std::string ScreenCells(const MemoryDisplay& screen) {
    std::string cells;
    for (int y = 0; y < screen.Height(); ++y)
        for (int x = 0; x < screen.Width(); ++x) {
            cells += static_cast<char>(screen.At(x, y).ch);
            cells += static_cast<char>(screen.At(x, y).attr);
        }
    return cells;
}

// Raw records of the file in key-0 order, straight from the engine.
inline std::vector<std::string> EngineRecords(BtrieveFile& file) {
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

// SnapshotInput that also keeps the screen whenever a long operation looks
// for a pending key (Esc), when pendingSnapshots is set.
class CommandInput : public SnapshotInput {
public:
    explicit CommandInput(const MemoryDisplay& display) : SnapshotInput(display), screenShown(display) {}
    bool Pending() override {
        if (pendingSnapshots) pendingScreens.push_back(ScreenText(screenShown));
        return SnapshotInput::Pending();
    }
    bool pendingSnapshots = false;
    std::vector<std::string> pendingScreens;

private:
    const MemoryDisplay& screenShown;
};

class ViewerFixture : public ::testing::Test {
protected:
    ViewerFixture() : screen(80, 25), keys(screen) {}
    ~ViewerFixture() override {
        viewer.reset();
    }

    // Opens items.dat with ids 0 .. count-1 (Name "Item <id>") and makes the viewer.
    void OpenItems(int count) {
        ASSERT_EQ(0, file.open("items.dat"));
        for (int id = 0; id < count; ++id) InsertItem(id, "Item " + std::to_string(id));
        MakeViewer();
    }

    void InsertItem(int id, const std::string& name) {
        std::vector<uint8_t> record = ItemRecord(id, file.recordLength());
        std::string padded = name;
        padded.resize(30, ' ');
        std::memcpy(&record[4], padded.data(), 30);
        file.setDataLength(static_cast<uint16_t>(record.size()));
        ASSERT_EQ(0, file.insertRecord(record.data()));
    }

    // A fresh definition and viewer (the old viewer goes first: it writes its
    // last view from the definition it was made with).
    void MakeViewer() {
        viewer.reset();
        tableRecord = GridDatabase::TableRecord("Items");
        definition = std::make_unique<DictionaryDef>(tableRecord.data(), Estring("items.dat"), &file);
        ASSERT_TRUE(definition->valid);
        viewer = std::make_unique<FileViewer>(&file, *definition, 2, 23);
        viewer->environment = [this](const char* name) -> const char* {
            auto it = environment.find(name);
            return it == environment.end() ? nullptr : it->second.c_str();
        };
        viewer->run(nullptr);  // the page is filled; the dry script ends the run
    }

    // Runs the viewer over the keys pushed so far; the script running dry
    // ends it (a dry read is Esc). True when the script was used up exactly:
    // no key was left over and no box asked for one it did not have. (A
    // final Esc pushed here would be taken by a long operation looking for
    // Esc.)
    bool RunScript() {
        const int dry = keys.DryReads();
        const int key = viewer->run(nullptr);
        return key == kKeyEsc && keys.Remaining() == 0 && keys.DryReads() == dry + 1;
    }

    std::vector<int> PageIds() {
        std::vector<int> ids;
        for (int i = 0; i < viewer->rowCount(); ++i) ids.push_back(static_cast<int>(viewer->row(i).text.ToInt()));
        return ids;
    }

    // The screen's cells equal cells (from ScreenCells); on failure the text of the screen now.
    ::testing::AssertionResult SameScreen(const std::string& cells) {
        if (ScreenCells(screen) == cells) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the screen changed; it shows:\n" << ScreenText(screen);
    }

    std::string Path(const std::string& name) const { return database.dir / name; }

    GridDatabase database;
    MemoryDisplay screen;
    CommandInput keys;
    ScopedConsole console{screen, keys};
    BtrieveFile file;
    std::vector<uint8_t> tableRecord;
    std::unique_ptr<DictionaryDef> definition;
    std::unique_ptr<FileViewer> viewer;
    std::map<std::string, std::string> environment;
};

}  // namespace viewertest
