#include "files/PakArchive.h"

#include "files/PakFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ravix {

namespace {

// Reads descrambled little-endian values from the mapping, never past its end.
class DirectoryReader {
public:
    DirectoryReader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    bool ReadBytes(void* out, size_t count) {
        if (mSize - mPosition < count)
            return false;
        PakScrambleCopy(out, mData + mPosition, count);
        mPosition += count;
        return true;
    }
    bool ReadU8(uint8_t& value) { return ReadBytes(&value, 1); }
    bool ReadU32(uint32_t& value) {
        uint8_t bytes[4];
        if (!ReadBytes(bytes, 4))
            return false;
        value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                uint32_t(bytes[3]) << 24;
        return true;
    }
    size_t GetPosition() const { return mPosition; }

private:
    const uint8_t* mData;
    size_t mSize;
    size_t mPosition = 0;
};

} // namespace

std::unique_ptr<PakArchive> PakArchive::Open(const std::string& path, std::string& error) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        close(fd);
        return nullptr;
    }
    if (size_t(info.st_size) < kPakMinimumSize) {
        error = "too short to be a pak archive";
        close(fd);
        return nullptr;
    }
    void* data = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    // The mapping keeps the file's pages; the descriptor is no longer needed.
    close(fd);
    if (data == MAP_FAILED) {
        error = std::string("cannot map the file: ") + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<PakArchive> archive(new PakArchive);
    archive->mPath = path;
    archive->mData = static_cast<const uint8_t*>(data);
    archive->mSize = size_t(info.st_size);
    archive->mFileTime = FileTime::FromUnixTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    if (!archive->ReadDirectory(error))
        return nullptr;
    return archive;
}

PakArchive::~PakArchive() {
    if (mData)
        munmap(const_cast<uint8_t*>(mData), mSize);
}

bool PakArchive::ReadDirectory(std::string& error) {
    DirectoryReader reader(mData, mSize);
    uint32_t magic = 0;
    uint32_t version = 0;
    reader.ReadU32(magic);
    reader.ReadU32(version);
    if (magic != kPakMagic) {
        error = "not a pak archive (wrong magic number)";
        return false;
    }
    if (version != kPakVersion) {
        error = "unsupported pak version " + std::to_string(version);
        return false;
    }
    // Offsets are relative to the data start until the end mark has been found.
    size_t offset = 0;
    for (;;) {
        uint8_t flags = 0;
        if (!reader.ReadU8(flags)) {
            error = "the directory is cut short";
            return false;
        }
        if (flags & kPakEndOfDirectoryFlag)
            break;
        PakEntry entry;
        entry.mArchive = this;
        uint8_t nameLength = 0;
        uint32_t size = 0;
        uint32_t times[2] = {};
        bool complete = reader.ReadU8(nameLength);
        entry.mName.resize(nameLength);
        complete = complete && reader.ReadBytes(entry.mName.data(), nameLength) &&
                   reader.ReadU32(size) && reader.ReadU32(times[0]) && reader.ReadU32(times[1]);
        if (!complete) {
            error = "the directory is cut short";
            return false;
        }
        entry.mStart = offset;
        entry.mSize = size;
        entry.mFileTime = {times[0], times[1]};
        offset += size;
        mEntries.push_back(std::move(entry));
    }
    const size_t dataStart = reader.GetPosition();
    for (PakEntry& entry : mEntries) {
        entry.mStart += dataStart;
        if (entry.mStart > mSize || mSize - entry.mStart < entry.mSize) {
            error = "entry \"" + entry.mName + "\" reaches past the end of the file";
            return false;
        }
    }
    return true;
}

} // namespace ravix
