#include "audio/ALSoundManager.h"

#include "audio/ALDevice.h"
#include "audio/ALSoundBuffer.h"
#include "audio/ALSoundInstance.h"
#include "audio/PcmSound.h"
#include "audio/SoundFileLoader.h"

#include <AL/al.h>
#include <algorithm>
#include <chrono>

namespace ravix {

namespace {

constexpr int64_t kSweepInterval = 1000;
constexpr int kMaxMixerLevel = 65535;

int64_t SteadyMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool IsWavFile(const std::string& fileName) {
    return fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".wav") == 0;
}

} // namespace

ALSoundManager::ALSoundManager(std::shared_ptr<ALDevice> device, std::string dataFolder,
                               Clock clock)
    : mDevice(std::move(device)), mCache(std::move(dataFolder)),
      mClock(clock ? std::move(clock) : Clock(SteadyMilliseconds)) {
    mLastSweep = mClock();
}

ALSoundManager::~ALSoundManager() {
    DeleteAllChannels();
    UnloadAllEffects();
}

int ALSoundManager::LoadEffect(const std::string& name) {
    for (int id = 0; id < kMaxEffects; ++id)
        if (mEffects[id].mBuffer && mEffects[id].mName == name)
            return id;
    for (int id = kMaxEffects - 1; id >= 0; --id)
        if (!mEffects[id].mBuffer)
            return LoadEffectAt(id, name) ? id : -1;
    return -1;
}

bool ALSoundManager::LoadEffectAt(int id, const std::string& name) {
    if (!IsValidId(id))
        return false;
    UnloadEffect(id);
    if (!mDevice)
        return true;
    PcmSound sound;
    if (!ReadSound(name, sound))
        return false;
    std::shared_ptr<ALSoundBuffer> buffer = ALSoundBuffer::Create(sound);
    if (!buffer)
        return false;
    mEffects[id].mBuffer = std::move(buffer);
    mEffects[id].mName = name;
    return true;
}

bool ALSoundManager::ReadSound(const std::string& name, PcmSound& sound) {
    if (mCache.Load(name, sound))
        return true;
    std::string sourceFile;
    if (!LoadSoundByName(name, sound, sourceFile))
        return false;
    if (!IsWavFile(sourceFile))
        mCache.Store(name, sound, sourceFile);
    return true;
}

void ALSoundManager::UnloadEffect(int id) {
    if (!IsValidId(id))
        return;
    mEffects[id].mBuffer.reset();
    mEffects[id].mName.clear();
}

void ALSoundManager::SetEffectsVolume(double volume) {
    mEffectsVolume = volume;
    for (auto& channel : mChannels)
        if (channel)
            channel->ApplyVolume();
}

bool ALSoundManager::SetEffectGain(int id, double gain) {
    if (!IsValidId(id))
        return false;
    mEffects[id].mBaseGain = gain;
    return true;
}

bool ALSoundManager::SetEffectBalance(int id, int balance) {
    if (!IsValidId(id))
        return false;
    mEffects[id].mBaseBalance = balance;
    return true;
}

SoundInstance* ALSoundManager::CreateChannel(int id) {
    if (!IsValidId(id))
        return nullptr;
    const int slot = TakeChannelSlot();
    if (slot < 0)
        return nullptr;
    const Effect& effect = mEffects[id];
    std::unique_ptr<ALSoundInstance> instance;
    if (!mDevice)
        instance = ALSoundInstance::CreateSilent(*this);
    else if (effect.mBuffer)
        instance = ALSoundInstance::Create(*this, effect.mBuffer);
    if (!instance)
        return nullptr; // an empty id, or the device has no source to spare
    instance->SetBaseBalance(effect.mBaseBalance);
    instance->SetBaseGain(effect.mBaseGain);
    mChannels[slot] = std::move(instance);
    return mChannels[slot].get();
}

int ALSoundManager::TakeChannelSlot() {
    const int64_t now = mClock();
    if (now - mLastSweep > kSweepInterval) {
        mLastSweep = now;
        ReleaseDisposedChannels();
    }
    for (int slot = 0; slot < kMaxChannels; ++slot) {
        if (!mChannels[slot])
            return slot;
        if (mChannels[slot]->IsDisposed()) {
            mChannels[slot].reset();
            return slot;
        }
    }
    return -1;
}

void ALSoundManager::ReleaseDisposedChannels() {
    for (auto& channel : mChannels)
        if (channel && channel->IsDisposed())
            channel.reset();
}

void ALSoundManager::UnloadAllEffects() {
    for (int id = 0; id < kMaxEffects; ++id)
        UnloadEffect(id);
}

void ALSoundManager::DeleteAllChannels() {
    for (auto& channel : mChannels)
        channel.reset();
}

double ALSoundManager::GetSystemVolume() {
    return double(mSystemLevel) / kMaxMixerLevel;
}

void ALSoundManager::SetSystemVolume(double volume) {
    mSystemLevel = std::clamp(int(volume * kMaxMixerLevel), 0, kMaxMixerLevel);
    if (mDevice)
        alListenerf(AL_GAIN, float(GetSystemVolume()));
}

void ALSoundManager::AttachWindow(void* /*window*/, bool /*windowed*/) {
    // OpenAL output does not depend on a window.
}

void ALSoundManager::StopAllChannels() {
    for (auto& channel : mChannels)
        if (channel)
            channel->Stop();
}

int ALSoundManager::FindFreeEffectId() {
    for (int id = 0; id < kMaxEffects; ++id)
        if (!mEffects[id].mBuffer)
            return id;
    return -1;
}

int ALSoundManager::CountEffects() {
    return int(std::count_if(mEffects.begin(), mEffects.end(),
                             [](const Effect& effect) { return effect.mBuffer != nullptr; }));
}

size_t ALSoundManager::GetEffectByteLength(int id) const {
    return IsValidId(id) && mEffects[id].mBuffer ? mEffects[id].mBuffer->GetByteLength() : 0;
}

} // namespace ravix
