#include "audio/ALDevice.h"

#include "base/Verify.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

namespace ravix {

namespace {

LPALCLOOPBACKOPENDEVICESOFT LoopbackOpen() {
    return reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
}

LPALCRENDERSAMPLESSOFT LoopbackRender() {
    return reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
}

} // namespace

std::string ALDevice::LibraryVersion() {
    if (alcGetCurrentContext() != nullptr) {
        if (const ALchar* version = alGetString(AL_VERSION)) {
            return version;
        }
    }
    ALCint major = 0;
    ALCint minor = 0;
    alcGetIntegerv(nullptr, ALC_MAJOR_VERSION, 1, &major);
    alcGetIntegerv(nullptr, ALC_MINOR_VERSION, 1, &minor);
    return "ALC " + std::to_string(major) + "." + std::to_string(minor);
}

std::shared_ptr<ALDevice> ALDevice::OpenDefault() {
    return Adopt(alcOpenDevice(nullptr), nullptr, false);
}

std::shared_ptr<ALDevice> ALDevice::OpenLoopback(int rate) {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return nullptr;
    // No limiter and no head-related filtering, so that what is mixed is what comes out.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 rate,
                                 ALC_OUTPUT_LIMITER_SOFT,
                                 ALC_FALSE,
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 0};
    return Adopt(LoopbackOpen()(nullptr), attributes, true);
}

std::shared_ptr<ALDevice> ALDevice::Adopt(ALCdevice* device, const ALCint* attributes,
                                          bool loopback) {
    if (!device)
        return nullptr;
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context)
            alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    return std::shared_ptr<ALDevice>(new ALDevice(device, context, loopback));
}

ALDevice::ALDevice(ALCdevice* device, ALCcontext* context, bool loopback)
    : mDevice(device), mContext(context), mLoopback(loopback) {}

ALDevice::~ALDevice() {
    if (alcGetCurrentContext() == mContext)
        alcMakeContextCurrent(nullptr);
    alcDestroyContext(mContext);
    alcCloseDevice(mDevice);
}

void ALDevice::Render(float* out, size_t frames) {
    RAVIX_VERIFY(mLoopback, "only a loopback device renders on request");
    LoopbackRender()(mDevice, out, ALCsizei(frames));
}

} // namespace ravix
