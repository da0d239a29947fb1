#include "viewfile/Csv.h"

#include <string>

namespace {

bool NeedsEscape(unsigned char c) { return c < 32 || c >= 127; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr int kEscapeDigits = 3;
bool IsPlain(unsigned char c) { return !NeedsEscape(c) && c != '"' && c != '\\' && c != ','; }

size_t PlainPrefix(std::string_view text) {
    size_t plain = 0;
    while (plain < text.size() && IsPlain(static_cast<unsigned char>(text[plain]))) ++plain;
    return plain;
}

}  // namespace

bool csvIsPlain(std::string_view text) { return PlainPrefix(text) == text.size(); }

void csvEncodeAppend(std::string& out, std::string_view text) {
    // Most values need nothing done: append them whole.
    size_t plain = PlainPrefix(text);
    if (plain == text.size()) {
        out.append(text);
        return;
    }
    size_t start = out.size();
    out.append(text.data(), plain);
    bool enclose = false;
    for (char ch : text.substr(plain)) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"') {
            out += "\"\"";
            enclose = true;
        } else if (c == '\\') {
            out += "\\\\";
        } else if (NeedsEscape(c)) {
            char escape[4] = {'\\', static_cast<char>('0' + c / 100), static_cast<char>('0' + c / 10 % 10),
                              static_cast<char>('0' + c % 10)};
            out.append(escape, sizeof escape);
        } else {
            if (c == ',') enclose = true;
            out += ch;
        }
    }
    if (enclose) {
        out.insert(start, 1, '"');
        out += '"';
    }
}

Estring csvEncode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    csvEncodeAppend(out, text);
    return Estring(out.data(), static_cast<int>(out.size()));
}

Estring csvDecode(std::string_view line, int& position) {
    std::string out;
    if (position < 0) position = 0;
    size_t i = static_cast<size_t>(position);
    bool quoted = false;
    while (i < line.size()) {
        char c = line[i];
        if (c == ',' && !quoted) {
            ++i;  // the comma ends the value and is consumed
            break;
        }
        if (c == '"') {
            // Inside a quoted run, a quote followed by another is one literal quote.
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                out += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        if (c == '\\') {
            ++i;
            if (i >= line.size()) break;
            if (IsDigit(line[i])) {
                unsigned value = 0;
                for (int k = 0; k < kEscapeDigits && i < line.size() && IsDigit(line[i]); ++k, ++i)
                    value = value * 10 + static_cast<unsigned>(line[i] - '0');
                out += static_cast<char>(value % 256);
            } else {
                out += line[i++];
            }
            continue;
        }
        if (c != '\n') out += c;
        ++i;
    }
    position = static_cast<int>(i);
    return Estring(out.data(), static_cast<int>(out.size()));
}
