#include "audio/PcmSound.h"

namespace ravix {

bool PcmSound::HasPlayableFormat() const {
    return (mChannels == 1 || mChannels == 2) && (mBits == 8 || mBits == 16) && mRate > 0 &&
           mRate <= kMaxPcmRate;
}

std::vector<int16_t> PcmSound::ToSigned16() const {
    const size_t bytesPerSample = mBits / 8;
    const size_t frameBytes = bytesPerSample * mChannels;
    if (frameBytes == 0)
        return {};
    const size_t samples = mData.size() / frameBytes * mChannels;
    std::vector<int16_t> out(samples);
    for (size_t i = 0; i < samples; ++i) {
        if (bytesPerSample == 1)
            out[i] = int16_t((int(mData[i]) - 128) * 256);
        else
            out[i] = int16_t(mData[2 * i] | (mData[2 * i + 1] << 8));
    }
    return out;
}

PcmSound PcmSound::FromSigned16(int channels, int rate, const std::vector<int16_t>& samples) {
    PcmSound sound{channels, rate, 16, std::vector<uint8_t>(samples.size() * 2)};
    for (size_t i = 0; i < samples.size(); ++i) {
        sound.mData[2 * i] = uint8_t(samples[i]);
        sound.mData[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
    }
    return sound;
}

} // namespace ravix
