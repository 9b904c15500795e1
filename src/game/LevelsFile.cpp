#include "game/LevelsFile.h"

#include "files/WholeFile.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <set>

namespace tarnwick {

namespace {

constexpr std::string_view kLevelKeyword = "#level";
constexpr std::string_view kRowsKeyword = "#rows";
constexpr std::string_view kColsKeyword = "#cols";
constexpr std::string_view kColorsKeyword = "#colors";
constexpr std::string_view kShapesKeyword = "#shapes";
constexpr std::string_view kSymbolsKeyword = "#symbols";

// Quoted tokens in messages are cut to this length, so that a huge token cannot flood them.
constexpr std::size_t kMaxQuotedToken = 40;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Splits the text into whitespace-separated tokens on demand.
class TokenReader {
public:
    explicit TokenReader(std::string_view text) : mText(text) {}

    // The next token without taking it; empty at the end of the text.
    std::string_view Peek() {
        while (mPosition < mText.size() && IsSpace(mText[mPosition]))
            ++mPosition;
        std::size_t end = mPosition;
        while (end < mText.size() && !IsSpace(mText[end]))
            ++end;
        return mText.substr(mPosition, end - mPosition);
    }
    std::string_view Next() {
        std::string_view token = Peek();
        mPosition += token.size();
        return token;
    }

private:
    std::string_view mText;
    std::size_t mPosition = 0;
};

// A decimal integer with an optional sign that fits an int, and nothing else.
std::optional<int> ParseNumber(std::string_view token) {
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    if (token.empty() || token.front() == '+' ||
        (token.front() == '-' && token.size() > 1 && (token[1] == '+' || token[1] == '-')))
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size())
        return std::nullopt;
    return value;
}

std::string Quoted(std::string_view token) {
    if (token.size() > kMaxQuotedToken)
        return "\"" + std::string(token.substr(0, kMaxQuotedToken)) + "...\"";
    return "\"" + std::string(token) + "\"";
}

// What reading a number found: a value, the end of the text, or a token that is no number.
struct NumberRead {
    std::optional<int> mValue;
    bool mAtEnd = false;
};

// Takes the next token when it is a number; a token that is not stays for the caller, since
// the other levels read it as an ordinary word.
NumberRead ReadNumber(TokenReader& reader) {
    const std::string_view token = reader.Peek();
    if (token.empty())
        return {std::nullopt, true};
    std::optional<int> value = ParseNumber(token);
    if (value)
        reader.Next();
    return {value, false};
}

// Reads the keys of one block of a level that is still being read; returns at the next
// "#level" or the end of the text. Stops the level at a token that is no number.
void ReadBlock(TokenReader& reader, LevelDefinition& level) {
    for (std::string_view token = reader.Peek(); !token.empty() && token != kLevelKeyword;
         token = reader.Peek()) {
        reader.Next();
        LevelValueList* list = token == kColorsKeyword    ? &level.mColors
                               : token == kShapesKeyword  ? &level.mShapes
                               : token == kSymbolsKeyword ? &level.mSymbols
                                                          : nullptr;
        std::optional<int>* size = token == kRowsKeyword   ? &level.mRows
                                   : token == kColsKeyword ? &level.mCols
                                                           : nullptr;
        if (!list && !size)
            continue; // any other word is skipped
        NumberRead read = ReadNumber(reader);
        if (!read.mValue) {
            if (!read.mAtEnd)
                level.mStoppedAt = std::string(reader.Peek());
            return;
        }
        if (size) {
            *size = read.mValue;
            continue;
        }
        list->mGiven = true;
        list->mCount = *read.mValue;
        list->mValues.clear();
        for (int i = 0; i < list->mCount; ++i) {
            read = ReadNumber(reader);
            if (!read.mValue) {
                if (!read.mAtEnd)
                    level.mStoppedAt = std::string(reader.Peek());
                return;
            }
            list->mValues.push_back(*read.mValue);
        }
    }
}

// Skips the words of a block up to the next "#level".
void SkipBlock(TokenReader& reader) {
    for (std::string_view token = reader.Peek(); !token.empty() && token != kLevelKeyword;
         token = reader.Peek())
        reader.Next();
}

int64_t SaturatingProduct(std::initializer_list<int64_t> factors) {
    int64_t product = 1;
    for (int64_t factor : factors) {
        if (factor <= 0)
            return 0;
        if (product > std::numeric_limits<int64_t>::max() / factor)
            return std::numeric_limits<int64_t>::max();
        product *= factor;
    }
    return product;
}

std::string LevelPrefix(int number) {
    return "level " + std::to_string(number) + ": ";
}

std::string Plural(int64_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

struct ListCheck {
    const LevelValueList& mList;
    const char* mKeyword;
    const char* mNoun;  // "colour", "shape", "symbol"
    const char* mWhere; // where its values point
    int mBound;         // values lie in 0..mBound-1; 0 = not checked
};

void CheckList(const LevelDefinition& level, const ListCheck& check,
               std::vector<std::string>& problems) {
    const std::string prefix = LevelPrefix(level.mNumber);
    if (!check.mList.mGiven) {
        problems.push_back(prefix + "no \"" + check.mKeyword + "\" list");
        return;
    }
    if (check.mList.mCount < 1) {
        problems.push_back(prefix + "\"" + check.mKeyword + "\" count " +
                           std::to_string(check.mList.mCount) + " is below 1");
        return;
    }
    if (check.mList.mValues.size() < static_cast<std::size_t>(check.mList.mCount))
        problems.push_back(prefix + "\"" + check.mKeyword + "\" promises " +
                           std::to_string(check.mList.mCount) + " values but gives " +
                           std::to_string(check.mList.mValues.size()));
    std::set<int> seen;
    for (int value : check.mList.mValues) {
        if (value < 0 || (check.mBound > 0 && value >= check.mBound))
            problems.push_back(prefix + check.mNoun + " value " + std::to_string(value) +
                               " is outside " + check.mWhere + " (0.." +
                               (check.mBound > 0 ? std::to_string(check.mBound - 1) : "") + ")");
        else if (!seen.insert(value).second)
            problems.push_back(prefix + check.mNoun + " value " + std::to_string(value) +
                               " is listed twice");
    }
}

void CheckLevel(const LevelDefinition& level, const LevelPictureCells& cells,
                std::vector<std::string>& problems) {
    const std::string prefix = LevelPrefix(level.mNumber);
    if (level.mStoppedAt)
        problems.push_back(prefix + "reading stops at " + Quoted(*level.mStoppedAt) +
                           ", where a number is needed");
    if (!level.mCols || !level.mRows)
        problems.push_back(prefix + "no " + (!level.mCols ? "\"#cols\"" : "\"#rows\"") + " size");
    else if (*level.mCols < 1 || *level.mRows < 1)
        problems.push_back(prefix + "the grid " + std::to_string(*level.mCols) + " x " +
                           std::to_string(*level.mRows) + " has no cells");
    const std::size_t before = problems.size();
    CheckList(
        level,
        {level.mColors, "#colors", "colour", "the tile picture's columns", cells.mColorColumns},
        problems);
    CheckList(level,
              {level.mShapes, "#shapes", "shape", "the tile picture's rows", cells.mShapeRows},
              problems);
    CheckList(
        level,
        {level.mSymbols, "#symbols", "symbol", "the symbol picture's cells", cells.mSymbolCells},
        problems);
    if (problems.size() != before || level.CellCount() == 0)
        return; // the deck is not what its counts say; comparing it with the grid says nothing
    if (level.DeckSize() < level.CellCount())
        problems.push_back(prefix + "the grid has " + std::to_string(level.CellCount()) +
                           " cells but the values make only " + std::to_string(level.DeckSize()) +
                           " different cards");
    if (level.mColors.mCount < 3 && level.mShapes.mCount < 3 && level.mSymbols.mCount < 3)
        problems.push_back(prefix + "no attribute has three values, so no triple can score");
}

void CheckNumbering(const LevelsFile& levels, std::vector<std::string>& problems) {
    const int maxLevel = *levels.mMaxLevel;
    if (maxLevel < 0) {
        problems.push_back("the highest level number " + std::to_string(maxLevel) + " is below 0");
        return;
    }
    // Missing numbers are reported as runs, so that a huge highest number gives few lines.
    int64_t expected = 0;
    auto reportGap = [&](int64_t upTo) {
        if (upTo < expected)
            return;
        problems.push_back(upTo == expected ? "level " + std::to_string(expected) + " is missing"
                                            : "levels " + std::to_string(expected) + " to " +
                                                  std::to_string(upTo) + " are missing");
    };
    for (const auto& [number, level] : levels.mLevels) {
        if (number < 0 || number > maxLevel) {
            problems.push_back(LevelPrefix(number) + "outside 0.." + std::to_string(maxLevel) +
                               ", never played");
            continue;
        }
        reportGap(int64_t{number} - 1);
        expected = int64_t{number} + 1;
    }
    reportGap(maxLevel);
}

} // namespace

int64_t LevelDefinition::CellCount() const {
    if (!mCols || !mRows)
        return 0;
    return SaturatingProduct({*mCols, *mRows});
}

int64_t LevelDefinition::DeckSize() const {
    return SaturatingProduct({mColors.mCount, mShapes.mCount, mSymbols.mCount});
}

LevelsFile ParseLevels(std::string_view text) {
    LevelsFile levels;
    TokenReader reader(text);
    levels.mMaxLevel = ParseNumber(reader.Next());
    if (!levels.mMaxLevel)
        return levels; // the game reads nothing more either
    for (std::string_view token = reader.Next(); !token.empty(); token = reader.Next()) {
        if (token != kLevelKeyword)
            continue; // words before the first block
        const std::string_view numberToken = reader.Next();
        if (numberToken.empty())
            break;
        const std::optional<int> number = ParseNumber(numberToken);
        if (!number) {
            levels.mStoppedAt = std::string(numberToken);
            break;
        }
        LevelDefinition& level = levels.mLevels[*number];
        level.mNumber = *number;
        if (level.mStoppedAt)
            SkipBlock(reader);
        else
            ReadBlock(reader, level);
    }
    return levels;
}

bool ReadLevelsFile(const std::string& path, LevelsFile& levels, std::string& error) {
    std::string text;
    switch (ravix::ReadWholeFile(path, kMaxLevelsFileBytes, text)) {
    case ravix::WholeFileResult::kRead:
        levels = ParseLevels(text);
        return true;
    case ravix::WholeFileResult::kMissing:
        error = path + ": cannot be read";
        return false;
    case ravix::WholeFileResult::kTooLarge:
        error = path + ": larger than " + std::to_string(kMaxLevelsFileBytes) + " bytes";
        return false;
    }
    return false;
}

std::string DescribeLevel(const LevelDefinition& level) {
    auto size = [](const std::optional<int>& value) {
        return value ? std::to_string(*value) : std::string("?");
    };
    return LevelPrefix(level.mNumber) + size(level.mCols) + " x " + size(level.mRows) + " grid, " +
           Plural(level.mColors.mCount, "colour", "colours") + " x " +
           Plural(level.mShapes.mCount, "shape", "shapes") + " x " +
           Plural(level.mSymbols.mCount, "symbol", "symbols") + " = " +
           Plural(level.DeckSize(), "card", "cards");
}

std::vector<std::string> CheckLevels(const LevelsFile& levels, const LevelPictureCells& cells) {
    std::vector<std::string> problems;
    if (!levels.mMaxLevel) {
        problems.push_back("the file does not begin with the highest level number");
        return problems;
    }
    if (levels.mStoppedAt)
        problems.push_back("reading stops at \"#level\" " + Quoted(*levels.mStoppedAt) +
                           ", where a level number is needed");
    CheckNumbering(levels, problems);
    for (const auto& [number, level] : levels.mLevels)
        CheckLevel(level, cells, problems);
    return problems;
}

} // namespace tarnwick
