#include "ImageTestSupport.h"

#include "graphics/AnimationTiming.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "graphics/NativeDisplay.h"

#include <gtest/gtest.h>

#include <thread>

namespace ravix {
namespace {

using testing::MakeFilled;
using testing::MakeImage;
using testing::PixelsOf;

TEST(MemoryImageTest, NewImageHoldsOnlyTheGuardWord) {
    MemoryImage image;
    EXPECT_EQ(image.mWidth, 0);
    EXPECT_EQ(image.mHeight, 0);
    EXPECT_EQ(image.mCellRows, 1);
    EXPECT_EQ(image.mCellColumns, 1);
    const uint32_t* bits = image.GetPixels();
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(bits[0], MemoryImage::kGuardWord);
}

TEST(MemoryImageTest, CreatedPixelsAreTransparentBlackFollowedByTheGuard) {
    MemoryImage image;
    image.Create(3, 2);
    EXPECT_TRUE(image.mHasTrans);
    EXPECT_TRUE(image.mHasAlpha);
    const uint32_t* bits = image.GetPixels();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bits[i], 0u);
    }
    EXPECT_EQ(bits[6], MemoryImage::kGuardWord);
}

TEST(MemoryImageTest, SizesWhoseBytesOverflowFailInsteadOfAllocatingShort) {
    MemoryImage image;
    image.Create(65536, 16384); // 2^30 pixels: 4 GiB of words plus the guard
    EXPECT_EQ(image.GetPixels(), nullptr);
    image.FillRect(Rect(0, 0, 10, 10), Color(1, 2, 3), DrawMode::Normal); // draws nothing
    image.Create(-1, 5);
    EXPECT_EQ(image.GetPixels(), nullptr);
}

TEST(MemoryImageTest, SettlePixelsFlags) {
    struct Case {
        std::vector<uint32_t> mPixels;
        bool mHasTrans;
        bool mHasAlpha;
    };
    const Case cases[] = {
        {{0xFF000000, 0xFFFFFFFF}, false, false},
        {{0xFF000000, 0x80FFFFFF}, false, true},
        {{0xFF000000, 0x00FFFFFF}, true, false},
        {{0x00000000, 0x01FFFFFF}, true, true},
    };
    for (const Case& c : cases) {
        auto image = MakeImage(2, 1, c.mPixels);
        EXPECT_EQ(image->mHasTrans, c.mHasTrans);
        EXPECT_EQ(image->mHasAlpha, c.mHasAlpha);
    }

    MemoryImage empty;
    empty.mHasAlpha = true;
    empty.PixelsChanged();
    empty.SettlePixels();
    EXPECT_TRUE(empty.mHasTrans);
    EXPECT_FALSE(empty.mHasAlpha);
}

TEST(MemoryImageTest, ForcedFlagsAreNotRecomputed) {
    auto image = MakeFilled(2, 2, 0x80FFFFFF);
    image->FixTransparencyFlags(false, false);
    image->PixelsChanged();
    image->SettlePixels();
    EXPECT_FALSE(image->mHasAlpha);
    EXPECT_TRUE(image->mForcedMode);
}

TEST(MemoryImageTest, SetPixelsWithItsOwnArrayChangesNothing) {
    auto image = MakeFilled(2, 2, 0xFF112233);
    int version = image->mPixelsVersion;
    image->SetPixels(image->GetPixels(), 2, 2, true);
    EXPECT_EQ(image->mPixelsVersion, version);
    image->SetPixels(PixelsOf(*image).data(), 2, 2, false);
    EXPECT_EQ(image->mPixelsVersion, version + 1);
    EXPECT_EQ(image->GetPixels()[4], MemoryImage::kGuardWord);
}

TEST(MemoryImageTest, RunLengthsCountDownAndCapAt255) {
    auto image = MakeFilled(300, 1, 0xFF102030);
    const uint8_t* runs = image->GetRLAlphaData();
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(runs[i], 255) << i;
    }
    for (int i = 45; i < 300; ++i) {
        EXPECT_EQ(runs[i], 300 - i) << i;
    }
}

TEST(MemoryImageTest, RunLengthsSplitByClassAndRow) {
    // Row 0: transparent, transparent, partial, partial, opaque; row 1: opaque x5.
    auto image = MakeImage(5, 2,
                           {0x00000000, 0x00FFFFFF, 0x10000000, 0xFE000000, 0xFF000000, 0xFF000000,
                            0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    const uint8_t* runs = image->GetRLAlphaData();
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 10),
              (std::vector<uint8_t>{2, 1, 2, 1, 1, 5, 4, 3, 2, 1}));

    auto column = MakeImage(1, 3, {0xFF000000, 0xFF000000, 0xFF000000});
    const uint8_t* columnRuns = column->GetRLAlphaData();
    EXPECT_EQ(std::vector<uint8_t>(columnRuns, columnRuns + 3), (std::vector<uint8_t>{1, 1, 1}));
}

TEST(MemoryImageTest, AdditiveRunsSeparateBlackFromColour) {
    auto image = MakeImage(4, 1, {0xFF000000, 0x00000000, 0xFF000001, 0x80FFFFFF});
    const uint8_t* runs = image->GetRLAdditiveData(NativeDisplay::Default32());
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 4), (std::vector<uint8_t>{2, 1, 2, 1}));
}

TEST(MemoryImageTest, CachesAreDroppedWhenPixelsChange) {
    auto image = MakeFilled(2, 2, 0xFF000000);
    ASSERT_NE(image->GetRLAlphaData(), nullptr);
    ASSERT_NE(image->GetNativeAlphaData(NativeDisplay::Default32()), nullptr);
    image->PixelsChanged();
    EXPECT_EQ(image->mRLAlphaData, nullptr);
    EXPECT_EQ(image->mNativeAlphaData, nullptr);
    EXPECT_EQ(image->mRLAdditiveData, nullptr);
}

TEST(MemoryImageTest, NativeAlphaDataIsPremultipliedInTheDisplayLayout) {
    NativeDisplay rgb565;
    rgb565.SetLayout(16, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(rgb565.mGreenBits, 6);
    EXPECT_EQ(rgb565.mGreenShift, 5);
    auto image = MakeImage(2, 1, {0xFFFFFFFF, 0x80FF8000});
    const uint32_t* native = image->GetNativeAlphaData(rgb565);
    EXPECT_EQ(native[0], 0xFF00FFFFu);
    // 0x80 alpha: red (255 << 16) * 129 >> 8 -> 0x807F80 >> 19 -> 16 (5 bits) at shift 11;
    // green (128 << 8) * 129 >> 8 = 0x4080 >> 10 -> 16 (6 bits) at shift 5.
    EXPECT_EQ(native[1], 0x80000000u | 16u << 11 | 16u << 5);
}

TEST(MemoryImageTest, DroppedPixelsComeBackFromTheNativeData) {
    auto image = MakeImage(2, 1, {0xFF123456, 0x00000000});
    image->DropPixels();
    EXPECT_TRUE(image->mDropPixels);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF123456, 0x00000000}));
}

TEST(MemoryImageTest, PalletizeKeepsExactlyUpTo256Colours) {
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 256; ++i) {
        pixels.push_back(0xFF000000 | (255 - i) * 0x010101); // descending: sorted insertion
    }
    auto image = MakeImage(256, 1, pixels);
    ASSERT_TRUE(image->Palletize());
    EXPECT_TRUE(image->mPalettePreferred);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(image->mPalette[0], pixels[0]);
    EXPECT_EQ(image->mPaletteIndices[0], 0);
    EXPECT_EQ(image->mPaletteIndices[255], 255);
    EXPECT_EQ(PixelsOf(*image), pixels);
    EXPECT_FALSE(image->HasPaletteForm());

    pixels.push_back(0xFF00FF00);
    auto tooMany = MakeImage(257, 1, pixels);
    EXPECT_FALSE(tooMany->Palletize());
    EXPECT_FALSE(tooMany->mPalettePreferred);
    EXPECT_FALSE(tooMany->HasPaletteForm());
    EXPECT_EQ(PixelsOf(*tooMany), pixels);
}

TEST(MemoryImageTest, PaletteIndicesFollowFirstAppearance) {
    auto image = MakeImage(4, 1, {0xFF00FF00, 0xFF0000FF, 0xFF00FF00, 0x00000000});
    ASSERT_TRUE(image->Palletize());
    EXPECT_EQ(std::vector<uint8_t>(image->mPaletteIndices.get(), image->mPaletteIndices.get() + 4),
              (std::vector<uint8_t>{0, 1, 0, 2}));
    image->PixelsChanged();
    image->SettlePixels();
    EXPECT_TRUE(image->mHasTrans);
    const uint8_t* runs = image->GetRLAlphaData();
    EXPECT_EQ(std::vector<uint8_t>(runs, runs + 4), (std::vector<uint8_t>{3, 2, 1, 1}));
}

TEST(MemoryImageTest, CreateDiscardsAPaletteOfTheOldSize) {
    auto image = MakeFilled(4, 4, 0xFF00FF00);
    ASSERT_TRUE(image->Palletize());
    image->Create(8, 8);
    EXPECT_EQ(PixelsOf(*image), std::vector<uint32_t>(64, 0u));
}

TEST(MemoryImageTest, ReinitializeRestoresThePreferredForms) {
    auto image = MakeFilled(2, 2, 0xFF00FF00);
    ASSERT_TRUE(image->Palletize());
    image->GetPixels(); // back to 32-bit, e.g. after drawing into it
    image->mDropPixels = true;
    image->Reinitialize();
    EXPECT_TRUE(image->HasPaletteForm());
    EXPECT_NE(image->mNativeAlphaData, nullptr);
}

TEST(MemoryImageTest, CopyIsDeepAndKeepsTheForms) {
    auto image = MakeImage(2, 1, {0xFF0000FF, 0x80FF0000});
    image->mFilePath = "images/tile.png";
    image->mCellColumns = 2;
    image->mAnimation = std::make_unique<AnimationTiming>();
    image->mAnimation->mFrameDelay = 7;
    image->GetRLAlphaData();

    MemoryImage copy(*image);
    EXPECT_TRUE(copy.mFilePath.empty());
    EXPECT_EQ(copy.mCellColumns, 2);
    ASSERT_NE(copy.mAnimation, nullptr);
    EXPECT_NE(copy.mAnimation.get(), image->mAnimation.get());
    EXPECT_EQ(copy.mAnimation->mFrameDelay, 7);
    EXPECT_NE(copy.mBits.get(), image->mBits.get());
    EXPECT_EQ(copy.mBits[2], MemoryImage::kGuardWord);
    EXPECT_EQ(copy.mRLAlphaData[0], 1);
    EXPECT_EQ(PixelsOf(copy), PixelsOf(*image));

    ASSERT_TRUE(image->Palletize());
    MemoryImage paletteCopy(*image);
    EXPECT_TRUE(paletteCopy.HasPaletteForm());
    EXPECT_EQ(PixelsOf(paletteCopy), (std::vector<uint32_t>{0xFF0000FF, 0x80FF0000}));
}

TEST(MemoryImageTest, CopyOfDroppedPixelsLeavesTheSourceAsItWas) {
    auto image = MakeImage(1, 1, {0xFF445566});
    image->DropPixels();
    MemoryImage copy(*image);
    EXPECT_EQ(image->mBits, nullptr);
    EXPECT_EQ(PixelsOf(copy), (std::vector<uint32_t>{0xFF445566}));
}

TEST(ImageTest, CellRectanglesAreNumberedRowByRow) {
    MemoryImage image;
    image.Create(90, 40);
    image.mCellColumns = 3;
    image.mCellRows = 2;
    EXPECT_EQ(image.GetCellWidth(), 30);
    EXPECT_EQ(image.GetCellHeight(), 20);
    EXPECT_EQ(image.GetCellRect(4), Rect(30, 20, 30, 20));
}

TEST(ImageTest, BaseDrawRectIsFourFills) {
    MemoryImage image;
    image.Create(12, 12);
    image.Image::DrawRect(Rect(0, 0, 10, 10), Color(255, 0, 0), DrawMode::Normal);
    int drawn = 0;
    for (uint32_t pixel : PixelsOf(image)) {
        drawn += pixel == 0xFFFF0000 ? 1 : 0;
    }
    EXPECT_EQ(drawn, 40); // the outline of an 11 x 11 square
    EXPECT_EQ(testing::PixelAt(image, 10, 10), 0xFFFF0000);
    EXPECT_EQ(testing::PixelAt(image, 5, 5), 0u);
}

TEST(AnimationTimingTest, PingPongPlaysBackwardsWithoutRepeatingTheEnds) {
    AnimationTiming timing;
    timing.mPlayMode = AnimationTiming::kPingPong;
    timing.Compute(4, 0, 0);
    EXPECT_EQ(timing.mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(timing.mFrameCount, 6);
    EXPECT_EQ(timing.mCycleLength, 6);
}

TEST(AnimationTimingTest, DelaysFillTheCycle) {
    AnimationTiming timing;
    timing.mFrameDelay = 0; // raised to 1
    timing.SetPerFrameDelay(1, 5);
    timing.Compute(3, 10, 20);
    EXPECT_EQ(timing.mPerFrameDelay, (std::vector<int>{10, 5, 20}));
    EXPECT_EQ(timing.mCycleLength, 35);

    AnimationTiming plain;
    plain.mFrameDelay = 4;
    plain.Compute(0, 0, 0);
    EXPECT_EQ(plain.mFrameCount, 1);
    EXPECT_EQ(plain.mCycleLength, 4);
}

TEST(ImageRegistryTest, ImagesCanBeAddedFromSeveralThreads) {
    ImageRegistry registry;
    std::vector<std::unique_ptr<MemoryImage>> images;
    for (int i = 0; i < 64; ++i) {
        images.push_back(std::make_unique<MemoryImage>());
    }
    std::thread loader([&] {
        for (int i = 0; i < 32; ++i) {
            registry.Add(images[i].get());
        }
    });
    for (int i = 32; i < 64; ++i) {
        registry.Add(images[i].get());
    }
    loader.join();
    EXPECT_EQ(registry.Size(), 64u);
    registry.Remove(images[0].get());
    EXPECT_FALSE(registry.Contains(images[0].get()));
    int visited = 0;
    registry.ForEach([&](MemoryImage*) { ++visited; });
    EXPECT_EQ(visited, 63);
}

} // namespace
} // namespace ravix
