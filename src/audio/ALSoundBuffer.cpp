#include "audio/ALSoundBuffer.h"

#include <AL/al.h>
#include <climits>

namespace ravix {

namespace {

ALenum FormatOf(const PcmSound& sound) {
    if (sound.mChannels == 1)
        return sound.mBits == 8 ? AL_FORMAT_MONO8 : AL_FORMAT_MONO16;
    return sound.mBits == 8 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;
}

} // namespace

std::shared_ptr<ALSoundBuffer> ALSoundBuffer::Create(const PcmSound& sound) {
    if (!sound.HasPlayableFormat())
        return nullptr;
    // OpenAL takes whole frames only.
    const size_t bytes = sound.mData.size() / sound.BlockAlign() * sound.BlockAlign();
    if (bytes > size_t(INT_MAX))
        return nullptr;
    alGetError();
    std::shared_ptr<ALSoundBuffer> buffer(new ALSoundBuffer);
    alGenBuffers(1, &buffer->mName);
    if (alGetError() != AL_NO_ERROR)
        return nullptr; // nothing was generated; the destructor deletes name 0, a no-op
    alBufferData(buffer->mName, FormatOf(sound), sound.mData.data(), ALsizei(bytes), sound.mRate);
    if (alGetError() != AL_NO_ERROR)
        return nullptr;
    buffer->mChannels = sound.mChannels;
    buffer->mRate = sound.mRate;
    buffer->mByteLength = sound.mData.size();
    return buffer;
}

ALSoundBuffer::~ALSoundBuffer() {
    if (mName != 0)
        alDeleteBuffers(1, &mName);
}

} // namespace ravix
