// The application's part in resource loading: the manifest, display images and the
// shared-image cache.
#include "app/RavixAppBase.h"

#include "files/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageFile.h"
#include "resources/ResourceManager.h"

namespace ravix {

bool RavixAppBase::LoadResourceManifest() {
    if (mResources->ParseManifest("properties/resources.xml")) {
        return true;
    }
    ShowFatalError(mResources->ErrorText());
    QuitProcess(0);
}

std::unique_ptr<MemoryImage> RavixAppBase::LoadDisplayImage(const std::string& path, bool commit) {
    auto image = std::make_unique<MemoryImage>(&mImages);
    if (!ImageLib::LoadImageInto(*image, path, commit)) {
        return nullptr;
    }
    return image;
}

std::shared_ptr<MemoryImage> RavixAppBase::AcquireSharedImage(const std::string& path,
                                                              const std::string& variant,
                                                              bool& created) {
    created = false;
    const auto key = std::make_pair(path, variant);
    {
        std::lock_guard lock(mSharedImagesMutex);
        auto found = mSharedImages.find(key);
        if (found != mSharedImages.end()) {
            if (std::shared_ptr<MemoryImage> image = found->second.lock()) {
                return image;
            }
        }
    }
    // Decoded without the lock, so that other threads' look-ups do not wait for the file.
    std::shared_ptr<MemoryImage> image;
    if (path.starts_with("!")) {
        image = std::make_shared<MemoryImage>(&mImages);
        image->mFilePath = path;
    } else {
        image = LoadDisplayImage(path, true);
    }
    if (!image) {
        return nullptr;
    }
    std::lock_guard lock(mSharedImagesMutex);
    std::weak_ptr<MemoryImage>& entry = mSharedImages[key];
    if (std::shared_ptr<MemoryImage> other = entry.lock()) {
        return other; // another thread made it meanwhile
    }
    entry = image;
    created = true;
    return image;
}

} // namespace ravix
