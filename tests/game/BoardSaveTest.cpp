#include "game/GameTestSupport.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "game/Sprite.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarnwick {
namespace {

// The small levels' level 0 dealt with seed 1 in mode 1, with a few fields changed.
const std::string kSavedGame = "97 -3\n"
                               "1234\n"
                               "1\n"
                               "0\n"
                               "1\n"
                               "12\n"
                               "1 2 1 0 310 245\n"
                               "0 1 1 1 370 245\n"
                               "0 1 1 0 430 245\n"
                               "0 0 0 1 490 245\n"
                               "1 1 0 0 310 305\n"
                               "0 0 1 0 370 305\n"
                               "0 0 0 0 430 305\n"
                               "0 0 1 1 490 305\n"
                               "1 2 0 1 310 365\n"
                               "0 2 1 1 370 365\n"
                               "0 1 0 1 430 365\n"
                               "0 2 0 0 490 365\n";

// The saved game with line `line` (from 1) replaced, or removed when replacement is null.
std::string WithLine(int line, const char* replacement) {
    std::istringstream in(kSavedGame);
    std::string out;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (number != line) {
            out += text + "\n";
        } else if (replacement != nullptr) {
            out += std::string(replacement) + "\n";
        }
    }
    return out;
}

class BoardSaveTest : public testing::GameTest {
protected:
    BoardSaveTest() { WriteLevels(testing::kSmallLevels); }
};

TEST_F(BoardSaveTest, TheSavedGameIsTheBoardAsTextOneLinePerCard) {
    Board& board = StartBoard(PlayMode::Easy);
    SavedGame game = board.Model().State();
    game.mScore = 97;
    game.mPendingScore = -3;
    game.mTicks = 1234;
    ASSERT_TRUE(board.Model().Restore(game));
    EXPECT_TRUE(board.Model().SaveGame());
    EXPECT_EQ(ravix::testing::ReadTextFile(SavedGamePath()), kSavedGame);
    EXPECT_EQ(board.Model().State(), game);
}

TEST_F(BoardSaveTest, ResumingRestoresEveryFieldAndDrawsNothingAtRandom) {
    ravix::testing::WriteTextFile(SavedGamePath(), kSavedGame);
    EXPECT_EQ(BoardModel::InspectSavedGame(Board::CurrentCardPictures()),
              BoardModel::SavedGameState::Usable);
    ravix::gRandom.Seed(7);
    Board& board = StartBoard(PlayMode::Resume);
    const BoardModel& game = board.Model();
    EXPECT_EQ(ravix::gRandom.Next(), ravix::Random(7).Next());
    EXPECT_EQ(game.Score(), 97);
    EXPECT_EQ(game.PendingScore(), -3);
    EXPECT_EQ(game.Ticks(), 1234);
    EXPECT_EQ(game.Mode(), PlayMode::Easy);
    EXPECT_EQ(game.LevelIndex(), 0);
    EXPECT_EQ(game.CardScale(), 1.0f);
    EXPECT_FALSE(game.IsHelpShown());
    ASSERT_EQ(game.Cards().size(), 12u);
    // Leaving at once writes the same game back.
    EXPECT_TRUE(board.Model().SaveGame());
    EXPECT_EQ(ravix::testing::ReadTextFile(SavedGamePath()), kSavedGame);
    RunUpdates(1);
    for (size_t k = 0; k < 12; ++k) {
        const Card& card = *game.Cards()[k];
        EXPECT_EQ(card.mSolved, k % 4 == 0) << k;
        EXPECT_FALSE(card.mPeek) << k;
        EXPECT_EQ(card.mBaseScale, 1.0f) << k;
        EXPECT_EQ(card.mLayers[Card::kBackLayer]->mVisible, !card.mSolved) << k;
    }
    EXPECT_EQ(game.Cards()[0]->mX, 310.0f);
    EXPECT_EQ(game.Cards()[0]->mY, 245.0f);
    EXPECT_EQ(game.Cards()[11]->mColor, 0);
    EXPECT_EQ(game.Cards()[11]->mShape, 0);
    EXPECT_EQ(game.Cards()[11]->mSymbol, 2);
}

TEST_F(BoardSaveTest, ResumingABeginnerGameOnALaterLevelPeeksAndUsesThatLevel) {
    std::string text = WithLine(3, "0");
    text = text.substr(0, text.find("12\n")) + "12\n";
    const char* cards[] = {"1 5 1 2", "0 6 2 3", "0 7 1 3", "0 5 2 2", "1 6 1 2", "0 7 2 2",
                           "0 5 1 3", "0 6 2 2", "1 7 1 2", "0 5 2 3", "0 6 1 3", "0 7 2 3"};
    for (int k = 0; k < 12; ++k) {
        // Level 1 has level 0's grid: the same places.
        text += std::string(cards[k]) + " " + std::to_string(310 + 60 * (k % 4)) + " " +
                std::to_string(245 + 60 * (k / 4)) + "\n";
    }
    text.replace(text.find("\n0\n1\n12"), 3, "\n1\n"); // level 1, whose values these are
    ravix::testing::WriteTextFile(SavedGamePath(), text);
    const BoardModel& game = StartBoard(PlayMode::Resume).Model();
    EXPECT_EQ(game.Mode(), PlayMode::Beginner);
    EXPECT_EQ(game.LevelIndex(), 1);
    EXPECT_EQ(game.GetLevel().mLevelNumber, 1);
    ASSERT_EQ(game.Cards().size(), 12u);
    EXPECT_TRUE(game.Cards()[1]->mPeek);
    EXPECT_EQ(game.Cards()[1]->mColor, 2);
}

TEST_F(BoardSaveTest, ASavedGameThatDoesNotFitIsDiscardedForANewDeal) {
    const struct {
        const char* mName;
        std::string mText;
    } cases[] = {
        {"a card line missing", WithLine(18, nullptr)},
        {"a card value missing", WithLine(18, "0 2 0 0 490")},
        {"a word for a number", WithLine(1, "97 x")},
        {"mode outside the four", WithLine(3, "5")},
        {"the resume mode", WithLine(3, "8")},
        {"level beyond the last", WithLine(4, "2")},
        {"negative level", WithLine(4, "-1")},
        {"zero card scale", WithLine(5, "0")},
        {"negative clock", WithLine(2, "-5")},
        {"more cards than cells", WithLine(6, "13") + "0 2 0 0 490 365\n"},
        {"fewer cards than cells", WithLine(18, nullptr).replace(20, 3, "11\n")},
        {"a count no file can hold", WithLine(6, "4000000000")},
        {"a colour the level lacks", WithLine(18, "0 2 2 0 490 365")},
        {"a symbol the level lacks", WithLine(18, "0 3 0 0 490 365")},
        {"a solved flag of 2", WithLine(18, "2 2 0 0 490 365")},
        {"a score beyond what a game reaches", WithLine(1, "100000000 0")},
        {"pending points beyond it", WithLine(1, "97 99999903")},
        {"a score below it", WithLine(1, "-100000000 0")},
        {"a clock beyond 1000 hours", WithLine(2, "360000001")},
        {"a card moved off its place", WithLine(18, "0 2 0 0 900 365")},
        {"a card moved a pixel", WithLine(7, "1 2 1 0 311 245")},
        {"a card on the next card's place", WithLine(7, "1 2 1 0 370 245")},
        {"a card scale other than the level's", WithLine(5, "0.5")},
        {"garbage", "\x7f" "ELF garbage"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mName);
        mApp.reset();
        ravix::gRandom.Seed(1);
        ravix::testing::WriteTextFile(SavedGamePath(), c.mText);
        // What a board refuses is never offered for resuming.
        EXPECT_EQ(BoardModel::InspectSavedGame(Board::CurrentCardPictures()),
                  BoardModel::SavedGameState::Unusable);
        const BoardModel& game = StartBoard(PlayMode::Resume).Model();
        EXPECT_EQ(game.Mode(), PlayMode::Hard);
        EXPECT_EQ(game.Score(), 100);
        EXPECT_EQ(game.Ticks(), 0);
        ASSERT_EQ(game.Cards().size(), 12u);
        EXPECT_EQ(game.Cards()[0]->mX, 310.0f);
        EXPECT_EQ(game.Cards()[0]->mSymbol, 2); // the seed-1 deal
        EXPECT_EQ(game.Cards()[1]->mSolved, false);
    }
}

TEST_F(BoardSaveTest, AValueOutsideThePicturesIsDiscardedEvenWhenTheLevelListsIt) {
    WriteLevels("0 #level 0 #rows 1 #cols 3 #colors 1 3 #shapes 1 0 #symbols 3 0 1 2");
    ravix::testing::WriteTextFile(SavedGamePath(), "100 0\n0\n1\n0\n1\n3\n"
                                                   "0 0 3 0 10 10\n0 1 3 0 20 20\n0 2 3 0 30 30\n");
    const BoardModel& game = StartBoard(PlayMode::Easy).Model();
    EXPECT_EQ(game.Score(), 100);
    EXPECT_EQ(game.Cards()[0]->mX, 340.0f); // dealt afresh
}

} // namespace
} // namespace tarnwick
