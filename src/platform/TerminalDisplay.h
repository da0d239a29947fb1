#pragma once
// TerminalDisplay: the cell buffer shown on the user's terminal through
// ncursesw. Code page 437 bytes appear as their Unicode glyphs (box drawing,
// shades, accented letters); attributes as colours (see TerminalStyle.h).
//
// Flush() sends only the cells that differ from what the terminal shows, then
// the cursor. When the terminal has been resized, Flush first takes its new
// size (the cell buffer keeps what both sizes share) and repaints everything;
// the terminal input reports the same resize as an event (kEventResize).
//
// Opening switches the terminal to raw mode (Ctrl-C arrives as key 3), the
// alternate screen, bracketed paste and, unless QDX_MOUSE=0, SGR mouse
// reporting. Text copied in the program goes to the terminal as OSC 52. Destruction
// gives everything back; so do the signals and exit paths of TerminalRestore.
// At most one TerminalDisplay exists at a time.

#include <memory>
#include <string>
#include <vector>

#include "platform/CellBuffer.h"
#include "platform/TerminalStyle.h"

class TerminalDisplay : public CellBuffer {
public:
    // Takes over the terminal on standard input and output; null (with a
    // one-line reason in error) when they are not a usable terminal.
    static std::unique_ptr<TerminalDisplay> Open(std::string& error);
    ~TerminalDisplay() override;

    void Resize(int width, int height) override;
    void SetCursorPosition(int x, int y) override;
    void SetCursorShape(int size) override;
    void Flush() override;
    // Passed on to the terminal as OSC 52 with the next Flush.
    void SetClipboard(const uint8_t* text, int n) override;

    ColourMode Mode() const { return mode; }
    // Gives the terminal back now (also done by the destructor); later calls do nothing.
    void Restore();

private:
    TerminalDisplay(int width, int height, ColourMode mode, bool utf8);
    void Repaint();
    void DrawCell(int x, int y, Cell cell);
    void ApplyResize();
    void ApplyCursor();
    void SendClipboard();

    ColourMode mode;
    bool utf8;
    bool restored = false;
    std::vector<uint32_t> shown;    // what the terminal shows of each cell (packed), or unknown
    std::vector<bool> pairReady;    // colour pairs already defined
    int visibleWidth;
    int visibleHeight;
    int cursorX = 0, cursorY = 0;
    int cursorShape = 20;
    int shownShape = -1;
    int flushedCursorX = -1, flushedCursorY = -1, flushedShape = -1;
    std::string pendingClipboard;
    bool clipboardWaiting = false;
};
