#pragma once

#include <string>

namespace ravix {

class SoundInstance;

// Sound effects loaded once into numbered slots (ids 0..255) and played through short-lived
// channels (SoundInstance). Every operation refuses ids outside 0..255. Main thread only. The
// virtual operations are listed in slot order.
class SoundManager {
public:
    static constexpr int kMaxEffects = 256;
    static constexpr int kMaxChannels = 32;

    virtual ~SoundManager() = default;
    // Whether sound reaches an output device; without one everything succeeds silently.
    virtual bool HasDevice() = 0;
    // The id already holding name, else the highest free id loaded with LoadEffectAt; -1 when
    // no id is free or loading fails. name has no extension.
    virtual int LoadEffect(const std::string& name) = 0;
    virtual bool LoadEffectAt(int id, const std::string& name) = 0;
    virtual void UnloadEffect(int id) = 0;
    // The effects volume (0..1) that every channel's gain is multiplied by.
    virtual void SetEffectsVolume(double volume) = 0;
    // The base gain and balance of channels created for the id from now on.
    virtual bool SetEffectGain(int id, double gain) = 0;
    virtual bool SetEffectBalance(int id, int balance) = 0;
    // A new channel for the id, not yet started; null when the id is empty or all channels
    // are busy.
    virtual SoundInstance* CreateChannel(int id) = 0;
    virtual void UnloadAllEffects() = 0;
    virtual void DeleteAllChannels() = 0;
    // The master output volume, 0..1.
    virtual double GetSystemVolume() = 0;
    virtual void SetSystemVolume(double volume) = 0;
    // A hook that does nothing.
    virtual void Hook() {}
    // Tells the manager the application's window after a display-mode switch.
    virtual void AttachWindow(void* window, bool windowed) = 0;
    // Stops every channel; each keeps its auto-release flag.
    virtual void StopAllChannels() = 0;
    // The lowest free id, -1 if none.
    virtual int FindFreeEffectId() = 0;
    virtual int CountEffects() = 0;
};

} // namespace ravix
