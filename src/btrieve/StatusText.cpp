#include "btrieve/StatusText.h"

#include <string>

#include "btrieve/EngineBinding.h"

namespace {

struct StatusEntry {
    int code;
    const char* text;
};

constexpr StatusEntry kStatusTexts[] = {
    {0, "No Error"},
    {1, "Invalid Function"},
    {2, "I/O Error"},
    {3, "File Not Open"},
    {4, "Key Value Not Found"},
    {5, "Duplicate Key Value"},
    {6, "Invalid Key Number"},
    {7, "Different Key Number"},
    {8, "Invalid Positioning"},
    {9, "End Of File"},
    {10, "Modifiable Key Value Error"},
    {11, "Invalid Filename"},
    {12, "File Not Found"},
    {14, "Pre-Image Create/Open Error"},
    {15, "Pre-Image I/O Error"},
    {17, "Close Error"},
    {18, "Disk Full"},
    {19, "Unrecoverable Error"},
    {20, "MKDE Inactive"},
    {22, "Data Buffer Length Error"},
    {24, "Page Size Error"},
    {25, "Create I/O Error"},
    {26, "Invalid Number Of Keys"},
    {27, "Invalid Key Position"},
    {28, "Invalid Record Length"},
    {29, "Invalid Key Length"},
    {30, "Not A MKDE Compatible File"},
    {35, "Directory Error"},
    {36, "Transaction Error"},
    {37, "Transaction Is Active"},
    {38, "Transaction Control File I/O Error"},
    {39, "End/Abort Transaction Error"},
    {41, "Operation Not Allowed"},
    {42, "Incomplete Accelerated Access"},
    {43, "Invalid Record Address"},
    {44, "Null Key Path"},
    {45, "Inconsistent Key Flags"},
    {46, "Access To File Denied"},
    {48, "Invalid Alternate Collating Sequence Definition"},
    {49, "Key Type Error"},
    {50, "Owner Already Set"},
    {51, "Invalid Owner"},
    {54, "Variable Page Error"},
    {55, "Auto Increment Key Error"},
    {56, "Incomplete Index"},
    {58, "Compression Buffer Too Short"},
    {59, "File Already Exists"},
    {60, "Reject Count Reached"},
    {61, "Extended Operation Work Space Too Small"},
    {62, "Invalid Extended Get Descriptor"},
    {63, "Invalid Extended Insert Data Buffer Length"},
    {64, "Extended Get Filter Limit Reached"},
    {65, "Extended Operation Field Offset Incorrect"},
    {78, "Deadlock Condition Detected"},
    {80, "Record Level Conflict"},
    {81, "Lock Error"},
    {82, "Positioning Lost"},
    {83, "Record Read Outside Transaction"},
    {84, "Record Is Locked"},
    {85, "File Is Locked"},
    {86, "File Table Full"},
    {87, "Handle Table Full"},
    {88, "Incompatible Mode Error"},
    {92, "Transaction Table Full"},
    {93, "Incompatible Record Lock"},
    {94, "Permission Error"},
    {95, "Session Lost"},
    {97, "Communications Buffer Too Small"},
    {100, "No Cache Available"},
    {103, "Chunk Offset Too Large"},
    {104, "Locale Information Not Found"},
    {105, "File Cannot Be Created With Variable Tail Allocation Tables"},
    {106, "Cannot Get Next Chunk"},
    {107, "Pre-6.0 File Cannot Support Chunk Operations"},
    {109, "Semaphore Create/Access Error"},
    {133, "More than 5 concurrent users attempted to access the same"},
    {2001, "DLL Memory Allocation/Access Error"},
};

}  // namespace

Estring statusText(int status) {
    const char* text = "Unknown Error";
    for (const StatusEntry& entry : kStatusTexts) {
        if (entry.code == status) {
            text = entry.text;
            break;
        }
    }
    return Estring::FromInt(status) + ": " + text;
}

Estring EngineFailureText(int status) {
    if (status != kStatusEngineInactive) return Estring();
    std::string failure = EngineLoadFailure();
    if (failure.empty()) return Estring();
    return Estring(("engine library not loaded: " + failure).c_str());
}
