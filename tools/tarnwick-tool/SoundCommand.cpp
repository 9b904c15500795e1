// tarnwick-tool sound: let content makers hear what the game hears.
#include "ToolCommands.h"

#include "audio/PcmSound.h"
#include "audio/SoundFileLoader.h"
#include "audio/WavFile.h"
#include "files/PakFileReader.h"

#include <cstdio>

namespace tarnwick::tool {

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "tarnwick-tool: %s\n", message.c_str());
    return 1;
}

// Decodes IN through the game's loaders and writes the samples as plain 16-bit PCM WAV.
int Convert(const std::string& in, const std::string& out) {
    ravix::PcmSound sound;
    if (ravix::HasSoundFileExtension(in)) {
        if (!ravix::LoadSoundFile(in, sound))
            return Fail(in + ": cannot decode this file");
    } else if (ravix::FindFileWriteTime(in)) {
        return Fail(in + ": not a sound file the game reads (.wav, .ogg or .au)");
    } else {
        std::string source;
        if (!ravix::LoadSoundByName(in, sound, source))
            return Fail(in + ": no " + in + ".wav, " + in + ".ogg or " + in + ".au that decodes");
    }
    const ravix::PcmSound plain =
        ravix::PcmSound::FromSigned16(sound.mChannels, sound.mRate, sound.ToSigned16());
    if (!ravix::WriteWavFile(out, plain, std::nullopt, ravix::FileAccess::Shared))
        return Fail(out + ": cannot write the file");
    return 0;
}

} // namespace

int RunSoundCommand(const Args& args) {
    if (args.size() == 3 && args[0] == "convert")
        return Convert(args[1], args[2]);
    return UsageError();
}

} // namespace tarnwick::tool
