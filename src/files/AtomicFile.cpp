#include "files/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ravix {

AtomicFile::AtomicFile(std::string path) : mPath(std::move(path)) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Open(std::string& error) {
    Discard();
    mTemporary = mPath + ".XXXXXX";
    int fd = mkstemp(mTemporary.data());
    if (fd < 0) {
        error = mPath + ": " + std::strerror(errno);
        mTemporary.clear();
        return false;
    }
    fchmod(fd, 0644);
    mStream = fdopen(fd, "wb");
    if (!mStream) {
        error = mPath + ": " + std::strerror(errno);
        close(fd);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFile::Commit(std::string& error) {
    if (!mStream) {
        error = mPath + ": not open";
        return false;
    }
    bool ok = std::fflush(mStream) == 0 && fsync(fileno(mStream)) == 0;
    if (!ok)
        error = mPath + ": " + std::strerror(errno);
    std::FILE* stream = std::exchange(mStream, nullptr);
    if (std::fclose(stream) != 0 && ok) {
        error = mPath + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok && std::rename(mTemporary.c_str(), mPath.c_str()) != 0) {
        error = mPath + ": " + std::strerror(errno);
        ok = false;
    }
    if (ok)
        mTemporary.clear();
    Discard();
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
    AtomicFile file(path);
    std::string error;
    return file.Open(error) &&
           std::fwrite(contents.data(), 1, contents.size(), file.Stream()) == contents.size() &&
           file.Commit(error);
}

void AtomicFile::Discard() {
    if (mStream)
        std::fclose(std::exchange(mStream, nullptr));
    if (!mTemporary.empty())
        unlink(mTemporary.c_str());
    mTemporary.clear();
}

} // namespace ravix
