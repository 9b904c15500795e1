#include "audio/SoundCache.h"

#include "audio/WavFile.h"
#include "files/PakFileReader.h"
#include "files/PrivateFolder.h"

#include <algorithm>
#include <filesystem>

namespace ravix {

namespace {

bool IsRelative(const std::string& name) {
    return name[0] != '\\' && name[0] != '/' && name[1] != ':';
}

bool ClimbsOut(const std::string& name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    for (const auto& part : std::filesystem::path(path))
        if (part == "..")
            return true;
    return false;
}

} // namespace

SoundCache::SoundCache(std::string dataFolder) : mDataFolder(std::move(dataFolder)) {
    if (!mDataFolder.empty() && mDataFolder.back() != '/' && mDataFolder.back() != '\\')
        mDataFolder += '/';
}

std::string SoundCache::PathFor(const std::string& name) const {
    if (mDataFolder.empty() || name.size() <= 2 || !IsRelative(name) || ClimbsOut(name))
        return {};
    std::string path = mDataFolder + "cached/" + name + ".wav";
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool SoundCache::Load(const std::string& name, PcmSound& sound) const {
    const std::string path = PathFor(name);
    return !path.empty() && ReadWavFile(path, sound);
}

void SoundCache::Store(const std::string& name, const PcmSound& sound,
                       const std::string& sourceFile) const {
    const std::string path = PathFor(name);
    const std::optional<FileTime> sourceTime = FindFileWriteTime(sourceFile);
    if (path.empty() || !sourceTime || sourceFile.size() > kMaxWavDependencyName)
        return;
    if (MakePrivateFolder(std::filesystem::path(path).parent_path().string()))
        (void)WriteWavFile(path, sound, WavDependency{sourceFile, *sourceTime});
}

} // namespace ravix
