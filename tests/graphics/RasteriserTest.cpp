// Exact pixel values of the MemoryImage primitives.

#include "ImageTestSupport.h"

#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <cmath>

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

TEST(RasteriserTest, FillRectBlendsWithTheFirstSourceOverForm) {
    struct Case {
        uint32_t mDest;
        Color mColor;
        uint32_t mExpected;
    };
    const Case cases[] = {
        {0x00000000, Color(255, 0, 0, 128), 0x80FE0000}, // alpha 128, pure red
        {0xFFFFFFFF, Color(255, 0, 0, 128), 0xFFFF7F7F},
        {0xFF123456, Color(255, 0, 0, 0), 0xFF123456}, // alpha 0 leaves the pixel
        {0x80123456, Color(1, 2, 3, 255), 0xFF010203}, // opaque colour is stored
    };
    for (const Case& c : cases) {
        auto image = MakeFilled(3, 3, c.mDest);
        image->FillRect(Rect(1, 1, 2, 1), c.mColor, DrawMode::Additive);
        EXPECT_EQ(PixelAt(*image, 1, 1), c.mExpected);
        EXPECT_EQ(PixelAt(*image, 2, 1), c.mExpected);
        EXPECT_EQ(PixelAt(*image, 0, 1), c.mDest);
        EXPECT_EQ(PixelAt(*image, 1, 2), c.mDest);
    }
}

TEST(RasteriserTest, ClearRectMakesTransparentBlack) {
    auto image = MakeFilled(3, 1, 0xFFFFFFFF);
    image->ClearRect(Rect(1, 0, 5, 1));
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFFFFFFFF, 0, 0}));
}

TEST(RasteriserTest, DiagonalLinesWalkTheMajorAxis) {
    auto image = MakeFilled(5, 3, 0);
    image->DrawLine(4, 2, 0, 0, Color(255, 255, 255), DrawMode::Normal);
    // Opaque white is stored as 254: (255 * 255 + 127) >> 8.
    const uint32_t w = 0xFFFEFEFE;
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{w, w, 0, 0, 0, //
                                                       0, 0, w, w, 0, //
                                                       0, 0, 0, 0, w}));

    auto steep = MakeFilled(3, 4, 0);
    steep->DrawLine(0, 0, 2, 3, Color(255, 255, 255), DrawMode::Normal);
    EXPECT_EQ(PixelsOf(*steep), (std::vector<uint32_t>{w, 0, 0, //
                                                       0, w, 0, //
                                                       0, w, 0, //
                                                       0, 0, w}));
}

TEST(RasteriserTest, LineColoursByModeAndAlpha) {
    struct Case {
        uint32_t mDest;
        Color mColor;
        DrawMode mMode;
        uint32_t mExpected;
    };
    const Case cases[] = {
        {0x00000000, Color(255, 255, 255), DrawMode::Normal, 0xFFFEFEFE},
        {0xFFFFFFFF, Color(255, 0, 0, 128), DrawMode::Normal, 0xFFFE7F7F},
        {0x10C8C8C8, Color(100, 50, 0), DrawMode::Additive, 0xFFFFFAC8},
        {0xFF000000, Color(255, 255, 255, 51), DrawMode::Additive, 0xFF333333},
    };
    for (const Case& c : cases) {
        auto image = MakeFilled(2, 2, c.mDest);
        image->DrawLine(0, 0, 1, 1, c.mColor, c.mMode);
        EXPECT_EQ(PixelAt(*image, 1, 1), c.mExpected);
        EXPECT_EQ(PixelAt(*image, 1, 0), c.mDest);
    }
}

TEST(RasteriserTest, StraightLinesAreFillsInEitherDirection) {
    auto image = MakeFilled(12, 3, 0);
    image->DrawLine(10, 1, 5, 1, Color(9, 9, 9), DrawMode::Normal);
    image->DrawSmoothLine(0, 2, 0, 0, Color(9, 9, 9), DrawMode::Normal);
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(PixelAt(*image, x, 1), (x >= 5 && x <= 10) || x == 0 ? 0xFF090909u : 0u) << x;
    }
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFF090909u);
    EXPECT_EQ(PixelAt(*image, 0, 2), 0xFF090909u);
}

TEST(RasteriserTest, SmoothLinesSplitCoverageBetweenNeighbours) {
    auto image = MakeFilled(5, 3, 0);
    image->DrawSmoothLine(0, 0, 4, 2, Color(255, 255, 255), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0xFFFEFEFEu); // coverage 255
    EXPECT_EQ(PixelAt(*image, 0, 1), 0u);          // coverage 0
    EXPECT_EQ(PixelAt(*image, 1, 0), 0x7FFEFEFEu); // coverage 127
    EXPECT_EQ(PixelAt(*image, 1, 1), 0x80FEFEFEu); // coverage 128
    EXPECT_EQ(PixelAt(*image, 2, 1), 0xFFFEFEFEu);

    auto translucent = MakeFilled(5, 3, 0);
    translucent->DrawSmoothLine(0, 0, 4, 2, Color(255, 255, 255, 127), DrawMode::Normal);
    EXPECT_EQ(PixelAt(*translucent, 0, 0) >> 24, 127u); // 255 * 128 >> 8

    auto additive = MakeFilled(5, 3, 0);
    int version = additive->mPixelsVersion;
    additive->DrawSmoothLine(0, 0, 4, 2, Color(255, 255, 255), DrawMode::Additive);
    EXPECT_EQ(PixelsOf(*additive), std::vector<uint32_t>(15, 0u));
    EXPECT_EQ(additive->mPixelsVersion, version + 1);
}

TEST(RasteriserTest, CoverageSpansSkipZeroCoverageAndKeepTheirPlace) {
    auto image = MakeFilled(5, 2, 0);
    const uint8_t coverage[] = {9,   255, 0,   128, //
                                255, 255, 255, 255};
    Span spans[] = {{1, 0, 3}};
    image->FillSpansWithCoverage(spans, 1, Color(0, 0, 255), DrawMode::Normal, coverage, 0, 0, 4,
                                 2);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0, 0xFF0000FE, 0, 0x800000FE, 0, //
                                                       0, 0, 0, 0, 0}));
}

// A one-row destination of one colour.
std::unique_ptr<MemoryImage> Destination(uint32_t fill, bool opaque, int width = 3) {
    return MakeDestination(width, 1, fill, opaque);
}

TEST(RasteriserTest, BlitImagePaths) {
    const std::vector<uint32_t> source = {0xFF112233, 0x00FFFFFF, 0x80FF0000};
    struct Case {
        const char* mName;
        uint32_t mDest;
        bool mOpaqueDest;
        Color mColor;
        std::vector<uint32_t> mExpected;
    };
    const Case cases[] = {
        // Run-length path: copy, skip, blend over the opaque destination.
        {"runs", 0xFF000080, true, kOpaqueWhite, {0xFF112233, 0xFF000080, 0xFF7F0040}},
        // White path: the second source-over form for every pixel with alpha.
        {"white", 0xFF0000FF, false, kOpaqueWhite, {0xFF102132, 0xFF0000FF, 0xFF7F007F}},
        {"white over transparent",
         0x00000000,
         false,
         kOpaqueWhite,
         {0xFF102132, 0x00000000, 0x80FE0000}},
        // Colourised: channels scaled by the colour, alpha by its alpha.
        {"grey", 0xFF000000, true, Color(128, 128, 128), {0xFF071018, 0xFF000000, 0xFF3F0000}},
        {"colour",
         0xFF000000,
         false,
         Color(128, 255, 64, 128),
         {0xFF041006, 0xFF000000, 0xFF1F0000}},
    };
    for (const Case& c : cases) {
        auto image = MakeImage(3, 1, source);
        auto dest = Destination(c.mDest, c.mOpaqueDest);
        dest->BlitImage(image.get(), 0, 0, Rect(0, 0, 3, 1), c.mColor, DrawMode::Normal);
        EXPECT_EQ(PixelsOf(*dest), c.mExpected) << c.mName;
    }
}

// The run-length path's blend written out channel by channel:
// (d * (256 - a) >> 8) + (a * c >> 8), alpha 255.
uint32_t OverOpaqueReference(uint32_t dest, uint32_t source) {
    uint32_t a = source >> 24;
    uint32_t result = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t d = (dest >> shift) & 0xFF;
        uint32_t c = (source >> shift) & 0xFF;
        result |= (((d * (256 - a)) >> 8) + ((a * c) >> 8)) << shift;
    }
    return result;
}

TEST(RasteriserTest, RunLengthPathBlendsEveryChannelOnItsOwn) {
    // Green 1 over green 1 at alpha 128: 0 + 0, where a shared shift would give 1.
    auto one = MakeImage(1, 1, {0x80000100});
    auto dest = Destination(0xFF000100, true, 1);
    dest->BlitImage(one.get(), 0, 0, Rect(0, 0, 1, 1), kOpaqueWhite, DrawMode::Normal);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFF000000u);

    // A long partial run, blended several pixels at a time.
    std::vector<uint32_t> source(23);
    std::vector<uint32_t> backdrop(23);
    for (uint32_t i = 0; i < 23; ++i) {
        source[i] = (1 + i * 11) << 24 | (i * 37 % 256) << 16 | (255 - i * 5) << 8 | (i * 90 % 256);
        backdrop[i] = 0xFF000000 | (i * 71 % 256) << 16 | (i * 13 % 256) << 8 | (255 - i);
    }
    auto image = MakeImage(23, 1, source);
    auto target = MakeImage(23, 1, backdrop);
    target->BlitImage(image.get(), 0, 0, Rect(0, 0, 23, 1), kOpaqueWhite, DrawMode::Normal);
    for (int i = 0; i < 23; ++i) {
        EXPECT_EQ(PixelAt(*target, i, 0), OverOpaqueReference(backdrop[i], source[i])) << i;
    }
}

TEST(RasteriserTest, ColourisedBlitSkipsPixelsWhoseAlphaRoundsToZero) {
    auto image = MakeImage(2, 1, {0x01FFFFFF, 0xFFC8C8C8});
    auto dest = Destination(0xFF000000, false, 2);
    dest->BlitImage(image.get(), 0, 0, Rect(0, 0, 2, 1), Color(128, 255, 64, 128),
                    DrawMode::Normal);
    // 128 * 1 / 255 = 0; the second: channels 100, 199, 50 at weight 128.
    EXPECT_EQ(PixelsOf(*dest), (std::vector<uint32_t>{0xFF000000, 0xFF326319}));
}

TEST(RasteriserTest, RunsLongerThanAByteAreCopiedWhole) {
    std::vector<uint32_t> row(300);
    for (int i = 0; i < 300; ++i) {
        row[i] = 0xFF000000u | static_cast<uint32_t>(i);
    }
    auto image = MakeImage(300, 1, row);
    auto dest = Destination(0xFFFFFFFF, true, 310);
    dest->BlitImage(image.get(), 5, 0, Rect(0, 0, 300, 1), kOpaqueWhite, DrawMode::Normal);
    auto pixels = PixelsOf(*dest);
    EXPECT_EQ(std::vector<uint32_t>(pixels.begin() + 5, pixels.begin() + 305), row);
    EXPECT_EQ(pixels[4], 0xFFFFFFFFu);
    EXPECT_EQ(pixels[305], 0xFFFFFFFFu);

    // Starting inside a run: the run byte there says how much of it is left.
    auto part = Destination(0xFFFFFFFF, true, 250);
    part->BlitImage(image.get(), 0, 0, Rect(50, 0, 250, 1), kOpaqueWhite, DrawMode::Normal);
    EXPECT_EQ(PixelsOf(*part), std::vector<uint32_t>(row.begin() + 50, row.end()));
}

TEST(RasteriserTest, AdditiveBlitSaturatesAndKeepsTheDestinationAlpha) {
    struct Case {
        std::vector<uint32_t> mSource;
        uint32_t mDest;
        Color mColor;
        std::vector<uint32_t> mExpected;
    };
    const Case cases[] = {
        {{0xFFC8C8C8, 0xFF000000}, 0x80646464, kOpaqueWhite, {0x80FFFFFF, 0x80646464}},
        // Partial alpha weighs the colour: 200 * 128 >> 8 = 100, 10 * 255 >> 8 = 9.
        {{0x80C8C8C8, 0xFF0A0A0A}, 0xFF0A0A0A, kOpaqueWhite, {0xFF6E6E6E, 0xFF131313}},
        // Colour premultiplied by its alpha: red factor 128, others 0.
        {{0xFFC8C8C8, 0xFFC8C8C8}, 0xFF000000, Color(255, 0, 0, 128), {0xFF640000, 0xFF640000}},
        // Transparent pixels of a source without partial alpha add nothing.
        {{0xFFC8C8C8, 0x00FFFFFF}, 0xFF000000, kOpaqueWhite, {0xFFC8C8C8, 0xFF000000}},
    };
    for (const Case& c : cases) {
        auto image = MakeImage(2, 1, c.mSource);
        auto dest = Destination(c.mDest, false, 2);
        dest->BlitImage(image.get(), 0, 0, Rect(0, 0, 2, 1), c.mColor, DrawMode::Additive);
        EXPECT_EQ(PixelsOf(*dest), c.mExpected);
    }
}

// Every unscaled blit path, for comparing source forms and mirrored blits.
struct BlitPath {
    bool mOpaqueDest;
    Color mColor;
    DrawMode mMode;
};
const BlitPath kBlitPaths[] = {
    {true, kOpaqueWhite, DrawMode::Normal},
    {false, kOpaqueWhite, DrawMode::Normal},
    {false, Color(90, 90, 90, 200), DrawMode::Normal},
    {true, Color(200, 100, 50, 255), DrawMode::Normal},
    {false, kOpaqueWhite, DrawMode::Additive},
    {false, Color(200, 100, 50, 150), DrawMode::Additive},
};

TEST(RasteriserTest, PaletteSourcesBlitLikeTheir32BitForm) {
    const auto pixels = MixedPixels(16, 4, 7);
    const auto backdrop = MixedPixels(20, 8, 3);
    for (const BlitPath& path : kBlitPaths) {
        auto direct = MakeImage(16, 4, pixels);
        auto palette = MakeImage(16, 4, pixels);
        ASSERT_TRUE(palette->Palletize());
        auto expected = MakeDestination(20, 8, backdrop, path.mOpaqueDest);
        auto actual = MakeDestination(20, 8, backdrop, path.mOpaqueDest);
        expected->BlitImage(direct.get(), 3, 2, Rect(1, 0, 15, 4), path.mColor, path.mMode);
        actual->BlitImage(palette.get(), 3, 2, Rect(1, 0, 15, 4), path.mColor, path.mMode);
        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected));
        EXPECT_TRUE(palette->HasPaletteForm());
    }
}

TEST(RasteriserTest, FlippedBlitsDrawTheMirroredPicture) {
    const int width = 13;
    const auto pixels = MixedPixels(width, 3, 11);
    const auto backdrop = MixedPixels(16, 4, 5);
    for (const BlitPath& path : kBlitPaths) {
        auto image = MakeImage(width, 3, pixels);
        auto mirror = MakeImage(width, 3, MirroredRows(pixels, width, 3));
        auto expected = MakeDestination(16, 4, backdrop, path.mOpaqueDest);
        auto actual = MakeDestination(16, 4, backdrop, path.mOpaqueDest);
        // The visible part of the mirrored picture comes from the other side of the source.
        expected->BlitImage(mirror.get(), 2, 1, Rect(0, 0, 10, 3), path.mColor, path.mMode);
        actual->BlitFlipped(image.get(), 2, 1, Rect(3, 0, 10, 3), path.mColor, path.mMode);
        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected));
    }
}

TEST(RasteriserTest, RotatedBlitAtWholePixelsReproducesTheSource) {
    const std::vector<uint32_t> pixels = {0xFF102030, 0xFF405060, 0xFF708090, //
                                          0xFFA0B0C0, 0xFFD0E0F0, 0xFF0A0B0C};
    auto image = MakeImage(3, 2, pixels);
    auto dest = MakeFilled(5, 4, 0xFF000000);
    dest->BlitImageSubpixel(image.get(), 1.0f, 1.0f, Rect(0, 0, 3, 2), kNoClip, kOpaqueWhite,
                            DrawMode::Normal);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(PixelAt(*dest, x, y), inside ? pixels[(y - 1) * 3 + x - 1] : 0xFF000000)
                << x << "," << y;
        }
    }
}

TEST(RasteriserTest, RotatedBlitAtHalfPixelsHasBilinearEdges) {
    auto image = MakeFilled(3, 1, 0xFFFFFFFF);
    auto dest = MakeFilled(5, 1, 0);
    dest->BlitImageSubpixel(image.get(), 0.5f, 0.0f, Rect(0, 0, 3, 1), kNoClip, kOpaqueWhite,
                            DrawMode::Normal);
    // Edge pixels see half a texel (weight 127): alpha 255 - (256 * 129 >> 8).
    EXPECT_EQ(PixelsOf(*dest),
              (std::vector<uint32_t>{0x7EFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x7EFFFFFF, 0}));
}

TEST(RasteriserTest, RotatedBlitTurnsClockwiseAboutItsCentre) {
    auto image = MakeImage(2, 1, {0xFF0000FF, 0xFF00FF00});
    auto dest = MakeFilled(3, 3, 0xFF000000);
    // Quarter turn about the image's left pixel corner placed at (1, 0).
    dest->BlitRotated(image.get(), 1.0f, 0.0f, Rect(0, 0, 2, 1), kNoClip, kOpaqueWhite,
                      DrawMode::Normal, M_PI / 2, 0.0f, 0.0f);
    EXPECT_EQ(PixelAt(*dest, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelAt(*dest, 0, 1), 0xFF00FF00u);
    EXPECT_EQ(PixelAt(*dest, 1, 0), 0xFF000000u);

    auto tinted = MakeFilled(3, 1, 0xFF000000);
    tinted->BlitImageSubpixel(image.get(), 0.0f, 0.0f, Rect(0, 0, 2, 1), Rect(0, 0, 1, 1),
                              Color(255, 255, 255, 128), DrawMode::Normal);
    // Tap weight 254 * 128 >> 8 = 127 over opaque black: 255 * 127 / 256; the clip holds.
    EXPECT_EQ(PixelsOf(*tinted), (std::vector<uint32_t>{0xFF00007E, 0xFF000000, 0xFF000000}));
}

TEST(RasteriserTest, FastStretchSamplesAfterEachStepAndAppliesTheColour) {
    auto image = MakeImage(2, 1, {0xFF0000FF, 0xFFFF0000});
    auto dest = MakeFilled(5, 1, 0);
    dest->BlitScaled(image.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, true);
    // Positions 0.5, 1.0, 1.5, 2.0 (kept on the last column); opaque over transparent: 254.
    EXPECT_EQ(PixelsOf(*dest),
              (std::vector<uint32_t>{0xFF0000FE, 0xFFFE0000, 0xFFFE0000, 0xFFFE0000, 0}));

    auto tinted = MakeFilled(1, 1, 0);
    tinted->BlitScaled(image.get(), Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), kNoClip,
                       Color(255, 255, 255, 128), DrawMode::Normal, true);
    EXPECT_EQ(PixelAt(*tinted, 0, 0), 0x800000FDu);
}

TEST(RasteriserTest, FilteredStretchAveragesAndInterpolates) {
    auto image = MakeImage(2, 1, {0xFF000000, 0xFFFFFFFF});
    auto shrunk = MakeFilled(1, 1, 0xFF000000);
    shrunk->BlitScaled(image.get(), Rect(0, 0, 1, 1), Rect(0, 0, 2, 1), kNoClip, kOpaqueWhite,
                       DrawMode::Normal, false);
    // Weights 129 + 128 of 257: red 255 * 128 * 256 >> 16 = 127, composited at t = 255.
    EXPECT_EQ(PixelAt(*shrunk, 0, 0), 0xFF7E7E7Eu);

    auto uniform = MakeFilled(4, 3, 0xFF336699);
    auto grown = MakeFilled(7, 5, 0xFF336699);
    grown->BlitScaled(uniform.get(), Rect(0, 0, 7, 5), Rect(0, 0, 4, 3), kNoClip, kOpaqueWhite,
                      DrawMode::Normal, false);
    EXPECT_EQ(PixelsOf(*grown), std::vector<uint32_t>(35, 0xFF336699u));

    auto ramp = MakeImage(2, 1, {0xFF000000, 0xFFFF0000});
    auto wide = MakeFilled(4, 1, 0xFF000000);
    wide->BlitScaled(ramp.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, false);
    // Centres at -0.25, 0.25, 0.75, 1.25 of the source: 0, 64, 192 and 257 of 257 parts red
    // (63, 191, 255), composited at t = 255: c * 255 >> 8.
    EXPECT_EQ(PixelsOf(*wide),
              (std::vector<uint32_t>{0xFF000000, 0xFF3E0000, 0xFFBE0000, 0xFFFE0000}));
}

TEST(RasteriserTest, FilteredStretchAppliesTheColourAndReadsPalettes) {
    const auto pixels = MixedPixels(8, 6, 9);
    auto direct = MakeImage(8, 6, pixels);
    auto palette = MakeImage(8, 6, pixels);
    ASSERT_TRUE(palette->Palletize());
    const auto backdrop = MixedPixels(12, 12, 2);
    for (const Color& color : {kOpaqueWhite, Color(100, 200, 255, 160)}) {
        auto expected = MakeImage(12, 12, backdrop);
        auto actual = MakeImage(12, 12, backdrop);
        expected->BlitScaled(direct.get(), Rect(-2, 1, 13, 9), Rect(0, 0, 8, 6), Rect(0, 0, 10, 10),
                             color, DrawMode::Normal, false);
        actual->BlitScaled(palette.get(), Rect(-2, 1, 13, 9), Rect(0, 0, 8, 6), Rect(0, 0, 10, 10),
                           color, DrawMode::Normal, false);
        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected));
        EXPECT_EQ(PixelAt(*actual, 11, 5), backdrop[5 * 12 + 11]); // outside the clip
    }

    auto white = MakeFilled(2, 2, 0xFFFFFFFF);
    auto tinted = MakeFilled(1, 1, 0xFF000000);
    tinted->BlitScaled(white.get(), Rect(0, 0, 1, 1), Rect(0, 0, 2, 2), kNoClip,
                       Color(255, 0, 0, 128), DrawMode::Normal, false);
    // Red scaled 255 * 255 >> 8 = 254 at t = 128: (254 * 128) >> 8.
    EXPECT_EQ(PixelAt(*tinted, 0, 0), 0xFF7F0000u);
}

TEST(RasteriserTest, ScaledFlippedBlitsMirrorBothStretches) {
    const std::vector<uint32_t> row = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFFFF};
    const std::vector<uint32_t> mirrored(row.rbegin(), row.rend());
    auto image = MakeImage(4, 1, row);
    auto mirror = MakeImage(4, 1, mirrored);
    for (bool fast : {false, true}) {
        auto expected = MakeFilled(8, 2, 0xFF000000);
        auto actual = MakeFilled(8, 2, 0xFF000000);
        expected->BlitScaled(mirror.get(), Rect(0, 0, 8, 2), Rect(0, 0, 4, 1), kNoClip,
                             kOpaqueWhite, DrawMode::Normal, fast);
        actual->BlitScaledFlipped(image.get(), Rect(0, 0, 8, 2), Rect(0, 0, 4, 1), kNoClip,
                                  kOpaqueWhite, DrawMode::Normal, fast);
        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected)) << fast;
    }
}

TEST(RasteriserTest, NonFiniteCoordinatesDrawNothing) {
    auto image = MakeFilled(2, 2, 0xFFFFFFFF);
    auto dest = MakeFilled(4, 4, 0xFF000000);
    dest->DrawLine(NAN, 0, 3, 3, kOpaqueWhite, DrawMode::Normal);
    dest->DrawSmoothLine(0, 0, INFINITY, 3, kOpaqueWhite, DrawMode::Normal);
    dest->DrawLine(0, 1e300, 0, 2, kOpaqueWhite, DrawMode::Normal);
    dest->BlitRotated(image.get(), 1.0f, 1.0f, Rect(0, 0, 2, 2), kNoClip, kOpaqueWhite,
                      DrawMode::Normal, NAN, 0.0f, 0.0f);
    dest->BlitImageSubpixel(image.get(), INFINITY, 1.0f, Rect(0, 0, 2, 2), kNoClip, kOpaqueWhite,
                            DrawMode::Normal);
    EXPECT_EQ(PixelsOf(*dest), std::vector<uint32_t>(16, 0xFF000000u));
}

TEST(RasteriserTest, SourcesThatAreNotMemoryImagesDrawNothing) {
    Image plain;
    plain.mWidth = plain.mHeight = 2;
    auto dest = MakeFilled(2, 2, 0xFF000000);
    dest->BlitImage(&plain, 0, 0, Rect(0, 0, 2, 2), kOpaqueWhite, DrawMode::Normal);
    dest->BlitScaled(&plain, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), kNoClip, kOpaqueWhite,
                     DrawMode::Normal, false);
    EXPECT_EQ(PixelsOf(*dest), std::vector<uint32_t>(4, 0xFF000000u));
}

} // namespace
} // namespace ravix
