#include "graphics/ImageRegistry.h"

namespace ravix {

void ImageRegistry::Add(MemoryImage* image) {
    std::lock_guard lock(mMutex);
    mImages.insert(image);
}

void ImageRegistry::Remove(MemoryImage* image) {
    std::lock_guard lock(mMutex);
    mImages.erase(image);
}

bool ImageRegistry::Contains(MemoryImage* image) const {
    std::lock_guard lock(mMutex);
    return mImages.count(image) != 0;
}

size_t ImageRegistry::Size() const {
    std::lock_guard lock(mMutex);
    return mImages.size();
}

void ImageRegistry::ForEach(const std::function<void(MemoryImage*)>& visit) const {
    std::lock_guard lock(mMutex);
    for (MemoryImage* image : mImages) {
        visit(image);
    }
}

} // namespace ravix
