#include "files/PakWriter.h"

#include "files/AtomicFile.h"
#include "files/PakFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace ravix {

namespace {

constexpr size_t kChunkSize = 64 * 1024;

void PutU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out += char(value >> shift);
}

bool WriteScrambled(std::FILE* out, const char* bytes, size_t count) {
    char chunk[kChunkSize];
    while (count > 0) {
        size_t n = std::min(count, sizeof chunk);
        PakScrambleCopy(chunk, bytes, n);
        if (std::fwrite(chunk, 1, n, out) != n)
            return false;
        bytes += n;
        count -= n;
    }
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

void PakWriter::AddEntry(std::string name, std::string contents, FileTime fileTime) {
    uint64_t size = contents.size();
    mItems.push_back({std::move(name), fileTime, size, std::move(contents), {}});
}

bool PakWriter::AddFile(std::string name, const std::string& diskPath, std::string& error) {
    struct stat info;
    if (stat(diskPath.c_str(), &info) != 0) {
        error = diskPath + ": " + std::strerror(errno);
        return false;
    }
    FileTime time = FileTime::FromUnixTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    mItems.push_back({std::move(name), time, uint64_t(info.st_size), {}, diskPath});
    return true;
}

void PakWriter::ClampFileTimes(FileTime latest) {
    for (Item& item : mItems)
        if (item.mFileTime.Ticks() > latest.Ticks())
            item.mFileTime = latest;
}

std::string PakWriter::Directory() const {
    std::string out;
    PutU32(out, kPakMagic);
    PutU32(out, kPakVersion);
    for (const Item& item : mItems) {
        out += char(0);
        out += char(item.mName.size());
        out += item.mName;
        PutU32(out, uint32_t(item.mSize));
        PutU32(out, item.mFileTime.mLowDateTime);
        PutU32(out, item.mFileTime.mHighDateTime);
    }
    out += char(kPakEndOfDirectoryFlag);
    return out;
}

bool PakWriter::WriteContents(std::FILE* out, const Item& item, std::string& error) const {
    if (item.mDiskPath.empty()) {
        if (!WriteScrambled(out, item.mContents.data(), item.mContents.size())) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }
    FilePointer in(std::fopen(item.mDiskPath.c_str(), "rb"));
    if (!in) {
        error = item.mDiskPath + ": " + std::strerror(errno);
        return false;
    }
    std::vector<char> chunk(kChunkSize);
    uint64_t total = 0;
    while (size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get())) {
        total += n;
        if (total > item.mSize)
            break;
        if (!WriteScrambled(out, chunk.data(), n)) {
            error = std::strerror(errno);
            return false;
        }
    }
    if (std::ferror(in.get()) || total != item.mSize) {
        error = item.mDiskPath + ": changed or unreadable while it was archived";
        return false;
    }
    return true;
}

bool PakWriter::Write(const std::string& path, std::string& error) const {
    for (const Item& item : mItems) {
        if (item.mName.size() > kPakMaxNameLength) {
            error = "name longer than 255 characters: " + item.mName;
            return false;
        }
        if (item.mSize > UINT32_MAX) {
            error = "file larger than 4 GiB: " + item.mName;
            return false;
        }
    }
    AtomicFile out(path, FileAccess::Shared);
    if (!out.Open(error))
        return false;
    const std::string directory = Directory();
    if (!WriteScrambled(out.Stream(), directory.data(), directory.size())) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    for (const Item& item : mItems)
        if (!WriteContents(out.Stream(), item, error))
            return false;
    return out.Commit(error);
}

} // namespace ravix
