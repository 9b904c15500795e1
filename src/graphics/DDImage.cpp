#include "graphics/DDImage.h"

#include "base/Verify.h"
#include "graphics/DDInterface.h"

namespace ravix {

DDImage::DDImage(DDInterface* display, ImageRegistry* registry)
    : MemoryImage(registry), mDDInterface(display) {
    if (mDDInterface != nullptr) {
        mDDInterface->AddImage(this);
    }
}

DDImage::~DDImage() {
    if (mDDInterface != nullptr) {
        mDDInterface->RemoveImage(this);
    }
}

void DDImage::Unlock() {
    RAVIX_VERIFY(mLockCount > 0, "a display image is unlocked more often than locked");
    --mLockCount;
}

DDImageLock::DDImageLock(Image* image) : mImage(dynamic_cast<DDImage*>(image)) {
    if (mImage != nullptr) {
        mImage->Lock();
    }
}

DDImageLock::~DDImageLock() {
    if (mImage != nullptr) {
        mImage->Unlock();
    }
}

} // namespace ravix
