#pragma once

#include "audio/MusicStream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ravix {

// A WAV song, read whole into memory and played from there.
class PcmMusicStream : public MusicStream {
public:
    // Null when the file cannot be read as a WAV file.
    static std::unique_ptr<PcmMusicStream> Open(const std::string& fileName);

    int GetChannels() const override { return mChannels; }
    int GetRate() const override { return mRate; }

protected:
    size_t ReadFrames(int16_t* out, size_t frames) override;
    bool SeekToFrame(int64_t frame) override;

private:
    PcmMusicStream() = default;

    std::vector<int16_t> mSamples;
    int mChannels = 1;
    int mRate = 0;
    size_t mPosition = 0; // in frames
};

} // namespace ravix
