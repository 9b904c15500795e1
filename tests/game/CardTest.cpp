#include "game/Card.h"
#include "game/GameTestSupport.h"
#include "game/Renderer.h"
#include "game/Sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tarnwick {
namespace {

class CardTest : public ::testing::Test {
protected:
    CardTest() { mCard.SetFace(1, 5, 2); }

    bool Shows(int layer) const { return mCard.mLayers[static_cast<size_t>(layer)]->mVisible; }

    testing::FixturePictures mPictures;
    Renderer mRenderer;
    Card mCard{&mRenderer, 100.0f, 200.0f, 0.5f};
};

TEST_F(CardTest, SetFaceMakesTheFourLayersAndShowsTheBack) {
    ASSERT_EQ(mCard.mLayers.size(), 4u);
    const struct {
        ravix::Image* mImage;
        int mLayer;
        int mCell;
    } expected[] = {{IMAGE_TILES, 2, 2 + 3 * 1},
                    {IMAGE_TILES_SEL, 2, 2 + 3 * 1},
                    {IMAGE_SYMBOLS, 3, 5},
                    {IMAGE_UNKNOWN, 1, 0}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mCard.mLayers[i]->mImage, expected[i].mImage);
        EXPECT_EQ(mCard.mLayers[i]->mLayer, expected[i].mLayer);
        EXPECT_EQ(mCard.mLayers[i]->mCel, expected[i].mCell);
        EXPECT_EQ(mCard.mLayers[i]->mX, 100.0f);
        EXPECT_EQ(mCard.mLayers[i]->mScaleY, 0.5f);
    }
    EXPECT_EQ(mCard.mSymbol, 5);
    EXPECT_EQ(mCard.mColor, 2);
    EXPECT_EQ(mCard.mShape, 1);
    EXPECT_FALSE(Shows(Card::kTileLayer));
    EXPECT_FALSE(Shows(Card::kSymbolLayer));
    EXPECT_TRUE(Shows(Card::kBackLayer));
}

TEST_F(CardTest, TurningUpShowsTheBackUntilTheMiddleAndTurningDownTheFace) {
    for (bool up : {true, false}) {
        SCOPED_TRACE(up ? "up" : "down");
        mCard.Flip();
        ASSERT_EQ(mCard.mSelected, up);
        for (int v = 95; v >= 0; v -= 5) {
            SCOPED_TRACE(v);
            mCard.Update();
            EXPECT_EQ(mCard.mFlipTimer, v);
            const bool face = up ? v < 50 : v > 50;
            EXPECT_EQ(Shows(Card::kBackLayer), !face);
            EXPECT_EQ(Shows(Card::kSymbolLayer), face);
            EXPECT_EQ(Shows(Card::kSelectedTileLayer), face && up);
            EXPECT_EQ(Shows(Card::kTileLayer), face && !up);
            EXPECT_FLOAT_EQ(mCard.mScaleY,
                            std::fabs(std::cos(v / 100.0f * std::numbers::pi_v<float>) * 0.5f));
            EXPECT_EQ(mCard.mScaleX, 0.5f);
        }
    }
}

TEST_F(CardTest, ASolvedCardPickedAgainIsHighlightedWithoutTurning) {
    mCard.MarkSolved();
    mCard.Flip();
    mCard.Update();
    EXPECT_EQ(mCard.mFlipTimer, 0);
    EXPECT_EQ(mCard.mScaleY, 0.5f);
    EXPECT_TRUE(Shows(Card::kSelectedTileLayer));
    EXPECT_FALSE(Shows(Card::kTileLayer));
    EXPECT_FALSE(Shows(Card::kBackLayer));
}

TEST_F(CardTest, VanishWaitsForItsDelayThenShrinksToNothing) {
    mCard.MarkSolved();
    mCard.SetDelay(30);
    mCard.StartVanish();
    for (int i = 0; i < 30; ++i) {
        mCard.Update();
        ASSERT_EQ(mCard.mScaleX, 0.5f) << i;
    }
    for (int step = 1; step <= 20; ++step) {
        mCard.Update();
        EXPECT_FLOAT_EQ(mCard.mScaleX, 0.5f * (100 - 5 * step) / 100.0f) << step;
        EXPECT_EQ(mCard.mGone, step == 20) << step;
    }
    for (int layer = 0; layer < 4; ++layer) {
        EXPECT_FALSE(Shows(layer)) << layer;
    }
}

TEST_F(CardTest, HoverIsAStrictTestAtTheCurrentScaleAndEnlargesTheCard) {
    // Cells are 60 wide: at scale 0.5 the card reaches 15 pixels either side of its centre.
    const struct {
        int mX;
        int mY;
        bool mHover;
    } cases[] = {{100, 200, true}, {114, 214, true}, {115, 200, false},
                 {86, 186, true},  {85, 200, false}, {100, 215, false}};
    for (const auto& c : cases) {
        mCard.HitTest(c.mX, c.mY);
        EXPECT_EQ(mCard.mHover, c.mHover) << c.mX << "," << c.mY;
    }
    mCard.HitTest(100, 200);
    mCard.Update();
    EXPECT_FLOAT_EQ(mCard.mScaleX, 0.55f);
    EXPECT_FLOAT_EQ(mCard.mLayers[Card::kBackLayer]->mScaleY, 0.55f);
    // The enlarged card reaches further.
    mCard.HitTest(116, 200);
    EXPECT_TRUE(mCard.mHover);
}

TEST_F(CardTest, BlinkShowsTheHintLookHalfOfEveryHundredUpdates) {
    mCard.StartBlink();
    for (int update = 1; update <= 200; ++update) {
        mCard.Update();
        const int counter = 100 - update % 100;
        ASSERT_EQ(mCard.mBlinkCounter, counter) << update;
        EXPECT_EQ(Shows(Card::kSelectedTileLayer), counter < 50) << update;
        EXPECT_TRUE(Shows(Card::kBackLayer)) << update;
        EXPECT_EQ(mCard.mLayers[Card::kSelectedTileLayer]->mImage, IMAGE_TILES_HINT) << update;
    }
    // Picking the hinted card ends the blink and shows the picked frame, not the hint's.
    mCard.Flip();
    EXPECT_FALSE(mCard.mBlink);
    for (int update = 0; update < 20; ++update) { // the turn takes 20 updates
        mCard.Update();
    }
    EXPECT_TRUE(Shows(Card::kSelectedTileLayer));
    EXPECT_EQ(mCard.mLayers[Card::kSelectedTileLayer]->mImage, IMAGE_TILES_SEL);
}

TEST_F(CardTest, APeekingFaceDownCardShowsItsFaceDimmedInsteadOfTheBack) {
    mCard.mPeek = true;
    mCard.Update();
    EXPECT_TRUE(Shows(Card::kTileLayer));
    EXPECT_TRUE(Shows(Card::kSymbolLayer));
    EXPECT_FALSE(Shows(Card::kSelectedTileLayer));
    EXPECT_FALSE(Shows(Card::kBackLayer));
    for (int layer = 0; layer < 3; ++layer) {
        EXPECT_EQ(mCard.mLayers[static_cast<size_t>(layer)]->mAlpha, 100) << layer;
    }
    mCard.MarkSolved();
    mCard.Update();
    EXPECT_EQ(mCard.mLayers[Card::kTileLayer]->mAlpha, 255);
}

} // namespace
} // namespace tarnwick
