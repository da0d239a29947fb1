#pragma once
// Comma-separated values as export, import and view files write them.
//
// Encoding keeps the output printable ASCII: a double quote is doubled, a
// backslash doubled, bytes below 32, 127 and 128-255 become a backslash and
// three decimal digits; a value holding a quote or a comma is then enclosed
// in double quotes. Decoding reverses it, so csvDecode(csvEncode(t)) == t for
// every byte string t.

#include <string>
#include <string_view>

#include "base/Estring.h"

// One value, encoded.
Estring csvEncode(std::string_view text);
// The same, appended to out.
// True when csvEncode leaves text as it is.
bool csvIsPlain(std::string_view text);
void csvEncodeAppend(std::string& out, std::string_view text);

// Reads the value that starts at position in line and moves position past it
// and past the comma that ends it (to line.size() at the end of the line):
// quotes toggle a quoted run (a comma inside one does not end the value) and
// two quotes in a row inside a value give one quote; a backslash with one to
// three decimal digits gives that byte (modulo 256), with any other character
// that character, and at the end of the line ends the value; line feeds are
// dropped. A position at or past the end gives empty text.
Estring csvDecode(std::string_view line, int& position);
