#pragma once
// The lexical rules of formulas, shared by the compiler and the re-parsing
// reference evaluator so that both read a formula the same way.

#include <cstdint>
#include <string_view>

#include "base/Estring.h"
#include "fields/Variant.h"

namespace expr {

// True for the characters that end an unquoted word: |&<>=!~ +-/*%?:(),^ and the space.
bool IsDelimiter(unsigned char c);

// Skips the space character only (tabs are ordinary characters).
void SkipSpaces(std::string_view text, int& pos);

enum class WordQuote : uint8_t { kNone, kSingle, kDouble };

struct Word {
    Estring text;           // quotes removed, doubled quotes made single
    WordQuote quote = WordQuote::kNone;
    bool mismatched = false;  // the text ended inside quotes
};

// Reads one word at pos (which must not be at a space the caller meant to
// skip): up to the end of the text or a delimiter outside quotes. A word that
// starts with a quote character uses it for quoting; the same quote doubled
// inside quotes stands for one. pos moves past the word.
void ReadWord(std::string_view text, int& pos, Word& word);

// Classifies a single-quoted word, or an unquoted word that names no field,
// as a date, time, string, real or integer literal.
Variant ClassifyWord(const Estring& word);

// The comparison operators, read by one scanner for both comparison levels.
enum class CompareOp : uint8_t { kNone, kLess, kLessEqual, kGreater, kGreaterEqual, kEqual, kExactEqual,
                                 kNotEqual, kContains };

// Skips spaces, then reports the comparison operator at pos without moving
// past it; length receives its length in characters.
CompareOp ScanCompareOp(std::string_view text, int& pos, int& length);

inline bool IsEqualityOp(CompareOp op) {
    return op == CompareOp::kEqual || op == CompareOp::kExactEqual || op == CompareOp::kNotEqual;
}
inline bool IsRelationOp(CompareOp op) {
    return op == CompareOp::kLess || op == CompareOp::kLessEqual || op == CompareOp::kGreater ||
           op == CompareOp::kGreaterEqual || op == CompareOp::kContains;
}

}  // namespace expr
