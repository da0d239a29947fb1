#include "platform/TerminalStyle.h"

namespace {

// Console palette order (blue = 1, red = 4) to ANSI order (red = 1, blue = 4).
constexpr int kAnsiOfConsole[8] = {0, 4, 2, 6, 1, 5, 3, 7};

constexpr int kBlack = 0, kDarkGrey = 8, kLightGrey = 7, kWhite = 15;

}  // namespace

int AnsiColour(int consoleColour) {
    consoleColour &= 0x0F;
    return (consoleColour & 8) + kAnsiOfConsole[consoleColour & 7];
}

CellStyle StyleOf(uint8_t attribute, ColourMode mode) {
    int fg = attribute & 0x0F;
    int bg = attribute >> 4;
    CellStyle style{-1, -1, 0, false, false, false, false};
    switch (mode) {
        case ColourMode::Full16:
            if (fg == bg) {
                style.blankText = true;
                fg = bg == kBlack ? kLightGrey : kBlack;
            }
            style.foreground = AnsiColour(fg);
            style.background = AnsiColour(bg);
            style.pair = 1 + bg * 16 + fg;
            return style;
        case ColourMode::Basic8: {
            int base = fg & 7;
            int back = bg & 7;
            style.bold = (fg & 8) != 0;
            if (fg == kDarkGrey && back == kBlack) {
                base = kLightGrey;
                style.bold = false;
                style.dim = true;
            } else if (base == back) {
                if (!style.bold) style.blankText = true;
                if (base == kBlack) base = kLightGrey;  // pair 0 cannot be coloured
            }
            style.foreground = AnsiColour(base);
            style.background = AnsiColour(back);
            style.pair = back * 8 + base;
            return style;
        }
        case ColourMode::Monochrome:
            break;
    }
    bool lightBackground = bg == kLightGrey || bg == kWhite;
    if (bg == kBlack) {
        if (fg == kBlack) style.blankText = true;
        else if (fg == kDarkGrey) style.dim = true;
        else style.reverse = true;
    } else if (lightBackground) {
        style.reverse = true;
        if (fg == bg) style.blankText = true;
    } else if (fg == bg) {
        style.blankText = true;
    }
    if (!style.dim && fg != kDarkGrey && (fg & 8) != 0) style.bold = true;
    if (fg == kDarkGrey && bg != kBlack) style.dim = true;
    // On a light background, a coloured letter (hot letters, headings) is bold.
    if (lightBackground && fg != kBlack && fg != kDarkGrey && fg != bg) style.bold = true;
    return style;
}
