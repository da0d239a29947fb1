#pragma once
// The console's 8-bit code page (437): every byte has a glyph. The screen
// shows bytes through this table, input maps typed characters back through
// it, and file names reach the file system as UTF-8 made with it.

#include <cstdint>
#include <string>
#include <string_view>

namespace cp437 {

// The Unicode character drawn for byte b (0 is drawn as a blank).
char32_t ToUnicode(uint8_t b);
// The byte whose glyph is c, or -1 when the code page has none. ASCII maps to itself.
int FromUnicode(char32_t c);
// UTF-8 text of 8-bit text (bytes below 0x80 are kept as they are).
std::string ToUtf8(std::string_view text);
// 8-bit text of UTF-8 text; characters with no byte become '?'; bytes that do
// not start a valid sequence (overlong forms and surrogates included) are
// taken as code page bytes.
std::string FromUtf8(std::string_view text);
// The UTF-8 sequence at the start of text (not empty): its length 1 to 4 with
// its character in c; 0 when the first byte starts no valid sequence; -1 when
// text ends inside a sequence that is valid so far.
int DecodeUtf8(std::string_view text, char32_t& c);
// Appends the UTF-8 encoding of c to out.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace cp437
