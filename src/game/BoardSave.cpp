#include "game/Board.h"

#include "files/WholeFile.h"
#include "game/Card.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "graphics/Image.h"

#include <algorithm>
#include <vector>

namespace tarnwick {

namespace {

// The largest level deals kMaxCards cards of a few dozen bytes each.
constexpr std::size_t kMaxSavedGameBytes = 1 << 20;

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The card's face is one of the level's and has a cell in the pictures.
bool FitsLevelAndPictures(const SavedCard& card, const Level& level) {
    if (IMAGE_TILES == nullptr || IMAGE_SYMBOLS == nullptr) {
        return false;
    }
    const int symbolCells = IMAGE_SYMBOLS->mCellColumns * IMAGE_SYMBOLS->mCellRows;
    return Contains(level.mColors, card.mColor) && Contains(level.mShapes, card.mShape) &&
           Contains(level.mSymbols, card.mSymbol) && card.mColor >= 0 &&
           card.mColor < IMAGE_TILES->mCellColumns && card.mShape >= 0 &&
           card.mShape < IMAGE_TILES->mCellRows && card.mSymbol >= 0 && card.mSymbol < symbolCells;
}

} // namespace

std::string Board::SavedGameText() const {
    SavedGame game{mScore, mPendingScore, mTicks, mMode, mLevelIndex, mCardScale, {}};
    for (const auto& card : mCards) {
        game.mCards.push_back(
            {card->mSolved, card->mSymbol, card->mColor, card->mShape, card->mX, card->mY});
    }
    return FormatSavedGame(game);
}

void Board::SaveGame() {
    (void)WriteSavedGame(SavedGameText());
}

bool Board::LoadGame() {
    std::string contents;
    if (ravix::ReadWholeFile(SavedGamePath(), kMaxSavedGameBytes, contents) !=
        ravix::WholeFileResult::kRead) {
        return false;
    }
    std::optional<SavedGame> game = ParseSavedGame(contents, kMaxCards);
    if (!game || game->mLevelIndex > mLevel->GetMaxLevel()) {
        return false;
    }
    // The game must be one its level deals: as many cards, with the level's values.
    auto level = std::make_unique<Level>(mRenderer.get());
    level->Load(game->mLevelIndex);
    if (static_cast<long long>(game->mCards.size()) != DealtCardCount(*level) ||
        !std::all_of(game->mCards.begin(), game->mCards.end(),
                     [&](const SavedCard& card) { return FitsLevelAndPictures(card, *level); })) {
        return false;
    }

    mScore = game->mScore;
    mPendingScore = game->mPendingScore;
    mTicks = game->mTicks;
    mMode = game->mMode;
    mLevelIndex = game->mLevelIndex;
    mCardScale = game->mCardScale;
    mLevel = std::move(level);
    for (const SavedCard& saved : game->mCards) {
        auto card = std::make_unique<Card>(mRenderer.get(), saved.mX, saved.mY, mCardScale);
        card->SetFace(saved.mShape, saved.mSymbol, saved.mColor);
        card->mPeek = mMode == 0;
        card->mSolved = saved.mSolved;
        mCards.push_back(std::move(card));
    }
    return true;
}

} // namespace tarnwick
