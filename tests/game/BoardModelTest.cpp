// The game's rules on their own: no widget, no window, no sound; the cards queue themselves on a
// renderer that is never drawn.

#include "game/BoardModel.h"
#include "game/Card.h"
#include "game/GameFlowSupport.h"
#include "game/GameTestSupport.h"
#include "game/Level.h"
#include "game/Renderer.h"
#include "game/SaveFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace tarnwick {
namespace {

// The fixture pictures: tiles of 3 x 4 cells of 60 x 60 pixels, 8 symbols.
const CardPictureCells kFixtureCells{60.0f, 60.0f, 3, 4, 8};

// A pointer position away from every card.
constexpr int kAway = -1000;

class BoardModelTest : public testing::GameTest {
protected:
    BoardModelTest() { WriteLevels(testing::kSmallLevels); }

    std::unique_ptr<BoardModel> NewModel(PlayMode mode) {
        return std::make_unique<BoardModel>(&mRenderer, mode, kFixtureCells);
    }
    static void RunUpdates(BoardModel& model, int count) {
        for (int i = 0; i < count; ++i) {
            model.Update(kAway, kAway);
        }
    }
    // Points at the card (one update finds it under the pointer), then clicks.
    static BoardModel::ClickResult Pick(BoardModel& model, size_t index) {
        const Card& card = *model.Cards().at(index);
        model.Update(static_cast<int>(card.mX), static_cast<int>(card.mY));
        return model.Click(BoardModel::MouseButton::Left);
    }
    // Indices of three cards of the game that score together, not all solved.
    static std::array<size_t, 3> ScoringTriple(const BoardModel& model) {
        const std::optional<std::array<size_t, 3>> triple = testing::FindScoringTriple(model);
        EXPECT_TRUE(triple.has_value()) << "no scoring triple left";
        return triple.value_or(std::array<size_t, 3>{0, 1, 2});
    }

    Renderer mRenderer;
};

TEST_F(BoardModelTest, ATripleScoresForEachPairOfSharedAttributes) {
    const struct {
        int mA[3], mB[3], mC[3]; // colour, shape, symbol
        int mPoints;
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, 44}, // all three
        {{1, 0, 4}, {1, 1, 4}, {1, 2, 4}, 15}, // colour and symbol
        {{1, 2, 0}, {1, 2, 1}, {1, 2, 2}, 8},  // colour and shape
        {{0, 3, 5}, {1, 3, 5}, {2, 3, 5}, 21}, // shape and symbol
        {{2, 0, 0}, {2, 1, 1}, {2, 2, 2}, 0},  // colour only
        {{0, 1, 1}, {0, 1, 1}, {1, 2, 1}, 0},  // two cards alike do not make a pair
    };
    for (const auto& c : cases) {
        Card a(&mRenderer, 0, 0, 1), b(&mRenderer, 0, 0, 1), d(&mRenderer, 0, 0, 1);
        a.SetFace(c.mA[1], c.mA[2], c.mA[0]);
        b.SetFace(c.mB[1], c.mB[2], c.mB[0]);
        d.SetFace(c.mC[1], c.mC[2], c.mC[0]);
        EXPECT_EQ(BoardModel::ScoreTriple(a, b, d), c.mPoints) << c.mPoints;
    }
}

TEST_F(BoardModelTest, PendingPointsAreCountedIntoTheScoreOneAnUpdate) {
    const struct {
        int mPending;
        int mUpdates;
        int mScore;
        int mLeft;
    } cases[] = {{5, 3, 103, 2}, {5, 7, 105, 0}, {-4, 2, 98, -2}, {-4, 6, 96, 0}, {0, 4, 100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mPending);
        auto model = NewModel(PlayMode::Easy);
        SavedGame game = model->State();
        game.mPendingScore = c.mPending;
        ASSERT_TRUE(model->Restore(game));
        RunUpdates(*model, c.mUpdates);
        EXPECT_EQ(model->Score(), c.mScore);
        EXPECT_EQ(model->PendingScore(), c.mLeft);
    }
}

TEST_F(BoardModelTest, TheClockCountsUpdatesOfARunningUnwonGame) {
    const struct {
        const char* mName;
        std::function<void(BoardModel&, SavedGame&)> mSetUp;
        int mTicks; // after 30 updates from 500
    } cases[] = {
        {"running", [](BoardModel&, SavedGame&) {}, 530},
        {"paused", [](BoardModel& model, SavedGame&) { model.Pause(); }, 500},
        {"won",
         [](BoardModel&, SavedGame& game) {
             for (SavedCard& card : game.mCards) {
                 card.mSolved = true;
             }
         },
         500},
        // The clock stops at its limit instead of wrapping round.
        {"at its limit", [](BoardModel&, SavedGame& game) { game.mTicks = kMaxTicks - 10; },
         kMaxTicks},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        auto model = NewModel(PlayMode::Easy);
        SavedGame game = model->State();
        game.mTicks = 500;
        c.mSetUp(*model, game);
        ASSERT_TRUE(model->Restore(game));
        RunUpdates(*model, 30);
        EXPECT_EQ(model->Ticks(), c.mTicks);
    }
}

TEST_F(BoardModelTest, ScoringSaturatesAtTheScoreLimits) {
    const struct {
        const char* mName;
        int mScore;
        int mPending;
        bool mScoring; // a scoring triple, else three solved cards (a failure)
        long long mTarget; // score + pending afterwards
    } cases[] = {
        {"a score just below the top", kScoreLimit - 5, 0, true, kScoreLimit},
        {"pending points at the top", kScoreLimit - 50, 50, true, kScoreLimit},
        {"a penalty at the bottom", -kScoreLimit + 1, 0, false, -kScoreLimit},
        {"a penalty within the range", 0, 0, false, -3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        auto model = NewModel(PlayMode::Easy);
        SavedGame game = model->State();
        game.mScore = c.mScore;
        game.mPendingScore = c.mPending;
        ASSERT_TRUE(model->Restore(game));
        // Easy pre-solves every fourth card: three of them always fail together.
        const std::array<size_t, 3> triple =
            c.mScoring ? ScoringTriple(*model) : std::array<size_t, 3>{0, 4, 8};
        for (size_t index : triple) {
            Pick(*model, index);
        }
        EXPECT_EQ(static_cast<long long>(model->Score()) + model->PendingScore(), c.mTarget);
        RunUpdates(*model, 200);
        EXPECT_LE(model->Score(), kScoreLimit);
        EXPECT_GE(model->Score(), -kScoreLimit);
    }
}

TEST_F(BoardModelTest, AWonGameIsRecordedOnceWithItsPendingPoints) {
    auto model = NewModel(PlayMode::Easy);
    SavedGame game = model->State();
    game.mTicks = 1299;
    game.mPendingScore = 12;
    for (SavedCard& card : game.mCards) {
        card.mSolved = true;
    }
    ASSERT_TRUE(model->Restore(game));
    ravix::testing::WriteTextFile(SavedGamePath(), "left over");
    EXPECT_TRUE(model->Update(kAway, kAway));
    EXPECT_TRUE(model->IsGameEnded());
    EXPECT_FALSE(SavedGameFileExists());
    EXPECT_EQ(ravix::testing::ReadTextFile(TopScoresPath()), "112 12\n112 12\n112 12\n");
    EXPECT_FALSE(model->Update(kAway, kAway)); // once
}

TEST_F(BoardModelTest, ABeginnerIsHintedRightAfterTheHelpAnd501UpdatesAfterAHintEnds) {
    auto model = NewModel(PlayMode::Beginner);
    ASSERT_TRUE(model->IsHelpShown());
    RunUpdates(*model, 10);
    EXPECT_FALSE(model->IsHintActive());
    EXPECT_EQ(model->Click(BoardModel::MouseButton::Left).mAction,
              BoardModel::ClickAction::HelpClosed);
    RunUpdates(*model, 1);
    ASSERT_TRUE(model->IsHintActive());
    EXPECT_EQ(model->IdleTimer(), BoardModel::kIdleHintDelay);

    // Picking the hinted triple ends the hint once the cards stop blinking and are solved.
    std::vector<size_t> hinted;
    for (size_t i = 0; i < model->Cards().size(); ++i) {
        if (model->Cards()[i]->mBlink) {
            hinted.push_back(i);
        }
    }
    ASSERT_EQ(hinted.size(), 3u);
    for (size_t index : hinted) {
        Pick(*model, index);
    }
    ASSERT_EQ(model->PendingScore(),
              BoardModel::ScoreTriple(*model->Cards()[hinted[0]], *model->Cards()[hinted[1]],
                                      *model->Cards()[hinted[2]]));
    int updates = 0;
    while (model->IsHintActive() && updates < 100) {
        model->Update(kAway, kAway);
        ++updates;
    }
    ASSERT_FALSE(model->IsHintActive());
    RunUpdates(*model, 500);
    EXPECT_FALSE(model->IsHintActive());
    EXPECT_EQ(model->IdleTimer(), 0);
    RunUpdates(*model, 1);
    EXPECT_TRUE(model->IsHintActive());
    EXPECT_EQ(model->IdleTimer(), BoardModel::kIdleHintDelay);
}

TEST_F(BoardModelTest, OtherModesAreNeverHinted) {
    auto model = NewModel(PlayMode::Easy);
    RunUpdates(*model, 2 * BoardModel::kIdleHintDelay);
    EXPECT_FALSE(model->IsHintActive());
    EXPECT_EQ(model->IdleTimer(), BoardModel::kIdleHintDelay);
}

TEST_F(BoardModelTest, APickTurnsTheCardsAndTheThirdIsJudged) {
    auto model = NewModel(PlayMode::Easy);
    const std::array<size_t, 3> triple = ScoringTriple(*model);
    const int points = BoardModel::ScoreTriple(
        *model->Cards()[triple[0]], *model->Cards()[triple[1]], *model->Cards()[triple[2]]);
    EXPECT_EQ(Pick(*model, triple[0]).mPick.mTurned, 1);
    EXPECT_EQ(Pick(*model, triple[1]).mPick.mTurned, 1);
    const BoardModel::ClickResult third = Pick(*model, triple[2]);
    EXPECT_EQ(third.mAction, BoardModel::ClickAction::Picked);
    EXPECT_EQ(third.mPick.mTurned, 0); // the third plays only its judgement
    EXPECT_EQ(third.mPick.mJudgement, BoardModel::Judgement::Scored);
    EXPECT_EQ(third.mPick.mPoints, points);
    EXPECT_TRUE(third.mPick.mShowBonus);
    EXPECT_EQ(third.mPick.mBonusX, static_cast<int>(model->Cards()[triple[2]]->mX));
    EXPECT_EQ(third.mPick.mBonusY, static_cast<int>(model->Cards()[triple[2]]->mY));
    EXPECT_EQ(model->PendingScore(), points);
    EXPECT_EQ(model->ResultDelay(), BoardModel::kResultDelay);
}

TEST_F(BoardModelTest, WhatAClickDoesDependsOnTheGamesState) {
    using Action = BoardModel::ClickAction;
    constexpr BoardModel::MouseButton kLeft = BoardModel::MouseButton::Left;
    constexpr BoardModel::MouseButton kOther = BoardModel::MouseButton::Other;
    const struct {
        const char* mName;
        PlayMode mMode;
        std::function<void(BoardModel&)> mSetUp;
        BoardModel::MouseButton mButton;
        Action mAction;
    } cases[] = {
        {"paused", PlayMode::Easy, [](BoardModel& model) { model.Pause(); }, kLeft,
         Action::Resumed},
        {"help shown", PlayMode::Beginner, [](BoardModel&) {}, kLeft, Action::HelpClosed},
        {"another button", PlayMode::Easy, [](BoardModel&) {}, kOther, Action::Ignored},
        {"judging", PlayMode::Easy,
         [](BoardModel& model) {
             for (size_t i = 1; i <= 3; ++i) { // the first card is solved: picks 1, 2, 3
                 Pick(model, i);
             }
         },
         kLeft, Action::Ignored},
        {"won", PlayMode::Easy,
         [](BoardModel& model) {
             SavedGame game = model.State();
             for (SavedCard& card : game.mCards) {
                 card.mSolved = true;
             }
             ASSERT_TRUE(model.Restore(game));
             model.Update(kAway, kAway);
         },
         kLeft, Action::NextGame},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        auto model = NewModel(c.mMode);
        c.mSetUp(*model);
        const SavedGame before = model->State();
        EXPECT_EQ(model->Click(c.mButton).mAction, c.mAction);
        EXPECT_FALSE(model->IsPaused());
        if (c.mAction == Action::Ignored) {
            EXPECT_EQ(model->State(), before);
        }
    }
}

TEST_F(BoardModelTest, TheNextGameAdvancesTheLevelAndABeginnerBecomesEasy) {
    const struct {
        PlayMode mMode;
        int mLevel;
        PlayMode mNextMode;
        int mNextLevel;
    } cases[] = {{PlayMode::Beginner, 0, PlayMode::Easy, 1},
                 {PlayMode::Easy, 0, PlayMode::Easy, 1},
                 {PlayMode::Hard, 1, PlayMode::Hard, 0}, // after the last level, level 0
                 {PlayMode::Beginner, 1, PlayMode::Easy, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mLevel);
        auto model = NewModel(c.mMode);
        model->RestartAt(c.mLevel);
        model->NextGame();
        EXPECT_EQ(model->Mode(), c.mNextMode);
        EXPECT_EQ(model->LevelIndex(), c.mNextLevel);
        EXPECT_EQ(model->Score(), BoardModel::kStartScore);
        EXPECT_EQ(model->Ticks(), 0);
        EXPECT_EQ(model->Cards().size(), 12u);
        EXPECT_EQ(model->GetLevel().mLevelNumber, c.mNextLevel);
    }
}

TEST_F(BoardModelTest, AGameSavedAndResumedIsTheSameGame) {
    auto model = NewModel(PlayMode::Normal);
    const std::array<size_t, 3> triple = ScoringTriple(*model);
    for (size_t index : triple) {
        Pick(*model, index);
    }
    ASSERT_GT(model->PendingScore(), 0);
    ASSERT_TRUE(model->SaveGame());

    ravix::gRandom.Seed(99); // a resumed game draws nothing at random
    auto resumed = NewModel(PlayMode::Resume);
    EXPECT_EQ(resumed->State(), model->State());
    EXPECT_EQ(resumed->Mode(), PlayMode::Normal);
    EXPECT_EQ(ravix::gRandom.Next(), ravix::Random(99).Next());
}

TEST_F(BoardModelTest, AStateThatDoesNotFitIsRefusedAndChangesNothing) {
    const struct {
        const char* mName;
        std::function<void(SavedGame&)> mChange;
    } cases[] = {
        {"the resume mode", [](SavedGame& game) { game.mMode = ModeNumber(PlayMode::Resume); }},
        {"a mode beyond hard", [](SavedGame& game) { game.mMode = 4; }},
        {"a level beyond the last", [](SavedGame& game) { game.mLevelIndex = 2; }},
        {"a negative level", [](SavedGame& game) { game.mLevelIndex = -1; }},
        {"a negative clock", [](SavedGame& game) { game.mTicks = -1; }},
        {"a card scale of 0", [](SavedGame& game) { game.mCardScale = 0.0f; }},
        {"no cards", [](SavedGame& game) { game.mCards.clear(); }},
        {"a card fewer than the level deals", [](SavedGame& game) { game.mCards.pop_back(); }},
        {"a colour the level lacks", [](SavedGame& game) { game.mCards[0].mColor = 2; }},
        {"a symbol the level lacks", [](SavedGame& game) { game.mCards[0].mSymbol = 3; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        auto model = NewModel(PlayMode::Easy);
        const SavedGame before = model->State();
        SavedGame changed = before;
        c.mChange(changed);
        EXPECT_FALSE(model->Restore(changed));
        EXPECT_EQ(model->State(), before);
    }
}

TEST_F(BoardModelTest, ASavedFaceMustHaveACellInThePictures) {
    WriteLevels("0 #level 0 #rows 1 #cols 3 #colors 1 3 #shapes 1 0 #symbols 3 0 1 2");
    auto model = NewModel(PlayMode::Easy);
    const CardPictureCells wider{60.0f, 60.0f, 4, 4, 8};
    BoardModel widerModel(&mRenderer, PlayMode::Easy, wider);
    EXPECT_FALSE(model->Restore(widerModel.State())); // colour 3 lies beyond three columns
    EXPECT_TRUE(widerModel.Restore(widerModel.State()));
}

} // namespace
} // namespace tarnwick
