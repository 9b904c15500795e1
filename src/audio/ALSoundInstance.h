#pragma once

#include "audio/SoundInstance.h"

#include <memory>

namespace ravix {

class ALSoundBuffer;
class ALSoundManager;

// A channel playing a loaded sound through an OpenAL source of its own; several channels may
// share one buffer and play it at once. A channel without a source (there is no device) is
// silent: it takes every call and never runs.
//
// The channel's volume follows a curve in hundredths of a decibel (see VolumeFromGain) applied
// to gain × base gain × the manager's effects volume; its balance is base balance + balance.
class ALSoundInstance : public SoundInstance {
public:
    // A channel over the buffer with a new source; null when the device has no source to spare.
    static std::unique_ptr<ALSoundInstance> Create(ALSoundManager& manager,
                                                   std::shared_ptr<ALSoundBuffer> buffer);
    // A silent channel, for a manager without a device.
    static std::unique_ptr<ALSoundInstance> CreateSilent(ALSoundManager& manager);
    ~ALSoundInstance() override;
    ALSoundInstance(const ALSoundInstance&) = delete;
    ALSoundInstance& operator=(const ALSoundInstance&) = delete;

    void Dispose() override;
    void SetBaseGain(double gain) override;
    void SetBaseBalance(int balance) override;
    void ShiftPitch(double semitones) override;
    void SetGain(double gain) override;
    void SetBalance(int balance) override;
    bool Launch(bool looping, bool autoRelease) override;
    void Halt() override;
    bool IsRunning() override;
    bool IsDisposed() override;
    double GetGain() override { return mGain; }

    // Stops and rewinds like Halt, but keeps the auto-release flag.
    void Stop();
    // Applies the current gains and the manager's effects volume to the source.
    void ApplyVolume();
    int GetFrequency() const { return mFrequency; }
    int GetNaturalFrequency() const { return mNaturalFrequency; }
    // The volume in hundredths of a decibel last applied (0 full, -10000 silence).
    int GetVolume() const { return mVolume; }

    // The volume curve: (int)((log10(1 + 9x) - 1) × 2333) in hundredths of a decibel, where
    // anything below -2000 (and any x <= 0) becomes -10000, silence; x >= 1 gives 0.
    static int VolumeFromGain(double x);
    // The linear amplitude of a volume in hundredths of a decibel; -10000 gives 0.
    static float AmplitudeFromVolume(int volume);

private:
    ALSoundInstance(ALSoundManager& manager, std::shared_ptr<ALSoundBuffer> buffer,
                    unsigned source);
    void ApplyBalance();

    ALSoundManager& mManager;
    std::shared_ptr<ALSoundBuffer> mBuffer;
    unsigned mSource = 0; // 0 for a silent channel
    bool mAutoRelease = false;
    bool mHasPlayed = false;
    bool mReleased = false;
    int mBaseBalance = 0;
    double mBaseGain = 1.0;
    int mBalance = 0;
    double mGain = 1.0;
    int mNaturalFrequency = 44100;
    int mFrequency = 44100;
    int mVolume = 0;
};

} // namespace ravix
