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
// 8-bit text of UTF-8 text; characters with no byte become '?'; invalid UTF-8 bytes are taken as code page bytes.
std::string FromUtf8(std::string_view text);
// Appends the UTF-8 encoding of c to out.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace cp437
