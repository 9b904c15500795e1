// Reading the levels file as the game does, and the checker that the data build and the game's
// start-up run over it.
#include "game/LevelsFile.h"

#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

namespace {

using tarnwick::CheckLevels;
using tarnwick::LevelDefinition;
using tarnwick::LevelPictureCells;
using tarnwick::LevelsFile;
using tarnwick::LevelValueList;
using tarnwick::ParseLevels;

std::string Values(const char* name, const LevelValueList& list) {
    if (!list.mGiven)
        return "";
    std::string out = std::string(" ") + name + "=" + std::to_string(list.mCount) + ":";
    for (size_t i = 0; i < list.mValues.size(); ++i)
        out += (i ? "," : "") + std::to_string(list.mValues[i]);
    return out;
}

// Everything loading the level finds, in one line.
std::string Summary(const LevelsFile& file, int number) {
    auto found = file.mLevels.find(number);
    if (found == file.mLevels.end())
        return "absent";
    const LevelDefinition& level = found->second;
    std::string out = "cols=" + (level.mCols ? std::to_string(*level.mCols) : "-") +
                      " rows=" + (level.mRows ? std::to_string(*level.mRows) : "-");
    out += Values("colors", level.mColors) + Values("shapes", level.mShapes) +
           Values("symbols", level.mSymbols);
    if (level.mStoppedAt)
        out += " stopped=" + *level.mStoppedAt;
    return out;
}

TEST(LevelsFileTest, ParsesEachLevelAsTheGameLoadsIt) {
    const struct {
        const char* text;
        int level;
        const char* expected;
    } cases[] = {
        // Blocks in any order; line breaks mean nothing.
        {"2 #level 2 #cols 9 #level 0 #cols 4\n#rows 3 #level 1 #rows 5", 0, "cols=4 rows=3"},
        {"2 #level 2 #cols 9 #level 0 #cols 4 #rows 3 #level 1 #rows 5", 1, "cols=- rows=5"},
        {"2 #level 2 #cols 9 #level 0 #cols 4 #rows 3 #level 1 #rows 5", 2, "cols=9 rows=-"},
        // Unknown words are skipped one at a time, numbers after them too.
        {"0 #level 0 easy #cols 4 start 7 here #rows 3 #colors 2 0 1", 0,
         "cols=4 rows=3 colors=2:0,1"},
        // A repeated list keyword empties the list first.
        {"0 #level 0 #colors 3 0 1 2 #rows 3 #colors 1 2", 0, "cols=- rows=3 colors=1:2"},
        // A later block of the same number replaces only the keys it repeats.
        {"1 #level 0 #cols 4 #rows 3 #level 1 #cols 6 #level 0 #rows 5", 0, "cols=4 rows=5"},
        // A count larger than the values left: what is there.
        {"0 #level 0 #symbols 3 5 6", 0, "cols=- rows=- symbols=3:5,6"},
        {"0 #level 0 #shapes 2", 0, "cols=- rows=- shapes=2:"},
        {"0 #level 0 #shapes -2 #cols 1", 0, "cols=1 rows=- shapes=-2:"},
        // Signs; a token that is not a whole number stops this level (and only this one).
        {"0 #level 0 #cols +4 #rows -1", 0, "cols=4 rows=-1"},
        {"0 #level 0 #cols 4x #rows 3", 0, "cols=- rows=- stopped=4x"},
        {"0 #level 0 #cols 99999999999 #rows 3", 0, "cols=- rows=- stopped=99999999999"},
        {"0 #level 0 #colors 3 0 x 2 #rows 3", 0, "cols=- rows=- colors=3:0 stopped=x"},
        {"1 #level 0 #rows x #level 1 #rows 2 #level 0 #cols 4", 0, "cols=- rows=- stopped=x"},
        {"1 #level 0 #rows x #level 1 #rows 2 #level 0 #cols 4", 1, "cols=- rows=2"},
        // The token that stopped a level is an ordinary word (here a keyword) to the others.
        {"1 #level 0 #rows #level 1 #rows 2", 1, "cols=- rows=2"},
        {"1 #level 0 #rows #level 1 #rows 2", 0, "cols=- rows=- stopped=#level"},
        // Keywords are exact.
        {"0 #level 0 #Rows 3 #cols 4 #rows", 0, "cols=4 rows=-"},
        {"0 #LEVEL 0 #level 0 #cols 4", 0, "cols=4 rows=-"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Summary(ParseLevels(c.text), c.level), c.expected)
            << c.text << " (level " << c.level << ")";
}

TEST(LevelsFileTest, ReadingStopsForEveryLevelOnlyAtTheStart) {
    LevelsFile none = ParseLevels("levels 3 #level 0 #cols 4");
    EXPECT_FALSE(none.mMaxLevel);
    EXPECT_TRUE(none.mLevels.empty());

    LevelsFile cut = ParseLevels("3 #level 0 #cols 4 #level one #cols 5 #level 1 #cols 6");
    EXPECT_EQ(cut.mMaxLevel, 3);
    EXPECT_EQ(cut.mStoppedAt, "one");
    EXPECT_EQ(Summary(cut, 0), "cols=4 rows=-");
    EXPECT_EQ(Summary(cut, 1), "absent");

    EXPECT_EQ(ParseLevels("").mMaxLevel, std::nullopt);
    EXPECT_EQ(ParseLevels(" 7 ").mMaxLevel, 7);
}

// A sound level 0 with the given changes for its lines.
std::string Level0(const std::string& grid = "#cols 4 #rows 3",
                   const std::string& values = "#colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2") {
    return "#level 0 " + grid + " " + values + "\n";
}

TEST(LevelsFileTest, CheckReportsEveryProblemOnce) {
    const LevelPictureCells cells{3, 4, 8};
    const std::string level1 = "#level 1 #cols 3 #rows 3 #colors 1 2 #shapes 1 3 #symbols 9 "
                               "0 1 2 3 4 5 6 7 7\n";
    const struct {
        std::string text;
        std::vector<std::string> expected;
    } cases[] = {
        {"0 " + Level0(), {}},
        {"0 #level 0 #cols 3 #rows 1 #colors 3 0 1 2 #shapes 1 3 #symbols 1 7", {}},
        {"levels\n" + Level0(), {"the file does not begin with the highest level number"}},
        {"-1 " + Level0(), {"the highest level number -1 is below 0"}},
        {"2 " + Level0() + "#level 2 #cols 3 #rows 1 #colors 3 0 1 2 #shapes 1 0 #symbols 1 0",
         {"level 1 is missing"}},
        {"5 " + Level0(), {"levels 1 to 5 are missing"}},
        {"2147483647 " + Level0(), {"levels 1 to 2147483647 are missing"}},
        {"0 " + Level0() + "#level 3 #cols 3 #rows 1 #colors 3 0 1 2 #shapes 1 0 #symbols 1 0",
         {"level 3: outside 0..0, never played"}},
        {"1 " + Level0() + "#level x",
         {"reading stops at \"#level\" \"x\", where a level number "
          "is needed",
          "level 1 is missing"}},
        {"0 " + Level0("#cols 4 #rows 4"),
         {"level 0: the grid has 16 cells but the values make only 12 different cards"}},
        {"0 " + Level0("#cols 4"), {"level 0: no \"#rows\" size"}},
        {"0 " + Level0("#cols 0 #rows 3"), {"level 0: the grid 0 x 3 has no cells"}},
        {"0 " + Level0("#cols 4 #rows 3", "#colors 2 0 1 #shapes 2 0 1 #symbols 0"),
         {"level 0: \"#symbols\" count 0 is below 1"}},
        {"0 " + Level0("#cols 4 #rows 3", "#colors 2 0 1 #symbols 3 0 1 2"),
         {"level 0: no \"#shapes\" list"}},
        {"0 " + Level0("#cols 4 #rows 3", "#colors 2 0 3 #shapes 2 0 4 #symbols 3 0 -1 8"),
         {"level 0: colour value 3 is outside the tile picture's columns (0..2)",
          "level 0: shape value 4 is outside the tile picture's rows (0..3)",
          "level 0: symbol value -1 is outside the symbol picture's cells (0..7)",
          "level 0: symbol value 8 is outside the symbol picture's cells (0..7)"}},
        {"1 " + Level0() + level1, {"level 1: symbol value 7 is listed twice"}},
        {"0 " + Level0("#cols 4 #rows 3", "#colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1"),
         {"level 0: \"#symbols\" promises 3 values but gives 2"}},
        {"0 " + Level0("#cols 4 #rows 2", "#colors 2 0 1 #shapes 2 0 1 #symbols 2 0 1"),
         {"level 0: no attribute has three values, so no triple can score"}},
        {"0 " + Level0("#cols 4 #rows x"),
         {"level 0: reading stops at \"x\", where a number is needed", "level 0: no \"#rows\" size",
          "level 0: no \"#colors\" list", "level 0: no \"#shapes\" list",
          "level 0: no \"#symbols\" list"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckLevels(ParseLevels(c.text), cells), c.expected) << c.text;

    // Without the pictures' sizes only the colour columns and negative values are checked.
    EXPECT_EQ(CheckLevels(ParseLevels("0 " + Level0("#cols 2 #rows 3",
                                                    "#colors 1 2 #shapes 2 9 1 #symbols 3 0 1 "
                                                    "-5")),
                          LevelPictureCells{}),
              std::vector<std::string>{
                  "level 0: symbol value -5 is outside the symbol picture's cells (0..)"});
}

TEST(LevelsFileTest, ReadsFilesUpToTheirLimit) {
    paktest::TempFolder folder;
    LevelsFile levels;
    std::string error;
    paktest::WriteFile(folder / "Levels.txt", "0 " + Level0());
    ASSERT_TRUE(tarnwick::ReadLevelsFile(folder / "Levels.txt", levels, error)) << error;
    EXPECT_EQ(tarnwick::DescribeLevel(levels.mLevels.at(0)),
              "level 0: 4 x 3 grid, 2 colours x 2 shapes x 3 symbols = 12 cards");

    EXPECT_FALSE(tarnwick::ReadLevelsFile(folder / "missing.txt", levels, error));
    EXPECT_EQ(error, (folder / "missing.txt") + ": cannot be read");
    paktest::WriteFile(folder / "huge.txt", std::string(tarnwick::kMaxLevelsFileBytes + 1, ' '));
    EXPECT_FALSE(tarnwick::ReadLevelsFile(folder / "huge.txt", levels, error));
}

} // namespace
