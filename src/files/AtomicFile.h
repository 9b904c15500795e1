#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace ravix {

// Writes a file through a temporary file beside it that Commit renames over it, so that a
// failure, a full disk or a crash never leaves a torn file behind. A temporary file that is not
// committed is removed when the object goes away.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();

    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file (mode 0644); on failure sets error to "path: reason".
    [[nodiscard]] bool Open(std::string& error);
    // The stream to write to; null until Open succeeds and after Commit.
    std::FILE* Stream() const { return mStream; }
    // Flushes the data to the disk, closes the stream and renames the temporary file over the
    // path. On failure sets error, removes the temporary file and leaves the path untouched.
    [[nodiscard]] bool Commit(std::string& error);

private:
    void Discard();

    std::string mPath;
    std::string mTemporary;
    std::FILE* mStream = nullptr;
};

// Replaces the file at path with contents through an AtomicFile: the old file or the new one,
// never a torn one. The folder must exist. Returns false (and leaves the old file alone) on any
// failure.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view contents);

} // namespace ravix
