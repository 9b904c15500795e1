#pragma once

#include "files/DiskFileSearch.h"
#include "files/PakArchive.h"
#include "files/PakInterfaceBase.h"

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

// An open file of the layer: an archive entry with a read position, or a C library stream.
struct PakFile {
    const PakEntry* mEntry = nullptr; // null for a file opened through the C library
    size_t mPosition = 0;             // offset within the entry
    std::FILE* mStream = nullptr;     // the C library stream when there is no entry

    // Opens a file on disk with the C library; "\" in the name becomes "/". Null on failure.
    static PakFile* OpenOnDisk(const char* name, const char* mode);
};

// A running search: archive entries first, then the disk.
struct PakFindState {
    std::string mPattern;                // as the caller gave it, for the disk search
    std::string mKeyPattern;             // normalised, for matching entry keys
    std::optional<std::string> mLastKey; // the last entry reported
    bool mOnDisk = false;
    DiskFileSearch mDisk;
};

// The file layer over any number of mounted pak archives. Files named in an archive are read
// from its mapping; everything else, and every open for writing, goes to the C library. A later
// archive overrides the entries of an earlier one.
//
// Mount archives before other threads use the layer; after that, different threads may read
// different files at the same time.
class PakInterface : public PakInterfaceBase {
public:
    // The first instance created registers itself as the process-wide instance.
    PakInterface();
    ~PakInterface() override;

    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // Adds an archive. A file that is missing, cannot be mapped or is not a valid archive
    // (wrong magic or version, a directory cut short, an entry reaching past the end of the
    // file) is refused: the result is false and the layer stays as it was. A mounted archive
    // file can itself be read through the layer, descrambled, under its own name.
    bool MountArchive(const std::string& path);
    // The same; on failure error says why the archive could not be added.
    bool MountArchive(const std::string& path, std::string& error);
    // The entry a read-only open of name would find, or null.
    const PakEntry* FindEntry(std::string_view name) const;

    PakFile* OpenFile(const char* name, const char* mode) override;
    int CloseFile(PakFile* file) override;
    // Origin 0 from the start, 1 from the position, 2 from the end; entry positions are clamped
    // to the entry. Returns 0, or -1 for an unknown origin.
    int SeekFile(PakFile* file, long offset, int origin) override;
    long TellFile(PakFile* file) override;
    // Returns the number of whole elements read; carriage returns are kept.
    size_t ReadBytes(void* buffer, size_t elementSize, size_t count, PakFile* file) override;
    // The next byte (0-255), skipping carriage returns in archive entries; -1 at the end.
    int ReadChar(PakFile* file) override;
    // Moves an entry's position back by one; the next read returns the archive's byte again.
    int UnreadChar(int character, PakFile* file) override;
    // Reads up to and including a line feed, at most length - 1 bytes, dropping carriage
    // returns in archive entries; null at the end with nothing read.
    char* ReadLine(char* buffer, int length, PakFile* file) override;
    int AtEnd(PakFile* file) override;
    // Archive entries matching the pattern come first (in key order), then files on disk.
    PakFindHandle FindFirstFile(const char* pattern, FindFileData* data) override;
    bool FindNextFile(PakFindHandle handle, FindFileData* data) override;
    bool FindClose(PakFindHandle handle) override;

private:
    const PakEntry* NextMatchingEntry(PakFindState& find) const;
    void AddEntry(std::string key, const PakEntry& entry);

    std::vector<std::unique_ptr<PakArchive>> mArchives;
    std::map<std::string, PakEntry> mEntries; // keyed by the upper-case name
};

// The process-wide slot the file functions use; the first PakInterface created fills it.
extern PakInterfaceBase* gPakInterfaceSlot;
// The process-wide instance, created before main and alive until the process ends. The
// application mounts "main.pak" on it.
extern PakInterface* gPakInterface;

// The C-library-like functions every reader of game data uses. They go through the
// process-wide instance, or straight to the C library when the slot is empty.
PakFile* pak_fopen(const char* name, const char* mode);
int pak_fclose(PakFile* file);
int pak_fseek(PakFile* file, long offset, int origin);
long pak_ftell(PakFile* file);
size_t pak_fread(void* buffer, size_t elementSize, size_t count, PakFile* file);
int pak_fgetc(PakFile* file);
int pak_ungetc(int character, PakFile* file);
int pak_feof(PakFile* file);
char* pak_fgets(char* buffer, int length, PakFile* file);
PakFindHandle pak_FindFirstFile(const char* pattern, FindFileData* data);
bool pak_FindNextFile(PakFindHandle handle, FindFileData* data);
bool pak_FindClose(PakFindHandle handle);

} // namespace ravix
