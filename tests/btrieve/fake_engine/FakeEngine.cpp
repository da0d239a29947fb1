#include "FakeEngine.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace {

struct State {
    std::mutex mutex;
    std::vector<FakeCall> calls;
    int lockedLeft = 0;
    int lockedStatus = 84;
    int recordLength = kFakeRecordLength;
    int fileFlags = kFakeFileFlags;
    int version = 0;
    uint32_t replyLength = 0;
};

State& TheState() {
    static State state;
    return state;
}

void PutU16(unsigned char* p, int v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer,
                                                       uint32_t* dataLength, void* keyBuffer, uint8_t keyLength,
                                                       int8_t keyNumber) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    FakeCall call{};
    call.operation = operation;
    call.keyNumber = keyNumber;
    call.keyLength = keyLength;
    call.dataWasNull = dataBuffer == nullptr;
    call.dataLengthIn = dataLength != nullptr ? *dataLength : 0xFFFFFFFFu;
    call.positionBlock = positionBlock;
    if (dataBuffer != nullptr && dataLength != nullptr) {
        size_t n = *dataLength < sizeof call.data ? *dataLength : sizeof call.data;
        std::memcpy(call.data, dataBuffer, n);
    }
    if (keyBuffer != nullptr) std::memcpy(call.key, keyBuffer, keyLength);
    state.calls.push_back(call);

    if (state.lockedLeft > 0) {
        --state.lockedLeft;
        return static_cast<int16_t>(state.lockedStatus);
    }
    unsigned char* data = static_cast<unsigned char*>(dataBuffer);
    int code = operation % 100;
    bool keyOnly = code >= 55 && code <= 63;
    if (keyOnly) code -= 50;
    switch (code) {
    case 15:  // Stat
        if (data == nullptr || dataLength == nullptr || *dataLength < 16) return 22;
        std::memset(data, 0, 16);
        PutU16(data, state.recordLength);
        PutU16(data + 2, 4096);
        data[5] = static_cast<unsigned char>(state.version);
        PutU16(data + 10, state.fileFlags);
        *dataLength = 16;
        return 0;
    case 22:  // Get Position
        if (data == nullptr || dataLength == nullptr || *dataLength < 4) return 22;
        PutU32(data, kFakePosition);
        *dataLength = 4;
        return 0;
    case 45:  // Find Percentage
        if (data == nullptr) return 22;
        PutU32(data, kFakePercentage);
        return 0;
    default:
        break;
    }
    bool read = (code >= 5 && code <= 13) || code == 23 || code == 24 || (code >= 33 && code <= 35);
    if (read && keyBuffer != nullptr) std::memcpy(keyBuffer, "KEY", 4);
    if (read && !keyOnly && data != nullptr && dataLength != nullptr && *dataLength >= kFakeRecordMarkLength) {
        std::memcpy(data, "REC", 3);
        data[3] = static_cast<unsigned char>(code);
        if (state.replyLength != 0) *dataLength = state.replyLength;
    }
    return 0;
}

__attribute__((visibility("default"))) void FakeEngineReset(void) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.calls.clear();
    state.lockedLeft = 0;
    state.lockedStatus = 84;
    state.recordLength = kFakeRecordLength;
    state.fileFlags = kFakeFileFlags;
    state.version = 0;
    state.replyLength = 0;
}

__attribute__((visibility("default"))) void FakeEngineSetLocked(int count, int status) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.lockedLeft = count;
    state.lockedStatus = status;
}

__attribute__((visibility("default"))) void FakeEngineSetStat(int recordLength, int fileFlags) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.recordLength = recordLength;
    state.fileFlags = fileFlags;
}

__attribute__((visibility("default"))) void FakeEngineSetStatVersion(int version) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.version = version;
}

__attribute__((visibility("default"))) void FakeEngineSetReplyLength(uint32_t length) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    state.replyLength = length;
}

__attribute__((visibility("default"))) int FakeEngineCallCount(void) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    return static_cast<int>(state.calls.size());
}

__attribute__((visibility("default"))) const FakeCall* FakeEngineCallAt(int i) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.mutex);
    return &state.calls[static_cast<size_t>(i)];
}

}  // extern "C"
