#include "viewer/BulkOperations.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineTransaction.h"
#include "expr/Expression.h"
#include "expr/Operators.h"
#include "fields/FieldList.h"
#include "fields/NumberText.h"
#include "viewer/FileViewer.h"
#include "viewer/RecordView.h"

namespace {

constexpr int kTotalTextWidth = 30;

// Engine transactions of kBulkBatchSize writes. Where the engine refuses to
// begin one (one is already open elsewhere in the program), the writes go
// one by one.
class Batch {
public:
    explicit Batch(BulkResult& r) : result(r) {}
    ~Batch() { Commit(); }

    void BeforeWrite() {
        if (!transaction.Active() && !refused) refused = transaction.Begin() != 0;
    }
    void AfterWrite() {
        if (++pending >= kBulkBatchSize) Commit();
    }
    void Commit() {
        pending = 0;
        if (!transaction.Active()) return;
        const int status = transaction.Commit();
        if (status != 0 && result.commitStatus == 0) result.commitStatus = status;
    }

private:
    BulkResult& result;
    EngineTransaction transaction;
    bool refused = false;
    int pending = 0;
};

// The stop check after every record; the batch is committed before the question.
bool Stop(BulkControl& control, Batch& batch, BulkResult& result) {
    if (!control.StopRequested()) return false;
    batch.Commit();
    if (!control.ConfirmStop()) return false;
    result.stopped = true;
    return true;
}

// What delete all and modify all do with the engine's answer to a write: a
// write done is counted in the batch; a refused one is counted apart and put
// to the user (every time, or only the first time for a run that asks once),
// with the batch committed first so that nothing is held open meanwhile.
class WriteStep {
public:
    enum class Ask { kOnce, kEveryTime };
    WriteStep(const char* words_, Ask ask_, Batch& batch_, BulkControl& control_, BulkResult& result_)
        : words(words_), ask(ask_), batch(batch_), control(control_), result(result_) {}

    // The engine's status for one record's write; false when the user chose to stop.
    bool Done(int status) {
        if (status == 0) {
            ++result.done;
            batch.AfterWrite();
            return true;
        }
        ++result.refused;
        if (ask == Ask::kOnce && asked) return true;
        asked = true;
        batch.Commit();
        if (control.WriteRefused(words, status)) return true;
        result.stopped = true;
        return false;
    }

private:
    const char* words;
    Ask ask;
    Batch& batch;
    BulkControl& control;
    BulkResult& result;
    bool asked = false;
};

// The record in the viewer's buffer as modify all's formulas see and change
// it. A record of a variable-length file was read with its own length: the
// rest of the buffer is cleared, so that a note made longer is stored whole
// instead of being refused for want of room, and the length written follows
// the fields as they are after each change (the record view's rule).
class RecordImage {
public:
    explicit RecordImage(FileViewer& viewer_)
        : viewer(viewer_),
          record(viewer_.recordBuffer.get()),
          capacity(static_cast<int>(viewer_.recordBufferSize)),
          variable(viewer_.variableLength != 0) {}

    // After each fetch.
    void Loaded() {
        readLength = viewer.currentRecordLength();
        length = readLength;
        if (variable && readLength < capacity) std::memset(record + readLength, 0, static_cast<size_t>(capacity - readLength));
    }
    // After a value was stored into the record.
    void Changed() {
        if (variable)
            length = RecordSaveLength(viewer.fields, record, capacity, true, viewer.dataFile->recordLength(), readLength);
    }
    uint8_t* Bytes() const { return record; }
    // The bytes formulas read and the Update writes.
    int Length() const { return length; }
    // The bytes a value may be stored into.
    int Room() const { return capacity; }

private:
    FileViewer& viewer;
    uint8_t* record;
    int capacity;
    bool variable;
    int readLength = 0;
    int length = 0;
};

}  // namespace

// --- delete all -----------------------------------------------------------------------

BulkResult DeleteAllRecords(FileViewer& viewer, BulkControl& control) {
    BulkResult result;
    BtrieveFile& file = *viewer.dataFile;
    const int key = viewer.keyNumber < 0 ? 0 : viewer.keyNumber;
    {
        Batch batch(result);
        WriteStep step("Error deleting record", WriteStep::Ask::kOnce, batch, control, result);
        int status = viewer.firstInView();
        while (status == 0) {
            batch.BeforeWrite();
            if (!step.Done(file.deleteRecord(key))) break;
            control.Counted(result.done);
            if (Stop(control, batch, result)) break;
            // The engine keeps the place of a deleted record: the scan goes on after it.
            status = viewer.nextInView();
        }
        result.endStatus = result.stopped ? 0 : status;
    }
    return result;
}

// --- modify all -----------------------------------------------------------------------

std::vector<const FieldAttributes*> ModifiableFields(const FileViewer& viewer) {
    std::vector<const FieldAttributes*> list;
    for (int i = 0; i < viewer.fields.Count(); ++i) {
        const FieldAttributes* field = viewer.fields.Get(i);
        if (field->IsCalculated() || field->IsJoined()) break;
        list.push_back(field);
    }
    return list;
}

void CheckFieldFormula(FileViewer& viewer, const FieldAttributes& field, const Estring& formula, Estring& errorText) {
    errorText = Estring();
    if (formula.Trim().IsEmpty()) return;
    const int length = viewer.currentRecordLength();
    Expression expression(&viewer.fields, formula);
    Variant value;
    if (!expression.Evaluate(viewer.recordBuffer.get(), length, value)) {
        errorText = expression.ErrorMessage();
        return;
    }
    // Stored into a copy: the check must not change the record buffer. A
    // variable-length record has the room of the whole buffer, as in the run.
    const int room = viewer.variableLength != 0 ? static_cast<int>(viewer.recordBufferSize) : length;
    std::vector<uint8_t> scratch(static_cast<size_t>(std::max(room, length)), 0);
    std::memcpy(scratch.data(), viewer.recordBuffer.get(), static_cast<size_t>(length));
    if (!VariantToField(value, field, scratch.data(), room)) errorText = "Incompatible expression type";
}

BulkResult ModifyAllRecords(FileViewer& viewer, const std::vector<FieldFormula>& formulas, BulkControl& control) {
    struct Compiled {
        const FieldAttributes* field;
        std::unique_ptr<Expression> expression;
    };
    std::vector<Compiled> compiled;
    for (const FieldFormula& formula : formulas) {
        if (formula.field == nullptr || formula.text.Trim().IsEmpty()) continue;
        compiled.push_back({formula.field, std::make_unique<Expression>(&viewer.fields, formula.text.Trim())});
    }

    BulkResult result;
    BtrieveFile& file = *viewer.dataFile;
    std::unordered_set<uint32_t> written;
    RecordImage image(viewer);
    {
        Batch batch(result);
        WriteStep step("Error updating record", WriteStep::Ask::kEveryTime, batch, control, result);
        int status = viewer.firstInView();
        while (status == 0) {
            if (!written.insert(file.getPosition()).second) {
                ++result.passedOver;  // written already; its key moved it on in the index
                // A long run of these must still hear Esc.
                if (Stop(control, batch, result)) break;
                status = viewer.nextInView();
                continue;
            }
            image.Loaded();
            uint8_t* record = image.Bytes();
            for (Compiled& c : compiled) {
                Variant value;
                if (c.expression->Evaluate(record, image.Length(), value) &&
                    VariantToField(value, *c.field, record, image.Room()))
                    image.Changed();
            }
            batch.BeforeWrite();
            file.setDataLength(static_cast<uint16_t>(image.Length()));
            // Key number -1: the scan's place in the index stays where it was.
            if (!step.Done(file.updateRecord(record, -1))) break;
            control.Counted(result.done);
            if (Stop(control, batch, result)) break;
            status = viewer.nextInView();
        }
        result.endStatus = result.stopped ? 0 : status;
    }
    return result;
}

// --- totals -----------------------------------------------------------------------------

Estring FieldTotal::Text() const {
    if (!total.IsReal()) return VariantToText(total, kTotalTextWidth, -1);
    int places = decimals;
    int precisionBits = 64;
    switch (type) {
        case kTypeCurrency: places = 4; break;  // ten-thousandths, whatever the field's places say
        case kTypeDecimal: places = std::max(decimals, 0); break;
        case kTypeFloat:
        case kTypeBFloat:
            // A sum of singles printed with more bits shows the noise of their binary fractions.
            precisionBits = length == 4 ? 24 : length == 10 ? 64 : 53;
            if (decimals == FieldAttributes::kDefaultDecimals || decimals < 0) places = -1;
            break;
        case kTypeCalculated: precisionBits = 53; break;  // as its values are shown
        default: places = 0; break;  // the whole-number types
    }
    return FormatReal(total.real, precisionBits, kTotalTextWidth, places, false).Trim();
}

ViewTotals TotalRecords(FileViewer& viewer, BulkControl& control) {
    ViewTotals totals;
    std::vector<bool> numeric;
    for (int i = 0; i < viewer.fields.Count(); ++i) {
        const FieldAttributes& field = *viewer.fields.Get(i);
        if (!IsNumericType(field.type)) continue;
        if (field.IsCalculated()) {
            // Whether its values are numbers shows on the record at hand, even when the view turns out empty.
            Variant sample;
            if (FieldToVariant(field, viewer.recordBuffer.get(), viewer.currentRecordLength(), sample) &&
                !sample.IsNumber())
                continue;
        }
        FieldTotal entry;
        entry.fieldIndex = i;
        entry.name = field.name;
        entry.total = Variant::Integer(0);
        entry.type = field.type;
        entry.length = field.length;
        entry.decimals = field.decimals;
        totals.fields.push_back(entry);
        numeric.push_back(true);
    }
    int status = viewer.firstInView();
    while (status == 0) {
        const uint8_t* record = viewer.recordBuffer.get();
        const int length = viewer.currentRecordLength();
        for (size_t f = 0; f < totals.fields.size(); ++f) {
            if (!numeric[f]) continue;
            FieldTotal& entry = totals.fields[f];
            Variant value;
            if (!FieldToVariant(*viewer.fields.Get(entry.fieldIndex), record, length, value)) continue;
            if (!value.IsNumber() || expr::ApplyBinary(expr::BinaryOp::kAdd, entry.total, value) != nullptr) {
                numeric[f] = false;  // a calculated field that is not a number has no total
            }
        }
        ++totals.count;
        control.Counted(totals.count);
        if (control.StopRequested() && control.ConfirmStop()) {
            totals.cancelled = true;
            break;
        }
        status = viewer.nextInView();
    }
    totals.endStatus = totals.cancelled ? 0 : status;
    std::vector<FieldTotal> kept;
    for (size_t f = 0; f < totals.fields.size(); ++f)
        if (numeric[f]) kept.push_back(totals.fields[f]);
    totals.fields = std::move(kept);
    return totals;
}

Estring TotalsTitle(const ViewTotals& totals) {
    return Estring(" Totals for ") + Estring::FromInt(totals.count) + " selected records ";
}

std::vector<Estring> TotalsLines(const ViewTotals& totals) {
    std::vector<Estring> lines;
    for (const FieldTotal& entry : totals.fields) lines.push_back(entry.name.PadOrCutLeft(20) + ": " + entry.Text());
    return lines;
}

