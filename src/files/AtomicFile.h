#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace ravix {

// Who may read a written file. The player's files (saved games, settings, demos, crash reports,
// screenshots, the sound cache) hold the player's input and stay the player's own (0600); what
// the tools make (archives, fonts, sounds) is meant to be shared (0644).
enum class FileAccess { OwnerOnly, Shared };

// Writes a file through a temporary file beside it that Commit renames over it, so that a
// failure, a full disk, a crash or a power cut never leaves a torn file behind. A temporary file
// that is not committed is removed when the object goes away; one left by a killed program is
// named "NAME.XXXXXX.partial" (TemporaryTarget recognises it) for the next start to remove.
class AtomicFile {
public:
    explicit AtomicFile(std::string path, FileAccess access = FileAccess::OwnerOnly);
    ~AtomicFile();

    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file; on failure sets error to "path: reason".
    [[nodiscard]] bool Open(std::string& error);
    // The stream to write to; null until Open succeeds and after Commit.
    std::FILE* Stream() const { return mStream; }
    // Flushes the data to the disk, closes the stream, renames the temporary file over the path
    // and flushes the folder, so that the new name survives a power cut. On failure sets error
    // and removes the temporary file; a failure to flush the folder comes after the rename, so
    // the path may then hold the new contents, which are not known to be on the disk.
    [[nodiscard]] bool Commit(std::string& error);

    // The name of the file that a temporary file of this writer called fileName stands for, or
    // nothing when fileName is not named like one.
    static std::optional<std::string_view> TemporaryTarget(std::string_view fileName);

    // The call that flushes a folder (fsync); tests put in a failing one to see the failure
    // reported. Returns the call it replaces.
    using FolderSync = int (*)(int folderDescriptor);
    static FolderSync SetFolderSync(FolderSync sync);

private:
    [[nodiscard]] bool SyncFolder(std::string& error) const;
    void Discard();

    std::string mPath;
    FileAccess mAccess;
    std::string mTemporary;
    std::FILE* mStream = nullptr;
};

// Replaces the file at path with contents through an AtomicFile: the old file or the new one,
// never a torn one. The folder must exist. Returns false (and leaves the old file alone) on any
// failure.
[[nodiscard]] bool WriteFileAtomically(const std::string& path, std::string_view contents,
                                       FileAccess access = FileAccess::OwnerOnly);

} // namespace ravix
