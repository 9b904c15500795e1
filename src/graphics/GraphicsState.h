#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"
#include "graphics/DrawMode.h"

namespace ravix {

class Font;
class Image;

// The drawing state of a Graphics context; what its state stack saves and restores.
class GraphicsState {
protected:
    GraphicsState() = default;

    Image* mTarget = nullptr; // never null once a Graphics is constructed
    float mShiftX = 0.0f;
    float mShiftY = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mScalePivotX = 0.0f;
    float mScalePivotY = 0.0f;
    Rect mClipRect;
    Color mColor; // opaque black
    Font* mFont = nullptr;
    DrawMode mDrawMode = DrawMode::Normal;
    bool mTintImages = false;
    bool mQuickScaling = false;
    bool mInlineColorCodes = true;
    bool mSmoothSampling = false;
    bool mUses3D = false; // no 3D display layer in this project, so always false
};

} // namespace ravix
