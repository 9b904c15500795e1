#include "audio/ALSoundInstance.h"

#include "audio/ALSoundBuffer.h"
#include "audio/ALSoundManager.h"

#include <AL/al.h>
#include <AL/alext.h>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace ravix {

namespace {

constexpr int kSilence = -10000;
constexpr int kQuietest = -2000;
constexpr int kMaxBalance = 10000;
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 100000;
constexpr double kSemitone = 1.0594630943592953;

} // namespace

std::unique_ptr<ALSoundInstance> ALSoundInstance::Create(ALSoundManager& manager,
                                                         std::shared_ptr<ALSoundBuffer> buffer) {
    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR)
        return nullptr;
    alSourcei(source, AL_BUFFER, ALint(buffer->GetName()));
    // Balance places the source on a half circle in front of the listener.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source);
        return nullptr;
    }
    std::unique_ptr<ALSoundInstance> instance(
        new ALSoundInstance(manager, std::move(buffer), source));
    instance->mNaturalFrequency = instance->mFrequency = instance->mBuffer->GetRate();
    instance->ApplyVolume();
    instance->ApplyBalance();
    return instance;
}

std::unique_ptr<ALSoundInstance> ALSoundInstance::CreateSilent(ALSoundManager& manager) {
    return std::unique_ptr<ALSoundInstance>(new ALSoundInstance(manager, nullptr, 0));
}

ALSoundInstance::ALSoundInstance(ALSoundManager& manager, std::shared_ptr<ALSoundBuffer> buffer,
                                 unsigned source)
    : mManager(manager), mBuffer(std::move(buffer)), mSource(source) {}

ALSoundInstance::~ALSoundInstance() {
    if (mSource != 0) {
        alSourceStop(mSource);
        alSourcei(mSource, AL_BUFFER, 0);
        alDeleteSources(1, &mSource);
    }
}

void ALSoundInstance::Dispose() {
    Halt();
    mReleased = true;
}

void ALSoundInstance::SetBaseGain(double gain) {
    mBaseGain = gain;
    ApplyVolume();
}

void ALSoundInstance::SetBaseBalance(int balance) {
    mBaseBalance = balance;
    ApplyBalance();
}

void ALSoundInstance::ShiftPitch(double semitones) {
    const double frequency = mNaturalFrequency * std::pow(kSemitone, semitones);
    mFrequency = int(std::clamp(frequency, double(kMinFrequency), double(kMaxFrequency)));
    if (mSource != 0)
        alSourcef(mSource, AL_PITCH, float(double(mFrequency) / mNaturalFrequency));
}

void ALSoundInstance::SetGain(double gain) {
    mGain = gain;
    ApplyVolume();
}

void ALSoundInstance::SetBalance(int balance) {
    mBalance = balance;
    ApplyBalance();
}

bool ALSoundInstance::Launch(bool looping, bool autoRelease) {
    Halt();
    mHasPlayed = true;
    mAutoRelease = autoRelease;
    if (mSource == 0)
        return true;
    alGetError();
    alSourcei(mSource, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    alSourcePlay(mSource);
    return alGetError() == AL_NO_ERROR;
}

void ALSoundInstance::Halt() {
    Stop();
    mAutoRelease = false;
}

void ALSoundInstance::Stop() {
    if (mSource != 0)
        alSourceRewind(mSource); // stops and goes back to the start
}

bool ALSoundInstance::IsRunning() {
    if (!mHasPlayed || mSource == 0)
        return false;
    ALint state = AL_STOPPED;
    alGetSourcei(mSource, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

bool ALSoundInstance::IsDisposed() {
    if (!mReleased && mAutoRelease && mHasPlayed && !IsRunning())
        Dispose();
    return mReleased;
}

void ALSoundInstance::ApplyVolume() {
    mVolume = VolumeFromGain(mGain * mBaseGain * mManager.GetEffectsVolume());
    if (mSource != 0)
        alSourcef(mSource, AL_GAIN, AmplitudeFromVolume(mVolume));
}

void ALSoundInstance::ApplyBalance() {
    if (mSource == 0)
        return;
    const int balance = std::clamp(mBaseBalance + mBalance, -kMaxBalance, kMaxBalance);
    const double angle = double(balance) / kMaxBalance * std::numbers::pi / 2;
    if (mBuffer->GetChannels() == 1) {
        alSource3f(mSource, AL_POSITION, float(std::sin(angle)), 0.0f, float(-std::cos(angle)));
    } else if (alIsExtensionPresent("AL_EXT_STEREO_ANGLES")) {
        // Angles count counter-clockwise from the front: the pair turns right for a positive
        // balance.
        const ALfloat angles[2] = {float(std::numbers::pi / 6 - angle),
                                   float(-std::numbers::pi / 6 - angle)};
        alSourcefv(mSource, AL_STEREO_ANGLES, angles);
    }
}

int ALSoundInstance::VolumeFromGain(double x) {
    if (!(x > 0))
        return kSilence;
    if (x >= 1)
        return 0;
    const int volume = int((std::log10(1 + 9 * x) - 1) * 2333);
    return volume < kQuietest ? kSilence : volume;
}

float ALSoundInstance::AmplitudeFromVolume(int volume) {
    if (volume <= kSilence)
        return 0.0f;
    return float(std::pow(10.0, volume / 2000.0));
}

} // namespace ravix
