#include "viewfile/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "base/StdFile.h"

namespace {

int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

int replaceFile(const Estring& path, std::string_view bytes) {
    std::string target = StdFile::NativeName(path.View());
    if (target.empty()) return ENOENT;
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());  // O_EXCL: never opens what someone planted
    if (fd < 0) return errno;
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(name.data(), target.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(name.data());
    return error;
}
