#include "files/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ravix {

namespace {

// A temporary file is "NAME." + six letters or digits that mkstemps picks + this suffix, a name
// no file of the player's is likely to have, so that a start-up may remove what a kill left.
constexpr std::string_view kTemporarySuffix = ".partial";
constexpr size_t kUniqueLength = 6;

std::atomic<AtomicFile::FolderSync> gFolderSync = fsync;

std::string Failure(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

bool IsLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

AtomicFile::AtomicFile(std::string path, FileAccess access)
    : mPath(std::move(path)), mAccess(access) {}

AtomicFile::~AtomicFile() {
    Discard();
}

bool AtomicFile::Open(std::string& error) {
    Discard();
    mTemporary = mPath + "." + std::string(kUniqueLength, 'X') + std::string(kTemporarySuffix);
    // mkostemps makes the file 0600, the player's own.
    int fd = mkostemps(mTemporary.data(), static_cast<int>(kTemporarySuffix.size()), O_CLOEXEC);
    if (fd < 0) {
        error = Failure(mPath);
        mTemporary.clear();
        return false;
    }
    // Should this fail, the file merely stays private.
    if (mAccess == FileAccess::Shared)
        (void)fchmod(fd, 0644);
    mStream = fdopen(fd, "wb");
    if (!mStream) {
        error = Failure(mPath);
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
        error = Failure(mPath);
    std::FILE* stream = std::exchange(mStream, nullptr);
    if (std::fclose(stream) != 0 && ok) {
        error = Failure(mPath);
        ok = false;
    }
    if (ok && std::rename(mTemporary.c_str(), mPath.c_str()) != 0) {
        error = Failure(mPath);
        ok = false;
    }
    if (ok)
        mTemporary.clear();
    ok = ok && SyncFolder(error);
    // errno keeps the reason for callers that report it.
    const int reason = errno;
    Discard();
    errno = reason;
    return ok;
}

// Without this the rename may not survive a power cut: the old file or, on some file systems,
// no file at all would come back.
bool AtomicFile::SyncFolder(std::string& error) const {
    std::filesystem::path folder = std::filesystem::path(mPath).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = Failure(mPath);
        return false;
    }
    // A file system that cannot flush a folder says EINVAL: the rename is as lasting as it gets.
    const bool synced = gFolderSync.load()(fd) == 0 || errno == EINVAL;
    if (!synced)
        error = Failure(mPath);
    const int reason = errno;
    close(fd);
    errno = reason;
    return synced;
}

std::optional<std::string_view> AtomicFile::TemporaryTarget(std::string_view fileName) {
    if (!fileName.ends_with(kTemporarySuffix))
        return std::nullopt;
    fileName.remove_suffix(kTemporarySuffix.size());
    if (fileName.size() < kUniqueLength + 2)
        return std::nullopt;
    const std::string_view unique = fileName.substr(fileName.size() - kUniqueLength);
    const std::string_view target = fileName.substr(0, fileName.size() - kUniqueLength - 1);
    if (fileName[target.size()] != '.' ||
        !std::all_of(unique.begin(), unique.end(), IsLetterOrDigit))
        return std::nullopt;
    return target;
}

AtomicFile::FolderSync AtomicFile::SetFolderSync(FolderSync sync) {
    return gFolderSync.exchange(sync);
}

bool WriteFileAtomically(const std::string& path, std::string_view contents, FileAccess access) {
    AtomicFile file(path, access);
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
