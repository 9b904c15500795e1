#include "app/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace ravix {

namespace {

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t written = write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    std::string pattern = path + ".XXXXXX";
    std::vector<char> temporaryPath(pattern.begin(), pattern.end());
    temporaryPath.push_back('\0');
    int fd = mkstemp(temporaryPath.data());
    if (fd < 0) {
        return false;
    }
    bool written = WriteAll(fd, contents) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporaryPath.data(), path.c_str()) != 0) {
        unlink(temporaryPath.data());
        return false;
    }
    return true;
}

} // namespace ravix
