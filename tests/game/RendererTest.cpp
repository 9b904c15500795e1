#include "game/Renderer.h"
#include "game/MultiSprite.h"
#include "game/Sprite.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/RecordingImage.h"
#include "graphics/Transform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tarnwick {
namespace {

// Sprites of a 4 x 1 strip of 10 x 10 cells, told apart in the log by their cell.
class RendererTest : public ::testing::Test {
protected:
    RendererTest() {
        std::vector<uint32_t> pixels(40 * 10, 0xFFFFFFFF);
        mStrip.SetPixels(pixels.data(), 40, 10, true);
        mStrip.mCellColumns = 4;
    }

    ravix::MemoryImage mStrip;
    Renderer mRenderer;
    ravix::test::RecordingImage mTarget{100, 100};
    ravix::Graphics mGraphics{&mTarget};
};

TEST_F(RendererTest, DrawsByLayerThenInQueueOrderAndEmptiesTheQueue) {
    MultiSprite first(&mRenderer, 20, 20, 1);
    MultiSprite second(&mRenderer, 50, 50, 1);
    // Unscaled sprites on whole pixels take the plain blit, centred on their position.
    first.AddLayer(&mStrip, 2, 0);  // cell 0 at (20, 20): drawn third
    first.AddLayer(&mStrip, 1, 1);  // cell 1: drawn first
    second.AddLayer(&mStrip, 2, 2); // cell 2 at (50, 50): drawn fourth
    second.AddLayer(&mStrip, 1, 3); // cell 3: drawn second
    MultiSprite between(&mRenderer, 70.5f, 20, 1);
    between.AddLayer(&mStrip, 3, 0); // off whole pixels: the sub-pixel blit, drawn last
    between.Update();
    between.Draw();
    first.Update();
    second.Update();
    first.Draw();
    second.Draw();
    mRenderer.Draw(mGraphics);

    const std::vector<std::string> expected = {
        "BlitImage 15,15 src (10,0 10x10) #FFFFFFFF",
        "BlitImage 45,45 src (30,0 10x10) #FFFFFFFF",
        "BlitImage 15,15 src (0,0 10x10) #FFFFFFFF",
        "BlitImage 45,45 src (20,0 10x10) #FFFFFFFF",
        "BlitImageSubpixel 65.5,15 src (0,0 10x10) clip (0,0 100x100) #FFFFFFFF",
    };
    EXPECT_EQ(mTarget.mCalls, expected);
    EXPECT_TRUE(mRenderer.mQueue.empty());
}

TEST_F(RendererTest, HiddenSpritesAreNotQueuedAndAlphaTintsTheCell) {
    MultiSprite object(&mRenderer, 30, 30, 2);
    Sprite* faded = object.AddLayer(&mStrip, 1, 0);
    Sprite* hidden = object.AddLayer(&mStrip, 1, 1);
    object.Update();
    faded->mAlpha = 100;
    faded->mOffsetX = 10;
    hidden->mVisible = false;
    object.Draw();
    ASSERT_EQ(mRenderer.mQueue.size(), 1u);
    mRenderer.Draw(mGraphics);

    ASSERT_EQ(mTarget.mCalls.size(), 1u);
    EXPECT_EQ(mTarget.mCalls[0],
              "BlitScaled (30,20 20x20) src (0,0 10x10) clip (0,0 100x100) #64FFFFFF fast 0");
    EXPECT_TRUE(mGraphics.GetTintImages());
}

TEST_F(RendererTest, AnUnscaledSpriteOnWholePixelsIsDrawnInPlaceByThePlainBlit) {
    // A cell of varied colours and alphas over a varied destination, opaque and faded.
    std::vector<uint32_t> cell(6 * 4);
    for (size_t i = 0; i < cell.size(); ++i) {
        cell[i] = (static_cast<uint32_t>(40 * i % 256) << 24) | (0x00F0A030u + 0x0B0705u * i);
    }
    ravix::MemoryImage source;
    source.SetPixels(cell.data(), 6, 4, true);
    for (int alpha : {255, 100}) {
        SCOPED_TRACE(alpha);
        std::vector<uint32_t> background(20 * 20);
        for (size_t i = 0; i < background.size(); ++i) {
            background[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x030507u);
        }
        ravix::MemoryImage viaRenderer;
        viaRenderer.SetPixels(background.data(), 20, 20, true);
        ravix::MemoryImage viaTransform;
        viaTransform.SetPixels(background.data(), 20, 20, true);

        MultiSprite object(&mRenderer, 9, 7, 1);
        object.AddLayer(&source, 1, 0)->mAlpha = alpha;
        object.Update();
        object.Draw();
        ravix::Graphics rendered(&viaRenderer);
        mRenderer.Draw(rendered);

        ravix::Graphics direct(&viaTransform);
        direct.SetTintImages(alpha < 255);
        direct.SetColor(ravix::Color(255, 255, 255, alpha));
        direct.DrawImageTransformed(&source, ravix::Transform(), ravix::Rect(0, 0, 6, 4), 9, 7);

        const uint32_t* a = viaRenderer.GetPixels();
        const uint32_t* b = viaTransform.GetPixels();
        // The two blits round their blending differently, by two steps at most; a cell drawn a
        // pixel off would differ by far more.
        for (int i = 0; i < 400; ++i) {
            for (int shift = 0; shift < 32; shift += 8) {
                const int ca = static_cast<int>((a[i] >> shift) & 0xFF);
                const int cb = static_cast<int>((b[i] >> shift) & 0xFF);
                ASSERT_LE(std::abs(ca - cb), 2) << "pixel " << i % 20 << "," << i / 20;
            }
        }
        EXPECT_NE(std::vector<uint32_t>(a, a + 400), background);
    }
}

} // namespace
} // namespace tarnwick
