#pragma once

#include "graphics/ImageLoader.h"

namespace ravix {

class SoundManager;

// What the resource manager asks of the application: the images (ImageLoader) and the sound
// manager that sounds load into.
class ResourceHost : public ImageLoader {
public:
    // Null while there is no sound manager.
    virtual SoundManager* GetSoundManager() = 0;
};

} // namespace ravix
