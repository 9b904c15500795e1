// tarnwick-tool levels check: the listing, one line per problem, and the exit status.
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

TEST(LevelsCommandTest, ListsTheLevelsAndEachProblem) {
    paktest::TempFolder folder;
    const std::string path = folder / "Levels.txt";
    paktest::WriteFile(path,
                       "2\n"
                       "#level 0 #cols 4 #rows 3 #colors 2 0 1 #shapes 2 0 1 #symbols 3 0 1 2\n"
                       "#level 2 #cols 4 #rows 4 #colors 2 0 1 #shapes 2 0 5 #symbols 3 0 1 2\n");
    const ToolResult run = RunTool({"levels", "check", path, "4", "8"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, path +
                           ": levels 0 to 2\n"
                           "level 0: 4 x 3 grid, 2 colours x 2 shapes x 3 symbols = 12 cards\n"
                           "level 2: 4 x 4 grid, 2 colours x 2 shapes x 3 symbols = 12 cards\n" +
                           path + ": level 1 is missing\n" + path +
                           ": level 2: shape value 5 is outside the tile picture's rows (0..3)\n");

    // Without the pictures' sizes shape 5 passes; the grid is still too large for the deck.
    const ToolResult unbounded = RunTool({"levels", "check", path});
    EXPECT_EQ(unbounded.status, 1);
    EXPECT_NE(unbounded.out.find("level 2: the grid has 16 cells but the values make only 12 "
                                 "different cards"),
              std::string::npos)
        << unbounded.out;

    paktest::WriteFile(path, "0 #level 0 #cols 4 #rows 3 #colors 2 0 1 #shapes 2 0 1 "
                             "#symbols 3 0 1 2");
    const ToolResult sound = RunTool({"levels", "check", path, "4", "8"});
    EXPECT_EQ(sound.status, 0) << sound.out;
    EXPECT_EQ(sound.out.substr(sound.out.rfind(path)), path + ": no problems\n");

    const ToolResult missing = RunTool({"levels", "check", folder / "none.txt"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "tarnwick-tool: " + (folder / "none.txt") + ": cannot be read\n");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"levels", "check"},
                                               {"levels", "check", path, "4"},
                                               {"levels", "check", path, "0", "8"},
                                               {"levels", "check", path, "4", "eight"},
                                               {"levels", "list", path}})
        EXPECT_EQ(RunTool(args).status, 2) << args.size();
}

} // namespace
