#include "graphics/MemoryImageFile.h"

#include "files/ImageLib.h"
#include "graphics/MemoryImage.h"

namespace ravix::ImageLib {

bool LoadImageInto(MemoryImage& target, const std::string& name, bool commit) {
    std::unique_ptr<Image> image = LoadImageFile(name, AlphaFile::Look);
    if (!image)
        return false;
    target.SetPixels(image->GetBits(), image->GetWidth(), image->GetHeight(), commit);
    target.mFilePath = name;
    return true;
}

} // namespace ravix::ImageLib
