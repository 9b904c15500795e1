#include "files/WholeFile.h"
#include "game/GameTestSupport.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "graphics/Graphics.h"
#include "graphics/TestFont.h"
#include "platform/KeyCodes.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace tarnwick {
namespace {

using testing::kButton;
using testing::kClick;
using testing::kError;
using testing::kGameEnd;
using testing::kScore;

struct Face {
    int mColor;
    int mShape;
    int mSymbol;
};

// The deal of level 0 of the small levels with seed 1, in dealing order.
const Face kSeedOneDeal[12] = {{1, 0, 2}, {1, 1, 1}, {1, 0, 1}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0},
                               {0, 0, 0}, {1, 1, 0}, {0, 1, 2}, {1, 1, 2}, {0, 1, 1}, {0, 0, 2}};

// Level 0 of these levels holds one row of `cells` cards whose faces may take any value the
// fixture pictures have; level 1 is the small levels' level 1.
std::string PlacementLevels(size_t cells) {
    return "1 #level 0 #rows 1 #cols " + std::to_string(cells) +
           " #colors 3 0 1 2 #shapes 4 0 1 2 3 #symbols 8 0 1 2 3 4 5 6 7 "
           "#level 1 #rows 3 #cols 4 #colors 2 1 2 #shapes 2 2 3 #symbols 3 5 6 7";
}

enum class Spare { Yes, No };

class BoardTest : public testing::GameTest {
protected:
    BoardTest() { WriteLevels(testing::kSmallLevels); }

    // The board's game with its cards replaced by cards of the faces in a row 100 pixels apart,
    // and (with Spare::Yes) one more unsolved card far away that matches nothing, so that the
    // game never ends by itself; level 0 becomes a level of just so many cells.
    SavedGame Placed(const Board& board, const std::vector<Face>& faces,
                     const std::vector<bool>& solved = {}, Spare spare = Spare::Yes) {
        SavedGame game = board.Model().State();
        game.mLevelIndex = 0;
        game.mCards.clear();
        for (size_t i = 0; i < faces.size(); ++i) {
            const bool isSolved = i < solved.size() && solved[i];
            game.mCards.push_back({isSolved, faces[i].mSymbol, faces[i].mColor, faces[i].mShape,
                                   100.0f + 100.0f * static_cast<float>(i), 100.0f});
        }
        if (spare == Spare::Yes) {
            game.mCards.push_back({false, 7, 2, 3, 700.0f, 500.0f});
        }
        WriteLevels(PlacementLevels(game.mCards.size()));
        return game;
    }
    void PlaceCards(Board& board, const std::vector<Face>& faces,
                    const std::vector<bool>& solved = {}, Spare spare = Spare::Yes) {
        ASSERT_TRUE(board.Model().Restore(Placed(board, faces, solved, spare)));
    }
    static const Card& CardAt(const Board& board, size_t index) {
        return *board.Model().Cards().at(index);
    }
    void ClickCards(Board& board, std::initializer_list<int> indices) {
        for (int i : indices) {
            ClickCard(board, CardAt(board, static_cast<size_t>(i)));
        }
    }
    // The texts one frame of the board draws in its three fonts (test glyphs are 10 pixels
    // wide).
    struct DrawnTexts {
        std::vector<std::string> mSmall, mMicro, mDefault;
    };
    static DrawnTexts DrawBoard(Board& board) {
        ravix::test::TestFont small, micro, large;
        FONT_SMALL = &small;
        FONT_MICRO = &micro;
        FONT_DEFAULT = &large;
        ravix::MemoryImage screen;
        screen.Create(800, 600);
        ravix::Graphics g(&screen);
        board.Draw(g);
        FONT_SMALL = FONT_MICRO = FONT_DEFAULT = nullptr;
        return {small.mDrawn, micro.mDrawn, large.mDrawn};
    }
    // The button with the id among the widget manager's children.
    ravix::ButtonWidget* BoardButton(int id) {
        for (ravix::Widget* widget : App().mWidgets->GetChildren()) {
            auto* button = dynamic_cast<ravix::ButtonWidget*>(widget);
            if (button != nullptr && button->mId == id) {
                return button;
            }
        }
        return nullptr;
    }
};

TEST_F(BoardTest, PicksAreJudgedOnTheThirdCard) {
    const struct {
        const char* mName;
        std::vector<Face> mFaces;
        std::vector<bool> mSolved;
        int mPending;
        int mJudgeSound;
        bool mScored;
    } cases[] = {
        {"all three shared", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {}, 44, kScore, true},
        {"shape and symbol", {{0, 1, 2}, {1, 1, 2}, {0, 1, 2}}, {}, 21, kScore, true},
        {"one attribute", {{0, 1, 2}, {0, 0, 1}, {0, 1, 0}}, {}, -3, kError, false},
        {"three solved", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {true, true, true}, -3, kError, false},
        {"two solved and one not",
         {{1, 0, 4}, {1, 1, 4}, {1, 2, 4}},
         {true, false, true},
         15,
         kScore,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        mApp.reset();
        WriteLevels(testing::kSmallLevels);
        Board& board = StartBoard(PlayMode::Easy);
        PlaceCards(board, c.mFaces, c.mSolved);
        App().mSounds.clear();
        ClickCards(board, {0, 1, 2});
        // The third pick plays only the judgement.
        EXPECT_EQ(App().mSounds, (std::vector<int>{kClick, kClick, c.mJudgeSound}));
        EXPECT_EQ(board.Model().PendingScore(), c.mPending);
        EXPECT_EQ(board.Model().ResultDelay(), BoardModel::kResultDelay);
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(CardAt(board, i).mSolved, c.mScored || (i < c.mSolved.size() && c.mSolved[i]))
                << i;
            EXPECT_EQ(CardAt(board, i).mSelected, !c.mScored) << i;
        }
        // A scored triple's "+N", and a failed one's "-3", rise from the card clicked last.
        const std::vector<std::string> texts = DrawBoard(board).mDefault;
        const std::string bonus = (c.mScored ? "+" : "") + std::to_string(c.mPending);
        EXPECT_EQ(texts, (std::vector<std::string>{bonus + "@302,102#000000FF",
                                                   bonus + "@300,100#FFFFFFFF"}));
    }
}

TEST_F(BoardTest, ClicksWaitFiftyUpdatesThenFailedPicksTurnBack) {
    Board& board = StartBoard(PlayMode::Easy);
    PlaceCards(board, {{0, 1, 2}, {0, 0, 1}, {1, 1, 0}, {0, 1, 2}});
    ClickCards(board, {0, 1, 2});
    App().mSounds.clear();
    RunUpdates(49);
    ASSERT_EQ(board.Model().ResultDelay(), 1);
    board.MouseMove(400, 100);
    board.MouseUp(400, 100, 0, 1);
    EXPECT_TRUE(App().mSounds.empty());
    EXPECT_FALSE(CardAt(board, 3).mSelected);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(CardAt(board, i).mSelected) << i;
    }
    RunUpdates(1);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(CardAt(board, i).mSelected) << i;
        EXPECT_EQ(CardAt(board, i).mFlipTimer, 95) << i;
    }
    // Score points are counted one per update, down as well as up.
    EXPECT_EQ(board.Model().Score(), 97);
    EXPECT_EQ(board.Model().PendingScore(), 0);
}

TEST_F(BoardTest, AKnownSeedDealsAKnownGameOnTheGrid) {
    Board& board = StartBoard(PlayMode::Normal);
    ASSERT_EQ(board.Model().Cards().size(), 12u);
    EXPECT_EQ(board.Model().CardScale(), 1.0f);
    for (size_t k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const Card& card = CardAt(board, k);
        EXPECT_EQ(card.mColor, kSeedOneDeal[k].mColor);
        EXPECT_EQ(card.mShape, kSeedOneDeal[k].mShape);
        EXPECT_EQ(card.mSymbol, kSeedOneDeal[k].mSymbol);
        // 4 x 3 cells of 60 x 60 from (280, 215).
        EXPECT_EQ(card.mX, 310.0f + 60 * (k % 4));
        EXPECT_EQ(card.mY, 245.0f + 60 * (k / 4));
        EXPECT_EQ(card.mBaseScale, 1.0f);
    }
}

TEST_F(BoardTest, EveryNthDealtCardStartsSolvedByMode) {
    const struct {
        PlayMode mMode;
        int mInterval;
        bool mPeekAndHelp;
        PlayMode mPlayedMode;
    } cases[] = {{PlayMode::Beginner, 2, true, PlayMode::Beginner},
                 {PlayMode::Easy, 4, false, PlayMode::Easy},
                 {PlayMode::Normal, 6, false, PlayMode::Normal},
                 {PlayMode::Hard, 1000, false, PlayMode::Hard},
                 {PlayMode::Resume, 1000, false, PlayMode::Hard}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ModeNumber(c.mMode));
        mApp.reset();
        Board& board = StartBoard(c.mMode);
        ASSERT_EQ(board.Model().Cards().size(), 12u);
        for (size_t k = 0; k < 12; ++k) {
            EXPECT_EQ(CardAt(board, k).mSolved, k % c.mInterval == 0) << k;
            EXPECT_EQ(CardAt(board, k).mPeek, c.mPeekAndHelp) << k;
        }
        EXPECT_EQ(board.Model().IsHelpShown(), c.mPeekAndHelp);
        EXPECT_EQ(board.Model().Mode(), c.mPlayedMode);
    }
}

TEST_F(BoardTest, AGridLargerThanItsDeckDealsEveryCombinationOnce) {
    WriteLevels("0 #level 0 #rows 3 #cols 4 #colors 2 0 1 #shapes 1 2 #symbols 3 0 1 2");
    Board& board = StartBoard(PlayMode::Easy);
    ASSERT_EQ(board.Model().Cards().size(), 6u);
    EXPECT_EQ(CardAt(board, 5).mX, 370.0f); // the cells of the 4 x 3 grid, row by row
    EXPECT_EQ(CardAt(board, 5).mY, 305.0f);
    std::set<std::pair<int, int>> faces;
    for (const auto& card : board.Model().Cards()) {
        EXPECT_EQ(card->mShape, 2);
        faces.insert({card->mColor, card->mSymbol});
    }
    EXPECT_EQ(faces.size(), 6u);
}

TEST_F(BoardTest, ALevelWithoutCardsGoesBackToTheTitleWithAMessage) {
    const char* files[] = {nullptr, "0 #level 1 #rows 3 #cols 4",
                           "0 #level 0 #rows 3 #cols 4 "
                           "#colors 0 #shapes 1 0 #symbols 1 0"};
    for (const char* file : files) {
        SCOPED_TRACE(file ? file : "no file");
        mApp.reset();
        std::filesystem::remove("Properties/Levels.txt");
        if (file != nullptr) {
            WriteLevels(file);
        }
        StartBoard(PlayMode::Easy);
        RunUpdates(1);
        EXPECT_EQ(App().mBoard, nullptr);
        EXPECT_NE(App().mTitleScreen, nullptr);
        ravix::Dialog* message = App().FindDialog(Board::kNoCardsDialogId);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->mBodyText, "Level 0 of Properties/Levels.txt has no cards to deal.");
        EXPECT_TRUE(App().mSounds.empty());
        EXPECT_FALSE(std::filesystem::exists(TopScoresPath()));
        EXPECT_FALSE(SavedGameFileExists());
    }
}

TEST_F(BoardTest, EscapeOrPauseFreezesTheClockUntilAClickThatOnlyResumes) {
    for (int key : {ravix::kKeyEscape, ravix::kKeyPause}) {
        mApp.reset();
        Board& board = StartBoard(PlayMode::Easy);
        RunUpdates(10);
        ASSERT_EQ(board.Model().Ticks(), 10);
        App().mWidgets->KeyUp(key);
        EXPECT_TRUE(board.Model().IsPaused());
        RunUpdates(100);
        EXPECT_EQ(board.Model().Ticks(), 10);
        App().mSounds.clear();
        ClickCard(board, CardAt(board, 1));
        EXPECT_FALSE(board.Model().IsPaused());
        EXPECT_FALSE(CardAt(board, 1).mSelected);
        EXPECT_TRUE(App().mSounds.empty());
        RunUpdates(5);
        EXPECT_EQ(board.Model().Ticks(), 15);
    }
}

TEST_F(BoardTest, TheClockStopsWhileTheBoardLacksTheFocus) {
    Board& board = StartBoard(PlayMode::Easy);
    RunUpdates(3);
    App().mWidgets->FocusWidget(nullptr);
    RunUpdates(50);
    EXPECT_EQ(board.Model().Ticks(), 3);
    App().mWidgets->FocusWidget(&board);
    RunUpdates(2);
    EXPECT_EQ(board.Model().Ticks(), 5);
}

TEST_F(BoardTest, TheFiveButtonsLieAboveTheBoardCentredOnTheirPoints) {
    StartBoard(PlayMode::Easy);
    const struct {
        int mId;
        ravix::Rect mRect;
    } cases[] = {{1, {340, 534, 120, 32}},
                 {0, {690, 500, 40, 40}},
                 {2, {60, 510, 40, 40}},
                 {3, {760, 8, 16, 16}},
                 {4, {776, 8, 16, 16}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mId);
        const ravix::ButtonWidget* button = BoardButton(c.mId);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetRect(), c.mRect);
        EXPECT_EQ(button->mFaceCell,
                  ravix::Rect(0, c.mRect.mHeight, c.mRect.mWidth, c.mRect.mHeight));
        EXPECT_EQ(button->mHoverCell, ravix::Rect(0, 0, c.mRect.mWidth, c.mRect.mHeight));
    }
    // In a window the minimise and close buttons are hidden.
    RunUpdates(1);
    EXPECT_FALSE(BoardButton(Board::kCloseButton)->mVisible);
    EXPECT_FALSE(BoardButton(Board::kMinimizeButton)->mVisible);
    EXPECT_TRUE(BoardButton(Board::kMenuButton)->mVisible);
}

TEST_F(BoardTest, TheMenuButtonClosesTheHelpFirstThenSavesAndShowsTheTitle) {
    Board& board = StartBoard(PlayMode::Beginner);
    ASSERT_TRUE(board.Model().IsHelpShown());
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_FALSE(board.Model().IsHelpShown());
    EXPECT_EQ(App().mBoard, &board);
    EXPECT_FALSE(SavedGameFileExists());
    board.OnButtonClick(Board::kHelpButton);
    EXPECT_TRUE(board.Model().IsHelpShown());
    board.OnButtonClick(Board::kHelpButton);
    std::vector<const ravix::Widget*> buttons;
    for (int id = Board::kHelpButton; id <= Board::kCloseButton; ++id) {
        buttons.push_back(BoardButton(id));
        ASSERT_NE(buttons.back(), nullptr) << id;
    }
    App().mSounds.clear();
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    EXPECT_TRUE(SavedGameFileExists());
    EXPECT_EQ(App().mBoard, nullptr);
    ASSERT_NE(App().mTitleScreen, nullptr);
    EXPECT_FALSE(App().mWidgets->HasChild(&board));
    // The buttons left with the board; they are deleted with it after the pass.
    for (const ravix::Widget* button : buttons) {
        EXPECT_EQ(button->GetParent(), nullptr);
    }
}

TEST_F(BoardTest, AWonGameRecordsItsScoreAndTheNextClickDealsTheNextLevel) {
    Board& board = StartBoard(PlayMode::Beginner);
    board.MouseUp(0, 0, 0, 1); // closes the help
    SavedGame game = Placed(board, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {}, Spare::No);
    game.mTicks = 6000;
    ASSERT_TRUE(board.Model().Restore(game)); // no spare card: the triple wins the game
    ravix::testing::WriteTextFile(SavedGamePath(), "left over");
    ClickCards(board, {0, 1, 2});
    App().mSounds.clear();
    RunUpdates(1);
    EXPECT_TRUE(board.Model().IsAllSolved());
    EXPECT_EQ(App().mSounds, std::vector<int>{kGameEnd});
    EXPECT_FALSE(SavedGameFileExists());
    // 100 + 44 pending, counted at once; the clock stopped at 6003 ticks, 60 seconds.
    EXPECT_EQ(ravix::testing::ReadTextFile(TopScoresPath()), "144 60\n144 60\n144 60\n");
    for (const auto& card : board.Model().Cards()) {
        EXPECT_EQ(card->mVanishTimer, 100);
        EXPECT_LT(card->mDelay, 50);
    }
    RunUpdates(100);
    EXPECT_EQ(board.Model().Ticks(), 6003);
    EXPECT_TRUE(CardAt(board, 0).mGone);
    App().mSounds.clear();
    board.MouseUp(0, 0, 0, 1);
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    EXPECT_EQ(board.Model().LevelIndex(), 1);
    EXPECT_EQ(board.Model().Mode(), PlayMode::Easy);
    EXPECT_EQ(board.Model().Cards().size(), 12u);
    EXPECT_FALSE(board.Model().IsAllSolved());
    EXPECT_EQ(board.Model().Score(), 100);
    EXPECT_EQ(board.Model().Ticks(), 0);
    // After the last level comes level 0.
    board.Model().NextGame();
    EXPECT_EQ(board.Model().LevelIndex(), 0);
}

TEST_F(BoardTest, LeavingAWonGameWithTheMenuButtonSavesTheNextGame) {
    Board& board = StartBoard(PlayMode::Easy);
    // No spare card: the triple wins the game.
    PlaceCards(board, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {}, Spare::No);
    ClickCards(board, {0, 1, 2});
    RunUpdates(1);
    ASSERT_TRUE(board.Model().IsAllSolved());
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_NE(App().mTitleScreen, nullptr);
    // The next game as the click would have dealt it, before any update of it ran.
    std::string text;
    ASSERT_EQ(ravix::ReadWholeFile(SavedGamePath(), 1 << 16, text), ravix::WholeFileResult::kRead);
    const std::optional<SavedGame> saved = ParseSavedGame(text, 100);
    ASSERT_TRUE(saved.has_value()) << text;
    EXPECT_EQ(saved->mLevelIndex, 1);
    EXPECT_EQ(saved->mMode, ModeNumber(PlayMode::Easy));
    EXPECT_EQ(saved->mScore, BoardModel::kStartScore);
    EXPECT_EQ(saved->mPendingScore, 0);
    EXPECT_EQ(saved->mTicks, 0);
    EXPECT_EQ(saved->mCards.size(), 12u);
}

TEST_F(BoardTest, InBeginnerModeTheHelpComesFirstAndTheFirstHintRightAfterIt) {
    Board& board = StartBoard(PlayMode::Beginner);
    ASSERT_TRUE(board.Model().IsHelpShown());
    RunUpdates(3);
    EXPECT_FALSE(board.Model().IsHintActive());
    App().mSounds.clear();
    board.MouseUp(0, 0, 0, 1);
    EXPECT_FALSE(board.Model().IsHelpShown());
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    RunUpdates(1);
    ASSERT_TRUE(board.Model().IsHintActive());
    std::vector<const Card*> blinking;
    for (const auto& card : board.Model().Cards()) {
        if (card->mBlink) {
            blinking.push_back(card.get());
        }
    }
    ASSERT_EQ(blinking.size(), 3u);
    EXPECT_GT(BoardModel::ScoreTriple(*blinking[0], *blinking[1], *blinking[2]), 0);
    EXPECT_EQ(board.Model().IdleTimer(), BoardModel::kIdleHintDelay);
}

TEST_F(BoardTest, AWonGameSaysNewBestOnlyWhenItEnteredTheRecords) {
    const struct {
        const char* mRecords; // null: none yet
        bool mNewBest;
    } cases[] = {{nullptr, true}, {"1000 1\n1000 1\n1000 1\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mNewBest);
        mApp.reset();
        std::filesystem::remove(TopScoresPath());
        if (c.mRecords != nullptr) {
            ravix::testing::WriteTextFile(TopScoresPath(), c.mRecords);
        }
        Board& board = StartBoard(PlayMode::Normal);
        // 1000 s into the game: no record of 1 s falls.
        SavedGame game = Placed(board, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, {}, Spare::No);
        game.mTicks = 100000;
        ASSERT_TRUE(board.Model().Restore(game));
        ClickCards(board, {0, 1, 2});
        RunUpdates(1);
        ASSERT_TRUE(board.Model().IsAllSolved());
        const std::vector<std::string> texts = DrawBoard(board).mDefault;
        auto drawn = [&](const std::string& start) {
            return std::any_of(texts.begin(), texts.end(),
                               [&](const std::string& text) { return text.starts_with(start); });
        };
        EXPECT_TRUE(drawn("Next: level 2 - Normal@"));
        EXPECT_EQ(drawn("New best!@"), c.mNewBest);
    }
}

TEST_F(BoardTest, DrawsTheScoreTheClockAndTheBonusAtTheirPlaces) {
    Board& board = StartBoard(PlayMode::Easy);
    // A first won game (so a new best) at -7 points after 12:05.
    SavedGame game = board.Model().State();
    game.mScore = -7;
    game.mTicks = 6000 * 12 + 100 * 5 + 99;
    for (SavedCard& card : game.mCards) {
        card.mSolved = true;
    }
    ASSERT_TRUE(board.Model().Restore(game));
    RunUpdates(1);
    ASSERT_TRUE(board.Model().IsAllSolved());
    board.ShowBonus(44, 310, 245);
    const DrawnTexts drawn = DrawBoard(board);

    // The level label lies under the game's name, right of the score, above the cards.
    EXPECT_EQ(drawn.mSmall, (std::vector<std::string>{"-7@390,72#FFFFFFFF", "12@66,76#FFFFFFFF",
                                                      "Level 1 - Easy@620,100#ECC468FF"}));
    EXPECT_EQ(drawn.mMicro, std::vector<std::string>{"05@95,73#00FF00FF"});
    EXPECT_EQ(drawn.mDefault,
              (std::vector<std::string>{"+44@312,247#000000FF", "+44@310,245#FFFFFFFF",
                                        "Click for next game@310,302#000000FF",
                                        "Click for next game@308,300#FFFFFFFF",
                                        "Next: level 2 - Easy@302,338#000000FF",
                                        "Next: level 2 - Easy@300,336#FFFFFFFF",
                                        "New best!@357,374#000000FF",
                                        "New best!@355,372#FFFFFFFF"}));
    // The "+N" rises one pixel a frame.
    EXPECT_EQ(DrawBoard(board).mDefault[1], "+44@310,244#FFFFFFFF");
}

} // namespace
} // namespace tarnwick
