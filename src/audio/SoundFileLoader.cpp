#include "audio/SoundFileLoader.h"

#include "audio/OggVorbisDecoder.h"
#include "audio/SunAudioFile.h"
#include "audio/WavFile.h"
#include "base/AsciiText.h"

namespace ravix {

namespace {

using Reader = bool (*)(const std::string&, PcmSound&);

struct Format {
    const char* mExtension;
    Reader mRead;
};

// In the order a name without extension is looked up.
constexpr Format kFormats[] = {
    {".wav", ReadWavFile},
    {".ogg", DecodeOggFile},
    {".au", ReadSunAudioFile},
};

const Format* FormatOf(const std::string& fileName) {
    for (const Format& format : kFormats)
        if (EndsWithIgnoringCase(fileName, format.mExtension))
            return &format;
    return nullptr;
}

} // namespace

bool LoadSoundFile(const std::string& fileName, PcmSound& sound) {
    const Format* format = FormatOf(fileName);
    return format && format->mRead(fileName, sound);
}

bool LoadSoundByName(const std::string& name, PcmSound& sound, std::string& sourceFile) {
    for (const Format& format : kFormats) {
        const std::string fileName = name + format.mExtension;
        if (format.mRead(fileName, sound)) {
            sourceFile = fileName;
            return true;
        }
    }
    return false;
}

bool HasSoundFileExtension(const std::string& fileName) {
    return FormatOf(fileName) != nullptr;
}

} // namespace ravix
