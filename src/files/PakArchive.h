#pragma once

#include "files/PakInterfaceBase.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ravix {

class PakArchive;

// One file stored in an archive. Its content occupies the bytes [mStart, mStart + mSize) of
// the archive's mapping, which the archive has checked to lie inside the file.
struct PakEntry {
    const PakArchive* mArchive = nullptr;
    std::string mName; // as stored, with "\" between folders
    size_t mStart = 0;
    size_t mSize = 0;
    FileTime mFileTime;
};

// A pak archive file mapped read-only into memory, with its directory read and checked: every
// entry's content lies inside the file. The mapping lives as long as the object.
class PakArchive {
public:
    // Maps the file and reads its directory. On failure returns null and sets error to a short
    // description; nothing stays open.
    static std::unique_ptr<PakArchive> Open(const std::string& path, std::string& error);
    ~PakArchive();

    PakArchive(const PakArchive&) = delete;
    PakArchive& operator=(const PakArchive&) = delete;

    const std::string& GetPath() const { return mPath; }
    // The mapped file, still scrambled.
    const uint8_t* GetData() const { return mData; }
    size_t GetSize() const { return mSize; }
    FileTime GetFileTime() const { return mFileTime; }
    // The directory in stored order (names may repeat; the last one wins on lookup).
    const std::vector<PakEntry>& GetEntries() const { return mEntries; }

private:
    PakArchive() = default;
    bool ReadDirectory(std::string& error);

    std::string mPath;
    const uint8_t* mData = nullptr;
    size_t mSize = 0;
    FileTime mFileTime;
    std::vector<PakEntry> mEntries;
};

} // namespace ravix
