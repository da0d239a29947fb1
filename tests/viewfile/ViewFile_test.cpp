// View files: the text written for a view, reading it back, the checks made
// before a view is changed, key ranges built from the saved texts, and the
// last view file's place.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "base/Endian.h"
#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "viewfile/LastViewFile.h"
#include "viewfile/View.h"
#include "viewfile/ViewFile.h"

namespace {

std::unique_ptr<FieldAttributes> Field(const char* name, uint8_t type, uint16_t offset, uint16_t length,
                                       uint16_t flags = 0) {
    return FieldAttributes::FromDictionary(name, type, offset, length, flags, 0, 0);
}

// A table "Orders": Id (Integer 4), Customer (String 10), Qty (Integer 2);
// index 0 on Id, index 1 on Customer then Qty (Qty descending).
struct Fixture {
    FieldList fields;
    FieldList index0, index1;
    View view;
    Fixture() {
        fields.Add(Field("Id", kTypeInteger, 0, 4));
        fields.Add(Field("Customer", kTypeString, 4, 10));
        fields.Add(Field("Qty", kTypeInteger, 14, 2));
        index0.Add(Field("Id", kTypeInteger, 0, 4));
        index1.Add(Field("Customer", kTypeString, 0, 10));
        index1.Add(Field("Qty", kTypeInteger, 10, 2, qdx::wire::kSegDescending));
        view.fields = &fields;
        view.indexes = {&index0, &index1};
        view.tableName = "Orders";
        view.keyNumber = 0;
        view.range.Reset(view.Segments());
    }
};

std::string ScratchDirectory() {
    char pattern[] = "/tmp/qdxview-XXXXXX";
    return mkdtemp(pattern) ? pattern : "";
}

TEST(ViewFile, DefaultViewIsFourLines) {
    Fixture f;
    std::string text = formatViewText(describeView(f.view));
    EXPECT_EQ("[QDX v1.0 View File]\nDictionaryName=Orders\nIndex=0\n\n", text);
}

TEST(ViewFile, EverySettingRoundTrips) {
    Fixture f;
    f.view.keyNumber = 1;
    f.view.filterText = "Qty > 3 & Customer ~= \"a,b\"";
    f.view.range.SetBounds(f.index1, {"Smith, J"}, {"", "7"});
    f.fields.Find("Customer")->width = -25;
    f.fields.Find("Qty")->selected = false;
    f.fields.Find("Qty")->decimals = 0;
    f.fields.Add(FieldAttributes::Calculated("Total", 12, "Qty * 2", 3));
    std::string text = formatViewText(describeView(f.view));
    EXPECT_NE(std::string::npos, text.find("RangeMin=\"Smith, J\",\n")) << text;
    EXPECT_NE(std::string::npos, text.find("RangeMax=,7\n")) << text;
    EXPECT_NE(std::string::npos, text.find("[Field:Qty]\nDecPlaces=0\nEnabled=N\n\n")) << text;
    EXPECT_NE(std::string::npos, text.find("[CalcField:Total]\nWidth=12\nDecPlaces=3\nFormula=Qty * 2\n\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("[Field:Id]")) << text;

    Fixture g;
    ViewDefinition d;
    ViewFileMessage m;
    ASSERT_TRUE(parseViewText(text, "ORDERS", "orders.qdx", d, m)) << m.first.c_str();
    ASSERT_TRUE(applyView(d, g.view, m)) << m.first.c_str();
    EXPECT_EQ(1, g.view.keyNumber);
    EXPECT_EQ(f.view.filterText.ToStdString(), g.view.filterText.ToStdString());
    EXPECT_EQ(-25, g.fields.Find("Customer")->width);
    EXPECT_FALSE(g.fields.Find("Qty")->selected);
    ASSERT_NE(nullptr, g.fields.Find("Total"));
    EXPECT_EQ("Qty * 2", g.fields.Find("Total")->formula.ToStdString());
    EXPECT_EQ(12, g.fields.Find("Total")->width);
    EXPECT_TRUE(g.view.range.active);
    EXPECT_EQ(f.view.range.from, g.view.range.from);
    EXPECT_EQ(f.view.range.to, g.view.range.to);
    EXPECT_EQ(text, formatViewText(describeView(g.view)));
}

TEST(ViewFile, ReadingFailuresAndTheirMessages) {
    const struct {
        const char* text;
        const char* message;
        const char* second;
    } kCases[] = {
        {"", "Unable to read view file", "orders.qdx"},
        {"[qdx v1.0 view file]\nDictionaryName=Orders\n", "Invalid view file", "orders.qdx"},
        {"[QDX v1.0 View File]\nDictionaryName=Customers\nIndex=0\n", "Incompatible view file", ""},
        // a later mismatch also fails, though the first line matched
        {"[QDX v1.0 View File]\nDictionaryName=Orders\n\n[Field:Id]\nWidth=3\n[Join:j]\n", nullptr, nullptr},
    };
    for (const auto& c : kCases) {
        ViewDefinition d;
        ViewFileMessage m;
        bool ok = parseViewText(c.text, "Orders", "orders.qdx", d, m);
        if (c.message == nullptr) {
            EXPECT_TRUE(ok) << c.text;
            continue;
        }
        EXPECT_FALSE(ok) << c.text;
        EXPECT_EQ(c.message, m.first.ToStdString()) << c.text;
        EXPECT_EQ(c.second, m.second.ToStdString()) << c.text;
    }
}

TEST(ViewFile, IncompatibleFileLeavesTheViewAsItWas) {
    Fixture f;
    f.fields.Add(FieldAttributes::Calculated("Keep", 8, "1", 2));
    f.view.filterText = "Id > 1";
    ViewDefinition d;
    ViewFileMessage m;
    // The calculated-field section comes before the name that does not match.
    std::string text = "[QDX v1.0 View File]\n[CalcField:New]\nFormula=2\nDictionaryName=Other\n";
    EXPECT_FALSE(parseViewText(text, "Orders", "orders.qdx", d, m));
    EXPECT_EQ("Incompatible view file", m.first.ToStdString());
    // A definition for an index the table does not have is refused by apply.
    ASSERT_TRUE(parseViewText("[QDX v1.0 View File]\nDictionaryName=Orders\nIndex=7\n\n[CalcField:New]\n",
                              "Orders", "orders.qdx", d, m));
    EXPECT_FALSE(applyView(d, f.view, m));
    EXPECT_EQ("Incompatible view file", m.first.ToStdString());
    EXPECT_EQ(4, f.fields.Count());
    EXPECT_NE(nullptr, f.fields.Find("Keep"));
    EXPECT_EQ(0, f.view.keyNumber);
    EXPECT_EQ("Id > 1", f.view.filterText.ToStdString());
}

TEST(ViewFile, KeysBeforeTheTableNameAreIgnored) {
    Fixture f;
    ViewDefinition d;
    ViewFileMessage m;
    std::string text = "[QDX v1.0 View File]\nIndex=1\nFilter=Id=1\n[Field:Id]\nWidth=30\n"
                       "DictionaryName=Orders\n";
    ASSERT_TRUE(parseViewText(text, "Orders", "orders.qdx", d, m));
    ASSERT_TRUE(applyView(d, f.view, m));
    EXPECT_EQ(0, f.view.keyNumber);
    EXPECT_TRUE(f.view.filterText.IsEmpty());
    EXPECT_EQ(DefaultDisplayWidth(*f.fields.Find("Id")), f.fields.Find("Id")->width);
}

TEST(ViewFile, SectionHeadersIgnoreCaseKeysDoNot) {
    Fixture f;
    ViewDefinition d;
    ViewFileMessage m;
    std::string text = "[QDX v1.0 View File]\r\nDictionaryName=orders\r\nIndex=0\r\n\r\n"
                       "[FIELD:customer]\r\nwidth=5\r\nWidth=-12\r\nNoEquals\r\nEnabled=no\r\n\r\n"
                       "[Field:Missing]\r\nWidth=4\r\n";
    ASSERT_TRUE(parseViewText(text, "Orders", "orders.qdx", d, m));
    ASSERT_TRUE(applyView(d, f.view, m));
    EXPECT_EQ(-12, f.fields.Find("Customer")->width);
    EXPECT_FALSE(f.fields.Find("Customer")->selected);
    EXPECT_EQ(3, f.fields.Count());
}

TEST(ViewFile, RangeWithOnlyTheFirstLowerBound) {
    Fixture f;
    ViewDefinition d;
    ViewFileMessage m;
    std::string text = "[QDX v1.0 View File]\nDictionaryName=Orders\nIndex=1\nRangeMin=Baker,\nRangeMax=,\n";
    ASSERT_TRUE(parseViewText(text, "Orders", "orders.qdx", d, m));
    ASSERT_TRUE(applyView(d, f.view, m));
    const KeyRange& r = f.view.range;
    EXPECT_TRUE(r.active);
    ASSERT_EQ(2u, r.hasFrom.size());
    EXPECT_TRUE(r.hasFrom[0]);
    EXPECT_FALSE(r.hasFrom[1]);
    EXPECT_EQ("Baker", FieldToText(*f.index1.Get(0), r.from.data(), kRangeKeySize, false).ToStdString());
    // The descending second segment starts at its highest value and ends at its lowest.
    EXPECT_EQ(32767, le::GetI16(r.from.data() + 10));
    EXPECT_EQ(-32768, le::GetI16(r.to.data() + 10));

    // Every key whose first segment is Baker is in range, whatever its second.
    uint8_t key[kRangeKeySize] = {};
    for (int qty : {-5, 0, 9000}) {
        FieldFromText(*f.index1.Get(0), key, kRangeKeySize, "Baker");
        FieldFromText(*f.index1.Get(1), key, kRangeKeySize, std::to_string(qty));
        EXPECT_TRUE(r.Contains(f.index1, key)) << qty;
    }
    FieldFromText(*f.index1.Get(0), key, kRangeKeySize, "Allen");
    EXPECT_FALSE(r.Contains(f.index1, key));
    EXPECT_FALSE(r.PastEnd(f.index1, key));
}

TEST(ViewFile, RangeWithOnlyTheFirstLowerBoundOverTwoAscendingSegments) {
    Fixture f;
    FieldList index2;  // Customer then Qty, both ascending
    index2.Add(Field("Customer", kTypeString, 0, 10));
    index2.Add(Field("Qty", kTypeInteger, 10, 2));
    f.view.indexes.push_back(&index2);
    ViewDefinition d;
    ViewFileMessage m;
    std::string text = "[QDX v1.0 View File]\nDictionaryName=Orders\nIndex=2\nRangeMin=Baker,\nRangeMax=,\n";
    ASSERT_TRUE(parseViewText(text, "Orders", "orders.qdx", d, m));
    ASSERT_TRUE(applyView(d, f.view, m));
    ASSERT_EQ(2, f.view.keyNumber);
    const KeyRange& r = f.view.range;
    EXPECT_TRUE(r.active);
    ASSERT_EQ(2u, r.hasFrom.size());
    EXPECT_TRUE(r.hasFrom[0]);
    EXPECT_FALSE(r.hasFrom[1]);
    EXPECT_FALSE(r.hasTo[0]);
    EXPECT_FALSE(r.hasTo[1]);
    EXPECT_EQ("Baker", FieldToText(*index2.Get(0), r.from.data(), kRangeKeySize, false).ToStdString());
    // The open second segment starts at the type's lowest value and ends at its highest.
    EXPECT_EQ(-32768, le::GetI16(r.from.data() + 10));
    EXPECT_EQ(32767, le::GetI16(r.to.data() + 10));

    // From Baker with any Qty to the end of the index.
    uint8_t key[kRangeKeySize] = {};
    for (const char* customer : {"Baker", "Carter"})
        for (int qty : {-32768, 0, 32767}) {
            FieldFromText(*index2.Get(0), key, kRangeKeySize, customer);
            FieldFromText(*index2.Get(1), key, kRangeKeySize, std::to_string(qty));
            EXPECT_TRUE(r.Contains(index2, key)) << customer << " " << qty;
            EXPECT_FALSE(r.PastEnd(index2, key)) << customer << " " << qty;
        }
    FieldFromText(*index2.Get(0), key, kRangeKeySize, "Allen");
    FieldFromText(*index2.Get(1), key, kRangeKeySize, "32767");
    EXPECT_FALSE(r.Contains(index2, key));
}

TEST(KeyRange, DescendingSegmentBounds) {
    FieldList segments;
    segments.Add(Field("Qty", kTypeInteger, 0, 2, qdx::wire::kSegDescending));
    KeyRange r;
    r.SetBounds(segments, {"20"}, {"10"});
    uint8_t key[kRangeKeySize] = {};
    for (int qty = 5; qty <= 25; ++qty) {
        FieldFromText(*segments.Get(0), key, kRangeKeySize, std::to_string(qty));
        EXPECT_EQ(qty >= 10 && qty <= 20, r.Contains(segments, key)) << qty;
        EXPECT_EQ(qty < 10, r.PastEnd(segments, key)) << qty;
    }
    EXPECT_EQ("20", r.LowerTexts(segments)[0].ToStdString());
}

TEST(ViewFile, WriteReplacesAPlantedLinkAndAsksBeforeOverwriting) {
    std::string dir = ScratchDirectory();
    ASSERT_FALSE(dir.empty());
    std::string victim = dir + "/victim", path = dir + "/orders.qdx";
    std::ofstream(victim) << "precious";
    ASSERT_EQ(0, symlink(victim.c_str(), path.c_str()));
    Fixture f;
    ViewFileMessage m;
    int asked = 0;
    EXPECT_FALSE(writeView(describeView(f.view), Estring(path), [&](const Estring&) { return ++asked, false; }, m));
    EXPECT_EQ(1, asked);
    EXPECT_TRUE(writeView(describeView(f.view), Estring(path), nullptr, m));
    std::stringstream s;
    s << std::ifstream(victim).rdbuf();
    EXPECT_EQ("precious", s.str());
    struct stat st;
    ASSERT_EQ(0, lstat(path.c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ViewDefinition d;
    EXPECT_TRUE(readView(Estring(path), "Orders", "/data/orders.dat", d, m));
    EXPECT_FALSE(readView(Estring(dir + "/none.qdx"), "Orders", "/data/orders.dat", d, m));
    EXPECT_EQ("Unable to open view file", m.first.ToStdString());
    EXPECT_EQ("orders.qdx", m.second.ToStdString());
    EXPECT_FALSE(writeView(describeView(f.view), Estring(dir + "/no/such/dir.qdx"), nullptr, m));
    EXPECT_EQ("Error creating view file", m.first.ToStdString());
    std::system(("rm -rf " + dir).c_str());
}

TEST(ViewFile, DefaultViewName) {
    const struct { const char* in; const char* out; } kCases[] = {
        {"C:\\data\\orders.dat", "orders.qdx"}, {"/x/y/ORDERS", "ORDERS.qdx"},
        {"/x/.profile", ".profile.qdx"},         {"a.b.c", "a.b.qdx"},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.out, defaultViewName(c.in).ToStdString()) << c.in;
}

TEST(LastViewFile, DirectoryChoice) {
    std::string dir = ScratchDirectory();
    ASSERT_FALSE(dir.empty());
    std::map<std::string, std::string> env;
    auto lookup = [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    env["HOME"] = dir;
    EXPECT_EQ(dir + "/.local/state/quarrydex/orders.qdx", lastViewPath("/d/orders.dat", lookup).ToStdString());
    struct stat st;
    ASSERT_EQ(0, stat((dir + "/.local/state/quarrydex").c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    env["XDG_STATE_HOME"] = dir + "/state";
    EXPECT_EQ(dir + "/state/quarrydex", lastViewDirectory(lookup).ToStdString());
    // A state directory others may write is not used.
    chmod((dir + "/state/quarrydex").c_str(), 0777);
    EXPECT_TRUE(lastViewDirectory(lookup).IsEmpty());
    env["TEMP"] = "/var/tmp/";
    EXPECT_EQ("/var/tmp", lastViewDirectory(lookup).ToStdString());
    env["TMP"] = "/tmp/x";
    EXPECT_EQ("/tmp/x/a.qdx", lastViewPath("a.dat", lookup).ToStdString());
    env.clear();
    EXPECT_TRUE(lastViewPath("a.dat", lookup).IsEmpty());
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
