// The installed program, run from an install into a fresh prefix and from the unpacked Debian
// package (both made by the packaging tests), replays a game recorded here on the installed
// data with nothing but -play -demofile=FILE -headless: it finds its data from its own folder,
// leaves the recording's saved game and top scores, and writes nothing into its data folder.

#if __has_include("game/GameApp.h") && __has_include("game/GameFlowSupport.h")

#include "game/GameFlowSupport.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <sys/wait.h>

using namespace tarnwick::testing;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;

namespace {

constexpr int kMenuX = 400;

// Every file below a folder with its size and time of last change.
std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>>
FolderState(const std::string& folder) {
    std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        state[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                        entry.last_write_time()};
    }
    return state;
}

class InstalledGameTest : public ::testing::TestWithParam<const char*> {
protected:
    std::string Root() const { return GetParam(); }
    std::string DataFolder() const { return Root() + "/share/tarnwick"; }
    std::string DemoPath() const { return mHome.Path() + "/game.dmo"; }
    std::string SaveFile(const char* name) const { return mHome.Data() + "/Tarnwick/Save/" + name; }

    // A beginner game won, the next one begun with one triple, the window closed: a demo that
    // leaves top scores and a saved game.
    void RecordGame() {
        FlowApp app({"tarnwick", "-record", "-demofile=" + DemoPath()});
        app.Headless().AdvanceClock(123456);
        app.Start(DataFolder());
        ASSERT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
        app.RunFor(20);
        app.Click(kMenuX, 215);
        app.Click(kMenuX, 215);
        ASSERT_NE(app.mBoard, nullptr);
        app.Click(kMenuX, 300);
        ASSERT_TRUE(SolveBoard(app));
        app.RunFor(200);
        app.Click(kMenuX, 300);
        PickTriple(app, *FindScoringTriple(*app.mBoard));
        app.RunFor(300);
        app.Post(ravix::MessageKind::Close);
        app.RunFor(20);
    }

    // Runs the installed program from a folder of its own, without a display; its exit code.
    int RunInstalled(const std::string& arguments, std::string& errors) {
        const std::string errorFile = mHome.Path() + "/stderr.txt";
        const std::string command = "cd " + mHome.Path() +
                                    " && env -u DISPLAY -u WAYLAND_DISPLAY " + Root() +
                                    "/bin/tarnwick " + arguments + " >/dev/null 2>" + errorFile;
        const int status = std::system(command.c_str());
        errors = ReadTextFile(errorFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempHome mHome;
};

} // namespace

TEST_P(InstalledGameTest, ReplaysARecordedGameOnItsOwnDataWithoutWritingThere) {
    if (!std::filesystem::exists(Root() + "/bin/tarnwick")) {
        GTEST_SKIP() << "no installed program at " << Root();
    }
    if (!std::filesystem::exists(DataFolder() + "/main.pak")) {
        GTEST_SKIP() << "the build has no game data to install yet";
    }
    RecordGame();
    ASSERT_TRUE(std::filesystem::exists(DemoPath()));
    const std::string savedGame = ReadTextFile(SaveFile("autosave"));
    const std::string topScores = ReadTextFile(SaveFile("topscores"));
    ASSERT_FALSE(savedGame.empty());
    ASSERT_FALSE(topScores.empty());
    std::filesystem::remove_all(mHome.Data() + "/Tarnwick/Save");
    const auto dataBefore = FolderState(DataFolder());

    std::string errors;
    EXPECT_EQ(RunInstalled("-play -demofile=" + DemoPath() + " -headless", errors), 0) << errors;
    EXPECT_EQ(ReadTextFile(SaveFile("autosave")), savedGame);
    EXPECT_EQ(ReadTextFile(SaveFile("topscores")), topScores);
    EXPECT_EQ(FolderState(DataFolder()), dataBefore);
}

INSTANTIATE_TEST_SUITE_P(Installs, InstalledGameTest,
                         ::testing::Values(TARNWICK_TEST_PREFIX, TARNWICK_TEST_PACKAGE_ROOT),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return info.index == 0 ? std::string("Prefix")
                                                    : std::string("UnpackedPackage");
                         });

#else

#include <gtest/gtest.h>

TEST(InstalledGameTest, NeedsTheGame) {
    GTEST_SKIP() << "the game is not in this tree yet";
}

#endif
