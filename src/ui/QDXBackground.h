#pragma once
// QDXBackground: the full-screen window the program opens first and closes
// last: the whole screen buffer, attribute 0x13, no frame, no shadow.
// Its destruction shows the cursor again (shape 20) at column 0 of the last
// row and then restores what the console showed before the program started.

#include "ui/RawWindow.h"

class QDXBackground : public RawWindow {
public:
    explicit QDXBackground(Console& console = ProcessConsole());
    ~QDXBackground() override;

    // The start-up picture: rows 0 and 1 blank in 0x3F with title centred on
    // row 0, every row from 2 on filled with the light shade (0xB0) in 0x13.
    void DrawTitleBand(const Estring& title);
};
