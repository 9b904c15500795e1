#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The levels file: the highest level number, then "#level N" blocks that give each level its
// grid ("#rows", "#cols") and the colour, shape and symbol values its cards are made from
// ("#colors", "#shapes", "#symbols", each a count and that many values). The game reads one
// level from it per game; the checker reads all of them and says what is wrong, so that a bad
// file is caught by the data build and at start-up instead of in the middle of a game.
namespace tarnwick {

// One list key of a level: the count as the file gives it and the values that followed it.
// The values hold fewer entries than the count when the file ended or a value could not be
// read first.
struct LevelValueList {
    bool mGiven = false; // the keyword appeared in a block of the level
    int mCount = 0;
    std::vector<int> mValues;
};

// What loading one level number finds in the file: the keys of every block with that number,
// a later block replacing the keys it repeats.
struct LevelDefinition {
    int mNumber = 0;
    std::optional<int> mRows;
    std::optional<int> mCols;
    LevelValueList mColors;
    LevelValueList mShapes;
    LevelValueList mSymbols;
    // Reading this level stopped at a token that is not a number where one was needed (its
    // text); later blocks of the level are not read, as the game does not read them.
    std::optional<std::string> mStoppedAt;

    // Number of cells of the grid, 0 while a dimension is missing or below 1.
    [[nodiscard]] int64_t CellCount() const;
    // Number of different cards the values make (counts multiplied, saturating at INT64_MAX);
    // 0 while a count is below 1.
    [[nodiscard]] int64_t DeckSize() const;
};

struct LevelsFile {
    std::optional<int> mMaxLevel; // empty when the file does not begin with a number
    std::map<int, LevelDefinition> mLevels;
    // Reading stopped for every level: "#level" followed by this token, which is not a number.
    std::optional<std::string> mStoppedAt;
};

// What the pictures offer the values: colours index the columns of the tile picture, shapes its
// rows and symbols the cells of the symbol picture. A bound of 0 is not checked.
struct LevelPictureCells {
    int mColorColumns = 3;
    int mShapeRows = 0;
    int mSymbolCells = 0;
};

// Parses the levels text as the game reads it: whitespace-separated tokens; keywords are
// compared exactly; a number is a token of decimal digits with an optional sign that fits an int
// (anything else where a number is needed stops reading); other tokens are skipped one at a
// time. Counts are never used to reserve memory: a list holds only the values the text has.
[[nodiscard]] LevelsFile ParseLevels(std::string_view text);

// Larger files are refused: the largest sensible file is a few kilobytes.
inline constexpr std::size_t kMaxLevelsFileBytes = std::size_t{1} << 20;

// Reads and parses the file at path (an ordinary file, not through the pak layer). False with
// the error set when it cannot be read or is too large.
[[nodiscard]] bool ReadLevelsFile(const std::string& path, LevelsFile& levels, std::string& error);

// One line for a level: "level 3: 6 x 4 grid, 3 colours x 2 shapes x 4 symbols = 24 cards".
[[nodiscard]] std::string DescribeLevel(const LevelDefinition& level);

// Every problem that keeps a level from being dealt and won, one text each: a file that does
// not begin with the highest level number, reading that stops early, a missing level number
// from 0 up to the highest (a run of them as one text), a block outside 0..highest, a missing
// or non-positive grid size, a count below 1, a list with fewer values than its count, a value
// repeated in a list or outside the pictures' cells, fewer different cards than cells, and
// values that no triple can score with (no attribute with three values). Empty when the levels
// are sound.
[[nodiscard]] std::vector<std::string> CheckLevels(const LevelsFile& levels,
                                                   const LevelPictureCells& cells);

} // namespace tarnwick
