#include "btrieve/StatusText.h"

#include <gtest/gtest.h>

#include <string>

TEST(StatusText, EveryKnownStatus) {
    struct Case {
        int status;
        const char* text;
    };
    const Case cases[] = {
        {0, "0: No Error"},
        {1, "1: Invalid Function"},
        {2, "2: I/O Error"},
        {3, "3: File Not Open"},
        {4, "4: Key Value Not Found"},
        {5, "5: Duplicate Key Value"},
        {6, "6: Invalid Key Number"},
        {7, "7: Different Key Number"},
        {8, "8: Invalid Positioning"},
        {9, "9: End Of File"},
        {10, "10: Modifiable Key Value Error"},
        {11, "11: Invalid Filename"},
        {12, "12: File Not Found"},
        {14, "14: Pre-Image Create/Open Error"},
        {15, "15: Pre-Image I/O Error"},
        {17, "17: Close Error"},
        {18, "18: Disk Full"},
        {19, "19: Unrecoverable Error"},
        {20, "20: MKDE Inactive"},
        {22, "22: Data Buffer Length Error"},
        {24, "24: Page Size Error"},
        {25, "25: Create I/O Error"},
        {26, "26: Invalid Number Of Keys"},
        {27, "27: Invalid Key Position"},
        {28, "28: Invalid Record Length"},
        {29, "29: Invalid Key Length"},
        {30, "30: Not A MKDE Compatible File"},
        {35, "35: Directory Error"},
        {36, "36: Transaction Error"},
        {37, "37: Transaction Is Active"},
        {38, "38: Transaction Control File I/O Error"},
        {39, "39: End/Abort Transaction Error"},
        {41, "41: Operation Not Allowed"},
        {42, "42: Incomplete Accelerated Access"},
        {43, "43: Invalid Record Address"},
        {44, "44: Null Key Path"},
        {45, "45: Inconsistent Key Flags"},
        {46, "46: Access To File Denied"},
        {48, "48: Invalid Alternate Collating Sequence Definition"},
        {49, "49: Key Type Error"},
        {50, "50: Owner Already Set"},
        {51, "51: Invalid Owner"},
        {54, "54: Variable Page Error"},
        {55, "55: Auto Increment Key Error"},
        {56, "56: Incomplete Index"},
        {58, "58: Compression Buffer Too Short"},
        {59, "59: File Already Exists"},
        {60, "60: Reject Count Reached"},
        {61, "61: Extended Operation Work Space Too Small"},
        {62, "62: Invalid Extended Get Descriptor"},
        {63, "63: Invalid Extended Insert Data Buffer Length"},
        {64, "64: Extended Get Filter Limit Reached"},
        {65, "65: Extended Operation Field Offset Incorrect"},
        {78, "78: Deadlock Condition Detected"},
        {80, "80: Record Level Conflict"},
        {81, "81: Lock Error"},
        {82, "82: Positioning Lost"},
        {83, "83: Record Read Outside Transaction"},
        {84, "84: Record Is Locked"},
        {85, "85: File Is Locked"},
        {86, "86: File Table Full"},
        {87, "87: Handle Table Full"},
        {88, "88: Incompatible Mode Error"},
        {92, "92: Transaction Table Full"},
        {93, "93: Incompatible Record Lock"},
        {94, "94: Permission Error"},
        {95, "95: Session Lost"},
        {97, "97: Communications Buffer Too Small"},
        {100, "100: No Cache Available"},
        {103, "103: Chunk Offset Too Large"},
        {104, "104: Locale Information Not Found"},
        {105, "105: File Cannot Be Created With Variable Tail Allocation Tables"},
        {106, "106: Cannot Get Next Chunk"},
        {107, "107: Pre-6.0 File Cannot Support Chunk Operations"},
        {109, "109: Semaphore Create/Access Error"},
        {133, "133: More than 5 concurrent users attempted to access the same"},
        {2001, "2001: DLL Memory Allocation/Access Error"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(c.text), statusText(c.status).ToStdString()) << "status " << c.status;
    }
}

TEST(StatusText, StatusesWithoutTextAreUnknownErrors) {
    const int unknown[] = {13, 16, 21, 23, 31, 47, 99, 134, 2000, 65535, -1};
    for (int status : unknown) {
        EXPECT_EQ(std::to_string(status) + ": Unknown Error", statusText(status).ToStdString());
    }
}
