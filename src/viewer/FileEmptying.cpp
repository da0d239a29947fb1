#include "viewer/FileEmptying.h"

#include <memory>

#include "base/Endian.h"
#include "btrieve/BtrieveFile.h"
#include "btrieve/EngineBinding.h"
#include "engine/Contract.h"
#include "ui/ProgressWindow.h"

namespace {

constexpr int kOpBeginTransaction = 19;
constexpr int kOpEndTransaction = 20;
constexpr int kOpAbortTransaction = 21;
constexpr int kProgressEvery = 256;  // records between progress reports

int TransactionCall(int operation) {
    uint8_t positionBlock[kPositionBlockSize] = {};
    return CallEngine(operation, positionBlock, nullptr, nullptr, nullptr, 0);
}

// Abort unless committed.
class Transaction {
public:
    int Begin() {
        int status = TransactionCall(kOpBeginTransaction);
        active = status == 0;
        return status;
    }
    int Commit() {
        active = false;
        return TransactionCall(kOpEndTransaction);
    }
    ~Transaction() {
        if (active) TransactionCall(kOpAbortTransaction);
    }

private:
    bool active = false;
};

}  // namespace

int EmptyFileRecords(BtrieveFile& file, const EmptyingProgress& progress) {
    auto stat = std::make_unique<uint8_t[]>(BtrieveFile::kStatBufferSize);
    long long total = 0;
    if (file.stat(stat.get()) == 0) total = le::GetU32(stat.get() + qdx::wire::kSpecRecordCount);
    unsigned bufferSize = (le::GetU16(stat.get() + qdx::wire::kSpecFileFlags) & qdx::wire::kFileVariable) != 0
                              ? qdx::wire::kMaxRecordLength
                              : le::GetU16(stat.get() + qdx::wire::kSpecRecordLength);
    if (bufferSize == 0) bufferSize = qdx::wire::kMaxRecordLength;
    auto record = std::make_unique<uint8_t[]>(bufferSize);
    uint8_t key[256] = {};

    Transaction transaction;
    if (int status = transaction.Begin()) return status;
    long long done = 0;
    for (;;) {
        file.setDataLength(static_cast<uint16_t>(bufferSize > 0xFFFF ? 0xFFFF : bufferSize));
        int status = file.stepFirst(record.get(), key);
        if (status == 9) break;  // end of file: nothing left
        if (status != 0) return status;
        if ((status = file.deleteRecord(0)) != 0) return status;
        ++done;
        if (progress && done % kProgressEvery == 0 && !progress(done, total)) return kEmptyingCancelled;
    }
    if (progress && !progress(done, total)) return kEmptyingCancelled;
    return transaction.Commit();
}

int EmptyFileWithProgress(BtrieveFile& file) {
    ProgressWindow progress(" Empty File ", "Removing records...", ProgressWindow::kGauge);
    return EmptyFileRecords(file, [&](long long done, long long total) {
        progress.SetFraction(total > 0 ? static_cast<float>(done) / static_cast<float>(total) : 1.0f);
        return !progress.CancelRequested("Cancel Empty File?");
    });
}
