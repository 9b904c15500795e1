// Reads the input as a Sun audio file, as the sound manager does.
#include "audio/PcmSound.h"
#include "audio/SunAudioFile.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>

using namespace ravix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("input.au", data, size);
    PcmSound sound;
    if (!ReadSunAudioFile(path, sound))
        return 0;
    // Mu-law doubles the bytes; 8-bit linear keeps them.
    if (!sound.HasPlayableFormat() || sound.mData.size() > 2 * size)
        std::abort();
    (void)sound.ToSigned16();
    return 0;
}
