#include "game/Board.h"

#include "base/Random.h"
#include "game/Card.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <vector>

namespace tarnwick {

namespace {

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
        if (size > Board::kMaxDeckSize) {
            return 0;
        }
    }
    return size;
}

} // namespace

long long Board::DealtCardCount(const Level& level) {
    if (level.GetCols() <= 0 || level.GetRows() <= 0) {
        return 0;
    }
    const long long cells = static_cast<long long>(level.GetCols()) * level.GetRows();
    const long long count = std::min(cells, DeckSize(level));
    return count <= kMaxCards ? count : 0;
}

int Board::PreSolveInterval(int mode) {
    switch (mode) {
    case 0:
        return 2;
    case 1:
        return 4;
    case 2:
        return 6;
    default:
        return 1000;
    }
}

int Board::ScoreTriple(const Card& a, const Card& b, const Card& c) {
    const bool sameColor = a.mColor == b.mColor && b.mColor == c.mColor;
    const bool sameShape = a.mShape == b.mShape && b.mShape == c.mShape;
    const bool sameSymbol = a.mSymbol == b.mSymbol && b.mSymbol == c.mSymbol;
    return (sameColor && sameShape ? 8 : 0) + (sameColor && sameSymbol ? 15 : 0) +
           (sameShape && sameSymbol ? 21 : 0);
}

void Board::Deal() {
    const long long count = DealtCardCount(*mLevel);
    std::vector<Face> deck = count > 0 ? BuildDeck(*mLevel) : std::vector<Face>();
    const int interval = PreSolveInterval(mMode);

    const int columns = mLevel->GetCols();
    const int rows = mLevel->GetRows();
    const float w = IMAGE_TILES != nullptr ? static_cast<float>(IMAGE_TILES->GetCellWidth()) : 0;
    const float h = IMAGE_TILES != nullptr ? static_cast<float>(IMAGE_TILES->GetCellHeight()) : 0;
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

    long long dealt = 0;
    for (int r = 0; r < rows && dealt < count; ++r) {
        for (int k = 0; k < columns && dealt < count; ++k) {
            const float x = originX + k * stepX + stepX / 2.0f;
            const float y = originY + r * stepY + stepY / 2.0f;
            auto card = std::make_unique<Card>(mRenderer.get(), x, y, mCardScale);
            const size_t i = static_cast<size_t>(ravix::gRandom.Next()) % deck.size();
            const Face face = deck[i];
            deck.erase(deck.begin() + static_cast<std::ptrdiff_t>(i));
            card->SetFace(face.mShape, face.mSymbol, face.mColor);
            if (dealt % interval == 0) {
                card->MarkSolved();
            }
            if (mMode == 0) {
                card->mPeek = true;
            }
            mCards.push_back(std::move(card));
            ++dealt;
        }
    }
    if (mMode == 0) {
        mShowHelp = true;
        mIdleTimer = 0;
    }
}

void Board::MouseUp(int /*x*/, int /*y*/, int button, int /*clicks*/) {
    if (mPaused) {
        mPaused = false;
    } else if (mAllSolved) {
        mApp->PlayEffect(SOUND_BTN);
        NextGame();
    } else if (mShowHelp) {
        mApp->PlayEffect(SOUND_BTN);
        mShowHelp = false;
    } else if (mResultDelay == 0 && button == kButtonLeft) {
        Card* lastClicked = nullptr;
        PickCards(lastClicked);
    }
}

void Board::PickCards(Card*& lastClicked) {
    std::vector<Card*> picked;
    for (auto& card : mCards) {
        if (card->mSelected) {
            picked.push_back(card.get());
        }
    }
    if (picked.size() < 3) {
        for (auto& card : mCards) {
            if (card->mHover && !card->mSelected) {
                if (picked.size() < 2) {
                    mApp->PlayEffect(SOUND_CLICK);
                }
                card->Flip();
                picked.push_back(card.get());
                lastClicked = card.get();
            }
        }
    }
    if (picked.size() >= 3) {
        JudgeTriple(*picked[0], *picked[1], *picked[2], lastClicked);
    }
}

void Board::JudgeTriple(Card& a, Card& b, Card& c, const Card* lastClicked) {
    const int points = ScoreTriple(a, b, c);
    const bool allSolved = a.mSolved && b.mSolved && c.mSolved;
    if (points > 0 && !allSolved) {
        mPendingScore += points;
        a.MarkSolved();
        b.MarkSolved();
        c.MarkSolved();
        mApp->PlayEffect(SOUND_SCORE);
        if (lastClicked != nullptr) {
            mBonusTimer = kBonusFrames;
            mBonusValue = points;
            mBonusX = static_cast<int>(lastClicked->mX);
            mBonusY = static_cast<int>(lastClicked->mY);
        }
        mIdleTimer = kIdleHintDelay;
    } else {
        mPendingScore -= kFailPenalty;
        mApp->PlayEffect(SOUND_ERROR);
    }
    mResultDelay = kResultDelay;
}

void Board::Update() {
    ravix::Widget::Update();
    Invalidate();
    if (mCards.empty() && mManager != nullptr) {
        LeaveEmptyLevel();
        return;
    }
    if (!mFocused || mPaused) {
        return;
    }
    const bool fullScreen = !mApp->mWantWindowed;
    if (mMinimizeButton != nullptr) {
        mMinimizeButton->SetVisible(fullScreen);
        mCloseButton->SetVisible(fullScreen);
    }
    if (mResultDelay > 0 && --mResultDelay == 0) {
        for (auto& card : mCards) {
            if (card->mSelected) {
                card->Flip();
            }
        }
    }
    mAllSolved = true;
    for (auto& card : mCards) {
        if (mResultDelay == 0 && !mShowHelp) {
            card->HitTest(mMouseX, mMouseY);
        }
        if (!card->mSolved) {
            mAllSolved = false;
        }
    }
    if (mAllSolved && !mGameEnded) {
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
    if (mMode == 0) {
        RunHints();
    }
}

void Board::EndGame() {
    mGameEnded = true;
    DeleteSavedGame();
    for (auto& card : mCards) {
        card->SetDelay(ravix::gRandom.Next() % 50);
        card->StartVanish();
    }
    RecordTopScore(mTicks / 100, mScore + mPendingScore);
    mApp->PlayEffect(SOUND_GAME_END);
}

void Board::CountOnePoint() {
    if (mPendingScore > 0) {
        mScore += 1;
        mPendingScore -= 1;
    } else if (mPendingScore < 0) {
        mScore -= 1;
        mPendingScore += 1;
    }
}

void Board::RunHints() {
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

void Board::ShowHint() {
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

void Board::CheckHint() {
    for (auto& card : mCards) {
        if (card->mBlink || card->mSelected) {
            return;
        }
    }
    mHintActive = false;
}

} // namespace tarnwick
