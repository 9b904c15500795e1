#pragma once

#include <functional>
#include <mutex>
#include <set>

namespace ravix {

class MemoryImage;

// The set of live images an application enumerates (image dump, display reset). Images are
// created on the loading thread too, so every access takes the lock.
class ImageRegistry {
public:
    void Add(MemoryImage* image);
    void Remove(MemoryImage* image);
    bool Contains(MemoryImage* image) const;
    size_t Size() const;
    // Calls visit for each image while holding the lock; visit must not add or remove images.
    void ForEach(const std::function<void(MemoryImage*)>& visit) const;

private:
    mutable std::mutex mMutex;
    std::set<MemoryImage*> mImages;
};

} // namespace ravix
