#include "audio/PcmMusicStream.h"

#include "audio/WavFile.h"

#include <algorithm>

namespace ravix {

std::unique_ptr<PcmMusicStream> PcmMusicStream::Open(const std::string& fileName) {
    PcmSound sound;
    if (!ReadWavFile(fileName, sound))
        return nullptr;
    std::unique_ptr<PcmMusicStream> stream(new PcmMusicStream);
    stream->mSamples = sound.ToSigned16();
    stream->mChannels = sound.mChannels;
    stream->mRate = sound.mRate;
    return stream;
}

size_t PcmMusicStream::ReadFrames(int16_t* out, size_t frames) {
    const size_t total = mSamples.size() / mChannels;
    const size_t count = std::min(frames, total - mPosition);
    std::copy_n(mSamples.begin() + mPosition * mChannels, count * mChannels, out);
    mPosition += count;
    return count;
}

bool PcmMusicStream::SeekToFrame(int64_t frame) {
    if (frame < 0 || uint64_t(frame) > mSamples.size() / mChannels)
        return false;
    mPosition = size_t(frame);
    return true;
}

} // namespace ravix
