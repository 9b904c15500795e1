#include "game/MultiSprite.h"
#include "game/Renderer.h"
#include "game/Sprite.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/RecordingImage.h"

#include <gtest/gtest.h>

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
    // Unscaled sprites take the plain blit, centred on their position.
    first.AddLayer(&mStrip, 2, 0);  // cell 0 at (20, 20): drawn third
    first.AddLayer(&mStrip, 1, 1);  // cell 1: drawn first
    second.AddLayer(&mStrip, 2, 2); // cell 2 at (50, 50): drawn fourth
    second.AddLayer(&mStrip, 1, 3); // cell 3: drawn second
    first.Update();
    second.Update();
    first.Draw();
    second.Draw();
    mRenderer.Draw(mGraphics);

    const std::vector<std::string> expected = {
        "BlitImageSubpixel 15,15 src (10,0 10x10) clip (0,0 100x100) #FFFFFFFF",
        "BlitImageSubpixel 45,45 src (30,0 10x10) clip (0,0 100x100) #FFFFFFFF",
        "BlitImageSubpixel 15,15 src (0,0 10x10) clip (0,0 100x100) #FFFFFFFF",
        "BlitImageSubpixel 45,45 src (20,0 10x10) clip (0,0 100x100) #FFFFFFFF",
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

} // namespace
} // namespace tarnwick
