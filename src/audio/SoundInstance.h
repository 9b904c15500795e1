#pragma once

namespace ravix {

// One playing channel of a loaded sound. Channels belong to the sound manager, which deletes
// them once they are disposed; a caller keeps a channel only until it disposes of it or lets it
// auto-release. Gains are 0..1 (1 full volume); balances run from -10000 (left) to 10000
// (right). The virtual operations are listed in slot order.
class SoundInstance {
public:
    virtual ~SoundInstance() = default;
    // Halts the channel and marks it released: the manager deletes it at its next sweep.
    virtual void Dispose() = 0;
    virtual void SetBaseGain(double gain) = 0;
    virtual void SetBaseBalance(int balance) = 0;
    // Plays at the natural frequency times 2^(semitones / 12), kept within 100..100000 Hz.
    virtual void ShiftPitch(double semitones) = 0;
    virtual void SetGain(double gain) = 0;
    virtual void SetBalance(int balance) = 0;
    // Plays from the start; an auto-released channel is disposed once it has finished. False
    // when the device refuses.
    virtual bool Launch(bool looping, bool autoRelease) = 0;
    // Stops, rewinds and clears auto-release.
    virtual void Halt() = 0;
    // True while the channel plays (never before its first launch).
    virtual bool IsRunning() = 0;
    // Disposes of a finished auto-release channel; true once the channel is released.
    virtual bool IsDisposed() = 0;
    virtual double GetGain() = 0;
};

} // namespace ravix
