#include "viewer/RecordListWindow.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "btrieve/BtrieveFile.h"
#include "platform/InputEvent.h"
#include "ui/ColourScheme.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"

namespace {

constexpr int kSearchWidth = 28;
constexpr int kSearchHeight = 5;
constexpr int kGaugeWidth = 24;
constexpr int kGaugeEvery = 100;  // rejected records between Find Percentage calls
constexpr uint8_t kGaugeFull = 0xDB;
constexpr uint8_t kGaugeEmpty = 0xB0;
constexpr uint8_t kHeaderAttribute = 0x2F;
constexpr int kHeaderLines = 3;
constexpr int kWheelLines = 3;  // lines moved by one step of the mouse wheel

bool IsNavigationKey(int key) {
    switch (key) {
        case kKeyHome:
        case kKeyUp:
        case kKeyPageUp:
        case kKeyEnd:
        case kKeyDown:
        case kKeyPageDown:
        case -1: return true;
        default: return false;
    }
}

// The step that continues each first operation of a search in the same direction.
int ContinuationOf(int op) {
    switch (op) {
        case BtrieveFile::kOpGetGreater:
        case BtrieveFile::kOpGetGreaterOrEqual: return BtrieveFile::kOpGetGreater;
        default: return BtrieveFile::kOpGetLess;
    }
}

}  // namespace

RecordListWindow::RecordListWindow(BtrieveFile* file, bool owns, int left, int top, int w, int h, int attr,
                                   const Estring& title, const Estring* header, int key)
    : RawWindow(left, top, w, h, attr, attr, false) {
    dataFile = file;
    ownsFile = owns ? 1 : 0;
    keyNumber = key;
    normalAttribute = ColourScheme[kColourRecordList];
    cursorAttribute = ColourScheme[kColourRecordCursor];
    width = InnerWidth();
    firstLine = header == nullptr ? 0 : kHeaderLines;
    pageRows = std::max(1, InnerHeight() - firstLine);
    rows.reserve(static_cast<size_t>(pageRows));
    for (int i = 0; i < pageRows; ++i) rows.push_back(std::make_unique<ListRow>());
    if (!title.IsEmpty()) WriteCentred(-1, Estring(" ") + title + " ", attr);
    if (header != nullptr) WriteText(0, 0, header->PadOrCut(width), kHeaderAttribute);

    variableLength = (dataFile->fileFlags() & qdx::wire::kFileVariable) != 0 ? 1 : 0;
    recordBufferSize = variableLength ? kVariableRecordBuffer : dataFile->recordLength();
    if (recordBufferSize == 0) recordBufferSize = kVariableRecordBuffer;
    // Get Direct sends the 4-byte position in the record buffer, so even a
    // record shorter than that gets room for it.
    recordBuffer = std::make_unique<uint8_t[]>(std::max(recordBufferSize, 4u));
    if (firstInView() == 0) rows[0]->position = dataFile->getPosition();
}

RecordListWindow::~RecordListWindow() {
    typeAheadPopup.reset();
    searchPopup.reset();
    if (ownsFile) delete dataFile;
}

// --- acceptance and fetching -------------------------------------------------

bool RecordListWindow::handleKey(int key) { return key == kKeyEnter || key == kKeyEsc; }

bool RecordListWindow::inRange(const uint8_t* key) {
    auto text = [](const uint8_t* p) {
        return std::string_view(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), kRangeSize));
    };
    return Estring::Compare(text(rangeFrom), text(key)) <= 0 && Estring::Compare(text(key), text(rangeTo)) <= 0;
}

bool RecordListWindow::accepted() {
    if (!acceptRecord()) return false;
    return !rangeActive || inRange(keyBuffer);
}

int RecordListWindow::fetch(int op) {
    std::memset(recordBuffer.get(), 0, recordBufferSize);
    dataFile->setDataLength(static_cast<uint16_t>(std::min<unsigned>(recordBufferSize, 0xFFFF)));
    uint8_t* record = recordBuffer.get();
    switch (op) {
        case BtrieveFile::kOpGetNext: lastStatus = dataFile->getNext(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetPrevious: lastStatus = dataFile->getPrevious(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetGreater: lastStatus = dataFile->getGreater(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetGreaterOrEqual:
            lastStatus = dataFile->getGreaterOrEqual(keyBuffer, record, keyNumber);
            break;
        case BtrieveFile::kOpGetLess: lastStatus = dataFile->getLess(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetLessOrEqual: lastStatus = dataFile->getLessOrEqual(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetFirst: lastStatus = dataFile->getFirst(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpGetLast: lastStatus = dataFile->getLast(keyBuffer, record, keyNumber); break;
        case BtrieveFile::kOpStepFirst: lastStatus = dataFile->stepFirst(record, keyBuffer); break;
        case BtrieveFile::kOpStepLast: lastStatus = dataFile->stepLast(record, keyBuffer); break;
        case BtrieveFile::kOpStepNext: lastStatus = dataFile->stepNext(record, keyBuffer); break;
        default: lastStatus = dataFile->stepPrevious(record, keyBuffer); break;
    }
    return lastStatus;
}

int RecordListWindow::skipLoop(int firstOp, int thenOp) {
    int status = fetch(firstOp);
    bool outOfRange = false;
    while (status == 0) {
        if (acceptRecord()) {
            if (!rangeActive || inRange(keyBuffer)) break;
            outOfRange = true;  // the range follows the key order: nothing later qualifies
            break;
        }
        if (rangeActive && !inRange(keyBuffer)) {
            outOfRange = true;
            break;
        }
        showSearching();
        // Only new input is looked at: the keys already held wait for the grid.
        if (WindowConsole().Input().Pending() && EscapeWaiting(WindowConsole(), typedBeforeSearch)) {
            status = kStatusEndOfFile;
            break;
        }
        status = fetch(thenOp);
    }
    removeSearchPopup();
    if (outOfRange) return kStatusEndOfFile;
    return status;
}

int RecordListWindow::firstInView() {
    if (keyNumber < 0) {
        if (fetch(BtrieveFile::kOpStepFirst) != 0) return lastStatus;
    } else if (rangeActive) {
        std::memcpy(keyBuffer, rangeFrom, kRangeSize);
        if (fetch(BtrieveFile::kOpGetGreaterOrEqual) != 0) return lastStatus;
    } else if (fetch(BtrieveFile::kOpGetFirst) != 0) {
        return lastStatus;
    }
    if (accepted()) return 0;
    return nextInView();
}

int RecordListWindow::lastInView() {
    if (keyNumber < 0) {
        if (fetch(BtrieveFile::kOpStepLast) != 0) return lastStatus;
    } else if (rangeActive) {
        std::memcpy(keyBuffer, rangeTo, kRangeSize);
        if (fetch(BtrieveFile::kOpGetLessOrEqual) != 0) return lastStatus;
    } else if (fetch(BtrieveFile::kOpGetLast) != 0) {
        return lastStatus;
    }
    if (accepted()) return 0;
    return previousInView();
}

int RecordListWindow::nextInView() {
    int op = keyNumber < 0 ? BtrieveFile::kOpStepNext : BtrieveFile::kOpGetNext;
    return skipLoop(op, op);
}

int RecordListWindow::previousInView() {
    int op = keyNumber < 0 ? BtrieveFile::kOpStepPrevious : BtrieveFile::kOpGetPrevious;
    return skipLoop(op, op);
}

int RecordListWindow::search(int op) { return skipLoop(op, ContinuationOf(op)); }

int RecordListWindow::reread(uint32_t position) {
    std::memset(recordBuffer.get(), 0, recordBufferSize);
    dataFile->setDataLength(static_cast<uint16_t>(std::min<unsigned>(recordBufferSize, 0xFFFF)));
    lastStatus = dataFile->getDirect(position, recordBuffer.get(), keyBuffer, keyNumber);
    if (lastStatus != 0) return lastStatus;
    return accepted() ? 0 : kStatusKeyNotFound;
}

// --- the Searching popup -------------------------------------------------------

namespace {

long long SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void RecordListWindow::showSearching() {
    if (!searchPopup) {
        searchPopup = std::make_unique<RawWindow>(-1, -2, kSearchWidth, kSearchHeight, ColourScheme[kColourWindow],
                                                  ColourScheme[kColourDialogFrame], false, WindowConsole());
        searchPopup->WriteCentred(0, "Searching...");
        typedBeforeSearch = WindowConsole().HoldWaiting();
        searchPercent = 0;
        searchCounter = kGaugeEvery;  // without an interval the gauge shows at once
        // With an interval, a search that ends sooner costs no Find Percentage at all:
        // the engine answers it by counting the index, far dearer than a short search.
        lastGaugeMs = SteadyMs();
        gaugeDelayMs = gaugeIntervalMs;
    }
    if (++searchCounter < kGaugeEvery) return;
    searchCounter = 0;
    if (gaugeIntervalMs > 0) {
        const long long now = SteadyMs();
        if (now - lastGaugeMs < gaugeDelayMs) return;
        lastGaugeMs = now;
        if (keyNumber < 0) {  // no gauge in physical order, but the popup must reach the screen
            WindowConsole().Screen().Flush();
            return;
        }
    } else if (keyNumber < 0) {
        return;
    }
    float percent = 0;
    const long long asked = SteadyMs();
    if (dataFile->findPercentage(keyBuffer, 0, keyNumber, percent) == 0) searchPercent = percent;
    // Keep the gauge to a small share of the search on a large file.
    const long long cost = SteadyMs() - asked;
    gaugeDelayMs = std::max<long long>(gaugeIntervalMs, 10 * cost);
    updateGauge();
}

void RecordListWindow::updateGauge() {
    int full = static_cast<int>(searchPercent * kGaugeWidth / 100.0f + 0.5f);
    full = std::clamp(full, 0, kGaugeWidth);
    int x = (searchPopup->InnerWidth() - kGaugeWidth) / 2;
    searchPopup->FillText(x, 1, kGaugeFull, full, ColourScheme[kColourWindow]);
    searchPopup->FillText(x + full, 1, kGaugeEmpty, kGaugeWidth - full, ColourScheme[kColourWindow]);
    WindowConsole().Screen().Flush();
}

// --- the page ---------------------------------------------------------------

void RecordListWindow::drawRow(int i, bool highlighted) {
    if (i < 0 || i >= pageRows) return;
    const Estring& text = rows[static_cast<size_t>(i)]->text;
    WriteText(0, firstLine + i, text.Mid(std::min(hOffset, text.Length())).PadOrCut(width),
              highlighted ? cursorAttribute : normalAttribute);
}

void RecordListWindow::drawAllRows() {
    for (int i = 0; i < pageRows; ++i) drawRow(i, false);
}

bool RecordListWindow::refill() {
    int status = reread(rows[0]->position);
    if (status != 0) status = firstInView();
    int i = 0;
    while (status == 0 && i < pageRows) {
        ListRow& r = *rows[static_cast<size_t>(i)];
        r.position = dataFile->getPosition();
        r.text.Clear();
        formatRow(r.text, i);
        drawRow(i, false);
        ++i;
        if (i < pageRows) status = nextInView();
    }
    filled = i;
    for (; i < pageRows; ++i) {
        rows[static_cast<size_t>(i)]->text.Clear();
        drawRow(i, false);
    }
    cursor = std::max(0, std::min(cursor, filled - 1));
    loaded = 1;
    return filled > 0;
}

void RecordListWindow::setTopFromCurrent() { rows[0]->position = dataFile->getPosition(); }

void RecordListWindow::restartAtCurrent() {
    setTopFromCurrent();
    refill();
}

void RecordListWindow::restartAtFirst() {
    if (firstInView() == 0) {
        restartAtCurrent();
        return;
    }
    // Nothing in view: the page empties without searching the file again.
    rows[0]->position = 0;
    for (int i = 0; i < pageRows; ++i) {
        rows[static_cast<size_t>(i)]->text.Clear();
        drawRow(i, false);
    }
    filled = 0;
    cursor = 0;
    loaded = 1;
}

bool RecordListWindow::seekTo(const void* keyValue, int keyLength) {
    std::memset(keyBuffer, 0, sizeof keyBuffer);
    std::memcpy(keyBuffer, keyValue, static_cast<size_t>(std::clamp(keyLength, 0, kRangeSize)));
    if (greaterOrEqualInView() != 0) return false;
    restartAtCurrent();
    return true;
}

bool RecordListWindow::scrollUp() {
    if (filled == 0 || reread(rows[0]->position) != 0) return false;
    if (previousInView() != 0) return false;
    ScrollRegion(0, firstLine, width, pageRows, -1);
    std::unique_ptr<ListRow> last = std::move(rows.back());
    rows.pop_back();
    last->position = dataFile->getPosition();
    last->text.Clear();
    formatRow(last->text, 0);
    rows.insert(rows.begin(), std::move(last));
    drawRow(0, false);
    if (filled < pageRows) ++filled;
    return true;
}

bool RecordListWindow::scrollDown() {
    if (filled == 0 || reread(rows[static_cast<size_t>(filled - 1)]->position) != 0) return false;
    if (nextInView() != 0) return false;
    ScrollRegion(0, firstLine, width, pageRows, 1);
    std::unique_ptr<ListRow> first = std::move(rows.front());
    rows.erase(rows.begin());
    first->position = dataFile->getPosition();
    first->text.Clear();
    formatRow(first->text, pageRows - 1);
    rows.push_back(std::move(first));
    drawRow(pageRows - 1, false);
    return true;
}

// --- navigation ---------------------------------------------------------------

void RecordListWindow::keyHome() {
    if (firstInView() == 0) {
        uint32_t position = dataFile->getPosition();
        if (position != rows[0]->position) {
            rows[0]->position = position;
            refill();
        }
        cursor = 0;
    }
}

void RecordListWindow::keyPageUp() {
    if (reread(rows[0]->position) != 0) {
        cursor = 0;
        return;
    }
    int found = 0;
    for (int i = 0; i < pageRows && previousInView() == 0; ++i) {
        setTopFromCurrent();
        ++found;
    }
    if (found > 0) {
        refill();
    } else {
        cursor = 0;
    }
}

void RecordListWindow::keyEnd() {
    if (filled == pageRows && lastInView() == 0) {
        int status = 0;
        for (int i = 1; i < pageRows && status == 0; ++i) status = previousInView();
        // Fewer records in view than a page (some went since the page was
        // filled): the page starts at the first one.
        if (status == 0 || firstInView() == 0) restartAtCurrent();
    }
    cursor = std::max(0, filled - 1);
}

void RecordListWindow::keyDown() {
    if (cursor < pageRows - 1) {
        if (cursor < filled - 1) ++cursor;
    } else {
        scrollDown();
    }
}

void RecordListWindow::keyPageDown() {
    if (filled < pageRows) {
        cursor = std::max(0, filled - 1);
        return;
    }
    if (reread(rows[static_cast<size_t>(filled - 1)]->position) != 0) return;
    if (nextInView() != 0) return;
    restartAtCurrent();
}

void RecordListWindow::wheel(bool down) {
    for (int step = 0; step < kWheelLines; ++step) {
        if (down) {
            if (filled == pageRows && scrollDown()) continue;
            if (cursor < filled - 1) ++cursor;
        } else {
            if (scrollUp()) continue;
            if (cursor > 0) --cursor;
        }
    }
}

int RecordListWindow::mouse(const InputEvent& event) {
    if (event.type == kEventWheelUp || event.type == kEventWheelDown) {
        wheel(event.type == kEventWheelDown);
        return -1;
    }
    if (event.type != kEventLeftPress && event.type != kEventLeftDrag && event.type != kEventDoubleClick) return -1;
    int line = event.y - firstRecordLine();
    if (event.type == kEventDoubleClick) {
        if (line >= 0 && line < filled) {
            cursor = line;
            return kKeyEnter;
        }
        return -1;
    }
    if (line < 0) {
        cursor = 0;
        drawRow(cursor, true);
        while (!WindowConsole().Pending() && scrollUp()) {
            drawRow(1, false);
            drawRow(0, true);
            if (autoScrollDelayMs > 0) {
                WindowConsole().Screen().Flush();
                std::this_thread::sleep_for(std::chrono::milliseconds(autoScrollDelayMs));
            }
        }
    } else if (line == pageRows && filled == pageRows) {
        cursor = pageRows - 1;
        drawRow(cursor, true);
        while (!WindowConsole().Pending() && scrollDown()) {
            drawRow(pageRows - 2, false);
            drawRow(pageRows - 1, true);
            if (autoScrollDelayMs > 0) {
                WindowConsole().Screen().Flush();
                std::this_thread::sleep_for(std::chrono::milliseconds(autoScrollDelayMs));
            }
        }
    } else if (line >= 0 && line < filled) {
        cursor = line;
    }
    return -1;
}

// --- type-ahead -------------------------------------------------------------------

void RecordListWindow::clearTypeAhead() {
    typeAheadPopup.reset();
    typeAheadText.Clear();
}

void RecordListWindow::showTypeAhead() {
    typeAheadPopup.reset();
    int length = std::min(typeAheadText.Length(), std::max(1, Width() - 6));
    int x = Right() - 2 - length;  // on the bottom frame line, at its right end
    typeAheadPopup = std::make_unique<RawWindow>(x, Bottom(), length, 1, ColourScheme[kColourListBoxCurrent], -1, true,
                                                 WindowConsole());
    typeAheadPopup->WriteText(0, 0, typeAheadText.Right(length));
}

// --- the loop ---------------------------------------------------------------------

RecordListWindow::PageState RecordListWindow::pageState() const {
    PageState state;
    state.topPosition = rows[0]->position;
    state.hasRows = filled > 0;
    state.cursor = cursor;
    state.hOffset = hOffset;
    state.keyNumber = keyNumber;
    std::memcpy(state.rangeFrom, rangeFrom, kRangeSize);
    std::memcpy(state.rangeTo, rangeTo, kRangeSize);
    state.rangeActive = rangeActive;
    return state;
}

void RecordListWindow::restorePageState(const PageState& state) {
    keyNumber = state.keyNumber;
    std::memcpy(rangeFrom, state.rangeFrom, kRangeSize);
    std::memcpy(rangeTo, state.rangeTo, kRangeSize);
    rangeActive = state.rangeActive;
    hOffset = state.hOffset;
    if (state.hasRows) rows[0]->position = state.topPosition;
    cursor = state.cursor;
    refill();
}

bool RecordListWindow::consoleResized() const {
    int w = 0, h = 0;
    GetScreenSize(w, h);
    return w != ScreenWidth() || h != ScreenHeight();
}

int RecordListWindow::run(uint8_t* recordOut) {
    int result = 0;
    for (;;) {
        if (closeRequested) {
            result = kKeyEsc;
            break;
        }
        if (consoleResized()) {
            result = kRunResized;
            break;
        }
        if (keyNumber < 0) rangeActive = 0;
        if (!loaded) refill();
        drawRow(cursor, filled > 0);
        removeSearchPopup();
        InputEvent event{};
        WaitInput(WindowConsole(), event);
        int key = event.type == kEventKey ? event.key : -1;
        if (event.type == kEventNone || event.type == kEventResize) continue;
        drawRow(cursor, false);

        if (filled == 0) {
            bool done = handleKey(key);
            if (filled == 0) {
                result = done ? key : 0;
                break;
            }
            continue;
        }

        if (IsNavigationKey(key)) clearTypeAhead();
        switch (key) {
            case kKeyHome: keyHome(); break;
            case kKeyUp:
                if (cursor > 0) {
                    --cursor;
                } else {
                    scrollUp();
                }
                break;
            case kKeyPageUp: keyPageUp(); break;
            case kKeyEnd: keyEnd(); break;
            case kKeyDown: keyDown(); break;
            case kKeyPageDown: keyPageDown(); break;
            case -1: key = mouse(event); break;
            default:
                if (key >= 32 && key <= 255) {
                    Estring attempt = typeAheadText;
                    attempt += static_cast<char>(key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key);
                    typeAheadPopup.reset();
                    if (typeAhead(attempt)) {
                        typeAheadText = attempt;
                        restartAtCurrent();
                        cursor = 0;
                    }
                    if (!typeAheadText.IsEmpty()) showTypeAhead();
                }
                break;
        }
        if (handleKey(key)) {
            result = key;
            break;
        }
    }
    if (filled > 0) {
        currentStatus = reread(rows[static_cast<size_t>(cursor)]->position);
    } else {
        currentStatus = kStatusEndOfFile;
    }
    if (currentStatus == 0 && recordOut != nullptr) std::memcpy(recordOut, recordBuffer.get(), recordBufferSize);
    clearTypeAhead();
    removeSearchPopup();
    return result;
}
