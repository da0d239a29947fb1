#include "btrieve/LockWait.h"

#include "btrieve/EngineBinding.h"
#include "platform/Console.h"
#include "ui/ColourScheme.h"
#include "ui/Input.h"
#include "ui/KeyCodes.h"
#include "ui/RawWindow.h"

namespace {

constexpr int kBiasWait = 100;
constexpr int kBiasNoWait = 200;
constexpr int kBiasMultipleWait = 300;
constexpr int kBiasMultipleNoWait = 400;

// Shows the waiting line on the bottom row for as long as the key polls
// take; the window puts back what it covered. Returns the key read, 0 for none.
int ShowAndPoll(const Estring& fileName, int status) {
    int screenWidth = 0, screenHeight = 0;
    GetScreenSize(screenWidth, screenHeight);
    Estring text = LockWaitText(fileName, status, screenWidth - 2);
    int key = 0;
    {
        RawWindow line(-1, -1, text.Length() + 2, 1, ColourScheme[kColourMessage], -1, true);
        line.WriteText(1, 0, text);
        for (int poll = 0; poll < kLockWaitPolls; ++poll) {
            InputEvent event{};
            ReadInput(event, kLockWaitPollMs);
            if (event.type == kEventKey) {
                key = event.key;
                break;
            }
        }
    }
    return key;
}

}  // namespace

Estring LockWaitText(const Estring& fileName, int status, int maxLength) {
    Estring head = "File Locked, waiting: ";
    Estring tail = Estring("(") + Estring::FromInt(status) + ")";
    Estring text = head + fileName + tail;
    if (text.Length() <= maxLength) return text;
    int room = maxLength - head.Length() - tail.Length() - 3;
    if (room <= 0) return text.Left(maxLength > 0 ? maxLength : 0);
    return head + "..." + fileName.Right(room) + tail;
}

int CallWithLockWait(RecursiveLock& lock, int operation, void* positionBlock, void* dataBuffer,
                     uint16_t* dataLength, void* keyBuffer, int keyNumber, const Estring& fileName) {
    int bias = (operation / 100) * 100;
    if (bias == kBiasNoWait || bias == kBiasMultipleNoWait) {
        return CallEngine(operation, positionBlock, dataBuffer, dataLength, keyBuffer, keyNumber);
    }
    if (bias == kBiasWait || bias == kBiasMultipleWait) operation += 100;
    // Every attempt sends the caller's length, whatever a refused one wrote back.
    const uint16_t lengthSent = dataLength != nullptr ? *dataLength : 0;
    for (;;) {
        if (dataLength != nullptr) *dataLength = lengthSent;
        int status = CallEngine(operation, positionBlock, dataBuffer, dataLength, keyBuffer, keyNumber);
        if (status != kStatusRecordLocked && status != kStatusFileLocked) return status;
        lock.Unlock();
        int key = ShowAndPoll(fileName, status);
        if (lock.Lock(-1) != 0) return kStatusLockFailed;
        if (key == kKeyCtrlZ) return status;
    }
}
