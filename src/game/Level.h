#pragma once

#include "game/MultiSprite.h"

#include <string>
#include <vector>

namespace tarnwick {

// One level of Properties/Levels.txt: the grid size and the colour, shape and symbol values the
// cards of a game are made from. It also draws the board's background. Until Load finds the
// level every count and size is 0, so a missing file or level deals no cards.
class Level : public MultiSprite {
public:
    static constexpr const char* kLevelsFile = "Properties/Levels.txt";
    // Layer of the background, beneath the card backs (layer 1, queued first).
    static constexpr int kBackgroundLayer = 1;

    explicit Level(Renderer* renderer);

    // Adds the background layer and reads the level from the levels file.
    void Load(int levelNumber);

    [[nodiscard]] int GetCols() const { return mCols; }
    [[nodiscard]] int GetRows() const { return mRows; }
    [[nodiscard]] int GetNumColors() const { return mNumColors; }
    [[nodiscard]] int GetNumShapes() const { return mNumShapes; }
    [[nodiscard]] int GetNumSymbols() const { return mNumSymbols; }
    // Require 0 <= i < the size of the list (which may be shorter than the count the file
    // gave when the file ended early).
    [[nodiscard]] int GetColor(int i) const { return mColors.at(static_cast<size_t>(i)); }
    [[nodiscard]] int GetShape(int i) const { return mShapes.at(static_cast<size_t>(i)); }
    [[nodiscard]] int GetSymbol(int i) const { return mSymbols.at(static_cast<size_t>(i)); }
    [[nodiscard]] int GetMaxLevel() const { return mMaxLevel; }

    int mLevelNumber = 0;
    int mMaxLevel = 0;
    int mCols = 0;
    int mRows = 0;
    int mNumColors = 0;
    int mNumShapes = 0;
    int mNumSymbols = 0;
    std::vector<int> mColors;
    std::vector<int> mShapes;
    std::vector<int> mSymbols;
};

} // namespace tarnwick
