#pragma once

#include "graphics/MemoryImage.h"

namespace ravix {

class DDInterface;

// An image made on the display layer, such as the screen image every frame is drawn into. Its
// pixels are the 32-bit memory pixels of MemoryImage (the display takes them as they are); the
// display keeps the set of its images so that a reset can make them again.
class DDImage : public MemoryImage {
public:
    DDImage(DDInterface* display, ImageRegistry* registry);
    ~DDImage() override;
    DDImage(const DDImage&) = delete;

    // Marks the pixels as being written, as a draw pass does; locks nest.
    void Lock() { ++mLockCount; }
    void Unlock();
    bool IsLocked() const { return mLockCount > 0; }

    // The display the image was made on; null once that display is gone.
    DDInterface* mDDInterface = nullptr;
    int mLockCount = 0;
};

// Locks a display image for a scope; an image that is not a display image is left alone.
class DDImageLock {
public:
    explicit DDImageLock(Image* image);
    ~DDImageLock();
    DDImageLock(const DDImageLock&) = delete;
    DDImageLock& operator=(const DDImageLock&) = delete;

private:
    DDImage* mImage = nullptr;
};

} // namespace ravix
