#include "resources/SoundRes.h"

#include "audio/SoundManager.h"

namespace ravix {

void SoundRes::ReleaseLoaded() {
    if (mSoundId != -1 && mSoundManager)
        mSoundManager->UnloadEffect(mSoundId);
    mSoundId = -1;
    mSoundManager = nullptr;
}

} // namespace ravix
