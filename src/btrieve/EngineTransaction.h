#pragma once
// An engine transaction (Begin 19, End 20, Abort 21) around a run of writes:
// the engine then writes each batch once instead of once a record. Ended
// with Abort when the object goes without Commit.

#include "btrieve/EngineBinding.h"

class EngineTransaction {
public:
    static constexpr int kOpBegin = 19;
    static constexpr int kOpEnd = 20;
    static constexpr int kOpAbort = 21;

    EngineTransaction() = default;
    EngineTransaction(const EngineTransaction&) = delete;
    EngineTransaction& operator=(const EngineTransaction&) = delete;
    ~EngineTransaction() {
        if (active) Call(kOpAbort);
    }

    // The engine status of Begin Transaction.
    int Begin() {
        int status = Call(kOpBegin);
        active = status == 0;
        return status;
    }
    // The engine status of End Transaction.
    int Commit() {
        active = false;
        return Call(kOpEnd);
    }
    bool Active() const { return active; }

private:
    int Call(int operation) {
        unsigned char positionBlock[kPositionBlockSize] = {};
        return CallEngine(operation, positionBlock, nullptr, nullptr, nullptr, 0);
    }

    bool active = false;
};
