#pragma once

#include "graphics/AnimationTiming.h"
#include "resources/BaseRes.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ravix {

class MemoryImage;

// A declared image: the file, how its alpha is made, how it is prepared for drawing and its
// cells and animation.
class ImageRes : public BaseRes {
public:
    ImageRes() : BaseRes(ResType::Image) {}
    void ReleaseLoaded() override { mImage.reset(); }

    std::shared_ptr<MemoryImage> mImage; // from the application's shared-image cache
    std::string mAlphaImage;             // a file whose blue channel becomes the alpha
    std::string mAlphaGrid;              // a one-cell alpha file applied to every cell
    std::string mVariant;                // passed to the shared-image cache
    bool mPalletize = true;
    bool mA4R4G4B4 = false;
    bool mA8R8G8B8 = false;
    bool mDDSurface = false;
    bool mPurgeBits = false;
    bool mMinimizeSubdivisions = false;
    bool mAutoFindAlpha = true; // recorded only: the image loader always looks for alpha files
    int mRows = 1;
    int mCols = 1;
    uint32_t mAlphaColor = 0xFFFFFF; // colour of images made from an alpha file alone
    AnimationTiming mAnimation;      // play mode kNone: no animation
};

} // namespace ravix
