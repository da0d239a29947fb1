#pragma once
// ColourScheme: the process-wide table of 100 attribute bytes giving the
// colour of every kind of screen element. Entries 0 to 22 have fixed values,
// the rest are 0. A dialog copies the table when it is created
// (`ColourTable colours = ColourScheme;`) and replaces entry 0 of its copy by
// its own attribute; controls read the dialog's copy, application code reads
// ColourScheme itself.

#include <cstdint>

class ColourTable {
public:
    static constexpr int kSize = 100;
    // Requires: 0 <= i < kSize.
    constexpr uint8_t& operator[](int i) { return entries[i]; }
    constexpr uint8_t operator[](int i) const { return entries[i]; }
    // The table's values at start-up.
    static constexpr ColourTable Defaults();

private:
    uint8_t entries[kSize] = {};
};

namespace colour_detail {
constexpr uint8_t kDefaultEntries[23] = {
    0x70, 0x70, 0x4F, 0x4F, 0x30, 0x30, 0x3F, 0x0F, 0x71, 0x71, 0x3F, 0x0F,
    0x37, 0x31, 0x2F, 0x0F, 0x70, 0x78, 0x7E, 0x71, 0xF1, 0x71, 0x30,
};
}  // namespace colour_detail

constexpr ColourTable ColourTable::Defaults() {
    ColourTable table;
    for (int i = 0; i < 23; ++i) table[i] = colour_detail::kDefaultEntries[i];
    return table;
}

extern ColourTable ColourScheme;

// Indexes with a meaning (the others hold fixed values nothing reads).
constexpr int kColourWindow = 0;            // window and dialog text, unfocused buttons, marks
constexpr int kColourDialogFrame = 1;       // frame of a dialog whose frame attribute is 0
constexpr int kColourMessage = 2;           // alerts, error messages, the lock-wait line
constexpr int kColourField = 4;             // text entry field without focus
constexpr int kColourButtonFocus = 5;       // push button with focus
constexpr int kColourListBox = 6;           // list box lines
constexpr int kColourListBoxCurrent = 7;    // current line of a focused list box; prefix-search popup
constexpr int kColourApplication = 8;       // application windows
constexpr int kColourHeading = 9;           // DlgStaticHeading text
constexpr int kColourChoiceList = 10;       // field and index choice lists
constexpr int kColourRecordList = 14;       // record list text and frame
constexpr int kColourRecordCursor = 15;     // record list cursor row
constexpr int kColourDisabled = 17;         // greyed control text
constexpr int kColourCheckBoxLabel = 19;    // check-box label
constexpr int kColourFieldFocus = 22;       // text entry field with focus

// Fixed attributes outside the table.
constexpr uint8_t kAttrBackground = 0x13;   // background pattern
constexpr uint8_t kAttrTitle = 0x3F;        // title rows of the background
constexpr uint8_t kAttrAlert = 0x4F;
