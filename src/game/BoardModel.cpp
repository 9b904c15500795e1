#include "game/BoardModel.h"

#include "base/Random.h"
#include "files/WholeFile.h"
#include "game/Card.h"
#include "game/Level.h"

#include <algorithm>
#include <cmath>
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

// Where a level deals its cards: the scale of every card and the centre of each grid cell,
// computed in single precision as the deal always has.
struct DealGeometry {
    int mColumns = 0;
    float mScale = 1.0f;
    float mStepX = 0.0f;
    float mStepY = 0.0f;
    float mOriginX = 10.0f;
    float mOriginY = 10.0f;

    float CentreX(long long index) const {
        return mOriginX + static_cast<float>(index % mColumns) * mStepX + mStepX / 2.0f;
    }
    float CentreY(long long index) const {
        return mOriginY + static_cast<float>(index / mColumns) * mStepY + mStepY / 2.0f;
    }
};

// The grid centred in the 780 x 590 area inside a 10-pixel margin, shrunk to fit (never
// enlarged). Requires a level of at least one column and row.
DealGeometry GeometryOf(const Level& level, const CardPictureCells& pictures) {
    DealGeometry geometry;
    const int columns = level.GetCols();
    const int rows = level.GetRows();
    const float w = pictures.mCellWidth;
    const float h = pictures.mCellHeight;
    const float sx = (780.0f / columns) / w;
    const float sy = (590.0f / rows) / h;
    geometry.mColumns = columns;
    geometry.mScale = std::min({1.0f, sx, sy});
    geometry.mStepX = w * geometry.mScale;
    geometry.mStepY = h * geometry.mScale;
    if (columns * geometry.mStepX < 780.0f) {
        geometry.mOriginX = (780.0f - columns * geometry.mStepX) / 2.0f + 10.0f;
    }
    if (rows * geometry.mStepY < 590.0f) {
        geometry.mOriginY = (590.0f - rows * geometry.mStepY) / 2.0f + 10.0f;
    }
    return geometry;
}

// The saved file keeps 6 significant digits: a card within this of its place is on it.
constexpr float kPlaceTolerance = 0.01f;
constexpr float kScaleTolerance = 1e-5f;

// Every card lies where the level deals the card of its index, at the level's scale: cards
// moved by hand could not be reached or would cover one another.
bool LiesOnDealtPlaces(const SavedGame& game, const Level& level,
                       const CardPictureCells& pictures) {
    const DealGeometry geometry = GeometryOf(level, pictures);
    if (std::fabs(game.mCardScale - geometry.mScale) > kScaleTolerance) {
        return false;
    }
    for (size_t k = 0; k < game.mCards.size(); ++k) {
        const SavedCard& card = game.mCards[k];
        const auto index = static_cast<long long>(k);
        if (std::fabs(card.mX - geometry.CentreX(index)) > kPlaceTolerance ||
            std::fabs(card.mY - geometry.CentreY(index)) > kPlaceTolerance) {
            return false;
        }
    }
    return true;
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
    mNewBest = false;
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

int BoardModel::NextLevelIndex() const {
    return mLevelIndex >= mLevel->GetMaxLevel() ? 0 : mLevelIndex + 1;
}

PlayMode BoardModel::NextMode() const {
    return mMode == PlayMode::Beginner ? PlayMode::Easy : mMode;
}

void BoardModel::NextGame() {
    mMode = NextMode();
    mLevelIndex = NextLevelIndex();
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
    const DealGeometry geometry = GeometryOf(*mLevel, mPictures);
    mCardScale = geometry.mScale;

    const bool beginner = mMode == PlayMode::Beginner;
    long long dealt = 0;
    for (int r = 0; r < rows && dealt < count; ++r) {
        for (int k = 0; k < columns && dealt < count; ++k) {
            auto card = std::make_unique<Card>(mRenderer, geometry.CentreX(dealt),
                                               geometry.CentreY(dealt), mCardScale);
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
        AddPoints(points);
        a.MarkSolved();
        b.MarkSolved();
        c.MarkSolved();
        result.mJudgement = Judgement::Scored;
        result.mPoints = points;
        mIdleTimer = kIdleHintDelay;
    } else {
        AddPoints(-kFailPenalty);
        result.mJudgement = Judgement::Failed;
        result.mPoints = -kFailPenalty;
    }
    // The "+N" or "-3" rises from the card clicked in this event.
    if (lastClicked != nullptr) {
        result.mShowBonus = true;
        result.mBonusX = static_cast<int>(lastClicked->mX);
        result.mBonusY = static_cast<int>(lastClicked->mY);
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
    // The clock stops at its limit rather than wrap after a year of play.
    if (!mAllSolved && mTicks < kMaxTicks) {
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
    const TopScoreOutcome outcome = RecordTopScore(mTicks / 100, mScore + mPendingScore);
    mNewBest = outcome.mEnteredRecords;
    if (outcome.mFailure) {
        mSaveFailure = outcome.mFailure;
    }
}

void BoardModel::AddPoints(int points) {
    // The target (score with pending points) saturates at the limits, so that neither it nor
    // the score counting towards it can overflow however long the game is played.
    const long long target =
        std::clamp(static_cast<long long>(mScore) + mPendingScore + points,
                   static_cast<long long>(-kScoreLimit), static_cast<long long>(kScoreLimit));
    mPendingScore = static_cast<int>(target - mScore);
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

bool BoardModel::SaveGame() {
    if (std::optional<SaveFailure> failure = WriteSavedGame(FormatSavedGame(State()))) {
        mSaveFailure = std::move(failure);
        return false;
    }
    return true;
}

bool BoardModel::SaveOnLeaving() {
    if (mGameEnded) {
        NextGame();
    }
    return SaveGame();
}

BoardModel::SavedGameState BoardModel::InspectSavedGame(const CardPictureCells& pictures) {
    bool found = false;
    if (ReadUsableSavedGame(pictures, found)) {
        return SavedGameState::Usable;
    }
    return found ? SavedGameState::Unusable : SavedGameState::None;
}

bool BoardModel::SavedGameExists(const CardPictureCells& pictures) {
    return InspectSavedGame(pictures) == SavedGameState::Usable;
}

std::optional<SavedGame> BoardModel::ReadUsableSavedGame(const CardPictureCells& pictures,
                                                         bool& found) {
    std::string contents;
    const ravix::WholeFileResult read =
        ravix::ReadWholeFile(SavedGamePath(), kMaxSavedGameBytes, contents);
    found = read != ravix::WholeFileResult::kMissing || SavedGameFileExists();
    if (read != ravix::WholeFileResult::kRead) {
        return std::nullopt;
    }
    std::optional<SavedGame> game = ParseSavedGame(contents, kMaxCards);
    if (!game) {
        return std::nullopt;
    }
    const std::unique_ptr<Level> level = LevelFitting(*game, pictures, nullptr);
    if (level == nullptr || !LiesOnDealtPlaces(*game, *level, pictures)) {
        return std::nullopt;
    }
    return game;
}

bool BoardModel::LoadSavedGame() {
    bool found = false;
    const std::optional<SavedGame> game = ReadUsableSavedGame(mPictures, found);
    return game && Restore(*game);
}

std::unique_ptr<Level> BoardModel::LevelFitting(const SavedGame& game,
                                                const CardPictureCells& pictures,
                                                Renderer* renderer) {
    if (!IsPlayableSavedGame(game) || game.mCards.empty()) {
        return nullptr;
    }
    // The game must be one its level deals: as many cards, with the level's values.
    auto level = std::make_unique<Level>(renderer);
    level->Load(game.mLevelIndex);
    if (game.mLevelIndex > level->GetMaxLevel() ||
        static_cast<long long>(game.mCards.size()) != DealtCardCount(*level) ||
        !std::all_of(game.mCards.begin(), game.mCards.end(), [&](const SavedCard& card) {
            return FitsLevelAndPictures(card, *level, pictures);
        })) {
        return nullptr;
    }
    return level;
}

bool BoardModel::Restore(const SavedGame& game) {
    std::unique_ptr<Level> level = LevelFitting(game, mPictures, mRenderer);
    if (level == nullptr) {
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
