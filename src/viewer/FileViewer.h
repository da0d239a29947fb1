#pragma once
// FileViewer: the record browser. A full-width RecordListWindow over one
// data file whose rows are the selected fields of the view, under a column
// header (join names, field names, a blank line) and above the key summary
// on the bottom frame line; the grid's commands are reached from handleKey.
//
// Ownership: the opener owns the file and the definition and keeps both
// alive for the viewer's life; the viewer owns its field list (a copy of the
// definition's fields), its compiled filter and its joins.
//
// Rows: each selected field's display text (its width, alignment and
// decimals) followed by one blank. Records pass when the filter formula,
// compiled once per text, answers true; with an index in use and a range
// set, keys pass when they lie between rangeFrom and rangeTo segment by
// segment.
//
// Commands of the key map: Enter (the record editor when one is installed;
// a record that cannot be re-read shows "Error getting record"), Ctrl-R
// refresh, F8/Delete delete the cursor record after a question, Alt-Y empty
// the file, F1 help, the horizontal scroll keys, Esc and Alt-X (end run).

#include <functional>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "fields/FieldList.h"
#include "viewer/RecordListWindow.h"

class DictionaryDef;
class Expression;
class TotalsDisplay;

class FileViewer : public RecordListWindow {
public:
    static constexpr uint8_t kBottomLineAttribute = 0x2E;
    static constexpr uint8_t kHeaderAttribute = 0x2F;
    static constexpr const char* kBottomLine =
        " F1=Help  ESC=Back  Alt-S=Sort Order  Alt-F=Fields  Alt-R=Restrict ";

    // The window spans the screen width from row top with height rows.
    // Requires: file is open; definition is valid and outlives the viewer.
    FileViewer(BtrieveFile* file, DictionaryDef& definition, int top, int height);
    ~FileViewer() override;

    // The view a viewer made again (after a resize) takes over: the page, the
    // order, the range, the filter and the columns.
    struct ViewState {
        PageState page;
        Estring filterText;
        std::vector<FieldAttributes> fields;
    };
    ViewState viewState() const;
    void restoreViewState(const ViewState& state);

    // Sets the filter formula (empty for none); the page restarts at first-in-view.
    void setFilter(const Estring& text);
    // Sets the index (-1: physical order); the range is switched off and the page restarts.
    void setKeyNumber(int key);

    // Edits the record in recordBuffer; true when it changed the file. Not
    // installed: Enter on a readable record does nothing.
    std::function<bool(FileViewer&)> recordEditor;
    // Shows the totals of Alt-T (the record view's totals form); not owned.
    // Not installed: a read-only list of the totals.
    TotalsDisplay* totalsDisplay = nullptr;

    // The header lines drawn from hOffset and the record lines, for a new width or after a change.
    void redrawGrid();
    // Column header text (line 1 join names, line 2 field names) of the selected fields.
    const Estring& headerLine(int line) const { return line == 1 ? header1 : header2; }

    // Bytes of the record in recordBuffer.
    int currentRecordLength() const { return recordLength(); }

    FieldList fields;
    int headerWidth = 0;
    Estring filterText;
    DictionaryDef& definition;

protected:
    void formatRow(Estring& text, int rowIndex) override;
    bool acceptRecord() override;
    bool handleKey(int key) override;
    bool inRange(const uint8_t* key) override;

private:
    void computeHeader();
    void drawHeader();
    void drawBottomLine();
    int recordLength() const;
    void deleteCursorRecord();
    // Returns true when the run loop should end (the file could not be emptied).
    bool emptyFile();

    std::unique_ptr<Expression> filter;
    Estring header1;
    Estring header2;
};
