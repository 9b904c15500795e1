#pragma once

#include <memory>
#include <string>

namespace ravix {

class MemoryImage;

// What fonts and the resource manager ask of whoever owns the images (the application): display
// images, the shared-image cache and showing an error to the user. Declared here so that the
// layers below the application reach it only through this interface.
class ImageLoader {
public:
    virtual ~ImageLoader() = default;

    // A new image of the file (alpha file included), ready for the display; null when it does
    // not load.
    virtual std::unique_ptr<MemoryImage> LoadDisplayImage(const std::string& path, bool commit) = 0;
    // The shared image of (path, variant), loaded when no one holds it yet; created tells whether
    // this call made it. Null when the file does not load.
    virtual std::shared_ptr<MemoryImage>
    AcquireSharedImage(const std::string& path, const std::string& variant, bool& created) = 0;
    // Shows a message box (flags kMessageBox... of platform/Platform.h); returns the answer.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, int flags) = 0;

protected:
    ImageLoader() = default;
    ImageLoader(const ImageLoader&) = default;
    ImageLoader& operator=(const ImageLoader&) = default;
};

} // namespace ravix
