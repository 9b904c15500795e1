// Reads the input as a WAV file, as the sound manager, the sound cache and the music back-end
// do; a file that reads must survive being written back and read again unchanged.
#include "audio/PcmSound.h"
#include "audio/WavFile.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>

using namespace ravix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("input.wav", data, size);
    PcmSound sound;
    if (!ReadWavFile(path, sound))
        return 0;
    if (!sound.HasPlayableFormat() || sound.mData.size() > size)
        std::abort();
    (void)sound.ToSigned16();
    const std::string copy = path + ".copy.wav";
    PcmSound again;
    if (!WriteWavFile(copy, sound, std::nullopt) || !ReadWavFile(copy, again) ||
        again.mData != sound.mData || again.mChannels != sound.mChannels ||
        again.mRate != sound.mRate || again.mBits != sound.mBits)
        std::abort();
    return 0;
}
