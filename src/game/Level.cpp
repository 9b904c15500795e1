#include "game/Level.h"

#include "app/RavixAppBase.h"
#include "game/GameResources.h"
#include "game/LevelsFile.h"
#include "game/Sprite.h"

namespace tarnwick {

namespace {

// A list the level gave replaces the count and values; one it did not give stays as it was.
void TakeList(const LevelValueList& list, int& count, std::vector<int>& values) {
    if (list.mGiven) {
        count = list.mCount;
        values = list.mValues;
    }
}

} // namespace

Level::Level(Renderer* renderer) : MultiSprite(renderer, 0.0f, 0.0f, 1.0f) {}

void Level::Load(int levelNumber) {
    Sprite* background = AddLayer(IMAGE_BKG, kBackgroundLayer, 0);
    const int width = ravix::gApplication != nullptr ? ravix::gApplication->mScreenWidth : 800;
    const int height = ravix::gApplication != nullptr ? ravix::gApplication->mScreenHeight : 600;
    background->mOffsetX = width / 2.0f;
    background->mOffsetY = height / 2.0f;
    mLevelNumber = levelNumber;

    // A file that cannot be read, or a level it lacks, leaves the level empty: no cards.
    LevelsFile levels;
    std::string error;
    if (!ReadLevelsFile(kLevelsFile, levels, error)) {
        return;
    }
    mMaxLevel = levels.mMaxLevel.value_or(mMaxLevel);
    const auto found = levels.mLevels.find(levelNumber);
    if (found == levels.mLevels.end()) {
        return;
    }
    const LevelDefinition& level = found->second;
    mRows = level.mRows.value_or(mRows);
    mCols = level.mCols.value_or(mCols);
    TakeList(level.mColors, mNumColors, mColors);
    TakeList(level.mShapes, mNumShapes, mShapes);
    TakeList(level.mSymbols, mNumSymbols, mSymbols);
}

} // namespace tarnwick
