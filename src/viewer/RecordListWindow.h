#pragma once
// RecordListWindow: a framed window showing one page of the records of one
// open engine file, one record per line, in the order of an index (or in
// physical order), limited to the records the key range and the record test
// accept. It holds only one page of rows: each row is the record's engine
// position and its full display text.
//
// Derived classes give the row text (formatRow), the record test
// (acceptRecord), the range test (inRange), their commands (handleKey) and
// the type-ahead search (typeAhead). After changing keyNumber, the range or
// the test they call restartAtFirst().
//
// Paging states and transitions (page = rows 0 .. filled-1; "fetch" means
// the fetch loops below, which skip rejected records):
//
//   state          event                     action                                  next
//   unloaded       run                       refill from row 0's position            full / partial / empty
//   any            refill                    re-read row 0 (else first-in-view),     full / partial / empty
//                                            then next-in-view per row
//   full/partial   Up on row 0               re-read row 0, previous-in-view;        same (filled + 1 at most)
//                                            found: scroll down, new row 0
//   full           Down on last row          re-read last row, next-in-view;         full
//                                            found: scroll up, new last row
//   full/partial   Home                      first-in-view; differs: row 0, refill   full / partial
//   full/partial   Page Up                   previous-in-view up to pageRows times   full / partial
//                                            from row 0; any found: refill; else cursor 0
//   full           Page Down                 next-in-view after the last row;        full / partial
//                                            found: row 0, refill; else unchanged
//   partial        Page Down / End           cursor to the last filled row           partial
//   full           End                       last-in-view, previous pageRows-1 times full
//   full           wheel down                three one-line scrolls down             full
//   any            wheel up                  three one-line scrolls up (cursor up    same
//                                            where none is possible)
//   empty          any key                   handleKey; still empty: run returns     empty / full / partial
//
// Fetch loops stop on a non-zero status, on an accepted record, on a key that
// leaves the active range (result 9) or on an Esc typed while searching (9;
// other keys, and an Esc typed before the search began, wait for the grid).
//
// Screen: record lines start on the interior line 0, or 3 when a header is
// given (the header text on line 0; lines 1 and 2 belong to the derived
// class). Colours: ColourScheme[kColourRecordList] and
// ColourScheme[kColourRecordCursor] for the cursor row.

#include <cstdint>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "engine/Contract.h"
#include "ui/RawWindow.h"

class BtrieveFile;

struct ListRow {
    uint32_t position = 0;  // from Get Position
    Estring text;           // the whole display line, not cut to the window
};

class RecordListWindow : public RawWindow {
public:
    static constexpr int kKeyBufferSize = 256;
    static constexpr int kRangeSize = 255;
    static constexpr unsigned kVariableRecordBuffer = qdx::wire::kMaxRecordLength;
    static constexpr int kStatusEndOfFile = qdx::wire::kEndOfFile;
    static constexpr int kStatusKeyNotFound = qdx::wire::kKeyNotFound;
    // run()'s answer when the console no longer has the size the window was
    // laid out for: the caller closes its windows and makes them again.
    static constexpr int kRunResized = -2;

    // What a window made again after a resize takes over: the page, the
    // cursor, the horizontal offset, the order and the range.
    struct PageState {
        uint32_t topPosition = 0;
        bool hasRows = false;
        int cursor = 0;
        int hOffset = 0;
        int keyNumber = 0;
        uint8_t rangeFrom[kRangeSize] = {};
        uint8_t rangeTo[kRangeSize] = {};
        uint8_t rangeActive = 0;
    };
    PageState pageState() const;
    // Takes over state and fills the page from its top record.
    void restorePageState(const PageState& state);

    // file: the open file; owned (destroyed with the window) when ownsFile.
    // Placement as RawWindow; attribute is used for the window and its frame.
    // title (may be empty) shows on the top frame line between blanks; a
    // header (null for none, may be empty text) takes the first three interior lines. Fetches
    // first-in-view and keeps its position in row 0.
    // Requires: the file is open; the window has a frame and at least one record line.
    RecordListWindow(BtrieveFile* file, bool ownsFile, int left, int top, int width, int height, int attribute,
                     const Estring& title, const Estring* header, int keyNumber);
    ~RecordListWindow() override;

    // The modal loop: returns the key that ended it (0 when an empty view
    // gave a key handleKey did not take). On return the cursor row's record
    // is re-read into recordBuffer, its status kept in currentStatus, and on
    // success copied to recordOut (when not null; recordBufferSize bytes).
    int run(uint8_t* recordOut);

    // Makes the first accepted record with a key >= keyValue (keyLength
    // bytes, at most 255) the top row and refills. False when none is found.
    bool seekTo(const void* keyValue, int keyLength);

    // Rebuilds the page from row 0's position (first-in-view when that record
    // is gone or rejected). True when any row was filled.
    virtual bool refill();

    // --- Fetch operations: each clears recordBuffer, fetches into it and keyBuffer, returns the status.
    int firstInView();
    int lastInView();
    int nextInView();
    int previousInView();
    // Go-to searches from the key in keyBuffer (engine operation 8, 9, 10 or 11).
    int greaterInView() { return search(8); }
    int greaterOrEqualInView() { return search(9); }
    int lessInView() { return search(10); }
    int lessOrEqualInView() { return search(11); }
    // Get Direct of position; 4 when the record is not accepted.
    int reread(uint32_t position);
    // Makes the current record row 0 (its Get Position) and refills.
    void restartAtCurrent();
    // firstInView, then restartAtCurrent (an empty view when nothing is found).
    void restartAtFirst();

    // Rows of the page (0 .. pageRows-1; rows at or past filled are empty).
    const ListRow& row(int i) const { return *rows[static_cast<size_t>(i)]; }
    int rowCount() const { return filled; }
    int cursorRow() const { return cursor; }
    int pageRowCount() const { return pageRows; }
    // Screen line (absolute) of row 0.
    int firstRecordLine() const { return OriginY() + firstLine; }
    void drawRow(int i, bool highlighted);
    void drawAllRows();

    int width = 0;
    int pageRows = 0;
    int cursor = 0;
    int filled = 0;
    int hOffset = 0;
    int closeRequested = 0;
    uint8_t loaded = 0;
    uint8_t ownsFile = 0;
    unsigned recordBufferSize = 0;
    std::unique_ptr<uint8_t[]> recordBuffer;
    uint8_t keyBuffer[kKeyBufferSize] = {};
    BtrieveFile* dataFile = nullptr;
    int keyNumber = 0;
    uint8_t rangeFrom[kRangeSize] = {};
    uint8_t rangeTo[kRangeSize] = {};
    uint8_t rangeActive = 0;
    int currentStatus = 0;
    uint8_t variableLength = 0;
    float searchPercent = 0;
    int searchCounter = 0;
    // Pause between the steps of the mouse's auto-scroll, so the user sees it move.
    int autoScrollDelayMs = 30;
    // Least time before the first and between two gauge updates (Find
    // Percentage costs the engine far more than a Get Next, so a search
    // shorter than this asks nothing); 0 asks at once and on every 100th
    // rejected record.
    int gaugeIntervalMs = 100;

protected:
    // Builds the display text of the record now in recordBuffer.
    virtual void formatRow(Estring& text, int rowIndex) = 0;
    virtual bool acceptRecord() { return true; }
    // True to end the run loop; the base ends it on Enter and Esc.
    virtual bool handleKey(int key);
    // The key (keyBuffer) lies within rangeFrom .. rangeTo; the base compares zero-terminated texts, A-Z case ignored.
    virtual bool inRange(const uint8_t* key);
    // Positions the file on the first record matching text (upper case); the base finds none.
    virtual bool typeAhead(const Estring& text) { return false; }

    // Engine status of the last fetch of any kind.
    int lastStatus = 0;

private:
    bool accepted();
    bool consoleResized() const;
    // One step of the fetch loops: engine operation op (Get Next/Previous/Greater... or a Step).
    int fetch(int op);
    // The loop shared by next/previous-in-view and the searches: first op, then again while rejected.
    int skipLoop(int firstOp, int thenOp);
    int search(int op);
    void showSearching();
    void updateGauge();
    void removeSearchPopup() { searchPopup.reset(); }
    void clearTypeAhead();
    void showTypeAhead();

    bool scrollUp();    // one line: a new record at the top
    bool scrollDown();  // one line: a new record at the bottom
    void setTopFromCurrent();
    void keyHome();
    void keyPageUp();
    void keyEnd();
    void keyDown();
    void keyPageDown();
    int mouse(const struct InputEvent& event);
    // Three lines a step: the page scrolls; where it cannot, the cursor moves.
    void wheel(bool down);

    int firstLine = 0;
    std::vector<std::unique_ptr<ListRow>> rows;
    std::unique_ptr<RawWindow> typeAheadPopup;
    std::unique_ptr<RawWindow> searchPopup;
    Estring typeAheadText;
    int typedBeforeSearch = 0;  // events waiting when the search began: not an Esc for it
    long long lastGaugeMs = 0;
    long long gaugeDelayMs = 0;  // least time to the next gauge: the interval, or ten times the last call
    uint8_t normalAttribute = 0;
    uint8_t cursorAttribute = 0;
};
