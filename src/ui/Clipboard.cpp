#include "ui/Clipboard.h"

#include "platform/Console.h"

namespace {

Estring& Text() {
    static Estring text;
    return text;
}

}  // namespace

void SetClipboardText(Console& console, const Estring& text) {
    Text() = text;
    console.Screen().SetClipboard(reinterpret_cast<const uint8_t*>(text.Text()), text.Length());
}

void SetClipboardText(const Estring& text) { SetClipboardText(ProcessConsole(), text); }

const Estring& ClipboardText() { return Text(); }

Estring OneLineText(const Estring& text) {
    Estring out;
    for (int i = 0; i < text.Length(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.Length() && text[i + 1] == '\n') continue;
        if (c == '\r' || c == '\n' || c == '\t') {
            out += ' ';
        } else if (c >= 32 && c != 127) {
            out += static_cast<char>(c);
        }
    }
    return out;
}
