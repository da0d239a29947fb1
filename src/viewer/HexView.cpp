#include "viewer/HexView.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/RawWindow.h"
#include "viewer/SaveChanges.h"

namespace {

constexpr int kWindowWidth = 76;
constexpr int kWindowTop = 4;
constexpr int kLinesBesideView = 7;  // screen lines the view leaves free
constexpr uint8_t kHexAttribute = 0x3F;
constexpr uint8_t kOtherAreaAttribute = 0x3E;
constexpr int kLargeCursor = 90;
constexpr int kNormalCursor = 20;

int HexDigit(int key) {
    if (key >= '0' && key <= '9') return key - '0';
    if (key >= 'a' && key <= 'f') return key - 'a' + 10;
    if (key >= 'A' && key <= 'F') return key - 'A' + 10;
    return -1;
}

}  // namespace

HexEditor::HexEditor(uint8_t* bytes_, int length_, int pageLines_)
    : bytes(bytes_), length(std::max(0, length_)), pageLines(std::max(1, pageLines_)),
      original(bytes_, bytes_ + std::max(0, length_)) {}

void HexEditor::Restore() {
    if (length > 0) std::memcpy(bytes, original.data(), static_cast<size_t>(length));
    modified = false;
}

int HexEditor::CursorColumn() const {
    if (textMode) return TextColumn(pos);
    return HexColumn(pos / 2) + pos % 2;
}

Estring HexEditor::LineText(int l) const {
    if (l < 0 || l >= Lines()) return Estring();
    const int first = l * kBytesPerLine;
    const int count = std::min(kBytesPerLine, length - first);
    char text[80];
    std::memset(text, ' ', sizeof text);
    char offset[16];
    std::snprintf(offset, sizeof offset, "%04X: ", static_cast<unsigned>(first) & 0xFFFFu);
    std::memcpy(text, offset, 6);
    for (int b = 0; b < count; ++b) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", bytes[first + b]);
        text[HexColumn(b)] = digits[0];
        text[HexColumn(b) + 1] = digits[1];
        const uint8_t c = bytes[first + b];
        text[TextColumn(b)] = c == 0 ? '.' : static_cast<char>(c);
    }
    // A short last line ends with its bytes.
    int end = count == kBytesPerLine ? TextColumn(kBytesPerLine) : TextColumn(count);
    return Estring(text, end);
}

void HexEditor::Clamp() {
    if (length == 0) {
        line = top = pos = 0;
        return;
    }
    line = std::clamp(line, 0, Lines() - 1);
    pos = std::clamp(pos, 0, LastPos());
    const int last = length - 1;
    if (CursorByte() > last) {
        line = last / kBytesPerLine;
        pos = textMode ? last % kBytesPerLine : 2 * (last % kBytesPerLine) + 1;
    }
    if (line < top) top = line;
    if (line >= top + pageLines) top = line - pageLines + 1;
    top = std::clamp(top, 0, std::max(0, Lines() - pageLines));
}

void HexEditor::MoveOn() {
    if (pos < LastPos()) {
        ++pos;
    } else if (line < Lines() - 1) {
        ++line;
        pos = 0;
    }
}

void HexEditor::MoveBack() {
    if (pos > 0) {
        --pos;
    } else if (line > 0) {
        --line;
        pos = LastPos();
    }
}

HexEditor::Action HexEditor::Key(int key) {
    Action action = Action::kStay;
    switch (key) {
        case kKeyTab: {
            const int b = textMode ? pos : pos / 2;
            textMode = !textMode;
            pos = textMode ? b : 2 * b;
            break;
        }
        case kKeyLeft: MoveBack(); break;
        case kKeyRight: MoveOn(); break;
        case kKeyHome: pos = 0; break;
        case kKeyEnd: pos = LastPos(); break;
        case kKeyUp: line = std::max(0, line - 1); break;
        case kKeyDown: line = std::min(Lines() - 1, line + 1); break;
        case kKeyPageUp:
            line -= pageLines;
            top -= pageLines;
            break;
        case kKeyPageDown:
            line += pageLines;
            top += pageLines;
            break;
        case kKeyCtrlHome: line = pos = 0; break;
        case kKeyCtrlEnd:
            line = Lines() - 1;
            pos = LastPos();
            break;
        case kKeyF10: action = Action::kEnd; break;
        case kKeyEsc: action = modified ? Action::kAskToEnd : Action::kEnd; break;
        default:
            if (length == 0) break;
            if (!textMode) {
                const int digit = HexDigit(key);
                if (digit < 0) break;
                uint8_t& b = bytes[CursorByte()];
                b = pos % 2 == 0 ? static_cast<uint8_t>((b & 0x0F) | (digit << 4))
                                 : static_cast<uint8_t>((b & 0xF0) | digit);
                modified = true;
                MoveOn();
            } else if (key >= 0 && key < 256) {
                bytes[CursorByte()] = static_cast<uint8_t>(key);
                modified = true;
                MoveOn();
            }
            break;
    }
    Clamp();
    return action;
}

namespace {

class HexWindow {
public:
    HexWindow(HexEditor& editor_, int shown_, const Estring& title)
        : editor(editor_), shown(shown_),
          window(-1, kWindowTop, kWindowWidth, shown_ + 2, kHexAttribute, kHexAttribute, false) {
        window.WriteCentred(-1, Estring(" ") + title + " ", kHexAttribute);
    }

    void Draw() {
        for (int i = 0; i < shown; ++i) {
            const int l = editor.top + i;
            window.WriteText(0, i, editor.LineText(l).PadOrCut(window.InnerWidth()), kHexAttribute);
        }
        if (editor.Lines() == 0) return;
        const int b = editor.CursorByte() % HexEditor::kBytesPerLine;
        const int y = editor.line - editor.top;
        if (editor.textMode)
            window.SetAttributes(HexEditor::HexColumn(b), y, 2, kOtherAreaAttribute);
        else
            window.SetAttributes(HexEditor::TextColumn(b), y, 1, kOtherAreaAttribute);
        window.SetCursor(editor.CursorColumn(), y);
        window.ShowCursor();
    }

private:
    HexEditor& editor;
    int shown;
    RawWindow window;
};

}  // namespace

bool hexView(uint8_t* bytes, int length, const Estring& title, bool insideRecordView) {
    int screenWidth = 80, screenHeight = 25;
    RawWindow::GetScreenSize(screenWidth, screenHeight);
    const int lines = (std::max(0, length) + HexEditor::kBytesPerLine - 1) / HexEditor::kBytesPerLine;
    const int shown = std::max(0, std::min(screenHeight - kLinesBesideView, lines));
    HexEditor editor(bytes, length, std::max(1, shown));
    {
        HexWindow window(editor, shown, title);
        RawWindow::SetCursorShape(kLargeCursor);
        for (;;) {
            window.Draw();
            InputEvent event{};
            WaitInput(event);
            if (event.type != kEventKey) continue;
            HexEditor::Action action = editor.Key(event.key);
            if (action == HexEditor::Action::kEnd) break;
            if (action != HexEditor::Action::kAskToEnd) continue;
            // Inside the record view the record view's own question decides.
            if (insideRecordView) break;
            const int answer = askSaveChanges();
            RawWindow::SetCursorShape(kLargeCursor);
            if (answer == kSaveAnswerOk) break;
            if (answer == kSaveAnswerDiscard) {
                editor.Restore();
                break;
            }
        }
    }
    RawWindow::SetCursorShape(kNormalCursor);
    return editor.modified;
}
