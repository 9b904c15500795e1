// The software triangle fillers behind matrix and triangle blits.

#include "ImageTestSupport.h"

#include "graphics/MemoryImage.h"
#include "graphics/PolygonRasteriser.h"
#include "graphics/TriangleFillerTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace ravix {
namespace {

using testing::kNoClip;
using testing::MakeDestination;
using testing::MakeFilled;
using testing::MakeImage;
using testing::MirroredRows;
using testing::MixedPixels;
using testing::PixelAt;
using testing::PixelsOf;

TEST(TriangleFillerTest, TexturedFillersAreRegisteredFor32BitDestinations) {
    const TriangleFillerTable& table = TriangleFillerTable::Instance();
    for (int index = 0; index < TriangleFillerTable::kSize; ++index) {
        bool textured = (index & TriangleFillerTable::kTexture) != 0;
        bool format32 = index < TriangleFillerTable::kFormat565;
        EXPECT_EQ(table.Get(index) != nullptr, textured && format32) << index;
    }
}

// An axis-aligned quad at scale 1 whose corners fall on pixel edges draws what BlitImage draws,
// on every path: both destination formats, white and tinted, nearest and bilinear sampling,
// normal and additive.
TEST(TriangleFillerTest, IdentityQuadEqualsBlitImage) {
    const int width = 12, height = 7;
    const auto backdrop = MixedPixels(24, 16, 4);
    struct Source {
        const char* mName;
        std::vector<uint32_t> mPixels;
    };
    const Source sources[] = {{"mixed", MixedPixels(width, height, 21)},
                              {"opaque", std::vector<uint32_t>(width * height, 0xFF3366CC)}};
    const Color colors[] = {kOpaqueWhite, Color(255, 255, 255, 100), Color(200, 100, 50, 255),
                            Color(128, 128, 128, 128)};
    for (const Source& source : sources) {
        for (bool opaqueDest : {true, false}) {
            for (const Color& color : colors) {
                for (bool smooth : {false, true}) {
                    for (DrawMode mode : {DrawMode::Normal, DrawMode::Additive}) {
                        auto image = MakeImage(width, height, source.mPixels);
                        auto expected = MakeDestination(24, 16, backdrop, opaqueDest);
                        auto actual = MakeDestination(24, 16, backdrop, opaqueDest);
                        // Part of the picture, at (5, 3).
                        Rect part(2, 1, 9, 6);
                        expected->BlitImage(image.get(), 5, 3, part, color, mode);
                        actual->BlitMatrix(image.get(), 5 + 4.5f, 3 + 3.0f, Matrix3(), kNoClip,
                                           color, mode, part, smooth);
                        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected))
                            << source.mName << " opaqueDest=" << opaqueDest << " color "
                            << color.ToPacked() << " smooth=" << smooth
                            << " additive=" << (mode == DrawMode::Additive);
                    }
                }
            }
        }
    }
}

TEST(TriangleFillerTest, ScaledQuadCoversItsAreaWithEachTexelTwice) {
    std::vector<uint32_t> pixels(16);
    for (int i = 0; i < 16; ++i) {
        pixels[i] = 0xFF000000u | static_cast<uint32_t>(i + 1);
    }
    auto image = MakeImage(4, 4, pixels);
    auto dest = MakeDestination(16, 16, 0xFF000000, true);
    // Centre (8, 8), 8 x 8 after scaling: corners at 3.5 and 11.5 cover pixels 4 to 11.
    dest->BlitMatrix(image.get(), 8.0f, 8.0f, Matrix3::Scale(2.0f, 2.0f), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, Rect(0, 0, 4, 4), false);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            bool inside = x >= 4 && x < 12 && y >= 4 && y < 12;
            uint32_t expected = inside ? pixels[((y - 4) / 2) * 4 + (x - 4) / 2] : 0xFF000000;
            EXPECT_EQ(PixelAt(*dest, x, y), expected) << x << "," << y;
        }
    }
}

TEST(TriangleFillerTest, ScaledQuadBlendsPartialTexelsLikeTheRunLengthBlit) {
    std::vector<uint32_t> texels(9);
    for (uint32_t i = 0; i < 9; ++i) {
        texels[i] = (20 + i * 25) << 24 | (i * 30) << 16 | (250 - i * 20) << 8 | (i * 7);
    }
    auto image = MakeImage(9, 1, texels);
    auto dest = MakeDestination(18, 2, 0xFF204060, true);
    dest->BlitMatrix(image.get(), 9.0f, 1.0f, Matrix3::Scale(2.0f, 2.0f), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, Rect(0, 0, 9, 1), false);
    for (int x = 0; x < 18; ++x) {
        uint32_t s = texels[x / 2];
        uint32_t a = s >> 24;
        uint32_t expected = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
            uint32_t d = (0xFF204060u >> shift) & 0xFF;
            uint32_t c = (s >> shift) & 0xFF;
            expected |= (((d * (256 - a)) >> 8) + ((a * c) >> 8)) << shift;
        }
        EXPECT_EQ(PixelAt(*dest, x, 0), expected) << x;
        EXPECT_EQ(PixelAt(*dest, x, 1), expected) << x;
    }
}

TEST(TriangleFillerTest, ModulationAlphaScalesTheTexelAlpha) {
    auto image = MakeFilled(4, 4, 0xFFFFFFFF);
    struct Case {
        uint32_t mDest;
        bool mOpaqueDest;
        uint32_t mExpected;
    };
    const Case cases[] = {
        // Alpha 100 over transparent: alpha 100, white scaled 254 then blended 253.
        {0x00000000, false, 0x64FDFDFD},
        // Over opaque black: 254 * 100 >> 8 = 99.
        {0xFF000000, true, 0xFF636363},
    };
    for (const Case& c : cases) {
        auto dest = MakeDestination(8, 8, c.mDest, c.mOpaqueDest);
        // 6 x 6 pixels centred at (4, 4): pixels 1 to 6.
        dest->BlitMatrix(image.get(), 4.0f, 4.0f, Matrix3::Scale(1.5f, 1.5f), kNoClip,
                         Color(255, 255, 255, 100), DrawMode::Normal, Rect(0, 0, 4, 4), false);
        EXPECT_EQ(PixelAt(*dest, 3, 3), c.mExpected);
        EXPECT_EQ(PixelAt(*dest, 0, 0), c.mDest);
    }
}

// The set of distinct pixel values: a translucent quad blended twice anywhere (a seam between
// its triangles) would leave a third value.
std::set<uint32_t> DistinctPixels(MemoryImage& image) {
    auto pixels = PixelsOf(image);
    return std::set<uint32_t>(pixels.begin(), pixels.end());
}

TEST(TriangleFillerTest, RotatedTranslucentQuadsBlendEachPixelOnce) {
    auto image = MakeFilled(20, 12, 0x80FF0000);
    for (float angle : {0.3f, 1.0f, 2.5f}) {
        auto dest = MakeDestination(40, 40, 0xFF000000, true);
        Matrix3 m = Matrix3::Rotation(angle) * Matrix3::Scale(1.3f, 0.8f);
        dest->BlitMatrix(image.get(), 20.3f, 19.6f, m, kNoClip, kOpaqueWhite, DrawMode::Normal,
                         Rect(0, 0, 20, 12), false);
        EXPECT_EQ(DistinctPixels(*dest), (std::set<uint32_t>{0xFF000000, 0xFF7F0000})) << angle;
    }
}

TEST(TriangleFillerTest, NeighbouringQuadsLeaveNoGapAndNoOverlap) {
    auto image = MakeFilled(10, 10, 0x80FF0000);
    auto dest = MakeDestination(40, 20, 0xFF000000, true);
    Matrix3 scale = Matrix3::Scale(1.37f, 1.37f);
    float step = 10 * 1.37f;
    for (int i = 0; i < 2; ++i) {
        dest->BlitMatrix(image.get(), 10.2f + i * step, 10.0f, scale, kNoClip, kOpaqueWhite,
                         DrawMode::Normal, Rect(0, 0, 10, 10), false);
    }
    // Along the middle row every pixel between the outer edges is blended exactly once.
    int first = -1, last = -1;
    for (int x = 0; x < 40; ++x) {
        uint32_t pixel = PixelAt(*dest, x, 10);
        ASSERT_TRUE(pixel == 0xFF000000 || pixel == 0xFF7F0000) << x;
        if (pixel == 0xFF7F0000) {
            last = x;
            first = first < 0 ? x : first;
        }
    }
    for (int x = first; x <= last; ++x) {
        EXPECT_EQ(PixelAt(*dest, x, 10), 0xFF7F0000u) << x;
    }
    // Pixel centres from 2.85 (10.2 - 6.85 - 0.5) up to 30.25 (exclusive): 3 to 30.
    EXPECT_EQ(first, 3);
    EXPECT_EQ(last, 30);
}

TEST(TriangleFillerTest, ClippingKeepsThePixelsOfTheUnclippedDraw) {
    auto image = MakeImage(16, 10, MixedPixels(16, 10, 8));
    Matrix3 m = Matrix3::Rotation(0.4f) * Matrix3::Scale(1.6f, 1.1f);
    auto whole = MakeFilled(40, 40, 0xFF202020);
    whole->BlitMatrix(image.get(), 20.0f, 20.0f, m, kNoClip, kOpaqueWhite, DrawMode::Normal,
                      Rect(0, 0, 16, 10), false);
    const Rect clip(13, 9, 11, 17);
    auto clipped = MakeFilled(40, 40, 0xFF202020);
    clipped->BlitMatrix(image.get(), 20.0f, 20.0f, m, clip, kOpaqueWhite, DrawMode::Normal,
                        Rect(0, 0, 16, 10), false);
    int changed = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            uint32_t expected = clip.Contains(x, y) ? PixelAt(*whole, x, y) : 0xFF202020u;
            EXPECT_EQ(PixelAt(*clipped, x, y), expected) << x << "," << y;
            changed += PixelAt(*clipped, x, y) != 0xFF202020u ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 100);
}

TEST(TriangleFillerTest, MirroringMatrixDrawsTheMirroredPicture) {
    const auto pixels = MixedPixels(9, 5, 13);
    auto image = MakeImage(9, 5, pixels);
    auto mirror = MakeImage(9, 5, MirroredRows(pixels, 9, 5));
    auto expected = MakeFilled(12, 8, 0xFF000000);
    auto actual = MakeFilled(12, 8, 0xFF000000);
    expected->BlitImage(mirror.get(), 1, 2, Rect(0, 0, 9, 5), kOpaqueWhite, DrawMode::Normal);
    actual->BlitMatrix(image.get(), 5.5f, 4.5f, Matrix3::Scale(-1.0f, 1.0f), kNoClip, kOpaqueWhite,
                       DrawMode::Normal, Rect(0, 0, 9, 5), false);
    EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected));
}

TEST(TriangleFillerTest, VertexColoursTintTheTriangles) {
    auto image = MakeFilled(2, 2, 0xFFFFFFFF);
    auto dest = MakeDestination(8, 8, 0xFF000000, true);
    const uint32_t red = 0xFFFF0000;
    Triangle triangles[2] = {
        {{{-0.5f, -0.5f, 0, 0, red}, {7.5f, -0.5f, 1, 0, red}, {7.5f, 7.5f, 1, 1, red}}},
        {{{-0.5f, -0.5f, 0, 0, red}, {7.5f, 7.5f, 1, 1, red}, {-0.5f, 7.5f, 0, 1, red}}},
    };
    dest->BlitTriangles(image.get(), triangles, 2, kNoClip, kOpaqueWhite, DrawMode::Normal, 0.0f,
                        0.0f, false);
    // White scaled by red 255 -> 254, then blended at full weight -> 253.
    EXPECT_EQ(DistinctPixels(*dest), (std::set<uint32_t>{0xFFFD0000}));

    // A vertical gradient from opaque to transparent black over white.
    auto fade = MakeDestination(1, 5, 0xFFFFFFFF, true);
    Triangle gradient[2] = {
        {{{-0.5f, -0.5f, 0, 0, 0xFF000000},
          {0.5f, -0.5f, 1, 0, 0xFF000000},
          {0.5f, 4.5f, 1, 1, 0x01000000}}},
        {{{-0.5f, -0.5f, 0, 0, 0xFF000000},
          {0.5f, 4.5f, 1, 1, 0x01000000},
          {-0.5f, 4.5f, 0, 1, 0x01000000}}},
    };
    fade->BlitTriangles(image.get(), gradient, 2, kNoClip, kOpaqueWhite, DrawMode::Normal, 0.0f,
                        0.0f, false);
    auto column = PixelsOf(*fade);
    for (int y = 1; y < 5; ++y) {
        EXPECT_GT(column[y] & 0xFF, column[y - 1] & 0xFF) << y;
    }
}

TEST(TriangleFillerTest, ClipperDropsPolygonsOutsideAndInterpolatesCrossings) {
    PolygonVertex square[4] = {{-10, 0, 0, 0, 0xFF000000},
                               {10, 0, 20, 0, 0xFF0000FF},
                               {10, 5, 20, 5, 0xFF0000FF},
                               {-10, 5, 0, 5, 0xFF000000}};
    PolygonVertex out[PolygonRasteriser::kMaxClippedVertices];
    int count = PolygonRasteriser::Clip(square, 4, Rect(0, 0, 100, 100), out);
    ASSERT_EQ(count, 4);
    double minX = 1e9;
    for (int i = 0; i < count; ++i) {
        minX = std::min(minX, out[i].mX);
        if (out[i].mX == -0.5) {
            EXPECT_DOUBLE_EQ(out[i].mU, 9.5);
            EXPECT_EQ(out[i].mColor, 0xFF000079u); // 255 * 9.5 / 20, truncated
        }
    }
    EXPECT_EQ(minX, -0.5);

    PolygonVertex outside[3] = {{-10, -10, 0, 0, 0}, {-5, -10, 0, 0, 0}, {-5, -2, 0, 0, 0}};
    EXPECT_EQ(PolygonRasteriser::Clip(outside, 3, Rect(0, 0, 100, 100), out), 0);
}

TEST(TriangleFillerTest, DegenerateAndNonFiniteQuadsDrawNothing) {
    auto image = MakeFilled(4, 4, 0xFFFFFFFF);
    auto dest = MakeFilled(8, 8, 0xFF000000);
    dest->BlitMatrix(image.get(), 4.0f, 4.0f, Matrix3::Scale(0.0f, 1.0f), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, Rect(0, 0, 4, 4), false);
    dest->BlitMatrix(image.get(), NAN, 4.0f, Matrix3(), kNoClip, kOpaqueWhite, DrawMode::Normal,
                     Rect(0, 0, 4, 4), false);
    dest->BlitMatrix(image.get(), 4.0f, 4.0f, Matrix3::Scale(1e30f, 1e30f), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, Rect(0, 0, 4, 4), false);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFFFFFFFFu) << "a huge quad covers the clip";
    auto untouched = MakeFilled(8, 8, 0xFF000000);
    untouched->BlitMatrix(image.get(), 4.0f, 4.0f, Matrix3::Scale(0.0f, 1.0f), kNoClip,
                          kOpaqueWhite, DrawMode::Normal, Rect(0, 0, 4, 4), false);
    // Texture positions far outside any image, and a sliver mapping millions of texels.
    Triangle wild[2] = {{{{0, 0, 1e30f, 0, 0}, {8, 0, 0, 0, 0}, {8, 8, 0, 1, 0}}},
                        {{{0, 0, 0, 0, 0}, {8, 0, 1e6f, 0, 0}, {8, 1e-6f, 0, 1, 0}}}};
    untouched->BlitTriangles(image.get(), wild, 2, kNoClip, kOpaqueWhite, DrawMode::Normal, 0.0f,
                             0.0f, false);
    EXPECT_EQ(DistinctPixels(*untouched), (std::set<uint32_t>{0xFF000000}));
}

} // namespace
} // namespace ravix
