#include "admin/FileOwner.h"

#include "btrieve/BtrieveFile.h"

namespace {

constexpr int kModeRequired = 0;
constexpr int kModeReadable = 1;
constexpr int kModeEncrypted = 2;

}  // namespace

int OwnerAccessMode(bool requireForReadOnly, bool encrypt) {
    return (requireForReadOnly ? kModeRequired : kModeReadable) + (encrypt ? kModeEncrypted : 0);
}

int SetFileOwner(BtrieveFile& file, const Estring& name, int mode) {
    if (name.IsEmpty()) return kOwnerNotGiven;
    return file.setOwner(name, mode);
}

int ClearFileOwner(BtrieveFile& file) { return file.clearOwner(); }
