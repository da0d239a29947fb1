#include "ui/MessageBox.h"

#include <algorithm>

#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/Input.h"
#include "ui/RawWindow.h"

namespace {

constexpr int kLineWidth = 72;
constexpr int kMaxLines = 10;
constexpr uint8_t kAlertColour = 0x4F;
constexpr uint8_t kNeutralColour = 0x70;
constexpr uint8_t kInfoColour = 0x1F;

struct ButtonSpec {
    const char* label;
    int column;  // relative to the centre of the inside
    int code;
    char letter;
};

struct ButtonSet {
    int minimumWidth;
    std::vector<ButtonSpec> buttons;
};

const ButtonSet& ButtonsOf(int set) {
    static const ButtonSet sets[4] = {
        {8, {{"Ok", -3, kAnswerOk, 'o'}}},
        {20, {{"Ok", -9, kAnswerOk, 'o'}, {"Cancel", -1, kAnswerCancel, 0}}},
        {50,
         {{"Ok", -24, kAnswerOk, 'o'},
          {"Cancel", -16, kAnswerCancel, 0},
          {"Skip", -4, kAnswerSkip, 's'},
          {"All", 6, kAnswerAll, 'a'},
          {"None", 15, kAnswerNone, 'e'}}},
        {36, {{"Skip", -17, kAnswerSkip, 's'}, {"Cancel", -7, kAnswerCancel, 0}, {"Skip All", 5, kAnswerAll, 0}}},
    };
    // Styles beyond the four sets show the plain Ok box.
    return sets[set >= 0 && set < 4 ? set : 0];
}

}  // namespace

std::vector<Estring> WrapMessageText(const Estring& text) {
    std::vector<Estring> lines;
    Estring rest = text;
    while (rest.Length() > kLineWidth && static_cast<int>(lines.size()) < kMaxLines - 1) {
        int cut = -1;
        for (int i = kLineWidth; i >= 0; --i)
            if (rest[i] == ' ') {
                cut = i;
                break;
            }
        if (cut < 0) cut = kLineWidth;
        lines.push_back(rest.Left(cut));
        Estring next = rest.Mid(cut);
        int blanks = 0;
        while (blanks < next.Length() && next[blanks] == ' ') ++blanks;
        rest = next.Mid(blanks);
    }
    // The tenth line takes what is left, cut to the line width.
    lines.push_back(rest.Left(kLineWidth));
    return lines;
}

std::vector<Estring> SplitMessageLines(const Estring& text) {
    std::vector<Estring> lines;
    int start = text.Length() > 0 && text[0] == '#' ? 1 : 0;
    for (;;) {
        int end = start;
        while (end < text.Length() && text[end] != '#') ++end;
        lines.push_back(text.Mid(start, end - start).Left(end - start));
        if (end >= text.Length()) break;
        start = end + 1;
    }
    return lines;
}

int messageBox(const Estring& text, const Estring& second, int style) {
    const ButtonSet& set = ButtonsOf(style & 0x0F);
    std::vector<Estring> lines = WrapMessageText(text);
    Estring secondLine = second.Left(kLineWidth);
    int w = set.minimumWidth;
    for (const Estring& line : lines) w = std::max(w, line.Length());
    w = std::max(w, secondLine.Length());
    int inner = (w + 1) / 2 * 2 + 2;
    int centre = inner / 2;
    int colour = (style & kMessageNeutral) != 0 ? kNeutralColour : kAlertColour;
    int rows = static_cast<int>(lines.size());

    Dialog box(-1, -3, inner + 2, rows + 4, colour, colour);
    std::string letters;
    int row = 0;
    for (const Estring& line : lines) {
        box.AddText((inner - line.Length()) / 2, row++, line);
        letters += '\0';
    }
    box.AddText((inner - secondLine.Length()) / 2, row++, secondLine);
    letters += '\0';
    for (const ButtonSpec& button : set.buttons) {
        box.AddPushButton(centre + button.column, row, 1, button.code, button.label);
        letters += button.letter;
    }
    box.SetHotLetters(letters.data(), static_cast<int>(letters.size()));
    int code = box.Run();
    if (code == 13) code = kAnswerOk;
    if (code < 0) code = ' ';
    return code & 0xFF;
}

void ShowMessage(const char* title, const Estring& text, bool alert) {
    std::vector<Estring> lines = SplitMessageLines(text);
    int w = 0;
    for (const Estring& line : lines) w = std::max(w, line.Length());
    w += 2;
    Estring heading = title != nullptr ? Estring(title) : Estring();
    if (title != nullptr) w = std::max(w, heading.Length() + 4);
    w = (w + 1) / 2 * 2;
    w = std::max(w, 28);
    int screenWidth = 0, screenHeight = 0;
    GetScreenSize(screenWidth, screenHeight);
    w = std::min(w, screenWidth - 2);
    int colour = alert ? kAlertColour : kInfoColour;
    int rows = static_cast<int>(lines.size());

    RawWindow window(-1, -3, w + 2, rows + 4, colour, colour, false);
    if (title != nullptr) window.WriteCentred(-1, (" " + heading + " ").Left(w));
    for (int i = 0; i < rows; ++i) window.WriteCentred(i + 1, lines[static_cast<size_t>(i)].Left(w));
    window.WriteText(w - 23, rows + 2, " Press ESC to continue ");
    SetCursorShape(0);
    InputEvent event{};
    do {
        WaitInput(event);
    } while (event.type == kEventWheelUp || event.type == kEventWheelDown);  // scrolls nothing here
}
