#pragma once

#include "files/PakInterface.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ravix {

// A file opened for reading through the file layer (archive first, then the disk), closed when
// the object goes. Its size is measured at open, so that readers of outside data can check the
// sizes a header claims before they allocate or read.
class PakFileReader {
public:
    explicit PakFileReader(const std::string& name);
    ~PakFileReader();
    PakFileReader(const PakFileReader&) = delete;
    PakFileReader& operator=(const PakFileReader&) = delete;

    // False when the file could not be opened or its size could not be measured.
    bool IsOpen() const { return mFile != nullptr; }
    uint64_t Size() const { return mSize; }
    uint64_t Position() const { return mPosition; }
    uint64_t Remaining() const { return mSize - mPosition; }

    // Reads exactly count bytes; false on a short read.
    [[nodiscard]] bool Read(void* buffer, size_t count);
    [[nodiscard]] bool ReadLittle16(uint16_t& value);
    [[nodiscard]] bool ReadLittle32(uint32_t& value);
    [[nodiscard]] bool ReadBig32(uint32_t& value);
    // Moves to an absolute position; false past the end of the file.
    [[nodiscard]] bool Seek(uint64_t position);

    // The open file, for decoders that read through callbacks of their own.
    PakFile* GetFile() const { return mFile; }

private:
    PakFile* mFile = nullptr;
    uint64_t mSize = 0;
    uint64_t mPosition = 0;
};

// The last-write time of a file as the file layer sees it: an archive entry's stored time, else
// the time of the file on disk. Nothing when neither exists.
std::optional<FileTime> FindFileWriteTime(const std::string& name);

} // namespace ravix
