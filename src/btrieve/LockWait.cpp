#include "btrieve/LockWait.h"

#include "btrieve/EngineBinding.h"

#include <chrono>
#include <thread>

namespace {

using qdx::wire::kBiasMultipleNoWait;
using qdx::wire::kBiasMultipleWait;
using qdx::wire::kBiasNoWait;
using qdx::wire::kBiasWait;

LockWaitPrompt* installedPrompt = nullptr;

// One wait without anyone to tell; the user cannot give up.
bool WaitUnseen() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kLockWaitPolls * kLockWaitPollMs));
    return false;
}

}  // namespace

void InstallLockWaitPrompt(LockWaitPrompt* prompt) { installedPrompt = prompt; }

LockWaitPrompt* InstalledLockWaitPrompt() { return installedPrompt; }

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
        bool givenUp = installedPrompt != nullptr ? installedPrompt->Wait(fileName, status) : WaitUnseen();
        if (lock.Lock(-1) != 0) return kStatusLockFailed;
        if (givenUp) return status;
    }
}
