#pragma once

#include "audio/PcmSound.h"
#include "files/AtomicFile.h"
#include "files/PakInterfaceBase.h"

#include <optional>
#include <string>

namespace ravix {

// The source a cached WAV file was decoded from, kept in its "dep " chunk: the file name as it
// was opened and that file's last-write time at the time of decoding.
struct WavDependency {
    std::string mName;
    FileTime mTime;
};

inline constexpr size_t kMaxWavDependencyName = 0xFFFF;

// Reads a WAV file through the file layer. Besides "fmt " and "data" it understands the chunks
// of the sound cache: "dep " names a source file and fails the load when that file's current
// last-write time differs (the cache is stale), "xor " gives a byte that every sample byte is
// XORed with. Without a "fmt " chunk the sound is 16-bit mono at 22050 Hz. Fails on a missing or
// truncated "data" chunk, a format other than plain PCM, or a format that cannot be played.
[[nodiscard]] bool ReadWavFile(const std::string& name, PcmSound& sound);

// The bytes of a WAV file holding the sound. With a dependency the file is a cache file: it
// names the source in a "dep " chunk and stores its samples XORed with the scrambling byte of
// pak archives. The dependency's name is at most kMaxWavDependencyName bytes long.
std::string EncodeWavFile(const PcmSound& sound, const std::optional<WavDependency>& dependency);

// Writes EncodeWavFile's bytes to path through an AtomicFile, so that readers never see half a
// file. False when the file could not be written.
[[nodiscard]] bool WriteWavFile(const std::string& path, const PcmSound& sound,
                                const std::optional<WavDependency>& dependency,
                                FileAccess access = FileAccess::OwnerOnly);

} // namespace ravix
