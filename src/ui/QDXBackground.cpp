#include "ui/QDXBackground.h"

#include "ui/ColourScheme.h"

namespace {
constexpr uint8_t kLightShade = 0xB0;
constexpr int kNormalCursor = 20;
}  // namespace

QDXBackground::QDXBackground(Console& console) : RawWindow(0, 0, 0, 0, kAttrBackground, -1, true, console) {}

QDXBackground::~QDXBackground() {
    WindowConsole().SetCursorShape(kNormalCursor);
    WindowConsole().Screen().SetCursorPosition(0, Bottom());
}

void QDXBackground::DrawTitleBand(const Estring& title) {
    for (int row = 0; row < 2 && row < Height(); ++row) FillText(0, row, ' ', Width(), kAttrTitle);
    WriteCentred(0, title, kAttrTitle);
    for (int row = 2; row < Height(); ++row) FillText(0, row, kLightShade, Width(), kAttrBackground);
}
