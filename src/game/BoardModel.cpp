#include "game/BoardModel.h"

#include "base/Random.h"
#include "files/WholeFile.h"
#include "game/Card.h"
#include "game/Level.h"

#include <algorithm>
#include <vector>

namespace tarnwick {

namespace {

// The largest level deals kMaxCards cards of a few dozen bytes each.
constexpr std::size_t kMaxSavedGameBytes = 1 << 20;

// One combination of the deck.
struct Face {
    int mColor;
    int mSymbol;
    int mShape;
};

// Every combination of the level's values once, shape-major. Built from the lists themselves,
// which may be shorter than the counts the file gave.
std::vector<Face> BuildDeck(const Level& level) {
    std::vector<Face> deck;
    deck.reserve(level.mShapes.size() * level.mColors.size() * level.mSymbols.size());
    for (int shape : level.mShapes) {
        for (int color : level.mColors) {
            for (int symbol : level.mSymbols) {
                deck.push_back({color, symbol, shape});
            }
        }
    }
    return deck;
}

// The size of the level's deck, or 0 when it is too large to build.
long long DeckSize(const Level& level) {
    long long size = 1;
    for (size_t count : {level.mShapes.size(), level.mColors.size(), level.mSymbols.size()}) {
        size *= static_cast<long long>(count);
        if (size > BoardModel::kMaxDeckSize) {
            return 0;
        }
    }
    return size;
}

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// The card's face is one of the level's and has a cell in the pictures.
bool FitsLevelAndPictures(const SavedCard& card, const Level& level,
                          const CardPictureCells& pictures) {
    return Contains(level.mColors, card.mColor) && Contains(level.mShapes, card.mShape) &&
           Contains(level.mSymbols, card.mSymbol) && card.mColor >= 0 &&
           card.mColor < pictures.mTileColumns && card.mShape >= 0 &&
           card.mShape < pictures.mTileRows && card.mSymbol >= 0 &&
           card.mSymbol < pictures.mSymbolCells;
}

} // namespace

BoardModel::BoardModel(Renderer* renderer, PlayMode mode, const CardPictureCells& pictures)
    : mRenderer(renderer), mPictures(pictures), mMode(mode) {
    StartGame();
}

BoardModel::~BoardModel() = default;

long long BoardModel::DealtCardCount(const Level& level) {
    if (level.GetCols() <= 0 || level.GetRows() <= 0) {
        return 0;
    }
    const long long cells = static_cast<long long>(level.GetCols()) * level.GetRows();
    const long long count = std::min(cells, DeckSize(level));
    return count <= kMaxCards ? count : 0;
}

int BoardModel::PreSolveInterval(PlayMode mode) {
    switch (mode) {
    case PlayMode::Beginner:
        return 2;
    case PlayMode::Easy:
        return 4;
    case PlayMode::Normal:
        return 6;
    default:
        return 1000;
    }
}

int BoardModel::ScoreTriple(const Card& a, const Card& b, const Card& c) {
    const bool sameColor = a.mColor == b.mColor && b.mColor == c.mColor;
    const bool sameShape = a.mShape == b.mShape && b.mShape == c.mShape;
    const bool sameSymbol = a.mSymbol == b.mSymbol && b.mSymbol == c.mSymbol;
    return (sameColor && sameShape ? 8 : 0) + (sameColor && sameSymbol ? 15 : 0) +
           (sameShape && sameSymbol ? 21 : 0);
}

// Games --------------------------------------------------------------------------------------

void BoardModel::StartGame() {
    mPaused = false;
    mLevel = std::make_unique<Level>(mRenderer);
    mLevel->Load(mLevelIndex);
    mCardScale = 1.0f;
    mAllSolved = false;
    mGameEnded = false;
    mResultDelay = 0;
    mScore = kStartScore;
    mPendingScore = 0;
    mTicks = 0;
    if (!LoadSavedGame()) {
        // Resuming without a saved game plays as hard does; the saved mode stays one of the
        // four difficulties.
        if (mMode == PlayMode::Resume) {
            mMode = PlayMode::Hard;
        }
        Deal();
    }
}

void BoardModel::Clear() {
    mCards.clear();
    mLevel.reset();
}

void BoardModel::NextGame() {
    if (mMode == PlayMode::Beginner) {
        mMode = PlayMode::Easy;
    }
    mLevelIndex += 1;
    if (mLevelIndex > mLevel->GetMaxLevel()) {
        mLevelIndex = 0;
    }
    Clear();
    StartGame();
}

void BoardModel::RestartAt(int levelIndex) {
    mLevelIndex = levelIndex;
    Clear();
    StartGame();
}

void BoardModel::Deal() {
    const long long count = DealtCardCount(*mLevel);
    std::vector<Face> deck = count > 0 ? BuildDeck(*mLevel) : std::vector<Face>();
    const int interval = PreSolveInterval(mMode);

    const int columns = mLevel->GetCols();
    const int rows = mLevel->GetRows();
    const float w = mPictures.mCellWidth;
    const float h = mPictures.mCellHeight;
    const float sx = (780.0f / columns) / w;
    const float sy = (590.0f / rows) / h;
    const float scale = std::min({1.0f, sx, sy});
    mCardScale = scale;
    const float stepX = w * scale;
    const float stepY = h * scale;
    float originX = 10.0f;
    float originY = 10.0f;
    if (columns * stepX < 780.0f) {
        originX = (780.0f - columns * stepX) / 2.0f + 10.0f;
    }
    if (rows * stepY < 590.0f) {
        originY = (590.0f - rows * stepY) / 2.0f + 10.0f;
    }

    const bool beginner = mMode == PlayMode::Beginner;
    long long dealt = 0;
    for (int r = 0; r < rows && dealt < count; ++r) {
        for (int k = 0; k < columns && dealt < count; ++k) {
            const float x = originX + k * stepX + stepX / 2.0f;
            const float y = originY + r * stepY + stepY / 2.0f;
            auto card = std::make_unique<Card>(mRenderer, x, y, mCardScale);
            const size_t i = static_cast<size_t>(ravix::gRandom.Next()) % deck.size();
            const Face face = deck[i];
            deck.erase(deck.begin() + static_cast<std::ptrdiff_t>(i));
            card->SetFace(face.mShape, face.mSymbol, face.mColor);
            if (dealt % interval == 0) {
                card->MarkSolved();
            }
            if (beginner) {
                card->mPeek = true;
            }
            mCards.push_back(std::move(card));
            ++dealt;
        }
    }
    if (beginner) {
        mShowHelp = true;
        mIdleTimer = 0;
    }
}

// Clicks -------------------------------------------------------------------------------------

BoardModel::ClickResult BoardModel::Click(MouseButton button) {
    ClickResult result;
    if (mPaused) {
        mPaused = false;
        result.mAction = ClickAction::Resumed;
    } else if (mAllSolved) {
        NextGame();
        result.mAction = ClickAction::NextGame;
    } else if (mShowHelp) {
        mShowHelp = false;
        result.mAction = ClickAction::HelpClosed;
    } else if (mResultDelay == 0 && button == MouseButton::Left) {
        PickCards(result.mPick);
        result.mAction = ClickAction::Picked;
    }
    return result;
}

void BoardModel::PickCards(PickResult& result) {
    std::vector<Card*> picked;
    for (auto& card : mCards) {
        if (card->mSelected) {
            picked.push_back(card.get());
        }
    }
    const Card* lastClicked = nullptr;
    if (picked.size() < 3) {
        for (auto& card : mCards) {
            if (card->mHover && !card->mSelected) {
                if (picked.size() < 2) {
                    ++result.mTurned;
                }
                card->Flip();
                picked.push_back(card.get());
                lastClicked = card.get();
            }
        }
    }
    if (picked.size() >= 3) {
        JudgeTriple(*picked[0], *picked[1], *picked[2], lastClicked, result);
    }
}

void BoardModel::JudgeTriple(Card& a, Card& b, Card& c, const Card* lastClicked,
                             PickResult& result) {
    const int points = ScoreTriple(a, b, c);
    const bool allSolved = a.mSolved && b.mSolved && c.mSolved;
    if (points > 0 && !allSolved) {
        mPendingScore += points;
        a.MarkSolved();
        b.MarkSolved();
        c.MarkSolved();
        result.mJudgement = Judgement::Scored;
        result.mPoints = points;
        if (lastClicked != nullptr) {
            result.mShowBonus = true;
            result.mBonusX = static_cast<int>(lastClicked->mX);
            result.mBonusY = static_cast<int>(lastClicked->mY);
        }
        mIdleTimer = kIdleHintDelay;
    } else {
        mPendingScore -= kFailPenalty;
        result.mJudgement = Judgement::Failed;
    }
    mResultDelay = kResultDelay;
}

// Updates ------------------------------------------------------------------------------------

bool BoardModel::Update(int pointerX, int pointerY) {
    if (mPaused) {
        return false;
    }
    TurnBackFailedPicks();
    FindHoverAndSolved(pointerX, pointerY);
    const bool won = mAllSolved && !mGameEnded;
    if (won) {
        EndGame();
    }
    for (auto& card : mCards) {
        card->Update();
    }
    mLevel->Update();
    CountOnePoint();
    if (!mAllSolved) {
        mTicks += 1;
    }
    if (mMode == PlayMode::Beginner) {
        RunHints();
    }
    return won;
}

void BoardModel::TurnBackFailedPicks() {
    if (mResultDelay > 0 && --mResultDelay == 0) {
        for (auto& card : mCards) {
            if (card->mSelected) {
                card->Flip();
            }
        }
    }
}

void BoardModel::FindHoverAndSolved(int pointerX, int pointerY) {
    PointAt(pointerX, pointerY);
    mAllSolved = true;
    for (auto& card : mCards) {
        if (!card->mSolved) {
            mAllSolved = false;
        }
    }
}

void BoardModel::PointAt(int pointerX, int pointerY) {
    if (mResultDelay != 0 || mShowHelp) {
        return;
    }
    for (auto& card : mCards) {
        card->HitTest(pointerX, pointerY);
    }
}

void BoardModel::EndGame() {
    mGameEnded = true;
    DeleteSavedGame();
    for (auto& card : mCards) {
        card->SetDelay(ravix::gRandom.Next() % 50);
        card->StartVanish();
    }
    RecordTopScore(mTicks / 100, mScore + mPendingScore);
}

void BoardModel::CountOnePoint() {
    if (mPendingScore > 0) {
        mScore += 1;
        mPendingScore -= 1;
    } else if (mPendingScore < 0) {
        mScore -= 1;
        mPendingScore += 1;
    }
}

void BoardModel::RunHints() {
    if (!mShowHelp && !mHintActive) {
        if (mIdleTimer == 0) {
            mIdleTimer = kIdleHintDelay;
            ShowHint();
        } else {
            --mIdleTimer;
        }
    }
    if (mHintActive) {
        CheckHint();
    }
}

void BoardModel::ShowHint() {
    const size_t n = mCards.size();
    if (n == 0) {
        return;
    }
    const size_t start = static_cast<size_t>(ravix::gRandom.Next()) % n;
    Card* seed = nullptr;
    for (size_t k = 0; k < n && seed == nullptr; ++k) {
        Card* card = mCards[(start + k) % n].get();
        if (!card->mSolved) {
            seed = card;
        }
    }
    if (seed == nullptr) {
        return;
    }
    // Cards sharing colour and shape, colour and symbol, shape and symbol with the seed.
    std::vector<Card*> lists[3] = {{seed}, {seed}, {seed}};
    for (auto& other : mCards) {
        Card* card = other.get();
        if (card == seed) {
            continue;
        }
        const bool color = card->mColor == seed->mColor;
        const bool shape = card->mShape == seed->mShape;
        const bool symbol = card->mSymbol == seed->mSymbol;
        if (color && shape) {
            lists[0].push_back(card);
        }
        if (color && symbol) {
            lists[1].push_back(card);
        }
        if (shape && symbol) {
            lists[2].push_back(card);
        }
        for (auto& list : lists) {
            if (list.size() == 3) {
                for (Card* hinted : list) {
                    hinted->StartBlink();
                }
                mHintActive = true;
                return;
            }
        }
    }
}

void BoardModel::CheckHint() {
    for (auto& card : mCards) {
        if (card->mBlink || card->mSelected) {
            return;
        }
    }
    mHintActive = false;
}

// The saved game -----------------------------------------------------------------------------

SavedGame BoardModel::State() const {
    SavedGame game{mScore, mPendingScore, mTicks, ModeNumber(mMode), mLevelIndex, mCardScale, {}};
    for (const auto& card : mCards) {
        game.mCards.push_back(
            {card->mSolved, card->mSymbol, card->mColor, card->mShape, card->mX, card->mY});
    }
    return game;
}

bool BoardModel::SaveGame() const {
    return WriteSavedGame(FormatSavedGame(State()));
}

bool BoardModel::LoadSavedGame() {
    std::string contents;
    if (ravix::ReadWholeFile(SavedGamePath(), kMaxSavedGameBytes, contents) !=
        ravix::WholeFileResult::kRead) {
        return false;
    }
    const std::optional<SavedGame> game = ParseSavedGame(contents, kMaxCards);
    return game && Restore(*game);
}

bool BoardModel::Restore(const SavedGame& game) {
    if (!IsPlayableSavedGame(game) || game.mCards.empty() ||
        game.mLevelIndex > mLevel->GetMaxLevel()) {
        return false;
    }
    // The game must be one its level deals: as many cards, with the level's values.
    auto level = std::make_unique<Level>(mRenderer);
    level->Load(game.mLevelIndex);
    if (static_cast<long long>(game.mCards.size()) != DealtCardCount(*level) ||
        !std::all_of(game.mCards.begin(), game.mCards.end(), [&](const SavedCard& card) {
            return FitsLevelAndPictures(card, *level, mPictures);
        })) {
        return false;
    }

    mScore = game.mScore;
    mPendingScore = game.mPendingScore;
    mTicks = game.mTicks;
    mMode = static_cast<PlayMode>(game.mMode);
    mLevelIndex = game.mLevelIndex;
    mCardScale = game.mCardScale;
    mLevel = std::move(level);
    mAllSolved = false;
    mGameEnded = false;
    mResultDelay = 0;
    mCards.clear();
    for (const SavedCard& saved : game.mCards) {
        auto card = std::make_unique<Card>(mRenderer, saved.mX, saved.mY, mCardScale);
        card->SetFace(saved.mShape, saved.mSymbol, saved.mColor);
        card->mPeek = mMode == PlayMode::Beginner;
        card->mSolved = saved.mSolved;
        mCards.push_back(std::move(card));
    }
    return true;
}

} // namespace tarnwick
