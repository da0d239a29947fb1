#pragma once
// Unquoted words of a formula that look like field names but name no field.
//
// The formula language reads such a word as text ("Totl" is the string
// "Totl"), so a misspelt field name gives a wrong answer without a failure.
// qdxutil eval warns about these words; the language itself is unchanged.

#include <string>
#include <string_view>
#include <vector>

class FieldList;

namespace qdxutil {

// The words of formula, read by the formula lexer's rules, that are unquoted,
// not a function name (not followed by "("), match no field of fields (A-Z
// case ignored, as the language looks names up), would be read as text, and
// look like a name: a letter, "_" or a code-page letter first, then letters,
// digits, "_", ".", "#" or "$". Each word once (the first spelling met, A-Z
// case ignored), in the order of the text. fields may be null: then every
// such word is listed.
std::vector<std::string> UnknownNameWords(const FieldList* fields, std::string_view formula);

}  // namespace qdxutil
