#pragma once

// Helpers for the pak tests and the pak fuzz target: archives assembled byte by byte (independently
// of the project's own writer), a temporary folder and a scoped working directory.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace paktest {

struct Entry {
    std::string name;
    std::string contents;
    uint64_t fileTime = 0;
};

inline void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += char(value >> (8 * i));
}

// The decoded archive: magic, version, directory, end mark, contents.
inline std::string PlainArchive(const std::vector<Entry>& entries, uint32_t magic = 0xBAC04AC0,
                                uint32_t version = 0) {
    std::string out;
    PutU32(out, magic);
    PutU32(out, version);
    for (const Entry& entry : entries) {
        out += char(0);
        out += char(entry.name.size());
        out += entry.name;
        PutU32(out, uint32_t(entry.contents.size()));
        PutU32(out, uint32_t(entry.fileTime));
        PutU32(out, uint32_t(entry.fileTime >> 32));
    }
    out += char(0x80);
    for (const Entry& entry : entries)
        out += entry.contents;
    return out;
}

inline std::string Scrambled(std::string bytes) {
    for (char& c : bytes)
        c = char(c ^ 0x5D);
    return bytes;
}

inline std::string Archive(const std::vector<Entry>& entries) {
    return Scrambled(PlainArchive(entries));
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(
        const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
        std::string pattern = (base / "pak-test-XXXXXX");
        mPath = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(mPath); }
    const std::filesystem::path& Path() const { return mPath; }
    std::string operator/(const std::string& name) const { return (mPath / name).string(); }

private:
    std::filesystem::path mPath;
};

class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& path)
        : mPrevious(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~ScopedWorkingDirectory() { std::filesystem::current_path(mPrevious); }

private:
    std::filesystem::path mPrevious;
};

} // namespace paktest
