// The entry point: decodes the operation code (lock bias, key-only form) and
// hands the call to the session. Nothing thrown inside may cross into the
// caller.

#include "engine/Contract.h"

#include <new>

#include "engine/Session.h"

using namespace qdx::engine;

extern "C" __attribute__((visibility("default"))) int16_t BTRCALL(
    uint16_t operation, void* positionBlock, void* dataBuffer, uint32_t* dataLength,
    void* keyBuffer, uint8_t keyLength, int8_t keyNumber) {
    Call c;
    int op = operation;
    // Lock biases 100 to 400 are accepted; record locks are not kept (see
    // docs/ENGINE.md), file-level write conflicts answer 85.
    if (op >= 100 && op < 500) op %= 100;
    if (op >= kKeyOnlyBias && op < 100) {
        op -= kKeyOnlyBias;
        if (op < kOpGetEqual || op > kOpGetLast) return kInvalidOperation;
        c.keyOnly = true;
    }
    c.op = op;
    c.position = static_cast<uint8_t*>(positionBlock);
    c.data = static_cast<uint8_t*>(dataBuffer);
    c.dataLength = dataLength;
    c.dataSize = (dataLength && dataBuffer) ? *dataLength : 0;
    c.key = static_cast<uint8_t*>(keyBuffer);
    c.keySize = keyBuffer ? keyLength : 0;
    c.keyNumber = keyNumber;
    try {
        return Session::Instance().dispatch(c);
    } catch (const std::bad_alloc&) {
        return kIoError;
    } catch (...) {
        return kIoError;
    }
}
