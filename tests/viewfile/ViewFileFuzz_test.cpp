// Damaged and hostile view files and CSV values: reading never crashes,
// a refusal says why, what is accepted applies to a view or is refused by
// it, and what a view writes reads back the same. Fixed seeds, bounded counts.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/Contract.h"
#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "viewfile/Csv.h"
#include "viewfile/View.h"
#include "viewfile/ViewFile.h"

namespace {

std::unique_ptr<FieldAttributes> Field(const char* name, uint8_t type, uint16_t offset, uint16_t length,
                                       uint16_t flags = 0) {
    return FieldAttributes::FromDictionary(name, type, offset, length, flags, 0, 0);
}

// A table "Orders": Id (Integer 4), Customer (String 10), Qty (Integer 2),
// Price (Float 8), Amount (Decimal 5); index 0 on Id, index 1 on Customer then Qty.
struct Table {
    FieldList fields;
    FieldList index0, index1;
    View view;
    Table() {
        fields.Add(Field("Id", kTypeInteger, 0, 4));
        fields.Add(Field("Customer", kTypeString, 4, 10));
        fields.Add(Field("Qty", kTypeInteger, 14, 2));
        fields.Add(Field("Price", kTypeFloat, 16, 8));
        fields.Add(Field("Amount", kTypeDecimal, 24, 5));
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

// The text of a view with every kind of setting.
std::string FullViewText() {
    Table t;
    t.view.keyNumber = 1;
    t.view.filterText = "Qty > 3 & Customer ~= \"a,b\"";
    t.view.range.SetBounds(t.index1, {"Smith, J"}, {"", "7"});
    t.fields.Find("Customer")->width = -25;
    t.fields.Find("Qty")->selected = false;
    t.fields.Find("Price")->decimals = 4;
    t.fields.Add(FieldAttributes::Calculated("Total", 12, "Qty * 2", 3));
    return formatViewText(describeView(t.view));
}

// Every field of the view shown as text, from an empty and from a full record.
void RenderFields(const View& view) {
    std::vector<uint8_t> zeros(64, 0), ones(64, 0xFF);
    for (int i = 0; i < view.fields->Count(); ++i) {
        const FieldAttributes& f = *view.fields->Get(i);
        if (f.IsCalculated()) continue;
        for (const std::vector<uint8_t>* record : {&zeros, &ones}) {
            Estring text = FieldToText(f, record->data(), static_cast<int>(record->size()), true);
            EXPECT_LE(text.Length(), kMaxDisplayWidth) << f.name.Text();
        }
    }
}

// Reads text for table Orders: either refused with one of the reading
// messages, or applied to a fresh view (or refused by it with a message);
// a view it was applied to writes a file that reads back to the same view.
void ExpectReadOrRefused(const std::string& text) {
    ViewDefinition definition;
    ViewFileMessage message;
    if (!parseViewText(text, "Orders", "orders.qdx", definition, message)) {
        const std::string first = message.first.ToStdString();
        EXPECT_TRUE(first == "Unable to read view file" || first == "Invalid view file" ||
                    first == "Incompatible view file")
            << first << "\n" << text;
        return;
    }
    EXPECT_TRUE(message.IsEmpty()) << text;
    Table t;
    if (!applyView(definition, t.view, message)) {
        EXPECT_EQ("Incompatible view file", message.first.ToStdString()) << text;
        return;
    }
    RenderFields(t.view);
    // A bound the segment cannot hold is kept as an open bound, written back
    // empty, and read as no bound: from the second writing on, the text stays.
    std::string written = formatViewText(describeView(t.view));
    std::string previous;
    for (int generation = 0; generation < 2; ++generation) {
        ViewDefinition again;
        ASSERT_TRUE(parseViewText(written, "Orders", "orders.qdx", again, message)) << written;
        Table u;
        ASSERT_TRUE(applyView(again, u.view, message)) << written;
        previous = written;
        written = formatViewText(describeView(u.view));
    }
    EXPECT_EQ(previous, written) << "read from:\n" << text;
}

TEST(ViewFileFuzz, TheFullViewReadsBackTheSame) {
    const std::string text = FullViewText();
    ViewDefinition definition;
    ViewFileMessage message;
    ASSERT_TRUE(parseViewText(text, "Orders", "orders.qdx", definition, message));
    Table t;
    ASSERT_TRUE(applyView(definition, t.view, message)) << message.first.Text();
    EXPECT_EQ(text, formatViewText(describeView(t.view)));
    EXPECT_EQ(1, t.view.keyNumber);
    EXPECT_TRUE(t.view.range.active);
    EXPECT_EQ(4, t.fields.Find("Price")->decimals);
}

TEST(ViewFileFuzz, EveryTruncationIsReadOrRefused) {
    const std::string text = FullViewText();
    for (size_t n = 0; n <= text.size(); ++n) ExpectReadOrRefused(text.substr(0, n));
}

TEST(ViewFileFuzz, MutatedFilesAreReadOrRefused) {
    std::mt19937 rng(1209);
    const std::string text = FullViewText();
    const char* const kInserts[] = {"\n", "\r\n", "=", ",", "\"", "\\", "\\999", "[Field:", "[CalcField:", "]",
                                    "[Join:x]\n", "Width=", "DecPlaces=", "Index=", "RangeMin=", "RangeMax=",
                                    "999999999", "-1000000000", "2147483647", "-", "Y", "N"};
    for (int round = 0; round < 2000; ++round) {
        std::string mutated = text;
        const int edits = 1 + static_cast<int>(rng() % 3);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % (mutated.size() + 1);
            switch (rng() % 4) {
            case 0:
                if (at < mutated.size()) mutated[at] = static_cast<char>(mutated[at] ^ (1u << (rng() % 8)));
                break;
            case 1:
                mutated.insert(at, kInserts[rng() % (sizeof kInserts / sizeof kInserts[0])]);
                break;
            case 2:
                mutated.erase(at, 1 + rng() % 8);
                break;
            default:
                mutated.insert(at, 1, static_cast<char>(rng() % 256));
                break;
            }
        }
        ExpectReadOrRefused(mutated);
    }
}

TEST(ViewFileFuzz, HugeNumbersLongLinesAndNulBytes) {
    const std::string head = "[QDX v1.0 View File]\nDictionaryName=Orders\n";
    const std::string cases[] = {
        head + "Index=999999999\n",
        head + "Index=-999999999\n",
        head + "Index=99999999999999999999\n",
        head + "\n[Field:Customer]\nWidth=-1000000000\nDecPlaces=1000000000\n",
        head + "\n[Field:Price]\nWidth=1000000000\nDecPlaces=-1000000000\n",
        head + "\n[Field:Amount]\nWidth=-2147483648\nDecPlaces=2147483647\n",
        head + "Index=1\nRangeMin=" + std::string(100000, ',') + "\nRangeMax=" + std::string(50000, '"') + "\n",
        head + "Index=1\nRangeMin=\\" + std::string(100000, '9') + "\n",
        head + "Filter=" + std::string(200000, '(') + "\n",
        head + "\n[CalcField:" + std::string(100000, 'x') + "]\nFormula=1\n",
        head + "\n[CalcField:]\nFormula=1\n[CalcField:]\nFormula=2\n",
        head + "\n[CalcField:A" + std::string(1, '\0') + "B]\nFormula=1" + std::string(1, '\0') + "+2\n",
        std::string("[QDX v1.0 View File]") + std::string(1, '\0') + "\nDictionaryName=Orders\n",
        head + std::string(300000, '\n'),
        head + std::string(100000, '\r'),
    };
    for (const std::string& text : cases) ExpectReadOrRefused(text);
}

TEST(ViewFileFuzz, RandomBytesAfterTheHeader) {
    std::mt19937 rng(99);
    for (int round = 0; round < 500; ++round) {
        std::string text = "[QDX v1.0 View File]\nDictionaryName=Orders\n";
        const size_t n = rng() % 300;
        for (size_t i = 0; i < n; ++i) text += static_cast<char>(rng() % 256);
        ExpectReadOrRefused(text);
    }
}

// csvDecode over any line: positions only move forward, every value of a
// line is read in a bounded number of calls, and encoded values decode to
// what was encoded even inside a mutated line's neighbours.
TEST(CsvFuzz, DecodeAnyLineEndsAndRoundTrips) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 3000; ++round) {
        std::string line(rng() % 120, '\0');
        for (char& c : line) c = static_cast<char>(rng() % 8 == 0 ? "\",\\\n0"[rng() % 5] : rng() % 256);
        int position = static_cast<int>(rng() % 3) - 1;  // also a negative start
        int calls = 0;
        while (static_cast<size_t>(position < 0 ? 0 : position) < line.size()) {
            const int before = position < 0 ? 0 : position;
            csvDecode(line, position);
            ASSERT_GT(position, before) << line;
            ASSERT_LE(static_cast<size_t>(position), line.size());
            ASSERT_LE(++calls, static_cast<int>(line.size()) + 1);
        }
        // Values encoded and joined with commas come back one by one.
        std::vector<std::string> values(1 + rng() % 4);
        std::string joined;
        for (size_t v = 0; v < values.size(); ++v) {
            values[v].resize(rng() % 20);
            for (char& c : values[v]) c = static_cast<char>(rng() % 256);
            if (v) joined += ',';
            joined += csvEncode(values[v]).ToStdString();
        }
        int at = 0;
        for (const std::string& value : values) {
            Estring decoded = csvDecode(joined, at);
            ASSERT_EQ(value, decoded.ToStdString()) << joined;
        }
        EXPECT_EQ(joined.size(), static_cast<size_t>(at));
    }
}

}  // namespace
