#include "game/SaveFiles.h"
#include "game/GameTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <locale>

namespace tarnwick {
namespace {

using SaveFilesTest = testing::GameTest;

std::string TopScoresText() {
    return ravix::testing::ReadTextFile(TopScoresPath());
}

TEST_F(SaveFilesTest, TheFolderLiesBelowTheDataFolder) {
    EXPECT_EQ(SaveFolder(), mHome.Data() + "/Save/");
    EXPECT_EQ(SavedGamePath(), mHome.Data() + "/Save/autosave");
    EXPECT_EQ(TopScoresPath(), mHome.Data() + "/Save/topscores");
}

TEST_F(SaveFilesTest, AFirstWonGameFillsAllThreeRecordsAndALaterOneOnlyWhatItBeats) {
    const std::array<TopScore, 3> none = ReadTopScores();
    for (const TopScore& record : none) {
        EXPECT_EQ(record.mScore, 0);
        EXPECT_EQ(record.mTime, 0);
    }
    RecordTopScore(60, 150);
    EXPECT_EQ(TopScoresText(), "150 60\n150 60\n150 60\n");
    // 140 - 40 = 100 beats 150 - 60 = 90, and 40 s beats 60 s; 140 points do not beat 150.
    RecordTopScore(40, 140);
    EXPECT_EQ(TopScoresText(), "140 40\n150 60\n140 40\n");
    const std::array<TopScore, 3> records = ReadTopScores();
    EXPECT_EQ(records[1].mScore, 150);
    EXPECT_EQ(records[2].mTime, 40);
}

TEST_F(SaveFilesTest, TiesKeepTheOlderRecord) {
    const std::array<TopScore, 3> old = {TopScore{100, 50}, TopScore{100, 50}, TopScore{100, 50}};
    const std::array<TopScore, 3> merged = MergeTopScore(old, 50, 100);
    for (const TopScore& record : merged) {
        EXPECT_EQ(record.mScore, 100);
        EXPECT_EQ(record.mTime, 50);
    }
    // A negative score still makes a fastest game when there is no record yet.
    const std::array<TopScore, 3> first = MergeTopScore({}, 30, -20);
    EXPECT_EQ(first[0].mScore, 0);
    EXPECT_EQ(first[1].mScore, 0);
    EXPECT_EQ(first[2].mScore, -20);
}

TEST_F(SaveFilesTest, RecordsOfAnyTwoNumbersCompareWithoutOverflow) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    // A balance of 2^32 - 1 is not beaten by 90, nor one of -(2^32 - 1) kept against it.
    const std::array<TopScore, 3> huge = {TopScore{kMax, kMin}, TopScore{kMax, 1}, TopScore{0, 1}};
    EXPECT_EQ(MergeTopScore(huge, 10, 100)[0], (TopScore{kMax, kMin}));
    const std::array<TopScore, 3> tiny = {TopScore{kMin, kMax}, TopScore{kMin, 1}, TopScore{0, 1}};
    EXPECT_EQ(MergeTopScore(tiny, 10, 100)[0], (TopScore{100, 10}));
}

TEST_F(SaveFilesTest, WhatAGameCannotReachIsNotASavedGame) {
    const SavedGame base{100, 0, 0, 1, 0, 1.0f, {}};
    const struct {
        const char* mName;
        std::function<void(SavedGame&)> mChange;
        bool mPlayable;
    } cases[] = {
        {"the score at the top", [](SavedGame& g) { g.mScore = kScoreLimit; }, true},
        {"the score beyond the top", [](SavedGame& g) { g.mScore = kScoreLimit + 1; }, false},
        {"the score at the bottom", [](SavedGame& g) { g.mScore = -kScoreLimit; }, true},
        {"the lowest int", [](SavedGame& g) { g.mScore = std::numeric_limits<int>::min(); }, false},
        {"pending points beyond the top",
         [](SavedGame& g) { g.mPendingScore = kScoreLimit - 99; }, false},
        {"pending points to the bottom",
         [](SavedGame& g) { g.mPendingScore = -kScoreLimit - 100; }, true},
        {"the largest pending points",
         [](SavedGame& g) { g.mPendingScore = std::numeric_limits<int>::max(); }, false},
        {"the clock at its limit", [](SavedGame& g) { g.mTicks = kMaxTicks; }, true},
        {"the clock beyond it", [](SavedGame& g) { g.mTicks = kMaxTicks + 1; }, false},
    };
    for (const auto& c : cases) {
        SavedGame game = base;
        c.mChange(game);
        EXPECT_EQ(IsPlayableSavedGame(game), c.mPlayable) << c.mName;
    }
}

TEST_F(SaveFilesTest, AMalformedFileKeepsWhatWasReadBeforeTheFault) {
    ravix::testing::WriteTextFile(TopScoresPath(), "120 30\nabc 5\n7 7\n");
    const std::array<TopScore, 3> records = ReadTopScores();
    EXPECT_EQ(records[0].mScore, 120);
    EXPECT_EQ(records[0].mTime, 30);
    EXPECT_EQ(records[1].mScore, 0);
    EXPECT_EQ(records[2].mScore, 0);
}

// A user locale that groups thousands with '.' must not change the files.
struct GroupingPunct : std::numpunct<char> {
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST_F(SaveFilesTest, NumbersAreWrittenInTheCLocaleWhateverTheUsersLocale) {
    const std::locale old =
        std::locale::global(std::locale(std::locale::classic(), new GroupingPunct));
    RecordTopScore(1500, 12345);
    const std::array<TopScore, 3> records = ReadTopScores();
    std::locale::global(old);
    EXPECT_EQ(TopScoresText(), "12345 1500\n12345 1500\n12345 1500\n");
    EXPECT_EQ(records[0].mScore, 12345);
}

TEST_F(SaveFilesTest, ASavedGameReadsBackAsItWasWritten) {
    SavedGame game{-12, 7, 99, 2, 3, 0.75f, {}};
    game.mCards = {{true, 7, 2, 3, 142.5f, 245.25f}, {false, 0, 0, 0, 0.125f, 599.5f}};
    const std::string text = FormatSavedGame(game);
    EXPECT_EQ(text, "-12 7\n99\n2\n3\n0.75\n2\n1 7 2 3 142.5 245.25\n0 0 0 0 0.125 599.5\n");
    const std::optional<SavedGame> read = ParseSavedGame(text, 2);
    ASSERT_TRUE(read);
    EXPECT_EQ(FormatSavedGame(*read), text);
    // More cards than the caller allows are refused before anything is read for them.
    EXPECT_FALSE(ParseSavedGame(text, 1));
}

TEST_F(SaveFilesTest, DeletingTheSavedGameIsQuietWhenThereIsNone) {
    EXPECT_FALSE(SavedGameFileExists());
    DeleteSavedGame();
    ravix::testing::WriteTextFile(SavedGamePath(), "x");
    EXPECT_TRUE(SavedGameFileExists());
    DeleteSavedGame();
    EXPECT_FALSE(SavedGameFileExists());
}

} // namespace
} // namespace tarnwick
