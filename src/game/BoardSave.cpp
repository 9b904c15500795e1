#include "game/Board.h"

#include "game/Card.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "graphics/Image.h"
#include "resources/AtomicFile.h"
#include "resources/WholeFile.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>
#include <vector>

namespace tarnwick {

namespace {

// The largest level deals kMaxCards cards of a few dozen bytes each.
constexpr std::size_t kMaxSavedGameBytes = 1 << 20;
// The shortest card line: a line end before it, six one-digit values and five spaces.
constexpr std::size_t kMinCardLineBytes = 12;

// One card line of a saved game.
struct SavedCard {
    int mSolved = 0;
    int mSymbol = 0;
    int mColor = 0;
    int mShape = 0;
    float mX = 0;
    float mY = 0;
};

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The card's face is one of the level's and has a cell in the pictures.
bool FitsLevelAndPictures(const SavedCard& card, const Level& level) {
    if (IMAGE_TILES == nullptr || IMAGE_SYMBOLS == nullptr) {
        return false;
    }
    const int symbolCells = IMAGE_SYMBOLS->mCellColumns * IMAGE_SYMBOLS->mCellRows;
    return (card.mSolved == 0 || card.mSolved == 1) && Contains(level.mColors, card.mColor) &&
           Contains(level.mShapes, card.mShape) && Contains(level.mSymbols, card.mSymbol) &&
           card.mColor >= 0 && card.mColor < IMAGE_TILES->mCellColumns && card.mShape >= 0 &&
           card.mShape < IMAGE_TILES->mCellRows && card.mSymbol >= 0 &&
           card.mSymbol < symbolCells && std::isfinite(card.mX) && std::isfinite(card.mY);
}

} // namespace

std::string Board::SavedGameText() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << mScore << ' ' << mPendingScore << '\n'
        << mTicks << '\n'
        << mMode << '\n'
        << mLevelIndex << '\n'
        << mCardScale << '\n'
        << mCards.size() << '\n';
    for (const auto& card : mCards) {
        out << (card->mSolved ? 1 : 0) << ' ' << card->mSymbol << ' ' << card->mColor << ' '
            << card->mShape << ' ' << card->mX << ' ' << card->mY << '\n';
    }
    return out.str();
}

void Board::SaveGame() {
    if (MakeSaveFolder()) {
        (void)ravix::WriteFileAtomically(SavedGamePath(), SavedGameText());
    }
}

bool Board::LoadGame() {
    std::string contents;
    if (ravix::ReadWholeFile(SavedGamePath(), kMaxSavedGameBytes, contents) !=
        ravix::WholeFileResult::kRead) {
        return false;
    }
    std::istringstream in(contents);
    in.imbue(std::locale::classic());
    int score = 0;
    int pending = 0;
    int ticks = 0;
    int mode = 0;
    int levelIndex = 0;
    float scale = 0;
    long long count = 0;
    if (!(in >> score >> pending >> ticks >> mode >> levelIndex >> scale >> count)) {
        return false;
    }
    if (mode < 0 || mode > 3 || levelIndex < 0 || levelIndex > mLevel->GetMaxLevel() || ticks < 0 ||
        !std::isfinite(scale) || scale <= 0.0f || scale > 1.0f || count <= 0) {
        return false;
    }
    // The number of cards must be what the level deals, and the file must be long enough to
    // hold that many card lines, before anything is allocated for them.
    auto level = std::make_unique<Level>(mRenderer.get());
    level->Load(levelIndex);
    const std::streamoff position = in.tellg();
    const std::size_t remaining =
        position < 0 ? 0 : contents.size() - static_cast<std::size_t>(position);
    if (count != DealtCardCount(*level) ||
        static_cast<unsigned long long>(count) > remaining / kMinCardLineBytes) {
        return false;
    }
    std::vector<SavedCard> cards(static_cast<std::size_t>(count));
    for (SavedCard& card : cards) {
        if (!(in >> card.mSolved >> card.mSymbol >> card.mColor >> card.mShape >> card.mX >>
              card.mY) ||
            !FitsLevelAndPictures(card, *level)) {
            return false;
        }
    }

    mScore = score;
    mPendingScore = pending;
    mTicks = ticks;
    mMode = mode;
    mLevelIndex = levelIndex;
    mCardScale = scale;
    mLevel = std::move(level);
    for (const SavedCard& saved : cards) {
        auto card = std::make_unique<Card>(mRenderer.get(), saved.mX, saved.mY, mCardScale);
        card->SetFace(saved.mShape, saved.mSymbol, saved.mColor);
        card->mPeek = mMode == 0;
        card->mSolved = saved.mSolved == 1;
        mCards.push_back(std::move(card));
    }
    return true;
}

} // namespace tarnwick
