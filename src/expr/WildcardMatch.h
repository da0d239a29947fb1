#pragma once
// Wildcard patterns, for the "~=" operator and SUM's choice of fields.
//
//   ?        any one character (not the end of the text)
//   [...]    one character of a class: single characters and ranges a-z;
//            "^" first reverses the class; a later "^" reverses the sense of
//            the entries after it (the last entry holding the character
//            decides); "-" first starts a range at code 0, "-" last runs to 255
//   *        any run of characters, the empty run included
//   {a,b,c}  alternatives, each tried with the rest of the pattern
// "[" without a later "]" and "{" without a later "}" are ordinary characters.
// Letters A to Z match without regard to case.

#include <string_view>

namespace expr {

bool WildcardMatch(std::string_view pattern, std::string_view text);

}  // namespace expr
