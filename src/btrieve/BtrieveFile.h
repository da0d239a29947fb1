#pragma once
// BtrieveFile: one open engine file. It owns the engine's 128-byte position
// block, remembers the last status and the length of the current record, and
// offers one operation per engine operation.
//
// Every operation stores its status in status() and returns it (0 = success);
// nothing throws. Each engine call holds the file's own recursive lock for
// its whole length and passes through the lock wait (btrieve/LockWait.h), so
// records locked by another user are waited for; a lock that cannot be taken
// gives kStatusLockFailed (65535) without calling the engine.
//
// dataLength is the length of the record exchanged with the engine: sent and
// written back by the Get, Step, Insert, Update and Delete operations, so
// after a read it is the length of the record read, and after an open the
// file's record length. It is also the record buffer's capacity for reads:
// callers reset it to their buffer size before each fetch, and set it to the
// record's length before Insert and Update of variable-length records.
//
// Buffers: record buffers hold at least dataLength bytes; key buffers (when
// not null) at least 255 bytes; a null key buffer is replaced by a scratch one.
// A Get with a null record buffer sends the key-only form (operation + 50)
// with length 0 and leaves dataLength alone. lockBias (100 to 400) is added
// to the operation; every caller passes 0.
//
// States: closed (constructed) -> open (open() answered 0) -> closed (close()
// answered 0, or destruction). Operations on a closed file are sent anyway
// and the engine answers 3 (File Not Open).

#include "base/Estring.h"
#include "base/Lock.h"
#include "engine/Contract.h"

#include <cstdint>
#include <memory>

class BtrieveFile {
public:
    // Engine operation codes (the wire contract's, engine/Contract.h).
    static constexpr int kOpOpen = qdx::wire::kOpOpen;
    static constexpr int kOpClose = qdx::wire::kOpClose;
    static constexpr int kOpInsert = qdx::wire::kOpInsert;
    static constexpr int kOpUpdate = qdx::wire::kOpUpdate;
    static constexpr int kOpDelete = qdx::wire::kOpDelete;
    static constexpr int kOpGetEqual = qdx::wire::kOpGetEqual;
    static constexpr int kOpGetNext = qdx::wire::kOpGetNext;
    static constexpr int kOpGetPrevious = qdx::wire::kOpGetPrevious;
    static constexpr int kOpGetGreater = qdx::wire::kOpGetGreater;
    static constexpr int kOpGetGreaterOrEqual = qdx::wire::kOpGetGreaterOrEqual;
    static constexpr int kOpGetLess = qdx::wire::kOpGetLess;
    static constexpr int kOpGetLessOrEqual = qdx::wire::kOpGetLessOrEqual;
    static constexpr int kOpGetFirst = qdx::wire::kOpGetFirst;
    static constexpr int kOpGetLast = qdx::wire::kOpGetLast;
    static constexpr int kOpCreate = qdx::wire::kOpCreate;
    static constexpr int kOpStat = qdx::wire::kOpStat;
    static constexpr int kOpGetPosition = qdx::wire::kOpGetPosition;
    static constexpr int kOpGetDirect = qdx::wire::kOpGetDirect;
    static constexpr int kOpStepNext = qdx::wire::kOpStepNext;
    static constexpr int kOpSetOwner = qdx::wire::kOpSetOwner;
    static constexpr int kOpClearOwner = qdx::wire::kOpClearOwner;
    static constexpr int kOpCreateIndex = qdx::wire::kOpCreateIndex;
    static constexpr int kOpDropIndex = qdx::wire::kOpDropIndex;
    static constexpr int kOpStepFirst = qdx::wire::kOpStepFirst;
    static constexpr int kOpStepLast = qdx::wire::kOpStepLast;
    static constexpr int kOpStepPrevious = qdx::wire::kOpStepPrevious;
    static constexpr int kOpFindPercentage = qdx::wire::kOpFindPercentage;
    static constexpr int kKeyOnly = qdx::wire::kKeyOnlyBias;  // added to a Get code: the key without the record

    // Stat's buffer is the engine's file specification (its layout is the
    // wire contract's); this many bytes hold any file's.
    static constexpr int kStatBufferSize = static_cast<int>(qdx::wire::kStatBufferSize);
    // One entry of a key specification.
    static constexpr int kKeySegmentSize = static_cast<int>(qdx::wire::kSegmentEntrySize);

    BtrieveFile();
    virtual ~BtrieveFile();
    BtrieveFile(const BtrieveFile&) = delete;
    BtrieveFile& operator=(const BtrieveFile&) = delete;

    // Opens path; text after the first "+" is the owner name, sent in the
    // data buffer (length = its length + 1; 0 and an empty buffer without
    // one); fileName() becomes the path alone. An open file is closed first.
    // On success dataLength() is the file's record length. A path of more
    // than 254 bytes gives 11 (Invalid Filename) without calling the engine.
    int open(const Estring& path, int mode = 0);
    // isOpen() stays set only when it was and the Close failed.
    int close();

    // Get operations (5 to 13) on keyNumber; the key buffer is sent and filled.
    int getEqual(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getNext(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getPrevious(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getGreater(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getGreaterOrEqual(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getLess(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getLessOrEqual(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getFirst(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);
    int getLast(void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias = 0);

    // Physical order (key number 0 is sent).
    int stepFirst(void* recordBuffer, void* keyBuffer, int lockBias = 0);
    int stepLast(void* recordBuffer, void* keyBuffer, int lockBias = 0);
    int stepNext(void* recordBuffer, void* keyBuffer, int lockBias = 0);
    int stepPrevious(void* recordBuffer, void* keyBuffer, int lockBias = 0);

    // Reads the record at a position from getPosition() and sets the key
    // path keyNumber. The position goes in the record buffer's first 4
    // bytes; a null record buffer gives 22 without calling the engine.
    int getDirect(uint32_t position, void* recordBuffer, void* keyBuffer, int keyNumber, int lockBias = 0);
    // The current record's 4-byte position; 0 when the call fails (see status()).
    uint32_t getPosition();

    // Insert / Update send the record with length dataLength() and a scratch key buffer.
    int insertRecord(void* recordBuffer, int keyNumber = 0);
    int updateRecord(void* recordBuffer, int keyNumber = 0);
    int deleteRecord(int keyNumber = 0);

    // The file specification into buffer (at least kStatBufferSize bytes).
    int stat(void* buffer);
    // The file specification's first word / its word at offset 10; 0 when Stat fails.
    uint16_t recordLength();
    uint16_t fileFlags();

    // Owner name in both data and key buffers (length 255); mode as key number.
    int setOwner(const Estring& owner, int mode);
    int clearOwner();
    // keySpecification holds segmentCount entries of kKeySegmentSize bytes.
    int createSupplementalIndex(const void* keySpecification, int segmentCount);
    int dropSupplementalIndex(int keyNumber);
    // Where a record lies in keyNumber's order, in percent (0.00 to 100.00):
    // of the record at position when keyNumber < 0, else of the key value in
    // keyBuffer. percentage is set only on status 0.
    int findPercentage(const void* keyBuffer, uint32_t position, int keyNumber, float& percentage);

    // Creates a file from its specification; replace: an existing file is
    // replaced (key number 0), else refused with 59 (key number -1). Uses a
    // position block of its own and calls the engine directly, without lock
    // or lock wait.
    static int createFile(const void* specification, int length, const Estring& name, bool replace);

    bool isOpen() const { return openFlag != 0; }
    int status() const { return lastStatus; }
    uint16_t dataLength() const { return recordDataLength; }
    void setDataLength(uint16_t length) { recordDataLength = length; }
    const Estring& fileName() const { return path; }

private:
    int getOperation(int operation, void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias);
    int stepOperation(int operation, void* recordBuffer, void* keyBuffer, int lockBias);
    // One engine call under the lock and the lock wait; stores the status.
    int call(int operation, void* dataBuffer, uint16_t* dataLength, void* keyBuffer, int keyNumber);

    std::unique_ptr<uint8_t[]> positionBlock;
    uint16_t openFlag = 0;
    int lastStatus = 0;
    uint16_t recordDataLength = 0;
    Estring path;
    RecursiveLock lock;
};
