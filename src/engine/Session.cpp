#include "engine/Session.h"

#include <algorithm>
#include <cstring>

#include "base/Endian.h"
#include "engine/OwnerCrypto.h"

namespace qdx::engine {

namespace {

constexpr char kMagic[8] = {'Q', 'd', 'x', 'P', 'o', 's', '1', '\0'};
constexpr size_t kMagicOffset = 0;
constexpr size_t kSlotOffset = 8;
constexpr size_t kGenerationOffset = 12;

// A file name from the key buffer: up to the first zero byte, "\" taken as
// "/", trailing blanks removed.
Status DecodePath(const Call& c, std::string& path) {
    path.clear();
    if (!c.key) return kInvalidFileName;
    for (size_t i = 0; i < c.keySize && c.key[i] != 0; ++i)
        path.push_back(c.key[i] == '\\' ? '/' : static_cast<char>(c.key[i]));
    while (!path.empty() && path.back() == ' ') path.pop_back();
    return path.empty() ? kInvalidFileName : kOk;
}

}  // namespace

// Owner names: up to the first zero byte, trailing blanks removed.
std::string DecodeOwnerName(const uint8_t* p, size_t n) {
    std::string name;
    if (!p) return name;
    for (size_t i = 0; i < n && p[i] != 0; ++i) name.push_back(static_cast<char>(p[i]));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

Session& Session::Instance() {
    // Deliberately never destroyed: clients may call the engine from their
    // own static destructors.
    static Session* session = new Session();
    return *session;
}

Session::Handle* Session::lookup(const uint8_t* position) {
    if (!position || std::memcmp(position + kMagicOffset, kMagic, sizeof kMagic) != 0) return nullptr;
    const uint32_t slot = le::GetU32(position + kSlotOffset);
    const uint32_t generation = le::GetU32(position + kGenerationOffset);
    if (slot >= slots_.size() || slots_[slot].generation != generation) return nullptr;
    return slots_[slot].handle.get();
}

Status Session::dispatch(Call& c) {
    std::lock_guard<std::mutex> guard(mutex_);
    switch (c.op) {
    case kOpOpen: return open(c);
    case kOpCreate: return create(c);
    case kOpBeginTransaction: return beginTransaction();
    case kOpEndTransaction: return endTransaction(true);
    case kOpAbortTransaction: return endTransaction(false);
    default: break;
    }
    Handle* h = lookup(c.position);
    if (!h) return kFileNotOpen;
    h->file->followUpgrade();
    switch (c.op) {
    case kOpClose: return close(c);
    case kOpInsert: return insert(c, *h);
    case kOpUpdate: return update(c, *h);
    case kOpDelete: return erase(c, *h);
    case kOpGetEqual:
    case kOpGetNext:
    case kOpGetPrevious:
    case kOpGetGreater:
    case kOpGetGreaterOrEqual:
    case kOpGetLess:
    case kOpGetLessOrEqual:
    case kOpGetFirst:
    case kOpGetLast: return get(c, *h);
    case kOpStepFirst:
    case kOpStepLast:
    case kOpStepNext:
    case kOpStepPrevious: return step(c, *h);
    case kOpGetPosition: return getPosition(c, *h);
    case kOpGetDirect: return getDirect(c, *h);
    case kOpStat: return stat(c, *h);
    case kOpSetOwner: return setOwner(c, *h);
    case kOpClearOwner: return clearOwner(c, *h);
    case kOpCreateIndex: return createIndex(c, *h);
    case kOpDropIndex: return dropIndex(c, *h);
    case kOpFindPercentage: return findPercentage(c, *h);
    case kOpCheckFile: return checkFile(c, *h);
    default: return kInvalidOperation;
    }
}

Status Session::open(Call& c) {
    if (!c.position) return kFileNotOpen;
    std::string path;
    if (Status st = DecodePath(c, path)) return st;
    FileIdentity id;
    if (Status st = EngineFile::Identify(path, id)) return st;
    // A block that still holds an open handle is closed first.
    if (lookup(c.position)) close(c);

    const bool exclusive = c.keyNumber == kModeExclusive;
    std::shared_ptr<EngineFile> file;
    auto it = files_.find(id);
    if (it != files_.end()) file = it->second.lock();
    if (file) {
        for (const Slot& s : slots_) {
            if (s.handle && s.handle->file == file && (exclusive || s.handle->exclusive))
                return kIncompatibleMode;
        }
        file->refreshSpec();
        file->rearm();
    } else {
        std::unique_ptr<EngineFile> opened;
        if (Status st = EngineFile::Open(path, exclusive, opened)) return st;
        file = std::shared_ptr<EngineFile>(std::move(opened));
        files_[id] = file;
    }

    auto h = std::make_unique<Handle>();
    h->file = file;
    h->exclusive = exclusive;
    h->readOnly = c.keyNumber == kModeReadOnly;
    const std::string owner = DecodeOwnerName(c.data, c.dataSize);
    bool granted = false;
    if (Status st = file->checkOwner(owner, &granted)) return st;
    if (!granted) {
        const int mode = file->ownerMode();
        if (mode == 0 || mode == 2) return kInvalidOwner;
        h->readOnly = true;  // modes 1 and 3: reading without the owner
    }
    h->ownerAccess = granted;
    file->upgrade();
    if (transaction_) {
        file->setTransactionMode(true);
        if (std::find(transactionFiles_.begin(), transactionFiles_.end(), file) ==
            transactionFiles_.end())
            transactionFiles_.push_back(file);
    }

    size_t slot = 0;
    while (slot < slots_.size() && slots_[slot].handle) ++slot;
    if (slot == slots_.size()) slots_.emplace_back();
    slots_[slot].handle = std::move(h);
    std::memset(c.position, 0, kPositionBlockSize);
    std::memcpy(c.position + kMagicOffset, kMagic, sizeof kMagic);
    le::PutU32(c.position + kSlotOffset, static_cast<uint32_t>(slot));
    le::PutU32(c.position + kGenerationOffset, slots_[slot].generation);
    return kOk;
}

Status Session::close(Call& c) {
    const uint32_t slot = le::GetU32(c.position + kSlotOffset);
    Slot& s = slots_[slot];
    const FileIdentity id = s.handle->file->identity();
    s.handle.reset();
    ++s.generation;
    auto it = files_.find(id);
    if (it != files_.end() && it->second.expired()) files_.erase(it);
    std::memset(c.position, 0, kPositionBlockSize);
    return kOk;
}

Status Session::create(Call& c) {
    std::string path;
    if (Status st = DecodePath(c, path)) return st;
    FileSpec spec;
    if (Status st = ParseCreateSpec(c.data, c.dataSize, spec)) return st;
    FileIdentity id;
    if (EngineFile::Identify(path, id) == kOk) {
        auto it = files_.find(id);
        if (it != files_.end() && !it->second.expired())
            return c.keyNumber == -1 ? kFileExists : kFileLocked;
    }
    return EngineFile::Create(path, spec, c.keyNumber != -1);
}

Status Session::beginTransaction() {
    if (transaction_) return kTransactionActive;
    transaction_ = true;
    transactionFiles_.clear();
    for (auto& entry : files_) {
        if (auto f = entry.second.lock()) {
            f->setTransactionMode(true);
            transactionFiles_.push_back(f);
        }
    }
    return kOk;
}

// Commits (or rolls back) file by file; the first failing commit's status is
// returned, the other files still commit.
Status Session::endTransaction(bool commit) {
    if (!transaction_) return kEndAbortError;
    Status result = kOk;
    for (auto& f : transactionFiles_) {
        if (commit) {
            Status st = f->commitTransaction();
            if (st != kOk && result == kOk) result = st;
        } else {
            f->rollbackTransaction();
        }
        f->setTransactionMode(false);
    }
    transaction_ = false;
    transactionFiles_.clear();
    for (auto it = files_.begin(); it != files_.end();) {
        it = it->second.expired() ? files_.erase(it) : std::next(it);
    }
    return result;
}

}  // namespace qdx::engine
