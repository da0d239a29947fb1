#include "expr/Lexer.h"

#include <array>

#include "expr/LiteralReaders.h"

namespace expr {

namespace {

constexpr char kDelimiters[] = "|&<>=!~ +-/*%?:(),^";

struct DelimiterSet {
    std::array<bool, 256> in{};
    DelimiterSet() {
        for (const char* p = kDelimiters; *p; ++p) in[static_cast<unsigned char>(*p)] = true;
    }
};

const DelimiterSet kDelimiterSet;

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool IsDelimiter(unsigned char c) { return kDelimiterSet.in[c]; }

void SkipSpaces(std::string_view text, int& pos) {
    while (pos < static_cast<int>(text.size()) && text[pos] == ' ') ++pos;
}

void ReadWord(std::string_view text, int& pos, Word& word) {
    const int n = static_cast<int>(text.size());
    word.text.Clear();
    word.quote = WordQuote::kNone;
    word.mismatched = false;
    char quote = 0;
    if (pos < n && (text[pos] == '"' || text[pos] == '\'')) {
        quote = text[pos];
        word.quote = quote == '"' ? WordQuote::kDouble : WordQuote::kSingle;
    }
    bool inside = false;
    int start = pos;  // start of a run of plain characters not yet copied
    while (pos < n) {
        const char c = text[pos];
        if (quote != 0 && c == quote) {
            word.text.Append(text.data() + start, pos - start);
            if (inside && pos + 1 < n && text[pos + 1] == quote) {
                word.text += quote;
                pos += 2;
            } else {
                inside = !inside;
                ++pos;
            }
            start = pos;
            continue;
        }
        if (!inside && IsDelimiter(static_cast<unsigned char>(c))) break;
        ++pos;
    }
    word.text.Append(text.data() + start, pos - start);
    word.mismatched = inside;
}

Variant ClassifyWord(const Estring& word) {
    int digits = 0, letters = 0, dots = 0, slashes = 0, colons = 0, minuses = 0, exponents = 0;
    for (int i = 0; i < word.Length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if ((c == 'e' || c == 'E') && digits > 0 && letters == 0) {
            ++exponents;
        } else if (IsAsciiLetter(c) || c == ' ') {
            ++letters;
        } else if (c == '.') {
            ++dots;
        } else if (c == '/') {
            ++slashes;
        } else if (c == ':') {
            ++colons;
        } else if (c == '-') {
            ++minuses;
        }
    }
    Variant value;
    if (slashes >= 2 || dots >= 2 || minuses >= 2) {
        value.SetDate(ReadDateLiteral(word.View()));
    } else if (colons > 0) {
        value.SetTime(ReadTimeLiteral(word.View()));
    } else if (digits == 0 || letters > 0 || exponents >= 2) {
        value.SetString(word);
    } else if (dots > 0 || word.Length() >= 10 || exponents == 1) {
        value.SetReal(ReadRealLiteral(word.View()));
    } else {
        value.SetInteger(ReadInt32Literal(word.View()));
    }
    return value;
}

CompareOp ScanCompareOp(std::string_view text, int& pos, int& length) {
    SkipSpaces(text, pos);
    const int n = static_cast<int>(text.size());
    length = 0;
    if (pos >= n) return CompareOp::kNone;
    const bool equalsNext = pos + 1 < n && text[pos + 1] == '=';
    switch (text[pos]) {
    case '<':
        length = equalsNext ? 2 : 1;
        return equalsNext ? CompareOp::kLessEqual : CompareOp::kLess;
    case '>':
        length = equalsNext ? 2 : 1;
        return equalsNext ? CompareOp::kGreaterEqual : CompareOp::kGreater;
    case '=':
        length = equalsNext ? 2 : 1;
        return equalsNext ? CompareOp::kExactEqual : CompareOp::kEqual;
    case '!':
        if (!equalsNext) return CompareOp::kNone;
        length = 2;
        return CompareOp::kNotEqual;
    case '~':
        if (!equalsNext) return CompareOp::kNone;
        length = 2;
        return CompareOp::kContains;
    default:
        return CompareOp::kNone;
    }
}

}  // namespace expr
