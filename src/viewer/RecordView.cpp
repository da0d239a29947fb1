#include "viewer/RecordView.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/EstringStore.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/StatusText.h"
#include "fields/FieldCodec.h"
#include "fields/FieldJoin.h"
#include "fields/FieldList.h"
#include "fields/TypedText.h"
#include "ui/Dialog.h"
#include "ui/KeyCodes.h"
#include "ui/MessageBox.h"
#include "ui/RawWindow.h"
#include "ui/StringField.h"
#include "viewer/FileViewer.h"
#include "viewer/HexView.h"
#include "viewer/SaveChanges.h"

namespace {

constexpr uint8_t kCurrentLineAttribute = 0x3F;
constexpr uint8_t kEditorAttribute = 0x30;
constexpr int kListWidth = kRecordViewWidth - 2;
constexpr int kMinEditorWidth = 8;
// Longest text the editor takes for a field that is not text (numbers, dates, times).
constexpr int kMaxValueText = 64;
constexpr int kPlus = '+';
constexpr int kMinus = '-';

// A field whose bytes belong to the viewed file. Calculated fields have no
// bytes; joined fields belong to their join's file, which the record view
// never writes: their values and bytes are shown, not changed.
bool OwnField(const FieldAttributes& field) { return !field.IsCalculated() && !field.IsJoined(); }

// Field lines shown at once: on a screen too low for the full list the
// window keeps its frame on the screen and the list scrolls, so that the
// current line is never drawn off the screen.
int VisibleFieldRows(int fieldCount) {
    int screenWidth = 80, screenHeight = 25;
    RawWindow::GetScreenSize(screenWidth, screenHeight);
    return std::max(1, std::min({fieldCount, kRecordViewRows, screenHeight - 2}));
}

int EditorMaxLength(const FieldAttributes& field) {
    switch (field.type) {
        case kTypeString: return std::max<int>(field.length, 1);
        case kTypeLString:
        case kTypeZString:
        case kTypeNote: return std::max<int>(field.length - 1, 1);
        default: return kMaxValueText;
    }
}

class RecordViewSession {
public:
    RecordViewSession(FileViewer& viewer_, bool inserting_)
        : viewer(viewer_), file(*viewer_.dataFile), inserting(inserting_),
          buffer(viewer_.recordBuffer.get()), bufferLength(static_cast<int>(viewer_.recordBufferSize)) {
        for (int i = 0; i < viewer.fields.Count(); ++i) fields.push_back(viewer.fields.Get(i));
        std::vector<Estring> names;
        for (const FieldAttributes* field : fields) names.push_back(field->name);
        nameColumn = NameColumnWidth(names);
        readLength = file.dataLength();
        fixedLength = viewer.variableLength ? file.recordLength() : bufferLength;
        if (!inserting) position = file.getPosition();
    }

    bool Run();

private:
    void ZeroAutoIncrements();
    void BuildLines();
    Estring LineFor(int i) const;
    void RedrawLines();
    void DrawBottomLine(bool withReload);
    // Each returns after the user's action on field line `current`.
    void EditValue();
    void HexOfField();
    void HexOfJoinedField(const FieldAttributes& field);
    void Move(bool forward);
    void Reload();
    // The buffer now holds the record as stored.
    void Loaded();
    // Writes the buffer; true on success.
    bool Save();

    FileViewer& viewer;
    BtrieveFile& file;
    bool inserting;
    uint8_t* buffer;
    int bufferLength;
    std::vector<const FieldAttributes*> fields;
    int nameColumn = 1;
    int readLength = 0;
    int fixedLength = 0;
    uint32_t position = 0;
    EstringStore lines;
    int current = 0;
    bool modified = false;
    bool saved = false;
    bool updateRefused = false;
    std::unique_ptr<Dialog> dialog;
    int listIndex = -1;
    int rows = 1;
    // The record as last read or written: what Discard goes back to.
    std::vector<uint8_t> stored;
};

void RecordViewSession::ZeroAutoIncrements() {
    for (const FieldAttributes* field : fields) {
        if (field->type != kTypeAutoIncrement || !OwnField(*field)) continue;
        if (field->offset >= bufferLength) continue;
        const int n = std::min<int>(field->length, bufferLength - field->offset);
        std::memset(buffer + field->offset, 0, static_cast<size_t>(n));
    }
}

Estring RecordViewSession::LineFor(int i) const {
    const FieldAttributes& field = *fields[static_cast<size_t>(i)];
    return FieldLineText(field.name, nameColumn, FieldToText(field, buffer, bufferLength, false));
}

void RecordViewSession::BuildLines() {
    lines.Clear();
    for (int i = 0; i < static_cast<int>(fields.size()); ++i) lines.Append(LineFor(i));
}

void RecordViewSession::RedrawLines() {
    for (int i = 0; i < lines.Count(); ++i) *lines.Get(i) = LineFor(i);
    InputEvent recount{};
    recount.type = kEventSetCount;
    recount.key = lines.Count();
    dialog->SendEvent(listIndex, recount);
}

void RecordViewSession::DrawBottomLine(bool withReload) {
    Estring text(kRecordViewBottomLine);
    if (withReload) text += kRecordViewReloadHint;
    dialog->FillText(0, rows, 0xCD, kListWidth, kRecordViewAttribute);  // the frame line under the old text
    dialog->WriteText(-1, rows, text, kRecordViewTitleAttribute);
}

void RecordViewSession::EditValue() {
    if (current < 0 || current >= static_cast<int>(fields.size())) return;
    const FieldAttributes& field = *fields[static_cast<size_t>(current)];
    if (!OwnField(field)) return;
    InputEvent query{};
    query.type = kEventQueryPos;
    const int row = dialog->SendEvent(listIndex, query);
    const int valueColumn = nameColumn + 2;
    const int end = std::min(kListWidth, std::max(kValueEditorEnd + 1, valueColumn + kMinEditorWidth));
    const int width = std::max(1, end - valueColumn);
    Estring text = FieldToText(field, buffer, bufferLength, false);
    Dialog editor(dialog->OriginX() + valueColumn, dialog->OriginY() + row, width, 1, kEditorAttribute, -1);
    editor.AddStringField(0, 0, 0, text, width, EditorMaxLength(field), 0, kNoHistory);
    for (;;) {
        if (editor.Run() != kKeyEnter) return;
        std::vector<uint8_t> before(buffer, buffer + bufferLength);
        if (StoreTypedText(field, buffer, bufferLength, text.View())) {
            if (std::memcmp(before.data(), buffer, static_cast<size_t>(bufferLength)) != 0) modified = true;
            break;
        }
        messageBox(Estring("Invalid value for ") + field.name, text.Left(72), kMessageOk);
    }
    RedrawLines();
}

void RecordViewSession::HexOfField() {
    if (current < 0 || current >= static_cast<int>(fields.size())) return;
    const FieldAttributes& field = *fields[static_cast<size_t>(current)];
    if (field.IsJoined()) {
        HexOfJoinedField(field);
        return;
    }
    if (!OwnField(field) || field.offset >= bufferLength || field.length == 0) return;
    const int n = std::min<int>(field.length, bufferLength - field.offset);
    if (hexView(buffer + field.offset, n, field.name, true)) {
        modified = true;
        RedrawLines();
    }
}

// The bytes of a joined field in its join's record, on a copy: saving here
// writes the viewed record only, so an edit of the joined record would be
// lost while the grid showed it as if stored. Without a joined record
// nothing opens.
void RecordViewSession::HexOfJoinedField(const FieldAttributes& field) {
    int joinedLength = 0;
    const uint8_t* joined = field.join->JoinedRecord(buffer, bufferLength, joinedLength);
    if (joined == nullptr || field.offset >= joinedLength || field.length == 0) return;
    const int n = std::min<int>(field.length, joinedLength - field.offset);
    std::vector<uint8_t> bytes(joined + field.offset, joined + field.offset + n);
    if (hexView(bytes.data(), n, field.name, true))
        messageBox(kJoinedFieldUnchanged, field.name, kMessageOk);
}

void RecordViewSession::Move(bool forward) {
    const int status = forward ? viewer.nextInView() : viewer.previousInView();
    if (status != 0) {
        // No record there: back on the one shown (the fetch cleared the
        // buffer and lost the position), read again so that a later save is
        // judged against what is stored now. Gone meanwhile: keep what was shown.
        file.setDataLength(static_cast<uint16_t>(std::min(bufferLength, 0xFFFF)));
        std::memset(buffer, 0, static_cast<size_t>(bufferLength));
        if (file.getDirect(position, buffer, viewer.keyBuffer, viewer.keyNumber) == 0) {
            Loaded();
        } else {
            std::memcpy(buffer, stored.data(), static_cast<size_t>(bufferLength));
        }
        RedrawLines();
        return;
    }
    position = file.getPosition();
    Loaded();
    RedrawLines();
}

void RecordViewSession::Loaded() {
    readLength = file.dataLength();
    stored.assign(buffer, buffer + bufferLength);
    if (updateRefused) DrawBottomLine(false);
    updateRefused = false;
}

void RecordViewSession::Reload() {
    if (modified && messageBox("Discard the changes and reload the record?", "", kMessageOkCancel) != kAnswerOk)
        return;
    std::vector<uint8_t> edited(buffer, buffer + bufferLength);
    std::memset(buffer, 0, static_cast<size_t>(bufferLength));
    file.setDataLength(static_cast<uint16_t>(std::min(bufferLength, 0xFFFF)));
    const int status = file.getDirect(position, buffer, viewer.keyBuffer, viewer.keyNumber);
    if (status != 0) {
        std::memcpy(buffer, edited.data(), static_cast<size_t>(bufferLength));
        messageBox("Error getting record", statusText(status), kMessageOk);
        return;
    }
    Loaded();
    modified = false;
    RedrawLines();
}

bool RecordViewSession::Save() {
    const int length = RecordSaveLength(viewer.fields, buffer, bufferLength, viewer.variableLength != 0,
                                        fixedLength, readLength);
    file.setDataLength(static_cast<uint16_t>(length));
    // The grid's own index, so that + and - go on in its order after a write.
    const int key = viewer.keyNumber >= 0 ? viewer.keyNumber : 0;
    const int status = inserting ? file.insertRecord(buffer, key) : file.updateRecord(buffer, key);
    if (status != 0) {
        messageBox(inserting ? "Error inserting record" : "Error updating record", statusText(status), kMessageOk);
        if (!inserting && !updateRefused) {
            updateRefused = true;
            DrawBottomLine(true);
        }
        return false;
    }
    saved = true;
    readLength = length;
    stored.assign(buffer, buffer + bufferLength);
    if (inserting) position = file.getPosition();
    return true;
}

bool RecordViewSession::Run() {
    if (inserting) ZeroAutoIncrements();
    stored.assign(buffer, buffer + bufferLength);
    BuildLines();
    rows = VisibleFieldRows(lines.Count());
    dialog = std::make_unique<Dialog>(-1, -2, kRecordViewWidth, rows + 2, kRecordViewAttribute, kRecordViewAttribute);
    dialog->SetColour(kColourListBox, kRecordViewAttribute);
    dialog->SetColour(kColourListBoxCurrent, kCurrentLineAttribute);
    if (inserting)
        dialog->AddText(-1, -1, " Insert New Record ", kInsertTitleAttribute);
    else
        dialog->AddText(-1, -1, " Record View ", kRecordViewTitleAttribute);
    listIndex = dialog->AddListBoxEstring(0, 0, 0, kListWidth, rows, lines, current, kKeyEnter);
    dialog->AddExitKey(kKeyF10);
    dialog->AddExitKey(kKeyAltH);
    dialog->AddExitKey(kKeyCtrlR);
    if (!inserting) {
        dialog->AddExitKey(kPlus);
        dialog->AddExitKey(kMinus);
    }
    DrawBottomLine(false);
    for (;;) {
        const int code = dialog->Run();
        const bool leaves = code == kKeyF10 || code == kKeyEsc || code == kPlus || code == kMinus;
        if (modified && leaves) {
            const int answer = code == kKeyF10 ? kSaveAnswerOk : askSaveChanges();
            if (answer == kSaveAnswerCancel) continue;
            if (answer == kSaveAnswerOk && !Save()) continue;
            if (answer == kSaveAnswerDiscard) {
                // The lines must not go on showing values that are not stored.
                std::memcpy(buffer, stored.data(), static_cast<size_t>(bufferLength));
                RedrawLines();
            }
            modified = false;
        }
        switch (code) {
            case kKeyEnter: EditValue(); break;
            case kKeyAltH: HexOfField(); break;
            case kKeyCtrlR:
                if (updateRefused) Reload();
                break;
            case kPlus:
            case kMinus:
                if (!inserting) Move(code == kPlus);
                break;
            case kKeyF10:
            case kKeyEsc: return saved;
            default: break;
        }
    }
}

}  // namespace

int NameColumnWidth(const std::vector<Estring>& names) {
    int longest = 0;
    for (const Estring& name : names) longest = std::max(longest, name.Length());
    return std::min(longest + 1, kMaxNameColumn);
}

Estring FieldLineText(const Estring& name, int nameColumn, const Estring& value) {
    return name.Right(nameColumn).PadOrCutLeft(nameColumn) + ": " + value;
}

int RecordSaveLength(const FieldList& fields, const uint8_t* record, int bufferLength, bool variableLength,
                     int fixedLength, int readLength) {
    // The furthest end of any field of the file, whatever the order of the view's columns.
    int end = 0;
    bool endsWithNote = false;
    for (int i = 0; i < fields.Count(); ++i) {
        const FieldAttributes& field = *fields.Get(i);
        if (!OwnField(field)) continue;
        int fieldEnd = field.offset + field.length;
        if (field.type == kTypeNote) {
            int available = std::min<int>(field.length, bufferLength - field.offset);
            fieldEnd = field.offset + (field.length > 0 ? 1 : 0);
            if (available > 0) {
                const void* zero = std::memchr(record + field.offset, 0, static_cast<size_t>(available));
                fieldEnd = zero == nullptr ? field.offset + available
                                           : static_cast<int>(static_cast<const uint8_t*>(zero) - record) + 1;
            }
        }
        if (fieldEnd >= end) {
            endsWithNote = field.type == kTypeNote;
            end = std::max(end, fieldEnd);
        }
    }
    int length = std::max(end, fixedLength);
    if (variableLength && !endsWithNote) length = std::max(length, readLength);
    return std::max(0, std::min(length, bufferLength));
}

bool recordView(FileViewer& viewer, bool inserting, long long totalsCount) {
    if (totalsCount != 0) {
        std::vector<TotalLine> totals;
        const uint8_t* record = viewer.recordBuffer.get();
        const int length = static_cast<int>(viewer.recordBufferSize);
        for (int i = 0; i < viewer.fields.Count(); ++i) {
            const FieldAttributes& field = *viewer.fields.Get(i);
            totals.push_back({field.name, FieldToText(field, record, length, false)});
        }
        showTotals(totalsCount, totals);
        return false;
    }
    RecordViewSession session(viewer, inserting);
    return session.Run();
}

void showTotals(long long count, const std::vector<TotalLine>& totals) {
    std::vector<Estring> names;
    for (const TotalLine& total : totals) names.push_back(total.name);
    const int nameColumn = NameColumnWidth(names);
    EstringStore lines;
    for (const TotalLine& total : totals) lines.Append(FieldLineText(total.name, nameColumn, total.value));
    const int rows = VisibleFieldRows(lines.Count());
    int current = 0;
    Dialog dialog(-1, -2, kRecordViewWidth, rows + 2, kRecordViewAttribute, kRecordViewAttribute);
    dialog.SetColour(kColourListBox, kRecordViewAttribute);
    dialog.SetColour(kColourListBoxCurrent, kCurrentLineAttribute);
    dialog.AddText(-1, -1, Estring(" Totals for ") + Estring::FromInt(count) + " selected records ",
                   kRecordViewTitleAttribute);
    dialog.AddListBoxEstring(0, 0, 0, kListWidth, rows, lines, current, kKeyEnter);
    dialog.WriteText(-1, rows, Estring(kTotalsBottomLine), kRecordViewTitleAttribute);
    while (dialog.Run() != kKeyEsc) {
    }
}
