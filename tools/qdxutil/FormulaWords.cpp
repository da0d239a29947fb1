#include "FormulaWords.h"

#include "base/Estring.h"
#include "expr/Lexer.h"
#include "fields/FieldList.h"
#include "fields/Variant.h"

namespace qdxutil {
namespace {

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80; }
bool IsNameByte(unsigned char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '#' || c == '$'; }

bool LooksLikeName(const Estring& word) {
    if (word.Length() == 0 || !IsLetter(static_cast<unsigned char>(word[0]))) return false;
    for (int i = 1; i < word.Length(); ++i) {
        if (!IsNameByte(static_cast<unsigned char>(word[i]))) return false;
    }
    return true;
}

bool AlreadyListed(const std::vector<std::string>& words, const Estring& word) {
    for (const std::string& w : words) {
        if (Estring::Compare(w, word.View()) == 0) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> UnknownNameWords(const FieldList* fields, std::string_view formula) {
    std::vector<std::string> words;
    const int n = static_cast<int>(formula.size());
    int pos = 0;
    expr::Word word;
    for (;;) {
        expr::SkipSpaces(formula, pos);
        if (pos >= n) break;
        // Operators, brackets and commas: every delimiter outside a word is
        // one of them, and a word never starts with one.
        if (expr::IsDelimiter(static_cast<unsigned char>(formula[pos]))) {
            ++pos;
            continue;
        }
        expr::ReadWord(formula, pos, word);
        if (word.quote != expr::WordQuote::kNone || word.mismatched) continue;
        int after = pos;
        expr::SkipSpaces(formula, after);
        if (after < n && formula[after] == '(') continue;  // a function call
        if (!LooksLikeName(word.text)) continue;
        if (fields != nullptr && fields->Find(word.text.View()) != nullptr) continue;
        if (!expr::ClassifyWord(word.text).IsString()) continue;
        if (!AlreadyListed(words, word.text)) words.push_back(word.text.ToStdString());
    }
    return words;
}

}  // namespace qdxutil
