#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ravix {

// A decoded sound: interleaved PCM samples as the readers deliver them. 8-bit samples are
// unsigned (128 is silence), 16-bit samples signed little-endian, as in WAV files.
struct PcmSound {
    int mChannels = 1;
    int mRate = 22050;
    int mBits = 16;
    std::vector<uint8_t> mData;

    int BlockAlign() const { return mChannels * mBits / 8; }
    // The formats the players accept: mono or stereo, 8 or 16 bits, a positive rate.
    bool HasPlayableFormat() const;
    // The samples as signed 16-bit values (8-bit samples scaled up), whole frames only.
    std::vector<int16_t> ToSigned16() const;
    // A 16-bit sound holding the samples.
    static PcmSound FromSigned16(int channels, int rate, const std::vector<int16_t>& samples);
};

// The largest decoded sound a reader accepts, so that a header cannot ask for unbounded memory:
// 10 minutes of 48000 Hz 16-bit stereo, far longer than any effect. Music in Ogg Vorbis is
// streamed and not bound by it.
inline constexpr size_t kMaxPcmBytes = size_t(10 * 60) * 48000 * 2 * 2;
// The highest sample rate a reader accepts.
inline constexpr int kMaxPcmRate = 768000;

} // namespace ravix
