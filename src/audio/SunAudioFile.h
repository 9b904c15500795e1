#pragma once

#include "audio/PcmSound.h"

#include <cstdint>
#include <string>

namespace ravix {

// Reads a Sun audio file (".au") through the file layer: the magic ".snd" and five big-endian
// fields (data offset, data size, encoding, rate, channels), the samples at the data offset.
// Encoding 1 (8-bit mu-law) is expanded to 16 bits, encoding 2 (8-bit signed linear) becomes
// 8-bit unsigned data; every other encoding fails. A data size of 0xFFFFFFFF ("unknown") means
// "to the end of the file"; a data size reaching past the end of the file fails.
[[nodiscard]] bool ReadSunAudioFile(const std::string& name, PcmSound& sound);

// The 16-bit sample of a mu-law byte.
int16_t ExpandMuLaw(uint8_t byte);

} // namespace ravix
