// A game recorded on the headless platform and replayed by the program itself with -headless:
// the replay leaves the same saved game and top scores; demos that cannot be replayed end the
// program with a message and a non-zero exit code.

#include "GameFlowSupport.h"

#include "game/SaveFiles.h"

#include <cstdlib>
#include <sys/wait.h>

using namespace tarnwick;
using namespace tarnwick::testing;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;

namespace {

constexpr int kMenuX = 400;

class GameReplayTest : public ::testing::Test {
protected:
    GameReplayTest() : mOldFolder(std::filesystem::current_path()), mData(mHome.Path()) {}
    ~GameReplayTest() override { std::filesystem::current_path(mOldFolder); }

    std::string DemoPath() const { return mHome.Path() + "/game.dmo"; }
    std::string SaveFile(const char* name) const {
        return mHome.Data() + "/Tarnwick/Save/" + name;
    }

    // Runs the program with the arguments; returns its exit code, its error output in errors.
    int RunProgram(const std::string& arguments, std::string& errors) {
        const std::string errorFile = mHome.Path() + "/stderr.txt";
        const std::string command = std::string(TARNWICK_PROGRAM) + " " + arguments + " >/dev/null 2>" + errorFile;
        const int status = std::system(command.c_str());
        errors = ReadTextFile(errorFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Records a beginner game won, the next game left with the menu button, resumed, played a
    // little and closed with the window.
    void RecordGame() {
        FlowApp app({"tarnwick", "-record", "-demofile=" + DemoPath()});
        app.Headless().AdvanceClock(987654);
        app.Start(mData.Path());
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
        app.Click(kMenuX, 550);
        ASSERT_EQ(app.mBoard, nullptr);
        app.Click(kMenuX, 215);
        app.Click(kMenuX, 273);
        ASSERT_NE(app.mBoard, nullptr);
        PickTriple(app, *FindScoringTriple(*app.mBoard));
        app.RunFor(700);
        app.Post(ravix::MessageKind::Close);
        app.RunFor(20);
    }

    // Records by keys alone: a beginner game won, the next game paused, resumed, started and
    // ended with Ctrl+Q, which saves it.
    void RecordKeyboardGame() {
        FlowApp app({"tarnwick", "-record", "-demofile=" + DemoPath()});
        app.Headless().AdvanceClock(424242);
        app.Start(mData.Path());
        ASSERT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
        app.RunFor(20);
        app.PressKey(ravix::kKeyEnter);
        app.PressKey(ravix::kKeyEnter);
        ASSERT_NE(app.mBoard, nullptr);
        app.PressKey(ravix::kKeyEnter); // the help picture
        ASSERT_TRUE(SolveBoardByKeys(app));
        app.RunFor(200);
        app.PressKey(ravix::kKeyEnter);
        app.PressKey(ravix::kKeyEscape);
        app.PressKey(ravix::kKeySpace);
        PickTripleByKeys(app, *FindScoringTriple(*app.mBoard));
        app.RunFor(300);
        app.PressCtrlKey('Q');
        app.RunFor(20);
    }

    // Replays the recording headless into an empty save folder: the saved game and the top
    // scores come out as the recording left them.
    void ExpectReplayLeavesTheSameFiles() {
        const std::string savedGame = ReadTextFile(SaveFile("autosave"));
        const std::string topScores = ReadTextFile(SaveFile("topscores"));
        ASSERT_FALSE(savedGame.empty());
        ASSERT_FALSE(topScores.empty());
        std::filesystem::remove_all(mHome.Data() + "/Tarnwick/Save");

        std::string errors;
        EXPECT_EQ(RunProgram("-play -demofile=" + DemoPath() + " -headless -changedir=" +
                                 mData.Path(),
                             errors),
                  0)
            << errors;
        // A good demo replays quietly: the framework's diagnostics wait for -verbose.
        EXPECT_EQ(errors, "");
        EXPECT_EQ(ReadTextFile(SaveFile("autosave")), savedGame);
        EXPECT_EQ(ReadTextFile(SaveFile("topscores")), topScores);
    }

    TempHome mHome;
    std::filesystem::path mOldFolder;
    GameDataFolder mData;
};

} // namespace

TEST_F(GameReplayTest, AHeadlessReplayLeavesTheSavedGameAndTopScoresOfTheRecording) {
    RecordGame();
    ASSERT_TRUE(std::filesystem::exists(DemoPath()));
    ExpectReplayLeavesTheSameFiles();
}

TEST_F(GameReplayTest, AGamePlayedByKeysReplaysToTheSameFiles) {
    RecordKeyboardGame();
    ExpectReplayLeavesTheSameFiles();
}

TEST_F(GameReplayTest, AReplayThatCannotSaveWarnsOnStderrAndStillSucceeds) {
    RecordGame();
    std::filesystem::remove_all(mHome.Data() + "/Tarnwick/Save");
    ravix::testing::WriteTextFile(mHome.Data() + "/Tarnwick/Save", "in the way");
    std::string errors;
    EXPECT_EQ(RunProgram("-play -demofile=" + DemoPath() + " -headless -changedir=" + mData.Path(),
                         errors),
              0)
        << errors;
    EXPECT_NE(errors.find("Tarnwick could not save your game in\n" + mHome.Data() +
                          "/Tarnwick/Save/:"),
              std::string::npos)
        << errors;
}

TEST_F(GameReplayTest, ADemoThatCannotBeReplayedEndsWithAMessage) {
    struct Case {
        const char* mName;
        std::string mArguments;
        const char* mMessage;
    };
    ravix::testing::WriteTextFile(mHome.Path() + "/bad.dmo", "not a demo at all");
    const std::string data = " -changedir=" + mData.Path();
    const Case cases[] = {
        {"missing file", "-play -demofile=" + mHome.Path() + "/none.dmo -headless" + data,
         "Demo file not found: "},
        {"not a demo", "-play -demofile=" + mHome.Path() + "/bad.dmo -headless" + data,
         "Invalid demo file."},
        {"nothing to replay", "-headless" + data, "-headless replays a demo"},
    };
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_NE(RunProgram(c.mArguments, errors), 0) << c.mName;
        EXPECT_NE(errors.find(c.mMessage), std::string::npos) << c.mName << ": " << errors;
    }
}
