#pragma once

#include "audio/MusicStream.h"
#include "audio/OggVorbisDecoder.h"

#include <memory>
#include <string>

namespace ravix {

// An Ogg Vorbis song decoded as it plays, read through the file layer.
class OggMusicStream : public MusicStream {
public:
    // Null when the file cannot be opened as Ogg Vorbis.
    static std::unique_ptr<OggMusicStream> Open(const std::string& fileName);

    int GetChannels() const override { return mDecoder.GetChannels(); }
    int GetRate() const override { return mDecoder.GetRate(); }

protected:
    size_t ReadFrames(int16_t* out, size_t frames) override;
    bool SeekToFrame(int64_t frame) override;

private:
    OggMusicStream() = default;

    OggVorbisDecoder mDecoder;
};

} // namespace ravix
