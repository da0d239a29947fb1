#pragma once
// Engine status codes and operation codes: the contract with every caller.

#include <cstdint>

namespace qdx::engine {

using Status = int16_t;

constexpr Status kOk = 0;
constexpr Status kInvalidOperation = 1;
constexpr Status kIoError = 2;
constexpr Status kFileNotOpen = 3;
constexpr Status kKeyNotFound = 4;
constexpr Status kDuplicateKey = 5;
constexpr Status kInvalidKeyNumber = 6;
constexpr Status kDifferentKeyNumber = 7;
constexpr Status kInvalidPositioning = 8;
constexpr Status kEndOfFile = 9;
constexpr Status kModifiableKeyError = 10;
constexpr Status kInvalidFileName = 11;
constexpr Status kFileNotFound = 12;
constexpr Status kDiskFull = 18;
constexpr Status kDataBufferLength = 22;
constexpr Status kPageSizeError = 24;
constexpr Status kCreateIoError = 25;
constexpr Status kInvalidNumberOfKeys = 26;
constexpr Status kInvalidKeyPosition = 27;
constexpr Status kInvalidRecordLength = 28;
constexpr Status kInvalidKeyLength = 29;
constexpr Status kNotEngineFile = 30;
constexpr Status kTransactionError = 36;
constexpr Status kTransactionActive = 37;
constexpr Status kEndAbortError = 39;
constexpr Status kInvalidRecordAddress = 43;
constexpr Status kInconsistentKeyFlags = 45;
constexpr Status kAccessDenied = 46;
constexpr Status kKeyTypeError = 49;
constexpr Status kOwnerAlreadySet = 50;
constexpr Status kInvalidOwner = 51;
constexpr Status kFileExists = 59;
constexpr Status kRecordConflict = 80;
constexpr Status kFileLocked = 85;
constexpr Status kIncompatibleMode = 88;

// Operation codes (before any lock bias).
enum : int {
    kOpOpen = 0,
    kOpClose = 1,
    kOpInsert = 2,
    kOpUpdate = 3,
    kOpDelete = 4,
    kOpGetEqual = 5,
    kOpGetNext = 6,
    kOpGetPrevious = 7,
    kOpGetGreater = 8,
    kOpGetGreaterOrEqual = 9,
    kOpGetLess = 10,
    kOpGetLessOrEqual = 11,
    kOpGetFirst = 12,
    kOpGetLast = 13,
    kOpCreate = 14,
    kOpStat = 15,
    kOpBeginTransaction = 19,
    kOpEndTransaction = 20,
    kOpAbortTransaction = 21,
    kOpGetPosition = 22,
    kOpGetDirect = 23,
    kOpStepNext = 24,
    kOpSetOwner = 29,
    kOpClearOwner = 30,
    kOpCreateIndex = 31,
    kOpDropIndex = 32,
    kOpStepFirst = 33,
    kOpStepLast = 34,
    kOpStepPrevious = 35,
    kOpFindPercentage = 45,
    kKeyOnlyBias = 50,
};

// Open modes passed as the key number of Open.
enum : int { kModeNormal = 0, kModeReadOnly = -2, kModeExclusive = -4 };

constexpr uint32_t kMaxRecordLength = 32768;
constexpr int kMaxKeys = 119;
constexpr int kMaxKeyLength = 255;
constexpr uint8_t kStatVersion = 0x95;

}  // namespace qdx::engine
