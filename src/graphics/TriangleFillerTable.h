#pragma once

#include "graphics/Color.h"
#include "graphics/DrawMode.h"
#include "graphics/Rect.h"

#include <array>
#include <cstdint>

namespace ravix {

// A triangle vertex ready for filling: position and texel position in 16.16 fixed point (pixel
// centres lie on whole numbers; texel k spans [k, k + 1)) and a colour 0xAARRGGBB.
struct FillVertex {
    int32_t mX = 0;
    int32_t mY = 0;
    int32_t mU = 0;
    int32_t mV = 0;
    uint32_t mColor = 0;
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

using TriangleFiller = void (*)(const FillTarget& target, const FillVertex* vertices);

// The fillers of textured and coloured triangles, indexed by five feature bits and the
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
