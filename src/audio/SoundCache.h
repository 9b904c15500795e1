#pragma once

#include "audio/PcmSound.h"

#include <string>

namespace ravix {

// Decoded sounds kept below the data folder as scrambled WAV files ("cached/" + name + ".wav"),
// so that a compressed sound is decoded once. Each file names the source it was decoded from
// with that file's last-write time; a source that changed makes its cache file stale.
class SoundCache {
public:
    // With an empty data folder nothing is cached.
    explicit SoundCache(std::string dataFolder);

    // The cache file of a sound name (without extension), or "" when the name gets none: names
    // of up to 2 characters, absolute names and names that climb out with "..".
    std::string PathFor(const std::string& name) const;
    // Reads the cache file of name; false when there is none or it is stale or damaged.
    [[nodiscard]] bool Load(const std::string& name, PcmSound& sound) const;
    // Writes the cache file of name for a sound decoded from sourceFile, creating its folders.
    // Best effort: a failure leaves no file and the sound is decoded again next time.
    void Store(const std::string& name, const PcmSound& sound, const std::string& sourceFile) const;

private:
    std::string mDataFolder;
};

} // namespace ravix
