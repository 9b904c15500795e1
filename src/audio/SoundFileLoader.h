#pragma once

#include "audio/PcmSound.h"

#include <string>

namespace ravix {

// Decodes a sound file by its extension: ".wav", ".ogg" or ".au" (in any case). False for any
// other extension, among them ".mp3", which this program does not decode.
[[nodiscard]] bool LoadSoundFile(const std::string& fileName, PcmSound& sound);

// Finds a sound by its name without extension as the sound manager does: name + ".wav", then
// ".ogg", then ".au", the first that decodes. sourceFile receives the file that was decoded.
[[nodiscard]] bool LoadSoundByName(const std::string& name, PcmSound& sound,
                                   std::string& sourceFile);

// True when the file name ends in one of the extensions LoadSoundFile knows.
bool HasSoundFileExtension(const std::string& fileName);

} // namespace ravix
