#include "game/GameTestSupport.h"
#include "game/Level.h"
#include "game/Renderer.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "graphics/Graphics.h"
#include "graphics/TestFont.h"
#include "platform/KeyCodes.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

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

class BoardTest : public testing::GameTest {
protected:
    BoardTest() { WriteLevels(testing::kSmallLevels); }

    // Replaces the board's cards by cards of the faces in a row 100 pixels apart, and one more
    // unsolved card far away that matches nothing, so that the game never ends by itself.
    void PlaceCards(Board& board, const std::vector<Face>& faces,
                    const std::vector<bool>& solved = {}) {
        board.mCards.clear();
        for (size_t i = 0; i <= faces.size(); ++i) {
            const bool spare = i == faces.size();
            auto card =
                std::make_unique<Card>(board.mRenderer.get(), spare ? 700.0f : 100.0f + 100 * i,
                                       spare ? 500.0f : 100.0f, 1.0f);
            const Face face = spare ? Face{2, 3, 7} : faces[i];
            card->SetFace(face.mShape, face.mSymbol, face.mColor);
            if (!spare && i < solved.size() && solved[i]) {
                card->MarkSolved();
            }
            board.mCards.push_back(std::move(card));
        }
    }
    void ClickCards(Board& board, std::initializer_list<int> indices) {
        for (int i : indices) {
            ClickCard(board, *board.mCards[static_cast<size_t>(i)]);
        }
    }
};

TEST_F(BoardTest, ATripleScoresForEachPairOfSharedAttributes) {
    Renderer renderer;
    const struct {
        Face mA, mB, mC;
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
        Card a(&renderer, 0, 0, 1), b(&renderer, 0, 0, 1), d(&renderer, 0, 0, 1);
        a.SetFace(c.mA.mShape, c.mA.mSymbol, c.mA.mColor);
        b.SetFace(c.mB.mShape, c.mB.mSymbol, c.mB.mColor);
        d.SetFace(c.mC.mShape, c.mC.mSymbol, c.mC.mColor);
        EXPECT_EQ(Board::ScoreTriple(a, b, d), c.mPoints) << c.mPoints;
    }
}

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
        Board& board = StartBoard(1);
        PlaceCards(board, c.mFaces, c.mSolved);
        App().mSounds.clear();
        ClickCards(board, {0, 1, 2});
        // The third pick plays only the judgement.
        EXPECT_EQ(App().mSounds, (std::vector<int>{kClick, kClick, c.mJudgeSound}));
        EXPECT_EQ(board.mPendingScore, c.mPending);
        EXPECT_EQ(board.mResultDelay, Board::kResultDelay);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(board.mCards[static_cast<size_t>(i)]->mSolved,
                      c.mScored || (i < static_cast<int>(c.mSolved.size()) && c.mSolved[i]))
                << i;
            EXPECT_EQ(board.mCards[static_cast<size_t>(i)]->mSelected, !c.mScored) << i;
        }
        EXPECT_EQ(board.mBonusTimer, c.mScored ? 100 : 0);
        if (c.mScored) {
            EXPECT_EQ(board.mBonusValue, c.mPending);
            EXPECT_EQ(board.mBonusX, 300);
            EXPECT_EQ(board.mBonusY, 100);
        }
    }
}

TEST_F(BoardTest, ClicksWaitFiftyUpdatesThenFailedPicksTurnBack) {
    Board& board = StartBoard(1);
    PlaceCards(board, {{0, 1, 2}, {0, 0, 1}, {1, 1, 0}, {0, 1, 2}});
    ClickCards(board, {0, 1, 2});
    App().mSounds.clear();
    RunUpdates(49);
    ASSERT_EQ(board.mResultDelay, 1);
    board.MouseMove(400, 100);
    board.MouseUp(400, 100, 0, 1);
    EXPECT_TRUE(App().mSounds.empty());
    EXPECT_FALSE(board.mCards[3]->mSelected);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(board.mCards[static_cast<size_t>(i)]->mSelected) << i;
    }
    RunUpdates(1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(board.mCards[static_cast<size_t>(i)]->mSelected) << i;
        EXPECT_EQ(board.mCards[static_cast<size_t>(i)]->mFlipTimer, 95) << i;
    }
    // Score points are counted one per update, down as well as up.
    EXPECT_EQ(board.mScore, 97);
    EXPECT_EQ(board.mPendingScore, 0);
}

TEST_F(BoardTest, AKnownSeedDealsAKnownGameOnTheGrid) {
    Board& board = StartBoard(2);
    ASSERT_EQ(board.mCards.size(), 12u);
    EXPECT_EQ(board.mCardScale, 1.0f);
    for (size_t k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        const Card& card = *board.mCards[k];
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
        int mMode;
        int mInterval;
        bool mPeekAndHelp;
        int mPlayedMode;
    } cases[] = {{0, 2, true, 0},
                 {1, 4, false, 1},
                 {2, 6, false, 2},
                 {3, 1000, false, 3},
                 {Board::kResumeMode, 1000, false, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mMode);
        mApp.reset();
        Board& board = StartBoard(c.mMode);
        ASSERT_EQ(board.mCards.size(), 12u);
        for (size_t k = 0; k < 12; ++k) {
            EXPECT_EQ(board.mCards[k]->mSolved, k % c.mInterval == 0) << k;
            EXPECT_EQ(board.mCards[k]->mPeek, c.mPeekAndHelp) << k;
        }
        EXPECT_EQ(board.mShowHelp, c.mPeekAndHelp);
        EXPECT_EQ(board.mMode, c.mPlayedMode);
    }
}

TEST_F(BoardTest, AGridLargerThanItsDeckDealsEveryCombinationOnce) {
    WriteLevels("0 #level 0 #rows 3 #cols 4 #colors 2 0 1 #shapes 1 2 #symbols 3 0 1 2");
    Board& board = StartBoard(1);
    ASSERT_EQ(board.mCards.size(), 6u);
    EXPECT_EQ(board.mCards[5]->mX, 370.0f); // the cells of the 4 x 3 grid, row by row
    EXPECT_EQ(board.mCards[5]->mY, 305.0f);
    std::set<std::pair<int, int>> faces;
    for (const auto& card : board.mCards) {
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
        StartBoard(1);
        RunUpdates(1);
        EXPECT_EQ(App().mBoard, nullptr);
        EXPECT_NE(App().mTitleScreen, nullptr);
        ravix::Dialog* message = App().FindDialog(Board::kNoCardsDialogId);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->mBodyText, "Level 0 of Properties/Levels.txt has no cards to deal.");
        EXPECT_TRUE(App().mSounds.empty());
        EXPECT_FALSE(std::filesystem::exists(TopScoresPath()));
        EXPECT_FALSE(SavedGameExists());
    }
}

TEST_F(BoardTest, EscapeOrPauseFreezesTheClockUntilAClickThatOnlyResumes) {
    for (int key : {ravix::kKeyEscape, ravix::kKeyPause}) {
        mApp.reset();
        Board& board = StartBoard(1);
        RunUpdates(10);
        ASSERT_EQ(board.mTicks, 10);
        App().mWidgets->KeyUp(key);
        EXPECT_TRUE(board.mPaused);
        RunUpdates(100);
        EXPECT_EQ(board.mTicks, 10);
        App().mSounds.clear();
        ClickCard(board, *board.mCards[1]);
        EXPECT_FALSE(board.mPaused);
        EXPECT_FALSE(board.mCards[1]->mSelected);
        EXPECT_TRUE(App().mSounds.empty());
        RunUpdates(5);
        EXPECT_EQ(board.mTicks, 15);
    }
}

TEST_F(BoardTest, TheClockStopsWhileTheBoardLacksTheFocus) {
    Board& board = StartBoard(1);
    RunUpdates(3);
    App().mWidgets->FocusWidget(nullptr);
    RunUpdates(50);
    EXPECT_EQ(board.mTicks, 3);
    App().mWidgets->FocusWidget(&board);
    RunUpdates(2);
    EXPECT_EQ(board.mTicks, 5);
}

TEST_F(BoardTest, TheFiveButtonsLieAboveTheBoardCentredOnTheirPoints) {
    Board& board = StartBoard(1);
    const struct {
        ravix::ButtonWidget* mButton;
        int mId;
        ravix::Rect mRect;
    } cases[] = {{board.mMenuButton.get(), 1, {340, 534, 120, 32}},
                 {board.mHelpButton.get(), 0, {690, 500, 40, 40}},
                 {board.mOptionsButton.get(), 2, {60, 510, 40, 40}},
                 {board.mMinimizeButton.get(), 3, {760, 8, 16, 16}},
                 {board.mCloseButton.get(), 4, {776, 8, 16, 16}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mId);
        ASSERT_NE(c.mButton, nullptr);
        EXPECT_EQ(c.mButton->mId, c.mId);
        EXPECT_EQ(c.mButton->GetRect(), c.mRect);
        EXPECT_EQ(c.mButton->GetParent(), App().mWidgets.get());
        EXPECT_EQ(c.mButton->mFaceCell,
                  ravix::Rect(0, c.mRect.mHeight, c.mRect.mWidth, c.mRect.mHeight));
        EXPECT_EQ(c.mButton->mHoverCell, ravix::Rect(0, 0, c.mRect.mWidth, c.mRect.mHeight));
    }
    // In a window the minimise and close buttons are hidden.
    RunUpdates(1);
    EXPECT_FALSE(board.mCloseButton->mVisible);
    EXPECT_TRUE(board.mMenuButton->mVisible);
}

TEST_F(BoardTest, TheMenuButtonClosesTheHelpFirstThenSavesAndShowsTheTitle) {
    Board& board = StartBoard(0);
    ASSERT_TRUE(board.mShowHelp);
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_FALSE(board.mShowHelp);
    EXPECT_EQ(App().mBoard, &board);
    EXPECT_FALSE(SavedGameExists());
    board.OnButtonClick(Board::kHelpButton);
    EXPECT_TRUE(board.mShowHelp);
    board.OnButtonClick(Board::kHelpButton);
    const ravix::Widget* buttons[] = {board.mMenuButton.get(), board.mHelpButton.get(),
                                      board.mOptionsButton.get(), board.mMinimizeButton.get(),
                                      board.mCloseButton.get()};
    App().mSounds.clear();
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    EXPECT_TRUE(SavedGameExists());
    EXPECT_EQ(App().mBoard, nullptr);
    ASSERT_NE(App().mTitleScreen, nullptr);
    EXPECT_FALSE(App().mWidgets->HasChild(&board));
    for (const ravix::Widget* button : buttons) {
        EXPECT_EQ(button->GetParent(), nullptr);
    }
    EXPECT_EQ(board.mMenuButton, nullptr);
}

TEST_F(BoardTest, AWonGameRecordsItsScoreAndTheNextClickDealsTheNextLevel) {
    Board& board = StartBoard(0);
    board.mShowHelp = false;
    PlaceCards(board, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    board.mCards.pop_back(); // no spare card: the triple wins the game
    board.mTicks = 6000;
    ravix::testing::WriteTextFile(SavedGamePath(), "left over");
    ClickCards(board, {0, 1, 2});
    App().mSounds.clear();
    RunUpdates(1);
    EXPECT_TRUE(board.IsAllSolved());
    EXPECT_EQ(App().mSounds, std::vector<int>{kGameEnd});
    EXPECT_FALSE(SavedGameExists());
    // 100 + 44 pending, counted at once; the clock stopped at 6003 ticks, 60 seconds.
    EXPECT_EQ(ravix::testing::ReadTextFile(TopScoresPath()), "144 60\n144 60\n144 60\n");
    for (const auto& card : board.mCards) {
        EXPECT_EQ(card->mVanishTimer, 100);
        EXPECT_LT(card->mDelay, 50);
    }
    RunUpdates(100);
    EXPECT_EQ(board.mTicks, 6003);
    EXPECT_TRUE(board.mCards[0]->mGone);
    App().mSounds.clear();
    board.MouseUp(0, 0, 0, 1);
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    EXPECT_EQ(board.mLevelIndex, 1);
    EXPECT_EQ(board.mMode, 1);
    EXPECT_EQ(board.mCards.size(), 12u);
    EXPECT_FALSE(board.IsAllSolved());
    EXPECT_EQ(board.mScore, 100);
    EXPECT_EQ(board.mTicks, 0);
    // After the last level comes level 0.
    board.NextGame();
    EXPECT_EQ(board.mLevelIndex, 0);
}

TEST_F(BoardTest, LeavingAWonGameWithTheMenuButtonSavesNothing) {
    Board& board = StartBoard(1);
    PlaceCards(board, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
    board.mCards.pop_back(); // no spare card: the triple wins the game
    ClickCards(board, {0, 1, 2});
    RunUpdates(1);
    ASSERT_TRUE(board.IsAllSolved());
    board.OnButtonClick(Board::kMenuButton);
    EXPECT_FALSE(SavedGameExists());
    EXPECT_NE(App().mTitleScreen, nullptr);
}

TEST_F(BoardTest, InBeginnerModeTheHelpComesFirstAndTheFirstHintRightAfterIt) {
    Board& board = StartBoard(0);
    ASSERT_TRUE(board.mShowHelp);
    RunUpdates(3);
    EXPECT_FALSE(board.mHintActive);
    App().mSounds.clear();
    board.MouseUp(0, 0, 0, 1);
    EXPECT_FALSE(board.mShowHelp);
    EXPECT_EQ(App().mSounds, std::vector<int>{kButton});
    RunUpdates(1);
    ASSERT_TRUE(board.mHintActive);
    std::vector<Card*> blinking;
    for (const auto& card : board.mCards) {
        if (card->mBlink) {
            blinking.push_back(card.get());
        }
    }
    ASSERT_EQ(blinking.size(), 3u);
    EXPECT_GT(Board::ScoreTriple(*blinking[0], *blinking[1], *blinking[2]), 0);
    EXPECT_EQ(board.mIdleTimer, Board::kIdleHintDelay);
}

TEST_F(BoardTest, DrawsTheScoreTheClockAndTheBonusAtTheirPlaces) {
    ravix::test::TestFont small, micro, large;
    FONT_SMALL = &small;
    FONT_MICRO = &micro;
    FONT_DEFAULT = &large;
    Board& board = StartBoard(1);
    board.mScore = -7;
    board.mTicks = 6000 * 12 + 100 * 5 + 99; // 12:05
    board.mBonusTimer = 100;
    board.mBonusValue = 44;
    board.mBonusX = 310;
    board.mBonusY = 245;
    board.mAllSolved = true;
    ravix::MemoryImage screen;
    screen.Create(800, 600);
    ravix::Graphics g(&screen);
    board.Draw(g);
    FONT_SMALL = FONT_MICRO = FONT_DEFAULT = nullptr;

    // Test glyphs are 10 pixels wide.
    EXPECT_EQ(small.mDrawn, (std::vector<std::string>{"-7@390,72#FFFFFFFF", "12@66,76#FFFFFFFF"}));
    EXPECT_EQ(micro.mDrawn, std::vector<std::string>{"05@95,73#00FF00FF"});
    EXPECT_EQ(large.mDrawn,
              (std::vector<std::string>{"+44@312,247#000000FF", "+44@310,245#FFFFFFFF",
                                        "Click for next game@310,302#000000FF",
                                        "Click for next game@308,300#FFFFFFFF"}));
    EXPECT_EQ(board.mBonusTimer, 99);
    EXPECT_EQ(board.mBonusY, 244);
}

} // namespace
} // namespace tarnwick
