#pragma once

#include "resources/BaseRes.h"

#include <memory>
#include <string>

namespace ravix {

class Font;
class MemoryImage;

// A declared font: a system font ("!sys:" path), an image font from a descriptor file, an image
// font from an image and a file of character widths, or a duplicate of another font ("!ref:").
class FontRes : public BaseRes {
public:
    FontRes();
    ~FontRes() override;
    void ReleaseLoaded() override;

    std::unique_ptr<Font> mFont;
    std::shared_ptr<MemoryImage> mImage; // the image of a font made from an image + widths file
    std::string mImagePath;
    std::string mTags; // tag names for an image font
    bool mSysFont = false;
    bool mBold = false;
    bool mItalic = false;
    bool mUnderline = false;
    bool mShadow = false;
    int mSize = -1; // point size of a system font
};

} // namespace ravix
