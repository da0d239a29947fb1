// The export formats' lines: CSV values and the Integer/Float zero rule,
// SAV lines of raw bytes, TXT headings padded to the columns.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fields/FieldCodec.h"
#include "fields/FieldList.h"
#include "fields/NumberText.h"
#include "viewfile/Csv.h"
#include "viewfile/ExportLines.h"
#include "viewfile/Exporter.h"

namespace {

struct Table {
    FieldList fields;
    std::vector<uint8_t> record = std::vector<uint8_t>(64, 0);
    Table() {
        fields.Add(FieldAttributes::FromDictionary("Name", kTypeString, 0, 20, 0, 1, 0));
        fields.Add(FieldAttributes::FromDictionary("Qty", kTypeInteger, 20, 2, 0, 2, 0));
        fields.Add(FieldAttributes::FromDictionary("Price", kTypeFloat, 22, 8, 0, 3, 0));
        fields.Add(FieldAttributes::FromDictionary("Code", kTypeUnsignedInteger, 30, 2, 0, 4, 0));
    }
    void Set(const char* name, const char* text) {
        ASSERT_TRUE(FieldFromText(*fields.Find(name), record.data(), 64, text)) << name << "=" << text;
    }
};

TEST(ExportCsv, ValuesEncodedAndZerosEmpty) {
    Table t;
    auto fields = exportedFields(t.fields, true);
    const struct { const char* name; const char* qty; const char* price; const char* line; } kCases[] = {
        {"Smith, J", "0", "0", "\"Smith, J\",,,0\r\n"},
        {"say \"hi\"", "-3", "1.5", "\"say \"\"hi\"\"\",-3,1.5,0\r\n"},
        {"tab\there", "10", "0", "tab\\009here,10,,0\r\n"},
    };
    for (const auto& c : kCases) {
        t.Set("Name", c.name);
        t.Set("Qty", c.qty);
        t.Set("Price", c.price);
        std::string out;
        appendCsvRecord(out, fields, t.record.data(), 64);
        EXPECT_EQ(c.line, out) << c.name;
    }
    // The same Integer 0 is a 0 in the fixed-width text.
    t.Set("Qty", "0");
    std::string txt;
    appendTxtRecord(txt, {t.fields.Find("Qty")}, t.record.data(), 64);
    EXPECT_NE(std::string::npos, txt.find('0')) << txt;
    EXPECT_EQ(t.fields.Find("Qty")->width < 0 ? -t.fields.Find("Qty")->width : t.fields.Find("Qty")->width,
              static_cast<int>(txt.size()) - 2);
}

TEST(ExportCsv, HeadingAndSelection) {
    Table t;
    t.fields.Find("Price")->selected = false;
    std::string out;
    appendCsvHeading(out, exportedFields(t.fields, true));
    EXPECT_EQ("Name,Qty,Code\r\n", out);
    out.clear();
    appendCsvHeading(out, exportedFields(t.fields, false));
    EXPECT_EQ("Name,Qty,Price,Code\r\n", out);
}

TEST(ExportSav, HundredBytesWithLineFeeds) {
    std::vector<uint8_t> record(100);
    for (int i = 0; i < 100; ++i) record[static_cast<size_t>(i)] = i % 3 == 0 ? '\n' : static_cast<uint8_t>(i);
    std::string out;
    appendSavRecord(out, record.data(), 100);
    ASSERT_EQ(4u + 100u + 2u, out.size());
    EXPECT_EQ("100,", out.substr(0, 4));
    EXPECT_EQ(0, std::memcmp(out.data() + 4, record.data(), 100));
    EXPECT_EQ("\r\n", out.substr(104));
}

TEST(ExportTxt, HeadingPaddedToWidths) {
    FieldList fields;
    auto name = FieldAttributes::FromDictionary("Name", kTypeString, 0, 10, 0, 1, 0);
    name->width = -10;
    auto qty = FieldAttributes::FromDictionary("Qty", kTypeInteger, 10, 2, 0, 2, 0);
    qty->width = 8;
    auto longName = FieldAttributes::FromDictionary("Description", kTypeString, 12, 4, 0, 3, 0);
    longName->width = -4;
    fields.Add(std::move(name));
    fields.Add(std::move(qty));
    fields.Add(std::move(longName));
    std::string out;
    appendTxtHeading(out, exportedFields(fields, true));
    EXPECT_EQ("Name            Qty Desc\r\n========================\r\n", out);
}

// The lines are written straight into the buffer, without a string per
// field; they must equal what the field texts give one by one: CSV values
// through csvEncode with the zero rule, TXT values in display form. Random
// bytes of every type and random widths, fixed seed.
TEST(ExportLines, EveryTypeEqualsItsFieldTextsOneByOne) {
    struct Kind { uint8_t type; int length; };
    const Kind kKinds[] = {{kTypeString, 7},  {kTypeZString, 6},  {kTypeLString, 6},  {kTypeNote, 9},
                           {kTypeInteger, 1}, {kTypeInteger, 2},  {kTypeInteger, 4},  {kTypeInteger, 8},
                           {kTypeUnsignedInteger, 4},             {kTypeUnsignedInteger, 8},
                           {kTypeAutoIncrement, 4},               {kTypeFloat, 4},    {kTypeFloat, 8},
                           {kTypeBFloat, 8},  {kTypeDate, 4},     {kTypeTime, 4},     {kTypeLogical, 1},
                           {kTypeBit, 1},     {kTypeDecimal, 5},  {kTypeCurrency, 8}, {kTypeMoney, 6},
                           {kTypeInteger, 3}};
    std::mt19937 random(20261209);
    FieldList fields;
    int offset = 0;
    int number = 1;
    for (const Kind& kind : kKinds) {
        auto field = FieldAttributes::FromDictionary("F" + std::to_string(number), kind.type, offset, kind.length,
                                                     2, number, 0);
        offset += kind.length;
        ++number;
        fields.Add(std::move(field));
    }
    const int recordLength = offset;
    auto all = exportedFields(fields, false);
    char order[4];
    LocaleDateOrder(order);
    for (int round = 0; round < 3000; ++round) {
        for (int i = 0; i < fields.Count(); ++i) {
            FieldAttributes* field = fields.Get(i);
            int w = std::uniform_int_distribution<int>(-12, 12)(random);
            field->width = w;
        }
        std::vector<uint8_t> record(static_cast<size_t>(recordLength));
        for (auto& b : record) {
            int pick = std::uniform_int_distribution<int>(0, 9)(random);
            // Mostly small bytes and text, so dates, times and zeros turn up.
            b = static_cast<uint8_t>(pick < 3 ? 0 : pick < 6 ? 'A' + pick : random() & 0xFF);
        }
        // A record cut short leaves some fields without their bytes.
        int length = round % 7 == 0 ? std::uniform_int_distribution<int>(0, recordLength)(random) : recordLength;
        for (bool displayForm : {false, true}) {
            CsvStyle style;
            style.displayForm = displayForm;
            std::string expected;
            for (size_t i = 0; i < all.size(); ++i) {
                if (i) expected += ',';
                Estring text = FieldToText(*all[i], record.data(), length, displayForm);
                bool zero = (all[i]->type == kTypeInteger || all[i]->type == kTypeFloat) && text.View() == "0";
                if (!zero) csvEncodeAppend(expected, text.View());
            }
            expected += "\r\n";
            std::string got = "before";
            appendCsvRecord(got, all, record.data(), length, style, std::string_view(order, 4));
            ASSERT_EQ("before" + expected, got) << "round " << round << " display " << displayForm;
        }
        std::string expectedTxt;
        for (size_t i = 0; i < all.size(); ++i) {
            if (i) expectedTxt += ' ';
            expectedTxt.append(FieldToText(*all[i], record.data(), length, true).View());
        }
        expectedTxt += "\r\n";
        std::string txt;
        appendTxtRecord(txt, all, record.data(), length, std::string_view(order, 4));
        ASSERT_EQ(expectedTxt, txt) << "round " << round;
    }
}

// A date order whose separator is a comma makes the date a quoted value.
TEST(ExportCsv, DateWithACommaSeparatorIsQuoted) {
    FieldList fields;
    fields.Add(FieldAttributes::FromDictionary("When", kTypeDate, 0, 4, 0, 1, 0));
    std::vector<uint8_t> record = {31, 12, 0xE4, 0x07};  // 31 Dec 2020
    std::string out;
    appendCsvRecord(out, exportedFields(fields, false), record.data(), 4, CsvStyle(), "dmy,");
    EXPECT_EQ("\"31,12,2020\"\r\n", out);
}

TEST(ExportFileName, ExtensionByFormat) {
    EXPECT_EQ("/d/orders.csv", exportFileName("/d/orders", ExportFormat::kCsv).ToStdString());
    EXPECT_EQ("/d/orders.sav", exportFileName("/d/orders", ExportFormat::kSav).ToStdString());
    EXPECT_EQ("/d/orders.txt", exportFileName("/d/orders", ExportFormat::kTxt).ToStdString());
    EXPECT_EQ("/d/o.dat", exportFileName("/d/o.dat", ExportFormat::kSav).ToStdString());
    // A dot in a directory's name is not the file's extension.
    EXPECT_EQ("/home/j.smith/out.csv", exportFileName("/home/j.smith/out", ExportFormat::kCsv).ToStdString());
    EXPECT_EQ("C:\\j.smith\\out.txt", exportFileName("C:\\j.smith\\out", ExportFormat::kTxt).ToStdString());
    EXPECT_EQ("/home/j.smith/.csv", exportFileName("/home/j.smith/.csv", ExportFormat::kSav).ToStdString());
}

}  // namespace
