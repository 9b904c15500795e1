#include "files/PakFileReader.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>

namespace ravix {

PakFileReader::PakFileReader(const std::string& name) {
    PakFile* file = pak_fopen(name.c_str(), "rb");
    if (!file)
        return;
    long size = -1;
    if (pak_fseek(file, 0, SEEK_END) == 0)
        size = pak_ftell(file);
    if (size < 0 || pak_fseek(file, 0, SEEK_SET) != 0) {
        pak_fclose(file);
        return;
    }
    mFile = file;
    mSize = uint64_t(size);
}

PakFileReader::~PakFileReader() {
    if (mFile)
        pak_fclose(mFile);
}

bool PakFileReader::Read(void* buffer, size_t count) {
    if (!mFile || count > Remaining())
        return false;
    size_t read = count == 0 ? 0 : pak_fread(buffer, 1, count, mFile);
    mPosition += read;
    return read == count;
}

bool PakFileReader::ReadLittle16(uint16_t& value) {
    uint8_t bytes[2];
    if (!Read(bytes, sizeof bytes))
        return false;
    value = uint16_t(bytes[0] | bytes[1] << 8);
    return true;
}

bool PakFileReader::ReadLittle32(uint32_t& value) {
    uint8_t bytes[4];
    if (!Read(bytes, sizeof bytes))
        return false;
    value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
            uint32_t(bytes[3]) << 24;
    return true;
}

bool PakFileReader::ReadBig32(uint32_t& value) {
    uint8_t bytes[4];
    if (!Read(bytes, sizeof bytes))
        return false;
    value = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
            uint32_t(bytes[3]);
    return true;
}

bool PakFileReader::Seek(uint64_t position) {
    if (!mFile || position > mSize || position > uint64_t(LONG_MAX))
        return false;
    if (pak_fseek(mFile, long(position), SEEK_SET) != 0)
        return false;
    mPosition = position;
    return true;
}

std::optional<FileTime> FindFileWriteTime(const std::string& name) {
    if (const PakEntry* entry = gPakInterface->FindEntry(name))
        return entry->mFileTime;
    std::string diskName = name;
    std::replace(diskName.begin(), diskName.end(), '\\', '/');
    struct stat info;
    if (stat(diskName.c_str(), &info) != 0)
        return std::nullopt;
    return FileTime::FromUnixTime(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

} // namespace ravix
