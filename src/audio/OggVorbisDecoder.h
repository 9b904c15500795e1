#pragma once

#include "audio/PcmSound.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace ravix {

// An Ogg Vorbis file decoded through vorbisfile, read through the file layer, so it may come
// from the pak archive. Delivers interleaved signed 16-bit samples, mono or stereo. A chained
// file whose later parts change the channel count or the rate stops at the change.
class OggVorbisDecoder {
public:
    OggVorbisDecoder();
    ~OggVorbisDecoder();
    OggVorbisDecoder(const OggVorbisDecoder&) = delete;
    OggVorbisDecoder& operator=(const OggVorbisDecoder&) = delete;

    // False when the file is missing, is not Ogg Vorbis, cannot be seeked or has a format the
    // players cannot take.
    [[nodiscard]] bool Open(const std::string& name);
    int GetChannels() const { return mChannels; }
    int GetRate() const { return mRate; }
    // The length in frames as the file's last page states it.
    int64_t GetTotalFrames() const { return mTotalFrames; }

    // Decodes up to frames frames into out; returns the frames decoded, 0 at the end or when
    // the decoder stops on damaged data.
    size_t Read(int16_t* out, size_t frames);
    // Moves to a frame from the start; false when it lies outside the file.
    [[nodiscard]] bool SeekFrame(int64_t frame);

private:
    struct State;
    std::unique_ptr<State> mState;
    int mChannels = 0;
    int mRate = 0;
    int64_t mTotalFrames = 0;
};

// Decodes a whole Ogg Vorbis file into 16-bit PCM. Succeeds only when the decoder delivers as
// many frames as the file states; a stated length above kMaxPcmBytes fails before decoding.
[[nodiscard]] bool DecodeOggFile(const std::string& name, PcmSound& sound);

} // namespace ravix
