#pragma once

#include "audio/PcmSound.h"

#include <cstddef>
#include <memory>

namespace ravix {

// A loaded sound in one OpenAL buffer. Shared between the sound manager's slot and the
// channels playing it, so that unloading a sound never pulls the buffer from under a source.
class ALSoundBuffer {
public:
    // Uploads the sound's whole frames; null when its format cannot be played or the device
    // refuses the buffer.
    static std::shared_ptr<ALSoundBuffer> Create(const PcmSound& sound);
    ~ALSoundBuffer();
    ALSoundBuffer(const ALSoundBuffer&) = delete;
    ALSoundBuffer& operator=(const ALSoundBuffer&) = delete;

    unsigned GetName() const { return mName; }
    int GetChannels() const { return mChannels; }
    int GetRate() const { return mRate; }
    // The PCM byte length of the sound as loaded.
    size_t GetByteLength() const { return mByteLength; }

private:
    ALSoundBuffer() = default;

    unsigned mName = 0;
    int mChannels = 1;
    int mRate = 0;
    size_t mByteLength = 0;
};

} // namespace ravix
