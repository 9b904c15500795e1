#include "game/Level.h"
#include "game/GameTestSupport.h"
#include "game/Renderer.h"
#include "game/Sprite.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

// What Level adds to the shared parser: it picks its number's block, takes what the block
// gives, and draws the background. The token rules themselves are the parser's.
class LevelTest : public testing::GameTest {
protected:
    std::unique_ptr<Level> Load(int number) {
        auto level = std::make_unique<Level>(&mRenderer);
        level->Load(number);
        return level;
    }

    Renderer mRenderer;
};

TEST_F(LevelTest, TakesTheBlockOfItsNumberWhereverItLies) {
    WriteLevels("2 #level 2 #rows 6 #cols 9 #colors 3 0 1 2 #shapes 3 0 1 2 #symbols 6 0 1 2 3 4 5"
                " #level 0 #rows 3 #cols 4 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2"
                " #level 1 #rows 4 #cols 4 #colors 1 2 #shapes 2 0 3 #symbols 8 0 1 2 3 4 5 6 7");
    const auto level = Load(1);
    EXPECT_EQ(level->mLevelNumber, 1);
    EXPECT_EQ(level->GetMaxLevel(), 2);
    EXPECT_EQ(level->GetCols(), 4);
    EXPECT_EQ(level->GetRows(), 4);
    EXPECT_EQ(level->GetNumColors(), 1);
    EXPECT_EQ(level->GetColor(0), 2);
    EXPECT_EQ(level->mShapes, (std::vector<int>{0, 3}));
    EXPECT_EQ(level->GetNumSymbols(), 8);
    EXPECT_EQ(level->GetSymbol(7), 7);
    EXPECT_EQ(Load(2)->GetCols(), 9);
}

TEST_F(LevelTest, ARepeatedListKeywordReplacesTheList) {
    WriteLevels("0 #level 0 #rows 1 #cols 1 #colors 3 0 1 2 #shapes 1 0 #colors 1 2 #symbols 1 0");
    const auto level = Load(0);
    EXPECT_EQ(level->GetNumColors(), 1);
    EXPECT_EQ(level->mColors, (std::vector<int>{2}));
}

TEST_F(LevelTest, AMissingFileOrLevelLeavesAnEmptyLevel) {
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile);
        if (withFile) {
            WriteLevels("3 #level 0 #rows 3 #cols 4 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2");
        }
        const auto level = Load(2);
        EXPECT_EQ(level->GetMaxLevel(), withFile ? 3 : 0);
        EXPECT_EQ(level->GetCols(), 0);
        EXPECT_EQ(level->GetRows(), 0);
        EXPECT_EQ(level->GetNumColors() + level->GetNumShapes() + level->GetNumSymbols(), 0);
        EXPECT_TRUE(level->mColors.empty());
    }
}

TEST_F(LevelTest, ACountLongerThanTheFileKeepsOnlyTheValuesThatFollow) {
    WriteLevels("0 #level 0 #rows 3 #cols 4 #colors 2 0 1 #shapes 2 0 1 #symbols 5 0 1");
    const auto level = Load(0);
    EXPECT_EQ(level->GetNumSymbols(), 5);
    EXPECT_EQ(level->mSymbols.size(), 2u);
}

TEST_F(LevelTest, TheBackgroundIsCentredOnTheScreenBeneathTheCards) {
    WriteLevels(testing::kSmallLevels);
    const auto level = Load(0);
    ASSERT_EQ(level->mLayers.size(), 1u);
    const Sprite& background = *level->mLayers[0];
    EXPECT_EQ(background.mImage, IMAGE_BKG);
    EXPECT_EQ(background.mLayer, 1);
    EXPECT_EQ(background.mCel, 0);
    EXPECT_EQ(background.mOffsetX, 400.0f);
    EXPECT_EQ(background.mOffsetY, 300.0f);
    level->Update();
    level->Draw();
    ASSERT_EQ(mRenderer.mQueue.size(), 1u);
    mRenderer.mQueue.clear();
}

} // namespace
} // namespace tarnwick
