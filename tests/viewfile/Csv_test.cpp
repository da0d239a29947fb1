// CSV values: encoding examples, decoding examples, and the round trip over
// every byte value.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "viewfile/Csv.h"

namespace {

// Reads count values from line, one after the other.
std::vector<std::string> Decode(const std::string& line, size_t count) {
    std::vector<std::string> values;
    int position = 0;
    while (values.size() < count) values.push_back(csvDecode(line, position).ToStdString());
    return values;
}

TEST(CsvEncode, Examples) {
    const struct { std::string text; const char* encoded; } kCases[] = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"tab\there", "tab\\009here"},            // not enclosed
        {"back\\slash", "back\\\\slash"},
        {std::string("\0\x7F\xFF", 3), "\\000\\127\\255"},
        {"line\r\n", "line\\013\\010"},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(csvEncode(c.text).ToStdString(), c.encoded) << c.text;
}

TEST(CsvDecode, Examples) {
    const struct { const char* line; std::vector<std::string> values; } kCases[] = {
        {"a,\"b,c\",\"d\"\"e\"", {"a", "b,c", "d\"e"}},
        {"d\"\"e", {"de"}},                          // two quotes inside an unquoted value
        {"x\\065y,\\9,\\1234", {"xAy", "\t", "{4"}},
        {"\\300", {std::string(1, static_cast<char>(300 % 256))}},
        {"a\\", {"a"}},                              // backslash at the end ends the value
        {"a\\,b", {"a,b"}},                          // backslash and any other character: that character
        {"one\n,two", {"one", "two"}},               // line feeds dropped
        {",,", {"", "", ""}},
        {"\"\"\"a\"", {"\"a"}},
    };
    for (const auto& c : kCases) EXPECT_EQ(Decode(c.line, c.values.size()), c.values) << c.line;
}

TEST(CsvDecode, PositionAdvancesPastTheComma) {
    std::string line = "ab,cd";
    int position = 0;
    EXPECT_EQ(csvDecode(line, position).ToStdString(), "ab");
    EXPECT_EQ(position, 3);
    EXPECT_EQ(csvDecode(line, position).ToStdString(), "cd");
    EXPECT_EQ(position, 5);
    EXPECT_EQ(csvDecode(line, position).ToStdString(), "");
    EXPECT_EQ(position, 5);
    position = 99;
    EXPECT_EQ(csvDecode(line, position).ToStdString(), "");
}

TEST(Csv, RoundTripOfEveryByteValue) {
    std::mt19937 random(4242);
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    std::vector<std::string> texts = {all, "", "\"", ",", "\\", "\\\\009", "\"\",\"\""};
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        int n = static_cast<int>(random() % 24);
        for (int k = 0; k < n; ++k) {
            // Mostly the bytes that matter to the format, then any byte.
            static const char kSpecial[] = "\",\\0123456789\n\r";
            text += (random() % 2) ? kSpecial[random() % (sizeof kSpecial - 1)] : static_cast<char>(random() & 0xFF);
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        Estring encoded = csvEncode(text);
        for (int i = 0; i < encoded.Length(); ++i) {
            unsigned char c = static_cast<unsigned char>(encoded[i]);
            ASSERT_TRUE(c >= 32 && c < 127) << "not printable in the encoding of a text of " << text.size();
        }
        // Several values in one line decode one by one.
        std::string line = encoded.ToStdString() + "," + encoded.ToStdString();
        int position = 0;
        ASSERT_EQ(csvDecode(line, position).ToStdString(), text);
        ASSERT_EQ(csvDecode(line, position).ToStdString(), text);
        ASSERT_EQ(position, static_cast<int>(line.size()));
    }
}

}  // namespace
