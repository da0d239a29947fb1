#include "viewer/FileViewer.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "dictionary/DictionaryDef.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "engine/Contract.h"
#include "expr/Expression.h"
#include "expr/ExpressionEvaluator.h"
#include "fields/FieldCodec.h"
#include "ui/ColourScheme.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "viewer/ExportDialog.h"
#include "viewer/FieldSelection.h"
#include "viewer/FileAdmin.h"
#include "viewer/BulkOperations.h"
#include "viewer/ExpressionTest.h"
#include "viewer/FileEmptying.h"
#include "viewer/GotoRecord.h"
#include "viewer/HelpViewer.h"
#include "viewer/ImportDialog.h"
#include "viewer/RecordCommands.h"
#include "viewer/Joins.h"
#include "viewer/SortRestrict.h"
#include "viewer/ViewDialogs.h"

namespace {

constexpr int kStepSmall = 2;
constexpr int kStepLarge = 40;

int InitialKey(const DictionaryDef& definition) { return definition.highestIndexNumber >= 0 ? 0 : -1; }

const Estring kNoHeaderYet;

}  // namespace

FileViewer::FileViewer(BtrieveFile* file, DictionaryDef& def, int top, int height)
    : RecordListWindow(file, false, 0, top, 0, height, ColourScheme[kColourRecordList], def.tableName, &kNoHeaderYet,
                       InitialKey(def)),
      definition(def) {
    for (int i = 0; i < definition.Count(); ++i) fields.Add(std::make_unique<FieldAttributes>(*definition.Get(i)));
    fields.SetAlternateCollatingSequence(definition.AlternateCollatingSequence());
    fields.SetFormulaEvaluator(std::make_shared<ExpressionEvaluator>());
    computeHeader();
    drawHeader();
    drawBottomLine();
    recordEditor = editCursorRecord;
}

FileViewer::~FileViewer() {
    writeLastView(*this);
    // The joined fields go before the joins they point to.
    fields.Clear();
    if (joins.use_count() == 1) joins->Bind(nullptr);
}

int FileViewer::recordLength() const {
    return variableLength ? std::min<int>(dataFile->dataLength(), static_cast<int>(recordBufferSize))
                          : static_cast<int>(recordBufferSize);
}

// --- rows and tests ---------------------------------------------------------------

void FileViewer::formatRow(Estring& text, int) {
    const uint8_t* record = recordBuffer.get();
    const int length = recordLength();
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldAttributes& field = *fields.Get(i);
        if (!field.selected) continue;
        text += FieldToText(field, record, length, true);
        text += ' ';
    }
}

bool FileViewer::acceptRecord() {
    if (!filter) return true;
    Variant result;
    if (!filter->Evaluate(recordBuffer.get(), recordLength(), result)) return false;
    return result.IsLogical() && result.logical != 0;
}

bool FileViewer::inRange(const uint8_t* key) {
    if (keyNumber < 0 || keyNumber >= DictionaryDef::kMaxIndexes) return true;
    const FieldList& segments = definition.index(keyNumber);
    int lower = 0, upper = 0;
    for (int i = 0; i < segments.Count(); ++i) {
        const FieldAttributes& segment = *segments.Get(i);
        const int direction = (segment.flags & qdx::wire::kSegDescending) != 0 ? -1 : 1;
        if (!segment.hasFrom) lower = 1;
        if (!segment.hasTo) upper = -1;
        if (lower == 0) lower = direction * CompareField(segment, key, kRangeSize, rangeFrom, kRangeSize);
        if (upper == 0) upper = direction * CompareField(segment, key, kRangeSize, rangeTo, kRangeSize);
        if (lower < 0 || upper > 0) return false;
        if (lower > 0 && upper < 0) return true;
    }
    return true;
}

void FileViewer::setFilter(const Estring& text) {
    filterText = text;
    if (text.IsEmpty()) {
        filter.reset();
    } else {
        filter = std::make_unique<Expression>(&fields, text);
    }
    restartAtFirst();
}

FileViewer::ViewState FileViewer::viewState() const {
    ViewState state;
    state.page = pageState();
    state.filterText = filterText;
    state.joins = joins;
    for (int i = 0; i < fields.Count(); ++i) state.fields.push_back(*fields.Get(i));
    return state;
}

void FileViewer::restoreViewState(const ViewState& state) {
    fields.Clear();
    if (state.joins) joins = state.joins;
    for (const FieldAttributes& field : state.fields) fields.Add(std::make_unique<FieldAttributes>(field));
    joins->Bind(&fields);
    filterText = state.filterText;
    if (filterText.IsEmpty()) {
        filter.reset();
    } else {
        filter = std::make_unique<Expression>(&fields, filterText);
    }
    computeHeader();
    restorePageState(state.page);
    drawHeader();
}

void FileViewer::setKeyNumber(int key) {
    keyNumber = key;
    rangeActive = 0;
    restartAtFirst();
}

// --- screen -------------------------------------------------------------------------

void FileViewer::computeHeader() {
    header1 = fields.HeadingText(1);
    header2 = fields.HeadingText(2);
    headerWidth = header2.Length();
}

void FileViewer::drawHeader() {
    auto visible = [&](const Estring& line) { return line.Mid(std::min(hOffset, line.Length())).PadOrCut(width); };
    WriteText(0, 0, visible(header1), kHeaderAttribute);
    WriteText(0, 1, visible(header2), kHeaderAttribute);
    FillText(0, 2, ' ', width, Attribute());
}

void FileViewer::drawBottomLine() { WriteText(-1, InnerHeight(), Estring(kBottomLine), kBottomLineAttribute); }

void FileViewer::redrawGrid() {
    computeHeader();
    drawHeader();
    drawAllRows();
    drawRow(cursor, true);
}

// --- commands -------------------------------------------------------------------------

void FileViewer::deleteCursorRecord() {
    if (messageBox("Are you sure you want to delete this record?", "", kMessageOkCancel) != kAnswerOk) return;
    int status = dataFile->deleteRecord(keyNumber < 0 ? 0 : keyNumber);
    if (status != 0) messageBox("Unable to delete record", statusText(status), kMessageOk);
}

bool FileViewer::emptyFile() {
    {
        Dialog dialog(-1, -2, 64, 5, kAttrAlert, kAttrAlert);
        dialog.AddText(1, 0, "Are you sure you want to remove ALL records from this file?");
        dialog.AddText(1, 1, dataFile->fileName().Left(dialog.InnerWidth() - 2));
        dialog.AddPushButton(22, 2, 0, kKeyEnter, "OK");
        dialog.AddPushButton(30, 2, 0, kKeyEsc, "Cancel");
        if (dialog.Run() != kKeyEnter) return false;
    }
    int status = EmptyFileWithProgress(*dataFile);
    if (status != 0 && status != kEmptyingCancelled) {
        messageBox(statusText(status), Estring("emptying ") + dataFile->fileName(), kMessageOk);
    }
    return false;
}

bool FileViewer::handleKey(int key) {
    currentStatus = filled > 0 ? reread(row(cursor).position) : kStatusEndOfFile;
    const int remembered = hOffset;
    bool refresh = false;
    bool headerChanged = false;
    switch (key) {
        case kKeyEsc:
        case kKeyAltX: return true;
        case kKeyEnter:
            if (filled == 0) return false;
            if (currentStatus != 0) {
                messageBox("Error getting record", statusText(currentStatus), kMessageOk);
            } else if (recordEditor) {
                recordEditor(*this);  // the record view refreshes the page itself after a write
            }
            break;
        case kKeyInsert: insertRecord(*this, false); break;
        case kKeyF5:
        case kKeyCtrlInsert:
        case kKeyAltH:
            if (filled == 0) return false;
            if (currentStatus != 0) {
                messageBox("Error getting record", statusText(currentStatus), kMessageOk);
            } else if (key == kKeyAltH) {
                hexViewOfRecord(*this);
            } else {
                insertRecord(*this, true);
            }
            break;
        case kKeyCtrlR:
            if (joins) joins->ForgetRecords();
            refresh = true;
            break;
        case kKeyAltY:
            if (emptyFile()) return true;
            refresh = true;
            break;
        case kKeyF1: showHelp(HelpPage::kViewer); break;
        case kKeyF8:
        case kKeyDelete:
            if (filled == 0 || currentStatus != 0) return false;
            deleteCursorRecord();
            refresh = true;
            break;
        case kKeyAltS: {
            int viewKey = keyNumber;
            const int chosen = chooseIndex(definition, *dataFile, keyNumber, &viewKey);
            if (chosen >= -1) {
                setKeyNumber(chosen);
            } else if (viewKey < 0 && keyNumber >= 0) {
                setKeyNumber(-1);  // the grid's index was dropped: physical order, range off
            } else if (viewKey != keyNumber) {
                keyNumber = viewKey;  // renumbered: the same index, order and range
                refill();
            }
            return false;
        }
        case kKeyCtrlL: showFileStatistics(*this); return false;
        case kKeyAltO: modifyFileOwner(*this); return false;
        case kKeyAltJ:
            if (manageJoins(*this)) {
                setFilter(filterText);  // the filter binds to the fields as they are now
                redrawGrid();
                refresh = true;
            }
            break;
        case kKeyAltR:
            // On OK the page restarted at first-in-view while the dialog still covered it,
            // and closing the dialog put the old rows back on the screen.
            if (restrictRecords(*this)) drawAllRows();
            return false;
        case kKeyAltF:
            headerChanged = refresh = selectFields(*this);
            break;
        case kKeyAltE: exportRecords(*this); break;
        case kKeyAltI: refresh = importRecords(*this); break;
        case kKeyF2: saveView(*this); break;
        case kKeyF3: loadView(*this); return false;  // a loaded view restarted and redrew the grid
        case kKeyShiftF3: loadLastView(*this); return false;
        case kKeyCtrlF8:
        case kKeyCtrlDelete: refresh = deleteAllInView(*this); break;
        case kKeyAltM: refresh = modifyAllInView(*this); break;
        case kKeyAltT: totalsInView(*this); break;
        case kKeyAltG: gotoRecord(*this); break;
        case kKeyAltZ: testExpression(*this); break;
        case kKeyLeft: hOffset -= kStepSmall; break;
        case kKeyRight: hOffset += kStepSmall; break;
        case kKeyCtrlLeft: hOffset -= kStepLarge; break;
        case kKeyCtrlRight: hOffset += kStepLarge; break;
        case kKeyCtrlHome: hOffset = 0; break;
        case kKeyCtrlEnd: hOffset = INT_MAX - width; break;
        default: return false;
    }
    computeHeader();
    if (hOffset > headerWidth - width) hOffset = headerWidth - width;
    if (hOffset < 0) hOffset = 0;
    if (hOffset != remembered || headerChanged) {
        drawHeader();
        drawAllRows();
    }
    if (refresh) refill();
    return false;
}
