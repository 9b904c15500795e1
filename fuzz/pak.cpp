// Mounts the input as a pak archive and reads every entry through the file layer in all the
// ways callers do: whole reads, seeks, characters with push-back, lines and searches.
#include "files/PakArchive.h"
#include "files/PakInterface.h"

#include "../tests/files/PakTestSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace ravix;

namespace {

// The archive file and an empty folder to search in, so that the disk half of searches finds
// nothing and touches nothing else. Memory-backed when possible: every input is written out.
struct Workspace {
    paktest::TempFolder folder{std::filesystem::is_directory("/dev/shm")
                                   ? std::filesystem::path("/dev/shm")
                                   : std::filesystem::temp_directory_path()};
    std::string archive = folder / "input.pak";
    std::filesystem::path empty = folder.Path() / "empty";

    Workspace() { std::filesystem::create_directory(empty); }
};

void ReadEntry(PakInterface& pak, const PakEntry& entry, uint8_t salt) {
    PakFile* file = pak.OpenFile(entry.mName.c_str(), (salt & 1) ? "r" : "rb");
    if (!file)
        return;
    char buffer[300];
    while (pak.ReadBytes(buffer, 1 + salt % 7, 1 + salt % 40, file) > 0) {
    }
    pak.SeekFile(file, -long(salt), SEEK_END);
    pak.SeekFile(file, long(salt) - 128, SEEK_CUR);
    for (int c; (c = pak.ReadChar(file)) >= 0;) {
        if (c == salt) {
            pak.UnreadChar(c, file);
            pak.ReadChar(file);
        }
    }
    pak.SeekFile(file, 0, SEEK_SET);
    // Length 1 stores nothing and never advances, as fgets does: loops need at least 2.
    const int length = 2 + salt % int(sizeof buffer - 1);
    while (pak.ReadLine(buffer, length, file)) {
    }
    pak.AtEnd(file);
    pak.TellFile(file);
    pak.CloseFile(file);
}

void Search(PakInterface& pak, const std::string& name) {
    if (name.empty() || name[0] == '/' || name.find("..") != std::string::npos)
        return;
    const std::string patterns[] = {name.substr(0, name.size() / 2) + "*",
                                    "*" + name.substr(name.size() / 2), name + "*.*"};
    for (const std::string& pattern : patterns) {
        FindFileData data;
        PakFindHandle find = pak.FindFirstFile(pattern.c_str(), &data);
        if (!find)
            continue;
        for (int i = 0; i < 64 && pak.FindNextFile(find, &data); ++i) {
        }
        pak.FindClose(find);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Workspace workspace;
    FILE* out = std::fopen(workspace.archive.c_str(), "wb");
    if (!out)
        std::abort();
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    // libFuzzer needs its own working folder back after each input.
    paktest::ScopedWorkingDirectory inEmptyFolder(workspace.empty);
    PakInterface pak;
    if (!pak.MountArchive(workspace.archive))
        return 0;
    std::string error;
    std::unique_ptr<PakArchive> archive = PakArchive::Open(workspace.archive, error);
    if (!archive)
        std::abort(); // mounted, so it must open
    uint8_t salt = size > 0 ? data[size - 1] : 0;
    for (const PakEntry& entry : archive->GetEntries()) {
        if (pak.FindEntry(entry.mName))
            ReadEntry(pak, entry, salt++);
        Search(pak, entry.mName);
    }
    return 0;
}
