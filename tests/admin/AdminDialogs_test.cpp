// The grid's administration dialogs driven by scripted keys on the memory
// display, over the real engine file: what the user types reaches the file.

#include "viewer/FileAdmin.h"
#include "viewer/IndexAdmin.h"

#include <fstream>
#include <sstream>
#include <string>

#include "AdminTestSupport.h"
#include "admin/KeySpecification.h"
#include "platform/Console.h"
#include "fields/FieldAttributes.h"
#include "fields/FieldTypes.h"
#include "ui/KeyCodes.h"

namespace admintest {
namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class AdminDialogTest : public AdminFixture {
protected:
    AdminDialogTest() : screen(80, 25), keys(screen) {}

    int Reopen(const char* path) {
        file.close();
        return file.open(path);
    }

    MemoryDisplay screen;
    SnapshotInput keys;
    ScopedConsole console{screen, keys};
};

TEST_F(AdminDialogTest, OwnerSetThroughTheDialogGuardsTheFile) {
    keys.PushText("Keeper");
    keys.PushKey(kKeyEnter);
    keys.PushText("Keeper");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // "Owner successfully set"
    EXPECT_TRUE(modifyFileOwner(file));
    EXPECT_TRUE(keys.Saw("Owner successfully set"));
    EXPECT_FALSE(keys.Saw("Keeper")) << "the name is never shown";
    EXPECT_EQ(51, Reopen("items.dat"));
    ASSERT_EQ(0, Reopen("items.dat+Keeper"));

    keys.PushKey(kKeyAltC);
    keys.PushKey(kKeyEnter);  // "Owner has been cleared"
    EXPECT_TRUE(modifyFileOwner(file));
    EXPECT_TRUE(keys.Saw("Owner has been cleared"));
    EXPECT_EQ(0, Reopen("items.dat"));
}

// Encrypt checked in the dialog: the file then needs the name even to be
// read, and its records are no longer plain in the file's bytes.
TEST_F(AdminDialogTest, EncryptCheckedInTheDialogHidesTheRecords) {
    const std::string marker = "Extra 3";
    file.close();
    ASSERT_NE(std::string::npos, FileBytes("items.dat").find(marker)) << "the marker is plain before";
    ASSERT_EQ(0, file.open("items.dat"));
    keys.PushText("Keeper");
    keys.PushKey(kKeyTab);   // "Require for read-only access", left checked
    keys.PushKey(kKeyDown);  // "Encrypt"
    keys.PushKey(' ');
    keys.PushKey(kKeyEnter);  // Set
    keys.PushText("Keeper");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // "Owner successfully set"
    EXPECT_TRUE(modifyFileOwner(file));
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_TRUE(keys.Saw("Owner successfully set"));
    file.close();
    const std::string raw = FileBytes("items.dat");
    EXPECT_FALSE(raw.empty());
    EXPECT_EQ(std::string::npos, raw.find(marker));
    EXPECT_EQ(std::string::npos, raw.find("Keeper"));
    EXPECT_EQ(51, file.open("items.dat"));
    file.close();
    ASSERT_EQ(0, file.open("items.dat+Keeper"));
    EXPECT_EQ(5u, EngineOrder(file, 0).size()) << "the records read back with the name";
}

TEST_F(AdminDialogTest, MismatchedOrEmptyNameSetsNothing) {
    keys.PushText("Keeper");
    keys.PushKey(kKeyEnter);
    keys.PushText("Keeper2");
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);  // the mismatch box
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(modifyFileOwner(file));
    EXPECT_TRUE(keys.Saw("The owner names typed do not match"));
    EXPECT_EQ(0, Reopen("items.dat"));

    keys.PushKey(kKeyEnter);
    EXPECT_FALSE(modifyFileOwner(file));
    EXPECT_EQ(0, keys.Remaining());
    EXPECT_EQ(0, Reopen("items.dat"));
}

TEST_F(AdminDialogTest, StatisticsWindowShowsTheFile) {
    const std::string location = "/srv/quarry/databases/archive/orders/2026/items.dat";
    keys.PushKey(kKeyEsc);
    showFileStatistics(file, Estring(location.c_str()));
    EXPECT_TRUE(keys.Saw("File Statistics for"));
    EXPECT_TRUE(keys.Saw("Number of Records : 5"));
    EXPECT_TRUE(keys.Saw("Indexes           : 2"));
    EXPECT_TRUE(keys.Saw("..." + location.substr(location.size() - 33)));
    EXPECT_FALSE(keys.Saw(location));
}

TEST_F(AdminDialogTest, DropQuestionRenumbersUnlessUnchecked) {
    IndexOptions duplicates;
    duplicates.duplicates = true;
    ASSERT_EQ(0, CreateIndex(file, {NewIndexSegment(Field("Remark"))}, duplicates));
    ASSERT_EQ(0, CreateIndex(file, {NewIndexSegment(Field("Extra"))}, IndexOptions()));

    bool renumbered = false;
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(dropIndex(file, 2, renumbered));
    EXPECT_TRUE(keys.Saw("Are you sure you want to drop index 2?"));
    EXPECT_TRUE(renumbered);
    ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
    EXPECT_EQ(Estring("Extra"), definition->index(2).Get(0)->name);

    ASSERT_EQ(0, CreateIndex(file, {NewIndexSegment(Field("Remark"))}, duplicates));  // key 3
    keys.PushKey(' ');  // "Renumber indexes above" off
    keys.PushKey(kKeyEnter);
    ASSERT_TRUE(dropIndex(file, 2, renumbered));
    EXPECT_FALSE(renumbered);
    ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
    EXPECT_EQ(0, definition->index(2).Count());
    ASSERT_EQ(1, definition->index(3).Count());
    EXPECT_EQ(Estring("Remark"), definition->index(3).Get(0)->name);

    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(dropIndex(file, 3, renumbered));
    EXPECT_EQ(3, IndexCount()) << "Esc drops nothing";
}

TEST_F(AdminDialogTest, CreateDialogBuildsTheKeyTyped) {
    keys.PushKey(kKeyDown);   // Name
    keys.PushKey(kKeyEnter);  // into Index Fields
    keys.PushKey(kKeyTab);    // to Index Fields
    keys.PushKey(kKeyAltO);   // descending
    keys.PushKey(kKeyAltS);   // case-sensitive
    keys.PushKey(kKeyEnter);  // Create
    ASSERT_TRUE(createIndex(*definition, file));
    EXPECT_TRUE(keys.Saw("S D"));
    EXPECT_EQ(3, IndexCount());
    EXPECT_EQ((std::vector<int>{2, 0, 4, 3, 1}), EngineOrder(file, 2));
}

TEST_F(AdminDialogTest, CreateDialogWithoutSegmentsCreatesNothing) {
    keys.PushKey(kKeyEnter);   // Id into Index Fields
    keys.PushKey(kKeyTab);
    keys.PushKey(kKeyDelete);  // and out again
    keys.PushKey(kKeyEnter);
    keys.PushKey(kKeyEnter);   // "Couldn't create index"
    keys.PushKey(kKeyEsc);
    EXPECT_FALSE(createIndex(*definition, file));
    EXPECT_TRUE(keys.Saw("No index fields chosen"));
    EXPECT_EQ(2, IndexCount());
}

TEST(SegmentLine, CaseAndDirectionLetters) {
    auto name = FieldAttributes::FromDictionary("Name", kTypeString, 0, 10, 0, 1, 0);
    auto id = FieldAttributes::FromDictionary("Id", kTypeInteger, 0, 4, 0, 2, 0);
    IndexSegment text = NewIndexSegment(*name);
    EXPECT_EQ("Name" + std::string(19, ' ') + "I A", SegmentLine(text).Text());
    text.caseSensitive = true;
    text.descending = true;
    EXPECT_EQ("Name" + std::string(19, ' ') + "S D", SegmentLine(text).Text());
    IndexSegment number = NewIndexSegment(*id);
    number.caseSensitive = true;
    EXPECT_EQ("Id" + std::string(21, ' ') + "  A", SegmentLine(number).Text());
}

}  // namespace
}  // namespace admintest
