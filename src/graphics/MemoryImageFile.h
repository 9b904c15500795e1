#pragma once

#include <string>

namespace ravix {
class MemoryImage;
}

namespace ravix::ImageLib {

// The application's usual load: LoadImageFile with its alpha file into the target (its
// SetPixels; commit settles its transparency flags as well), which takes the file name as its
// path. False (target untouched) when nothing could be loaded.
[[nodiscard]] bool LoadImageInto(MemoryImage& target, const std::string& name, bool commit);

} // namespace ravix::ImageLib
