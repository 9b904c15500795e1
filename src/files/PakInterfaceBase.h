#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>

namespace ravix {

// A point in time as 100-nanosecond ticks since 1601-01-01 UTC, split into two 32-bit words
// (low word first), the form pak archives store.
struct FileTime {
    uint32_t mLowDateTime = 0;
    uint32_t mHighDateTime = 0;

    uint64_t Ticks() const { return (uint64_t(mHighDateTime) << 32) | mLowDateTime; }
    static FileTime FromTicks(uint64_t ticks) { return {uint32_t(ticks), uint32_t(ticks >> 32)}; }
    // Converts a Unix time (seconds and nanoseconds since 1970-01-01 UTC); times before 1601
    // become 0.
    static FileTime FromUnixTime(int64_t seconds, int64_t nanoseconds);

    bool operator==(const FileTime&) const = default;
};

inline constexpr uint32_t kFileAttributeDirectory = 0x10;

// One result of a file search: what the find functions report about an archive entry or a
// file on disk.
struct FindFileData {
    uint32_t mFileAttributes = 0; // 0 for a plain file, kFileAttributeDirectory for a folder
    FileTime mCreationTime;
    FileTime mLastAccessTime;
    FileTime mLastWriteTime;
    uint32_t mFileSizeHigh = 0;
    uint32_t mFileSizeLow = 0;
    std::string mFileName; // the last name component only
};

struct PakFile;
struct PakFindState;
// A running file search; null is the invalid handle.
using PakFindHandle = PakFindState*;

// The file layer's interface: C-library-like stream operations on files that may live in a pak
// archive. The virtual operations are listed in slot order.
class PakInterfaceBase {
public:
    // The wide-character variants exist for the slot order only: open finds nothing, line
    // reading leaves the buffer untouched.
    virtual PakFile* OpenFileW(const wchar_t* name, const wchar_t* mode);
    virtual PakFile* OpenFile(const char* name, const char* mode) = 0;
    virtual int CloseFile(PakFile* file) = 0;
    virtual int SeekFile(PakFile* file, long offset, int origin) = 0;
    virtual long TellFile(PakFile* file) = 0;
    virtual size_t ReadBytes(void* buffer, size_t elementSize, size_t count, PakFile* file) = 0;
    virtual int ReadChar(PakFile* file) = 0;
    virtual int UnreadChar(int character, PakFile* file) = 0;
    virtual wchar_t* ReadLineW(wchar_t* buffer, int length, PakFile* file);
    virtual char* ReadLine(char* buffer, int length, PakFile* file) = 0;
    virtual int AtEnd(PakFile* file) = 0;
    virtual PakFindHandle FindFirstFile(const char* pattern, FindFileData* data) = 0;
    virtual bool FindNextFile(PakFindHandle handle, FindFileData* data) = 0;
    virtual bool FindClose(PakFindHandle handle) = 0;

    virtual ~PakInterfaceBase() = default;
};

} // namespace ravix
