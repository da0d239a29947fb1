#pragma once
// The record manager's wire contract: everything a caller and the engine
// library must agree on, and nothing else. The engine, the binding
// (src/btrieve), the dictionary writer and the tools all include this one
// header; it has no code and no dependencies beyond <cstdint> and <cstddef>.

#include <cstddef>
#include <cstdint>

// The single entry point, exported with C linkage by libqdxengine.so (and by
// nothing else: the library exports only this symbol). Every call returns an
// engine status (0 = success) and never crashes on bad arguments: null
// buffers count as empty; a position block that holds no open handle answers 3.
//
//   operation      operation code, plus an optional lock bias (100 to 400)
//   positionBlock  kPositionBlockSize bytes owned by the caller; holds the engine's handle
//   dataBuffer     record, file specification, owner name ... per operation
//   dataLength     in: size of dataBuffer; out: bytes returned
//   keyBuffer      key value or file name; keyLength its size
//   keyNumber      key number, open mode, or owner mode per operation
extern "C" int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer, uint32_t* dataLength,
                           void* keyBuffer, uint8_t keyLength, int8_t keyNumber);

// The entry point's type, as a caller holds it after dlsym.
using BtrcallFunction = int16_t (*)(uint16_t operation, void* positionBlock, void* dataBuffer, uint32_t* dataLength,
                                    void* keyBuffer, uint8_t keyLength, int8_t keyNumber);

namespace qdx::wire {

constexpr const char* kEntryPointName = "BTRCALL";
constexpr size_t kPositionBlockSize = 128;

// Statuses.
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
constexpr Status kEngineInactive = 20;  // given by the binding: no library, or no entry point in it
constexpr Status kDataBufferLength = 22;
constexpr Status kPageSizeError = 24;
constexpr Status kCreateIoError = 25;
constexpr Status kInvalidNumberOfKeys = 26;
constexpr Status kInvalidKeyPosition = 27;
constexpr Status kInvalidRecordLength = 28;
constexpr Status kInvalidKeyLength = 29;
constexpr Status kNotEngineFile = 30;
constexpr Status kDirectoryError = 35;
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
constexpr Status kRecordLocked = 84;
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
    // The engine's own: a full check of an open file (qdxutil check).
    //   BUFFER  IN                      OUT
    //   data    room for the report     one line per problem found (text, "\n"
    //                                   after each); lines that do not fit are
    //                                   left out and a last line says how many
    //   length  the data buffer's size  the bytes of the report
    //   status                          0 sound, 2 damaged (the report says how)
    // Checked: SQLite's integrity check, every record's entry in every key (and
    // no entry without its record), the records' lengths and seals, and the
    // counts the file keeps against the real ones.
    kOpCheckFile = 700,
    // Added to a Get code (5 to 13): the key without the record.
    kKeyOnlyBias = 50,
};

// Lock biases added to an operation code: wait / no-wait, single / multiple record.
enum : int { kBiasWait = 100, kBiasNoWait = 200, kBiasMultipleWait = 300, kBiasMultipleNoWait = 400 };

// Open modes passed as the key number of Open.
enum : int { kModeNormal = 0, kModeReadOnly = -2, kModeExclusive = -4 };

// Limits.
constexpr uint32_t kMaxRecordLength = 32768;
constexpr int kMaxKeys = 119;  // key numbers 0 to 118, and as many segments in one file
constexpr int kMaxKeyLength = 255;
// Stat answers this in byte 5 of its buffer.
constexpr uint8_t kStatVersion = 0x95;
// A Stat buffer of this size holds any file's answer (callers send it as the data length).
constexpr size_t kStatBufferSize = 2251;

// The file specification: the Create buffer and Stat's answer (little-endian).
//   OFFSET  WIDTH  MEANING
//   0       2      record length (the fixed part for variable-length files)
//   2       2      page size
//   4       2      Create: number of keys. Stat: byte 4 keys, byte 5 version
//   6       4      Create: reserved (0). Stat: number of records
//   10      2      file flags (kFile*)
//   12      1      Stat: duplicate pointers to reserve (0)
//   13      1      reserved
//   14      2      Stat: unused pages (0)
//   16      16*n   one key segment entry per segment, keys in order, each
//                  key's segments in order
constexpr size_t kSpecRecordLength = 0;
constexpr size_t kSpecPageSize = 2;
constexpr size_t kSpecKeyCount = 4;
constexpr size_t kSpecVersion = 5;
constexpr size_t kSpecRecordCount = 6;
constexpr size_t kSpecFileFlags = 10;
constexpr size_t kSpecFreeDuplicates = 12;
constexpr size_t kSpecUnusedPages = 14;
constexpr size_t kSpecHeaderSize = 16;

// A key segment entry: of the file specification, and the key specification
// of Create Supplemental Index (one entry per segment of the new key).
//   OFFSET  WIDTH  MEANING
//   0       2      position in the record, 1-based
//   2       2      length
//   4       2      key flags (kSeg*)
//   6       4      Stat: number of unique values
//   10      1      extended data type (used when kSegExtendedType is set)
//   11      1      null value
//   12      2      reserved
//   14      1      key number (Stat)
//   15      1      collating sequence number
constexpr size_t kSegPosition = 0;
constexpr size_t kSegLength = 2;
constexpr size_t kSegFlags = 4;
constexpr size_t kSegUniqueCount = 6;
constexpr size_t kSegType = 10;
constexpr size_t kSegNullValue = 11;
constexpr size_t kSegKeyNumber = 14;
constexpr size_t kSegCollation = 15;
constexpr size_t kSegmentEntrySize = 16;

// File flags. This engine makes only variable-length files; the others are
// named for files written elsewhere.
constexpr uint16_t kFileVariable = 0x0001;  // variable-length records
constexpr uint16_t kFileBlankTruncation = 0x0002;
constexpr uint16_t kFilePreallocated = 0x0004;
constexpr uint16_t kFileCompressed = 0x0008;
constexpr uint16_t kFileKeyOnly = 0x0010;
constexpr uint16_t kFileIndexBalancing = 0x0020;
constexpr uint16_t kFileFreeSpaceThreshold = 0x00C0;  // two bits: 10, 20 or 30 percent
// Set by the table-definition Create when the count of segments carrying
// kSegSegmented differs from the highest index number + 1; stored, not acted on.
constexpr uint16_t kFileSegmentCountDiffers = 0x0400;
constexpr uint16_t kFileVats = 0x0800;

// Key flags of a segment entry.
constexpr uint16_t kSegDuplicates = 0x0001;
constexpr uint16_t kSegModifiable = 0x0002;
constexpr uint16_t kSegBinary = 0x0004;
constexpr uint16_t kSegNullAll = 0x0008;
constexpr uint16_t kSegSegmented = 0x0010;  // another segment of the same key follows
constexpr uint16_t kSegAltCollation = 0x0020;
constexpr uint16_t kSegDescending = 0x0040;
constexpr uint16_t kSegSupplemental = 0x0080;
// The same bit in a table definition's index flags: duplicates kept as repeats.
constexpr uint16_t kSegRepeatingDuplicates = kSegSupplemental;
constexpr uint16_t kSegExtendedType = 0x0100;
constexpr uint16_t kSegNullAny = 0x0200;
constexpr uint16_t kSegNoCase = 0x0400;

static_assert(kSpecHeaderSize + kSegmentEntrySize * kMaxKeys <= kStatBufferSize,
              "a Stat buffer holds the header and a segment entry for every possible key");
static_assert(kMaxKeyLength < 256, "the key length travels in one byte");

}  // namespace qdx::wire
