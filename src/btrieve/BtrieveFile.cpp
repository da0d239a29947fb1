#include "btrieve/BtrieveFile.h"

#include "base/Endian.h"
#include "base/StdFile.h"
#include "btrieve/EngineBinding.h"
#include "btrieve/LockWait.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kPositionSize = 4;     // a record position: 4 bytes
constexpr int kMaxNameLength = kKeyLength - 1;  // the key buffer ends with a zero

// A zeroed key buffer holding text (which fits: checked by the caller).
struct KeyBuffer {
    explicit KeyBuffer(const Estring& text = Estring()) {
        std::memset(bytes, 0, sizeof bytes);
        int n = text.Length() < kKeyBufferSize - 1 ? text.Length() : kKeyBufferSize - 1;
        std::memcpy(bytes, text.Text(), static_cast<size_t>(n));
    }
    char bytes[kKeyBufferSize];
};

}  // namespace

BtrieveFile::BtrieveFile() : positionBlock(new uint8_t[kPositionBlockSize]()) {}

BtrieveFile::~BtrieveFile() {
    if (isOpen()) close();
}

int BtrieveFile::call(int operation, void* dataBuffer, uint16_t* dataLength, void* keyBuffer, int keyNumber) {
    if (lock.Lock(-1) != 0) return lastStatus = kStatusLockFailed;
    KeyBuffer scratch;
    if (keyBuffer == nullptr) keyBuffer = scratch.bytes;
    int result = CallWithLockWait(lock, operation, positionBlock.get(), dataBuffer, dataLength, keyBuffer, keyNumber,
                                  path);
    lock.Unlock();
    return lastStatus = result;
}

int BtrieveFile::open(const Estring& fullPath, int mode) {
    if (isOpen()) close();
    int plus = fullPath.FindChar('+');
    Estring owner;
    if (plus >= 0) {
        path = fullPath.Left(plus);
        owner = fullPath.Mid(plus + 1);
    } else {
        path = fullPath;
    }
    openFlag = 0;
    // The engine gets the file system's form of the name: "/" for "\" and
    // UTF-8 for the code page's letters; fileName() keeps the program's form.
    Estring native(StdFile::NativeName(path.View()));
    if (native.Length() > kMaxNameLength) return lastStatus = kStatusInvalidFileName;
    KeyBuffer name(native);
    // The owner name with its terminator; an empty buffer without one.
    std::vector<char> ownerBuffer(owner.Text(), owner.Text() + owner.Length());
    ownerBuffer.push_back('\0');
    uint16_t length = owner.IsEmpty() ? 0 : static_cast<uint16_t>(owner.Length() + 1);
    int result = call(kOpOpen, ownerBuffer.data(), &length, name.bytes, mode);
    if (result == 0) {
        openFlag = 1;
        recordDataLength = recordLength();
        lastStatus = 0;  // the open's status, not the Stat's
    }
    return result;
}

int BtrieveFile::close() {
    int result = call(kOpClose, nullptr, nullptr, nullptr, 0);
    if (result == 0) openFlag = 0;
    return result;
}

int BtrieveFile::getOperation(int operation, void* keyBuffer, void* recordBuffer, int keyNumber, int lockBias) {
    if (recordBuffer == nullptr) {
        uint16_t none = 0;
        return call(operation + kKeyOnly + lockBias, nullptr, &none, keyBuffer, keyNumber);
    }
    return call(operation + lockBias, recordBuffer, &recordDataLength, keyBuffer, keyNumber);
}

int BtrieveFile::getEqual(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetEqual, key, record, keyNumber, bias); }
int BtrieveFile::getNext(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetNext, key, record, keyNumber, bias); }
int BtrieveFile::getPrevious(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetPrevious, key, record, keyNumber, bias); }
int BtrieveFile::getGreater(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetGreater, key, record, keyNumber, bias); }
int BtrieveFile::getGreaterOrEqual(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetGreaterOrEqual, key, record, keyNumber, bias); }
int BtrieveFile::getLess(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetLess, key, record, keyNumber, bias); }
int BtrieveFile::getLessOrEqual(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetLessOrEqual, key, record, keyNumber, bias); }
int BtrieveFile::getFirst(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetFirst, key, record, keyNumber, bias); }
int BtrieveFile::getLast(void* key, void* record, int keyNumber, int bias) { return getOperation(kOpGetLast, key, record, keyNumber, bias); }

int BtrieveFile::stepOperation(int operation, void* recordBuffer, void* keyBuffer, int lockBias) {
    return call(operation + lockBias, recordBuffer, &recordDataLength, keyBuffer, 0);
}

int BtrieveFile::stepFirst(void* record, void* key, int bias) { return stepOperation(kOpStepFirst, record, key, bias); }
int BtrieveFile::stepLast(void* record, void* key, int bias) { return stepOperation(kOpStepLast, record, key, bias); }
int BtrieveFile::stepNext(void* record, void* key, int bias) { return stepOperation(kOpStepNext, record, key, bias); }
int BtrieveFile::stepPrevious(void* record, void* key, int bias) { return stepOperation(kOpStepPrevious, record, key, bias); }

int BtrieveFile::getDirect(uint32_t position, void* recordBuffer, void* keyBuffer, int keyNumber, int lockBias) {
    if (recordBuffer == nullptr) return lastStatus = kStatusDataBufferLength;
    le::PutU32(recordBuffer, position);
    return call(kOpGetDirect + lockBias, recordBuffer, &recordDataLength, keyBuffer, keyNumber);
}

uint32_t BtrieveFile::getPosition() {
    uint8_t position[kPositionSize] = {};
    uint16_t length = kPositionSize;
    if (call(kOpGetPosition, position, &length, nullptr, 0) != 0) return 0;
    return le::GetU32(position);
}

int BtrieveFile::insertRecord(void* recordBuffer, int keyNumber) {
    return call(kOpInsert, recordBuffer, &recordDataLength, nullptr, keyNumber);
}

int BtrieveFile::updateRecord(void* recordBuffer, int keyNumber) {
    return call(kOpUpdate, recordBuffer, &recordDataLength, nullptr, keyNumber);
}

int BtrieveFile::deleteRecord(int keyNumber) {
    return call(kOpDelete, nullptr, &recordDataLength, nullptr, keyNumber);
}

int BtrieveFile::stat(void* buffer) {
    uint16_t length = kStatBufferSize;
    return call(kOpStat, buffer, &length, nullptr, -1);
}

uint16_t BtrieveFile::recordLength() {
    std::vector<uint8_t> specification(kStatBufferSize, 0);
    if (stat(specification.data()) != 0) return 0;
    return le::GetU16(&specification[qdx::wire::kSpecRecordLength]);
}

uint16_t BtrieveFile::fileFlags() {
    std::vector<uint8_t> specification(kStatBufferSize, 0);
    if (stat(specification.data()) != 0) return 0;
    return le::GetU16(&specification[qdx::wire::kSpecFileFlags]);
}

int BtrieveFile::setOwner(const Estring& owner, int mode) {
    KeyBuffer data(owner);
    KeyBuffer key(owner);
    uint16_t length = kKeyLength;
    return call(kOpSetOwner, data.bytes, &length, key.bytes, mode);
}

int BtrieveFile::clearOwner() {
    uint16_t length = 0;
    return call(kOpClearOwner, nullptr, &length, nullptr, 0);
}

int BtrieveFile::createSupplementalIndex(const void* keySpecification, int segmentCount) {
    if (keySpecification == nullptr || segmentCount < 1 || segmentCount * kKeySegmentSize > 0xFFFF) {
        return lastStatus = kStatusDataBufferLength;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(keySpecification);
    std::vector<uint8_t> specification(bytes, bytes + segmentCount * kKeySegmentSize);
    uint16_t length = static_cast<uint16_t>(specification.size());
    return call(kOpCreateIndex, specification.data(), &length, nullptr, 0);
}

int BtrieveFile::dropSupplementalIndex(int keyNumber) {
    uint16_t length = 0;
    return call(kOpDropIndex, nullptr, &length, nullptr, keyNumber);
}

int BtrieveFile::findPercentage(const void* keyBuffer, uint32_t position, int keyNumber, float& percentage) {
    uint8_t result[kPositionSize] = {};
    KeyBuffer key;
    if (keyNumber < 0) {
        le::PutU32(result, position);
    } else if (keyBuffer != nullptr) {
        std::memcpy(key.bytes, keyBuffer, kKeyLength);
    }
    uint16_t length = kPositionSize;
    int status = call(kOpFindPercentage, result, &length, key.bytes, keyNumber);
    if (status == 0) percentage = static_cast<float>(le::GetU32(result) & 0xFFFF) / 100.0f;
    return status;
}

int BtrieveFile::createFile(const void* specification, int length, const Estring& name, bool replace) {
    Estring native(StdFile::NativeName(name.View()));
    if (native.Length() > kMaxNameLength) return kStatusInvalidFileName;
    if (specification == nullptr || length < 0 || length > 0xFFFF) return kStatusDataBufferLength;
    std::unique_ptr<uint8_t[]> block(new uint8_t[kPositionBlockSize]());
    const uint8_t* bytes = static_cast<const uint8_t*>(specification);
    std::vector<uint8_t> data(bytes, bytes + length);
    KeyBuffer key(native);
    uint16_t dataLength = static_cast<uint16_t>(length);
    return CallEngine(kOpCreate, block.get(), data.data(), &dataLength, key.bytes, replace ? 0 : -1);
}
