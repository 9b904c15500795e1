#pragma once

#include "resources/BaseRes.h"

namespace ravix {

class SoundManager;

// A declared sound effect, loaded into an id of the application's sound manager.
class SoundRes : public BaseRes {
public:
    SoundRes() : BaseRes(ResType::Sound) {}
    // Frees the id in the sound manager that holds it.
    void ReleaseLoaded() override;

    int mSoundId = -1;                     // -1: not loaded
    SoundManager* mSoundManager = nullptr; // the manager holding mSoundId
    double mVolume = -1.0;                 // below 0: the sound's volume is left alone
    int mPan = 0;
};

} // namespace ravix
