// Creating and dropping supplemental indexes on a real engine file: the
// records come back in the order asked for, the key numbers after a drop are
// the ones the grid expects, and the table's definitions follow.

#include "admin/KeySpecification.h"

#include "AdminTestSupport.h"
#include "base/Endian.h"
#include "fields/FieldTypes.h"

namespace admintest {
namespace {

class IndexTest : public AdminFixture {
protected:
    IndexSegment Segment(const char* name, bool descending = false, bool caseSensitive = false) const {
        IndexSegment segment = NewIndexSegment(Field(name));
        segment.descending = descending;
        segment.caseSensitive = caseSensitive;
        return segment;
    }
};

struct OrderCase {
    const char* label;
    bool descending;
    bool caseSensitive;
    std::vector<int> ids;
};

TEST_F(IndexTest, CreatedTextIndexOrdersRecordsAsAsked) {
    const OrderCase cases[] = {
        {"ascending, case ignored", false, false, {1, 4, 0, 2, 3}},
        {"descending, case ignored", true, false, {3, 2, 0, 4, 1}},
        {"ascending, case kept", false, true, {1, 3, 4, 0, 2}},
        {"descending, case kept", true, true, {2, 0, 4, 3, 1}},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(2, IndexCount());
        ASSERT_EQ(0, CreateIndex(file, {Segment("Name", c.descending, c.caseSensitive)}, IndexOptions()));
        EXPECT_EQ(3, IndexCount());
        EXPECT_EQ(c.ids, EngineOrder(file, 2));
        ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
        ASSERT_EQ(1, definition->index(2).Count());
        EXPECT_EQ(Estring("Name"), definition->index(2).Get(0)->name);
        ASSERT_EQ(0, DropIndex(file, 2, true));
        EXPECT_EQ(2, IndexCount());
    }
}

TEST_F(IndexTest, DuplicatesAreRefusedUnlessAllowed) {
    // Three records share remark "x".
    EXPECT_NE(0, CreateIndex(file, {Segment("Remark")}, IndexOptions()));
    EXPECT_EQ(2, IndexCount());
    IndexOptions duplicates;
    duplicates.duplicates = true;
    ASSERT_EQ(0, CreateIndex(file, {Segment("Remark")}, duplicates));
    const std::vector<int> order = EngineOrder(file, 2);
    ASSERT_EQ(5u, order.size());
    // The three "x" first, then the two "y", whatever the order among equals.
    std::vector<int> xs(order.begin(), order.begin() + 3);
    std::sort(xs.begin(), xs.end());
    EXPECT_EQ((std::vector<int>{0, 2, 4}), xs);
    // A later insert with a duplicate value is accepted through the new key.
    Insert(5, "elder", "x");
    EXPECT_EQ(6u, EngineOrder(file, 2).size());
}

TEST_F(IndexTest, SegmentedIndexOrdersBySegmentsInTurn) {
    // Remark ascending, then Id descending within each remark.
    const std::vector<IndexSegment> segments = {Segment("Remark"), Segment("Id", true)};
    const std::vector<uint8_t> spec = BuildKeySpecification(segments, IndexOptions());
    ASSERT_EQ(32u, spec.size());
    EXPECT_TRUE(le::GetU16(&spec[4]) & 0x0010);
    EXPECT_FALSE(le::GetU16(&spec[16 + 4]) & 0x0010);
    EXPECT_EQ(Field("Id").dictionaryOffset + 1, le::GetU16(&spec[16]));
    ASSERT_EQ(0, CreateIndex(file, segments, IndexOptions()));
    EXPECT_EQ((std::vector<int>{4, 2, 0, 3, 1}), EngineOrder(file, 2));
    ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
    ASSERT_EQ(2, definition->index(2).Count());
    EXPECT_EQ(Estring("Remark"), definition->index(2).Get(0)->name);
    EXPECT_EQ(Estring("Id"), definition->index(2).Get(1)->name);
}

TEST_F(IndexTest, SpecificationFlags) {
    struct FlagCase {
        const char* label;
        IndexSegment segment;
        IndexOptions options;
        uint16_t flags;
    };
    IndexOptions all;
    all.duplicates = true;
    all.modifiable = true;
    all.nullKey = NullKey::kAllSegments;
    IndexOptions any;
    any.nullKey = NullKey::kAnySegment;
    const FlagCase cases[] = {
        {"text, defaults", Segment("Name"), IndexOptions(), 0x0500},
        {"text, case-sensitive descending", Segment("Name", true, true), IndexOptions(), 0x0140},
        {"text, case-sensitive descending, chosen bits", Segment("Name", true, true), all, 0x014B},
        {"integer ignores the case choice", Segment("Id", false, false), any, 0x0300},
    };
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<uint8_t> spec = BuildKeySpecification({c.segment}, c.options);
        ASSERT_EQ(16u, spec.size());
        EXPECT_EQ(c.flags, le::GetU16(&spec[4]));
        EXPECT_EQ(c.segment.field->length, le::GetU16(&spec[2]));
        EXPECT_EQ(c.segment.field->type, spec[10]);
    }
    EXPECT_EQ(22, CreateIndex(file, {}, IndexOptions()));
    EXPECT_EQ(2, IndexCount());
}

TEST(KeyAfterDrop, Table) {
    struct Case {
        int key, dropped;
        bool renumber;
        int after;
    };
    const Case cases[] = {
        {2, 2, true, -1}, {2, 2, false, -1}, {3, 2, true, 2}, {3, 2, false, 3},
        {1, 2, true, 1},  {0, 0, true, -1},  {5, 0, true, 4}, {5, 0, false, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.after, KeyAfterDrop(c.key, c.dropped, c.renumber)) << c.key << " drop " << c.dropped;
}

class DropTest : public IndexTest {
protected:
    void SetUp() override {
        IndexTest::SetUp();
        IndexOptions duplicates;
        duplicates.duplicates = true;
        ASSERT_EQ(0, CreateIndex(file, {Segment("Remark")}, duplicates));              // key 2
        ASSERT_EQ(0, CreateIndex(file, {Segment("Name", true)}, IndexOptions()));      // key 3
        ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
        ASSERT_EQ(Estring("Name"), definition->index(3).Get(0)->name);
    }
};

TEST_F(DropTest, DroppingAnIndexThatIsNotThereFails) {
    ASSERT_EQ(0, DropIndex(file, 2, false));
    EXPECT_NE(0, DropIndex(file, 2, false));
    EXPECT_NE(0, DropIndex(file, 9, true));
    EXPECT_EQ(3, IndexCount());
}

TEST_F(DropTest, RenumberingMovesTheIndexesAboveDown) {
    ASSERT_EQ(0, DropIndex(file, 2, true));
    EXPECT_EQ(3, IndexCount());
    EXPECT_EQ((std::vector<int>{3, 2, 0, 4, 1}), EngineOrder(file, 2));
    ASSERT_TRUE(RereadIndexes(*definition, file, 3, KeyAfterDrop(3, 2, true)));
    ASSERT_EQ(1, definition->index(2).Count());
    EXPECT_EQ(Estring("Name"), definition->index(2).Get(0)->name);
    EXPECT_EQ(0, definition->index(3).Count());
}

TEST_F(DropTest, KeepingNumbersLeavesAGap) {
    ASSERT_EQ(0, DropIndex(file, 2, false));
    EXPECT_EQ(3, IndexCount());
    EXPECT_EQ((std::vector<int>{3, 2, 0, 4, 1}), EngineOrder(file, 3));
    EXPECT_TRUE(EngineOrder(file, 2).empty());
    ASSERT_TRUE(RereadIndexes(*definition, file, 3, KeyAfterDrop(3, 2, false)));
    EXPECT_EQ(0, definition->index(2).Count());
    ASSERT_EQ(1, definition->index(3).Count());
    EXPECT_EQ(Estring("Name"), definition->index(3).Get(0)->name);
    // The gap is filled by the next index created.
    ASSERT_EQ(0, CreateIndex(file, {Segment("Extra")}, IndexOptions()));
    ASSERT_TRUE(RereadIndexes(*definition, file, -1, -1));
    EXPECT_EQ(Estring("Name"), definition->index(3).Get(0)->name);
    EXPECT_EQ(4, IndexCount());
}

TEST_F(DropTest, TheGridsBoundsFollowItsIndex) {
    // The grid ranges over key 3 (Name); key 2 goes.
    definition->index(3).Get(0)->hasFrom = true;
    definition->index(3).Get(0)->hasTo = true;
    ASSERT_EQ(0, DropIndex(file, 2, true));
    const int now = KeyAfterDrop(3, 2, true);
    ASSERT_TRUE(RereadIndexes(*definition, file, 3, now));
    ASSERT_EQ(2, now);
    EXPECT_TRUE(definition->index(2).Get(0)->hasFrom);
    EXPECT_TRUE(definition->index(2).Get(0)->hasTo);
}

TEST_F(DropTest, TheGridsBoundsGoWithItsDroppedIndex) {
    definition->index(2).Get(0)->hasFrom = true;
    ASSERT_EQ(0, DropIndex(file, 2, true));
    ASSERT_EQ(-1, KeyAfterDrop(2, 2, true));
    ASSERT_TRUE(RereadIndexes(*definition, file, 2, -1));
    // The index now numbered 2 is another one and carries no bound.
    ASSERT_EQ(1, definition->index(2).Count());
    EXPECT_FALSE(definition->index(2).Get(0)->hasFrom);
}

TEST_F(IndexTest, ParseIndexSegments) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<std::string> names;
        std::vector<bool> descending;
        std::vector<bool> caseSensitive;
    };
    const Case cases[] = {
        {"Name", true, {"Name"}, {false}, {false}},
        {"name/DESC/case", true, {"Name"}, {true}, {true}},
        {" Remark / nocase , Id/desc", true, {"Remark", "Id"}, {false, true}, {false, false}},
        {"Name/desc/asc", true, {"Name"}, {false}, {false}},
        {"Id/case", false, {}, {}, {}},
        {"Nope", false, {}, {}, {}},
        {"Name,,Id", false, {}, {}, {}},
        {"Name,", false, {}, {}, {}},
        {"Name/up", false, {}, {}, {}},
        {"", false, {}, {}, {}},
        {"  ", false, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<IndexSegment> segments;
        std::string error;
        ASSERT_EQ(c.ok, ParseIndexSegments(c.text, *definition, segments, error)) << error;
        if (!c.ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_EQ(c.names.size(), segments.size());
        for (size_t i = 0; i < segments.size(); ++i) {
            EXPECT_EQ(Estring(c.names[i].c_str()), segments[i].field->name);
            EXPECT_EQ(c.descending[i], segments[i].descending);
            EXPECT_EQ(c.caseSensitive[i], segments[i].caseSensitive);
        }
    }
}

TEST_F(IndexTest, ParsedSpecificationCreatesTheIndex) {
    std::vector<IndexSegment> segments;
    std::string error;
    ASSERT_TRUE(ParseIndexSegments("name/desc/case", *definition, segments, error)) << error;
    ASSERT_EQ(0, CreateIndex(file, segments, IndexOptions()));
    EXPECT_EQ((std::vector<int>{2, 0, 4, 3, 1}), EngineOrder(file, 2));
}

}  // namespace
}  // namespace admintest
