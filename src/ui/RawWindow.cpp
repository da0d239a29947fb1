#include "ui/RawWindow.h"

#include <algorithm>
#include <cstring>

#include "ui/ColourScheme.h"

namespace {

// Double-line frame, code page 437.
constexpr uint8_t kFrameTopLeft = 0xC9, kFrameHorizontal = 0xCD, kFrameTopRight = 0xBB, kFrameVertical = 0xBA,
                  kFrameBottomLeft = 0xC8, kFrameBottomRight = 0xBC;

const uint8_t* Bytes(const Estring& text) { return reinterpret_cast<const uint8_t*>(text.Text()); }

}  // namespace

RawWindow::RawWindow(int leftArg, int topArg, int width, int height, int attributeArg, int frameAttribute,
                     bool noShadow, Console& consoleArg)
    : console(consoleArg) {
    Display& display = Screen();
    screenWidth = display.Width();
    screenHeight = display.Height();
    if (width < 1) width = screenWidth + width;
    if (height < 1) height = screenHeight + height;
    // A window is at least one cell, so that its rectangle is never inverted.
    width = std::max(1, width);
    height = std::max(1, height);
    left = leftArg < 0 ? (screenWidth - width) / 2 : leftArg;
    top = topArg < 0 ? (screenHeight - height) / -topArg : topArg;
    right = left + width - 1;
    bottom = top + height - 1;
    hasShadow = !noShadow && bottom + 1 < screenHeight && right + 2 < screenWidth;

    originX = left;
    originY = top;
    saved.resize(static_cast<size_t>(SavedWidth()) * SavedHeight());
    display.ReadCells(left, top, SavedWidth(), SavedHeight(), saved.data());

    if (attributeArg >= 0) {
        attribute = static_cast<uint8_t>(attributeArg);
        ClearWindow();
    } else {
        attribute = ColourScheme[kColourWindow];
    }
    if (hasShadow) DrawShadow();
    if (frameAttribute >= 0) DrawFrame(static_cast<uint8_t>(frameAttribute));
    cursorX = 0;
    cursorY = 0;
    console.OpenWindow(this);
}

RawWindow::~RawWindow() {
    console.CloseWindow(this);
    Screen().WriteCells(left, top, SavedWidth(), SavedHeight(), saved.data());
}

uint8_t RawWindow::ShadowAttribute(uint8_t a) {
    int foreground = a & 0x0F;
    return static_cast<uint8_t>(foreground < 8 ? 8 : foreground - 8);
}

uint8_t RawWindow::HotAttribute(uint8_t a) {
    int background = a & 0xF0;
    int foreground = a & 0x0F;
    if (background == 0x70) return static_cast<uint8_t>(background | (foreground ^ 1));
    return static_cast<uint8_t>(background | (foreground == 0x0E ? 0x0F : 0x0E));
}

void RawWindow::DrawShadow() {
    Display& display = Screen();
    std::vector<uint8_t> attrs(static_cast<size_t>(Width()));
    // Bottom row piece: columns left + 2 .. right + 2 of row bottom + 1.
    display.ReadAttributes(left + 2, bottom + 1, attrs.data(), Width());
    for (uint8_t& a : attrs) a = ShadowAttribute(a);
    display.WriteAttributes(left + 2, bottom + 1, attrs.data(), Width());
    // Right piece: columns right + 1 and right + 2 of rows top + 1 .. bottom.
    for (int y = top + 1; y <= bottom; ++y) {
        uint8_t pair[2];
        display.ReadAttributes(right + 1, y, pair, 2);
        pair[0] = ShadowAttribute(pair[0]);
        pair[1] = ShadowAttribute(pair[1]);
        display.WriteAttributes(right + 1, y, pair, 2);
    }
}

void RawWindow::DrawFrame(uint8_t frameAttribute) {
    Display& display = Screen();
    int w = Width();
    int h = Height();
    std::vector<uint8_t> row(static_cast<size_t>(w), kFrameHorizontal);
    row.front() = kFrameTopLeft;
    row.back() = kFrameTopRight;
    if (w == 1) row.front() = kFrameVertical;
    display.WriteChars(left, top, row.data(), w);
    display.FillAttributes(left, top, frameAttribute, w);
    for (int y = top + 1; y < bottom; ++y) {
        display.FillChars(left, y, kFrameVertical, 1);
        display.FillAttributes(left, y, frameAttribute, 1);
        display.FillChars(right, y, kFrameVertical, 1);
        display.FillAttributes(right, y, frameAttribute, 1);
    }
    if (h > 1) {
        row.front() = kFrameBottomLeft;
        row.back() = kFrameBottomRight;
        if (w == 1) row.front() = kFrameVertical;
        display.WriteChars(left, bottom, row.data(), w);
        display.FillAttributes(left, bottom, frameAttribute, w);
    }
    hasFrame = true;
    originX = left + 1;
    originY = top + 1;
}

void RawWindow::BlankRows(int firstRow, int lastRow) {
    Display& display = Screen();
    int frame = hasFrame ? 1 : 0;
    int count = right - originX + 1 - frame;
    // Rows asked for outside the inside of the window are left alone.
    firstRow = std::max(firstRow, top + frame - originY);
    lastRow = std::min(lastRow, bottom - frame - originY);
    for (int row = firstRow; row <= lastRow; ++row) {
        display.FillChars(originX, originY + row, ' ', count);
        display.FillAttributes(originX, originY + row, attribute, count);
    }
}

void RawWindow::ClearWindow() { BlankRows(0, bottom - (hasFrame ? 1 : 0) - originY); }

void RawWindow::ClearRows(int firstRow, int rowsLeftAtBottom) {
    BlankRows(firstRow, bottom - (hasFrame ? 1 : 0) - originY - rowsLeftAtBottom);
}

void RawWindow::ClearToEndOfLine(int attributeArg) {
    int x = originX + cursorX;
    int y = originY + cursorY;
    int count = right - (hasFrame ? 1 : 0) - x + 1;
    int skip = 0;
    if (!ClipRun(x, y, count, skip)) return;
    Display& display = Screen();
    display.FillChars(x, y, ' ', count);
    display.FillAttributes(x, y, static_cast<uint8_t>(attributeArg), count);
}

void RawWindow::ClearToEndOfLine() { ClearToEndOfLine(attribute); }

bool RawWindow::ClipRun(int& x, int y, int& n, int& skip) const {
    skip = 0;
    if (y < top || y > bottom || n <= 0) return false;
    if (x < left) {
        skip = left - x;
        x = left;
        n -= skip;
    }
    if (x + n - 1 > right) n = right - x + 1;
    return n > 0;
}

void RawWindow::WriteText(int x, int y, const Estring& text, int attributeArg) {
    int at = originX + x, n = text.Length(), skip = 0;
    if (ClipRun(at, originY + y, n, skip)) {
        Display& display = Screen();
        display.WriteChars(at, originY + y, Bytes(text) + skip, n);
        display.FillAttributes(at, originY + y, static_cast<uint8_t>(attributeArg), n);
    }
    cursorX = x + text.Length();
    cursorY = y;
}

void RawWindow::WriteText(int x, int y, const Estring& text) { WriteText(x, y, text, attribute); }

void RawWindow::WriteCentred(int y, const Estring& text, int attributeArg) {
    int frame = hasFrame ? 1 : 0;
    WriteText((Width() - 2 * frame - text.Length()) / 2, y, text, attributeArg);
}

void RawWindow::WriteCentred(int y, const Estring& text) { WriteCentred(y, text, attribute); }

void RawWindow::WriteHotText(int x, int y, const Estring& text, const char* letters, int attributeArg) {
    WriteText(x, y, text, attributeArg);
    if (letters == nullptr) return;
    uint8_t hot = HotAttribute(static_cast<uint8_t>(attributeArg));
    for (const char* letter = letters; *letter != 0; ++letter) {
        unsigned char c = static_cast<unsigned char>(*letter);
        int at = text.FindChar(static_cast<char>(UpperChar(c)));
        if (at < 0) at = text.FindChar(static_cast<char>(LowerChar(c)));
        if (at >= 0) SetAttributes(x + at, y, 1, hot);
    }
}

void RawWindow::WriteHotText(int x, int y, const Estring& text, const char* letters) {
    WriteHotText(x, y, text, letters, attribute);
}

void RawWindow::FillText(int x, int y, uint8_t ch, int count, int attributeArg) {
    int at = originX + x, skip = 0;
    if (!ClipRun(at, originY + y, count, skip)) return;
    Display& display = Screen();
    display.FillChars(at, originY + y, ch, count);
    display.FillAttributes(at, originY + y, static_cast<uint8_t>(attributeArg), count);
}

void RawWindow::SetAttributes(int x, int y, int count, int attributeArg) {
    int at = originX + x, skip = 0;
    if (!ClipRun(at, originY + y, count, skip)) return;
    Screen().FillAttributes(at, originY + y, static_cast<uint8_t>(attributeArg), count);
}

void RawWindow::ScrollRegion(int x, int y, int width, int height, int lines) {
    // Cut the rectangle to the window: cells outside it belong to what lies
    // beneath, which closing the window could not give back.
    long long x0 = std::max<long long>(static_cast<long long>(originX) + x, left);
    long long y0 = std::max<long long>(static_cast<long long>(originY) + y, top);
    long long x1 = std::min<long long>(static_cast<long long>(originX) + x + width, right + 1LL);
    long long y1 = std::min<long long>(static_cast<long long>(originY) + y + height, bottom + 1LL);
    if (x1 <= x0 || y1 <= y0) return;
    Screen().ScrollRect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0),
                        lines, Cell{' ', attribute});
}

void RawWindow::SetCursor(int x, int y) {
    cursorX = x;
    cursorY = y;
}

void RawWindow::ShowCursor() {
    if (console.CursorShape() == 0) return;
    Screen().SetCursorPosition(originX + cursorX, originY + cursorY);
}
