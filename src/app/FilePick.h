#pragma once
// FilePick: the list of the dictionary's tables shown at start-up, a
// RecordListWindow over file.ddf in the order of key 1 (the table name).
// Rows are the name padded to 22 columns and the location; typing the first
// letters of a name moves to it.
//
// run() ends with Enter or Esc (chosenFileName = the cursor table's
// location), or with Alt-O after the open options dialog was confirmed
// (chosenFileName and ownerName as edited there). The record of the chosen
// table is in recordBuffer afterwards (the base re-reads the cursor row).

#include <functional>

#include "base/Estring.h"
#include "viewer/RecordListWindow.h"

class FilePick : public RecordListWindow {
public:
    static constexpr int kWidth = 60;
    static constexpr uint8_t kAttribute = 0x2F;
    static constexpr uint8_t kLabelAttribute = 0x2E;
    static constexpr int kKeyBrowse = 1048;  // the "..." button of the open options

    // Over the open file dictionary; dictionaryPath is shown on the top frame line.
    explicit FilePick(const Estring& dictionaryPath);
    ~FilePick() override;

    // Positions the list on the table named name (20 characters, blank padded, as key 1).
    bool seekName(const Estring& name);

    // The open options dialog over chosenFileName and ownerName; true on OK.
    bool openOptions();

    // Chooses a file for the "..." button: given the directory and name
    // preset, returns false when nothing was chosen. The file dialog unless
    // replaced; empty: "..." does nothing.
    std::function<bool(const Estring& directory, const Estring& name, Estring& chosenDirectory,
                       Estring& chosenName)>
        browseForFile;

    Estring chosenFileName;
    Estring ownerName;

protected:
    void formatRow(Estring& text, int rowIndex) override;
    bool handleKey(int key) override;
    bool typeAhead(const Estring& text) override;

private:
    // Re-reads the cursor row; on success chosenFileName is its location.
    bool takeCursorTable();
};

// A table record's name and location: the text up to the first zero byte,
// trailing blanks removed.
Estring TableNameOf(const uint8_t* record);
Estring TableLocationOf(const uint8_t* record);
