// tarnwick-tool levels: check a levels file the way the game reads it.
#include "ToolCommands.h"

#include "game/LevelsFile.h"

#include <charconv>
#include <cstdio>

namespace tarnwick::tool {

namespace {

bool ParseCellCount(const std::string& text, int& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= 1;
}

// Lists every level, then prints each problem on a line of its own; exit status 1 when there
// is any.
int Check(const std::string& path, const LevelPictureCells& cells) {
    LevelsFile levels;
    std::string error;
    if (!ReadLevelsFile(path, levels, error)) {
        std::fprintf(stderr, "tarnwick-tool: %s\n", error.c_str());
        return 1;
    }
    if (levels.mMaxLevel)
        std::printf("%s: levels 0 to %d\n", path.c_str(), *levels.mMaxLevel);
    for (const auto& [number, level] : levels.mLevels)
        std::printf("%s\n", DescribeLevel(level).c_str());
    const std::vector<std::string> problems = CheckLevels(levels, cells);
    for (const std::string& problem : problems)
        std::printf("%s: %s\n", path.c_str(), problem.c_str());
    if (problems.empty())
        std::printf("%s: no problems\n", path.c_str());
    if (std::fflush(stdout) != 0)
        return 1;
    return problems.empty() ? 0 : 1;
}

} // namespace

int RunLevelsCommand(const Args& args) {
    if (args.size() == 2 && args[0] == "check")
        return Check(args[1], LevelPictureCells{});
    LevelPictureCells cells;
    if (args.size() == 4 && args[0] == "check" && ParseCellCount(args[2], cells.mShapeRows) &&
        ParseCellCount(args[3], cells.mSymbolCells))
        return Check(args[1], cells);
    return UsageError();
}

} // namespace tarnwick::tool
