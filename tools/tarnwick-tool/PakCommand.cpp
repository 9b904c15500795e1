// tarnwick-tool pak: build, list and read pak archives.
#include "ToolCommands.h"

#include "files/PakArchive.h"
#include "files/PakFormat.h"
#include "files/PakWriter.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

namespace tarnwick::tool {

namespace {

namespace fs = std::filesystem;
using ravix::PakArchive;
using ravix::PakEntry;

int Fail(const std::string& message) {
    std::fprintf(stderr, "tarnwick-tool: %s\n", message.c_str());
    return 1;
}

std::unique_ptr<PakArchive> OpenArchive(const std::string& path, std::string& error) {
    std::unique_ptr<PakArchive> archive = PakArchive::Open(path, error);
    if (!archive)
        error = path + ": " + error;
    return archive;
}

// The files below folder with their archive names (relative, "\" between folders), sorted by
// name so that the same folder always gives the same archive.
bool CollectFiles(const fs::path& folder, const fs::path& skip,
                  std::vector<std::pair<std::string, fs::path>>& files, std::string& error) {
    std::error_code code;
    fs::recursive_directory_iterator it(folder, code);
    for (; !code && it != fs::recursive_directory_iterator(); it.increment(code)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || fs::equivalent(it->path(), skip, ignored))
            continue;
        std::string name = it->path().lexically_relative(folder).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        files.emplace_back(std::move(name), it->path());
    }
    if (code) {
        error = folder.string() + ": " + code.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    return true;
}

// SOURCE_DATE_EPOCH (seconds since 1970, the reproducible-builds convention) caps the entry
// times, so that a build makes the same archive bytes whenever it runs. Unset or malformed: no
// cap.
std::optional<ravix::FileTime> LatestFileTime() {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr)
        return std::nullopt;
    const std::string_view value(text);
    int64_t seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || seconds < 0)
        return std::nullopt;
    return ravix::FileTime::FromUnixTime(seconds, 0);
}

int Build(const std::string& outPath, const std::string& folder) {
    std::error_code code;
    if (!fs::is_directory(folder, code))
        return Fail(folder + ": not a folder");
    std::vector<std::pair<std::string, fs::path>> files;
    std::string error;
    if (!CollectFiles(folder, outPath, files, error))
        return Fail(error);
    ravix::PakWriter writer;
    for (const auto& [name, path] : files)
        if (!writer.AddFile(name, path.string(), error))
            return Fail(error);
    if (std::optional<ravix::FileTime> latest = LatestFileTime())
        writer.ClampFileTimes(*latest);
    if (!writer.Write(outPath, error))
        return Fail(error);
    return 0;
}

int List(const std::string& path) {
    std::string error;
    std::unique_ptr<PakArchive> archive = OpenArchive(path, error);
    if (!archive)
        return Fail(error);
    for (const PakEntry& entry : archive->GetEntries())
        std::printf("%zu\t%s\n", entry.mSize, entry.mName.c_str());
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the listing");
}

// Looks the name up as the file layer does; of entries with the same key the last one wins.
const PakEntry* FindEntry(const PakArchive& archive, const std::string& name) {
    const std::string key = ravix::NormalisePakName(name);
    const auto& entries = archive.GetEntries();
    auto found = std::find_if(entries.rbegin(), entries.rend(), [&](const PakEntry& entry) {
        return ravix::PakKey(entry.mName) == key;
    });
    return found == entries.rend() ? nullptr : &*found;
}

int Cat(const std::string& path, const std::string& name) {
    std::string error;
    std::unique_ptr<PakArchive> archive = OpenArchive(path, error);
    if (!archive)
        return Fail(error);
    const PakEntry* entry = FindEntry(*archive, name);
    if (!entry)
        return Fail(path + ": no entry named " + name);
    std::vector<char> chunk(64 * 1024);
    for (size_t done = 0; done < entry->mSize;) {
        size_t n = std::min(chunk.size(), entry->mSize - done);
        ravix::PakScrambleCopy(chunk.data(), archive->GetData() + entry->mStart + done, n);
        if (std::fwrite(chunk.data(), 1, n, stdout) != n)
            return Fail("cannot write to standard output");
        done += n;
    }
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write to standard output");
}

} // namespace

int RunPakCommand(const Args& args) {
    if (args.size() == 3 && args[0] == "build")
        return Build(args[1], args[2]);
    if (args.size() == 2 && args[0] == "list")
        return List(args[1]);
    if (args.size() == 3 && args[0] == "cat")
        return Cat(args[1], args[2]);
    return UsageError();
}

} // namespace tarnwick::tool
