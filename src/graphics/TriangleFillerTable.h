#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"
#include "graphics/DrawMode.h"

#include <array>
#include <cstdint>

namespace ravix {

// A polygon vertex ready for filling: its position in 16.16 fixed point (pixel centres lie on
// whole numbers).
struct FillVertex {
    int32_t mX = 0;
    int32_t mY = 0;
};

// A value that varies linearly over a polygon: mStart at the polygon's origin, changing by mDx
// per pixel to the right and mDy per pixel down.
struct LinearAttribute {
    double mStart = 0.0;
    double mDx = 0.0;
    double mDy = 0.0;

    double At(double dx, double dy) const { return mStart + mDx * dx + mDy * dy; }
};

// A convex polygon (the fan of triangles of one clipped quad or triangle) and its attributes:
// texel position (texel k spans [k, k + 1)) and the colour channels red, green, blue, alpha
// (0..255, used with vertex colours). All triangles of the fan lie in the same planes, so one
// pass of spans fills exactly the pixels of its triangles.
struct FillPolygon {
    const FillVertex* mVertices = nullptr;
    int mCount = 0;
    double mOriginX = 0.0;
    double mOriginY = 0.0;
    LinearAttribute mU;
    LinearAttribute mV;
    LinearAttribute mColors[4];
};

// What a filler draws into and samples from.
struct FillTarget {
    uint32_t* mBits = nullptr; // destination pixels, stride mWidth
    int mWidth = 0;
    int mHeight = 0;
    Rect mClip; // inside the destination; nothing outside it is written
    const uint32_t* mTexels = nullptr;
    const uint8_t* mTexelRuns = nullptr; // run lengths of the texels' alpha classes
    int mTexWidth = 0;
    int mTexHeight = 0;
    Rect mTexelBox; // the texels the triangle may sample; samples are clamped into it
    Color mColor;
    DrawMode mMode = DrawMode::Normal;
    bool mWeighByAlpha = false; // additive mode: the source has partial alpha
};

using TriangleFiller = void (*)(const FillTarget& target, const FillPolygon& polygon);

// The fillers of textured and coloured triangle fans, indexed by five feature bits and the
// destination pixel format. An entry without a filler draws nothing.
class TriangleFillerTable {
public:
    static constexpr int kBilinear = 1;     // blend flag: bilinear sampling
    static constexpr int kModulate = 2;     // the colour is not white
    static constexpr int kVertexColors = 4; // per-vertex colours
    static constexpr int kBlending = 8;     // the texels or the colour are not all opaque
    static constexpr int kTexture = 16;
    static constexpr int kFormat8888 = 0x00; // 32-bit with alpha
    static constexpr int kFormat888 = 0x20;  // 32-bit, destination without alpha or transparency
    static constexpr int kFormat565 = 0x40;
    static constexpr int kFormat555 = 0x60;
    static constexpr int kSize = 128;

    // The process-wide table, with the software fillers registered.
    static TriangleFillerTable& Instance();

    void Register(int index, TriangleFiller filler);
    TriangleFiller Get(int index) const;

private:
    std::array<TriangleFiller, kSize> mFillers{};
};

} // namespace ravix
