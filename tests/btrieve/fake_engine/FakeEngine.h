#pragma once
// A stand-in engine library for the binding's tests: it exports BTRCALL,
// records every call, answers "locked" a given number of times, and serves
// canned records and a canned Stat. The control functions are looked up with
// dlsym on the same library the binding loaded.

#include <stdint.h>

extern "C" {

struct FakeCall {
    int operation;
    int keyNumber;
    int keyLength;
    int dataWasNull;
    uint32_t dataLengthIn;
    unsigned char data[256];  // the first bytes of the data buffer as sent
    unsigned char key[256];   // the key buffer as sent (255 bytes)
    void* positionBlock;
};

// Forgets the calls and restores every answer to its default.
typedef void (*FakeEngineResetFunction)(void);
// The next `count` calls answer `status` (84 or 85) without doing anything.
typedef void (*FakeEngineSetLockedFunction)(int count, int status);
// What Stat reports.
typedef void (*FakeEngineSetStatFunction)(int recordLength, int fileFlags);
// The version byte Stat reports (major and minor nibble; 0, the default,
// reads as a file older than 6.0).
typedef void (*FakeEngineSetStatVersionFunction)(int version);
// The data length Get and Step operations write back (before the binding
// keeps its low 16 bits); 0 keeps the length sent.
typedef void (*FakeEngineSetReplyLengthFunction)(uint32_t length);
typedef int (*FakeEngineCallCountFunction)(void);
// Requires: 0 <= i < call count.
typedef const FakeCall* (*FakeEngineCallAtFunction)(int i);

}  // extern "C"

// Record bytes served by reads: "REC" and the operation code's low byte.
constexpr int kFakeRecordMarkLength = 4;
// Default Stat answer.
constexpr int kFakeRecordLength = 123;
constexpr int kFakeFileFlags = 0x0401;
// The position Get Position reports, and the percentage Find Percentage reports (hundredths).
constexpr uint32_t kFakePosition = 0x01020304;
constexpr uint32_t kFakePercentage = 0x00031234;  // the low 16 bits count
