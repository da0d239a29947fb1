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
// Commands of the key map: Enter (the record editor, the record view unless
// replaced; a record that cannot be re-read shows "Error getting record"),
// Insert, F5 / Ctrl-Insert and Alt-H (viewer/RecordCommands.h), Ctrl-R
// refresh, F8/Delete delete the cursor record after a question, Alt-Y empty
// the file, F1 help, Alt-S sort order, Alt-R restriction, Alt-F field
// selection, Ctrl-L file statistics, Alt-O file owner, Alt-E export, Alt-I
// import, F2 / F3 save and load a view, Shift-F3 load the last view, the
// horizontal scroll keys, Esc and Alt-X (end run).
//
// Closing: the destructor writes the view to the last view file of the data
// file (viewer/ViewDialogs.h) when an environment is installed.

#include <functional>
#include <memory>
#include <vector>

#include "base/Estring.h"
#include "fields/FieldList.h"
#include "viewer/RecordListWindow.h"
#include "viewfile/LastViewFile.h"
#include "viewfile/JoinList.h"

class DictionaryDef;
class Expression;
class ViewJoiner;
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
        std::shared_ptr<JoinList> joins;  // the joined fields above point into it
    };
    ViewState viewState() const;
    void restoreViewState(const ViewState& state);

    // Sets the filter formula (empty for none); the page restarts at first-in-view.
    void setFilter(const Estring& text);
    // Sets the index (-1: physical order); the range is switched off and the page restarts.
    void setKeyNumber(int key);

    // Edits the record in recordBuffer; true when it changed the file (and
    // then refreshes the page). The record view unless replaced; empty:
    // Enter on a readable record does nothing.
    std::function<bool(FileViewer&)> recordEditor;
    // Shows the totals of Alt-T (the record view's totals form); not owned.
    // Not installed: a read-only list of the totals.
    TotalsDisplay* totalsDisplay = nullptr;

    // Chooses the table to join to (the table list): its file.ddf record, the
    // path to open and the owner name. Not installed: no join can be made.
    std::function<bool(std::vector<uint8_t>& tableRecord, Estring& path, Estring& ownerName)> pickJoinTable;

    // The header lines drawn from hOffset and the record lines, for a new width or after a change.
    void redrawGrid();
    // Column header text (line 1 join names, line 2 field names) of the selected fields.
    const Estring& headerLine(int line) const { return line == 1 ? header1 : header2; }

    // Bytes of the record in recordBuffer.
    int currentRecordLength() const { return recordLength(); }

    // Where the last view file goes (TMP, TEMP, the state directory): the
    // opener installs the process environment; empty, no last view file is
    // written or read.
    EnvironmentLookup environment;
    // The joins of the view as view files save and load them; null: none.
    ViewJoiner* joiner = nullptr;

    FieldList fields;
    // Shared so that a viewer made again after a resize takes the joins over.
    std::shared_ptr<JoinList> joins = std::make_shared<JoinList>();
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
