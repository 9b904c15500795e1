#pragma once

#include <AL/alc.h>
#include <cstddef>
#include <memory>
#include <string>

namespace ravix {

// An OpenAL output device with its context, made current for the whole process. The sound
// manager and the music back-end share one; buffers and sources must be deleted before it goes.
class ALDevice {
public:
    // The system's default output; null when there is none (no audio hardware, no server).
    static std::shared_ptr<ALDevice> OpenDefault();
    // A loopback device (ALC_SOFT_loopback) that mixes only when asked, into memory: stereo
    // 32-bit float samples at the given rate. For tests and for rendering offline. Null when the
    // OpenAL implementation lacks the extension.
    static std::shared_ptr<ALDevice> OpenLoopback(int rate);

    // The OpenAL implementation's version: the full text once a device's context is current,
    // else the ALC version numbers.
    static std::string LibraryVersion();

    ~ALDevice();
    ALDevice(const ALDevice&) = delete;
    ALDevice& operator=(const ALDevice&) = delete;

    bool IsLoopback() const { return mLoopback; }
    // Mixes frames frames of interleaved stereo float samples into out (loopback devices only).
    void Render(float* out, size_t frames);

private:
    ALDevice(ALCdevice* device, ALCcontext* context, bool loopback);
    // Gives the device a context made current; closes the device and returns null on failure.
    static std::shared_ptr<ALDevice> Adopt(ALCdevice* device, const ALCint* attributes,
                                           bool loopback);

    ALCdevice* mDevice = nullptr;
    ALCcontext* mContext = nullptr;
    bool mLoopback = false;
};

} // namespace ravix
