// The installed program, from an install into a fresh prefix and from the unpacked Debian
// package (both made by the packaging tests), each copied to a folder of its own, replays a
// game recorded here on the copy's data with nothing but -play -demofile=FILE -headless: it
// finds its data from its own folder, leaves the recording's saved game and top scores, and
// writes nothing into its data folder. The copy's first level is changed, so a program that
// read any other data folder (the build's) would deal another board and leave other scores.

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

// The first level of a levels file becomes a copy of its last one (9 x 6 instead of 4 x 3).
void MakeFirstLevelTheLast(const std::string& levelsFile) {
    std::string text = ReadTextFile(levelsFile);
    const std::string firstName = "#level 0";
    const size_t first = text.find(firstName);
    const size_t second = text.find("#level 1\n");
    const size_t last = text.find("#level 9\n");
    ASSERT_TRUE(first != std::string::npos && second != std::string::npos &&
                last != std::string::npos)
        << text;
    const std::string lastBody = text.substr(last + firstName.size());
    text.replace(first + firstName.size(), second - first - firstName.size(), lastBody + "\n");
    ravix::testing::WriteTextFile(levelsFile, text);
}

class InstalledGameTest : public ::testing::TestWithParam<const char*> {
protected:
    std::string Installed() const { return GetParam(); }
    std::string Root() const { return mHome.Path() + "/copy"; }
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
        ASSERT_EQ(app.mBoard->Model().Cards().size(), 54u); // the copy's changed first level
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
    ASSERT_TRUE(std::filesystem::exists(Installed() + "/bin/tarnwick")) << Installed();
    std::filesystem::copy(Installed(), Root(), std::filesystem::copy_options::recursive);
    MakeFirstLevelTheLast(DataFolder() + "/Properties/Levels.txt");
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
