#pragma once
// The terminal's clipboard escape (OSC 52): "ESC ] 52 ; c ; <base64> BEL"
// asks the terminal to put the text on the system clipboard. Terminals that
// do not allow it ignore the sequence.

#include <string>
#include <string_view>

// Standard base64 (RFC 4648, with "=" padding).
std::string Base64(std::string_view bytes);

// The sequence for UTF-8 text; empty when the text is longer than
// kMaxOsc52Text bytes (terminals refuse or cut such sequences).
constexpr size_t kMaxOsc52Text = 65536;
std::string Osc52Sequence(std::string_view utf8);
