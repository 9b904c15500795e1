#pragma once

#include "audio/SoundCache.h"
#include "audio/SoundManager.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ravix {

class ALDevice;
class ALSoundBuffer;
class ALSoundInstance;
struct PcmSound;

// The sound manager over OpenAL: one AL buffer per loaded sound, one AL source per channel.
// Sounds are read through the file layer as name + ".wav", ".ogg" or ".au"; decoded ones are
// cached below the data folder (SoundCache). Without a device the manager is silent: loads
// succeed without loading anything and channels are silent ones.
class ALSoundManager : public SoundManager {
public:
    // Milliseconds from an arbitrary start, for the once-a-second sweep of finished channels.
    using Clock = std::function<int64_t()>;

    // device: where sound goes; null for a silent manager. dataFolder: where the sound cache
    // lives ("" for none). clock: the program's clock; the steady clock when empty.
    ALSoundManager(std::shared_ptr<ALDevice> device, std::string dataFolder, Clock clock = {});
    ~ALSoundManager() override;
    ALSoundManager(const ALSoundManager&) = delete;
    ALSoundManager& operator=(const ALSoundManager&) = delete;

    bool HasDevice() override { return mDevice != nullptr; }
    int LoadEffect(const std::string& name) override;
    bool LoadEffectAt(int id, const std::string& name) override;
    void UnloadEffect(int id) override;
    void SetEffectsVolume(double volume) override;
    bool SetEffectGain(int id, double gain) override;
    bool SetEffectBalance(int id, int balance) override;
    SoundInstance* CreateChannel(int id) override;
    void UnloadAllEffects() override;
    void DeleteAllChannels() override;
    double GetSystemVolume() override;
    void SetSystemVolume(double volume) override;
    void AttachWindow(void* window, bool windowed) override;
    void StopAllChannels() override;
    int FindFreeEffectId() override;
    int CountEffects() override;

    double GetEffectsVolume() const { return mEffectsVolume; }
    // The PCM byte length of the sound loaded into the id, 0 when it is empty.
    size_t GetEffectByteLength(int id) const;
private:
    struct Effect {
        std::shared_ptr<ALSoundBuffer> mBuffer; // null while the id is free
        std::string mName;                      // the name it was loaded from
        double mBaseGain = 1.0;
        int mBaseBalance = 0;
    };

    static bool IsValidId(int id) { return id >= 0 && id < kMaxEffects; }
    // Reads the sound: from its valid cache file, else decoded from its source, which is then
    // cached unless it was a WAV file.
    bool ReadSound(const std::string& name, PcmSound& sound);
    // The slot for a new channel, releasing a disposed channel if needed; -1 when all are busy.
    int TakeChannelSlot();
    // Deletes every disposed channel (at most once a second, from TakeChannelSlot).
    void ReleaseDisposedChannels();

    std::shared_ptr<ALDevice> mDevice;
    SoundCache mCache;
    Clock mClock;
    std::array<Effect, kMaxEffects> mEffects;
    std::array<std::unique_ptr<ALSoundInstance>, kMaxChannels> mChannels;
    double mEffectsVolume = 1.0;
    int mSystemLevel = 65535; // the master volume as a mixer value, 0..65535
    int64_t mLastSweep = 0;
};

} // namespace ravix
