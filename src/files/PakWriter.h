#pragma once

#include "files/PakInterfaceBase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ravix {

// Writes pak archives: entries in the order they were added, contents scrambled like the rest
// of the file.
class PakWriter {
public:
    // Adds an entry whose contents are in memory.
    void AddEntry(std::string name, std::string contents, FileTime fileTime);
    // Adds a file from disk: its size and modification time are taken now, its contents when
    // the archive is written.
    [[nodiscard]] bool AddFile(std::string name, const std::string& diskPath, std::string& error);
    // Sets every entry time later than latest to latest, so that archives of the same contents
    // made at different times are the same bytes (reproducible builds fix latest for a build).
    void ClampFileTimes(FileTime latest);

    // Writes the archive to a temporary file beside path and renames it over path, so that a
    // failure never leaves a torn archive. On failure sets error and leaves path untouched.
    [[nodiscard]] bool Write(const std::string& path, std::string& error) const;

private:
    struct Item {
        std::string mName;
        FileTime mFileTime;
        uint64_t mSize = 0;
        std::string mContents; // when not read from disk
        std::string mDiskPath; // empty for contents in memory
    };
    std::string Directory() const;
    bool WriteContents(std::FILE* out, const Item& item, std::string& error) const;

    std::vector<Item> mItems;
};

} // namespace ravix
