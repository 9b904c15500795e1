#include "AppTestSupport.h"

#include "base/Random.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace ravix;
using ravix::testing::Message;
using ravix::testing::TempHome;
using ravix::testing::TestApp;

namespace {

// Loads three tasks on the loading thread, as a game loads its resources.
class LoadingApp : public TestApp {
public:
    void LoadingThreadBody() override {
        mLoadingTasksTotal = 3;
        for (int task = 0; task < 3; ++task) {
            GetPlatform().Sleep(30);
            ++mLoadingTasksDone;
        }
    }
    void OnLoadingComplete() override {
        ++mLoadingCompleteCalls;
        mLoadingCompleteThread = std::this_thread::get_id();
        mLoadingCompleteUpdate = UpdateCount();
    }
    int mLoadingCompleteCalls = 0;
    int mLoadingCompleteUpdate = 0;
    std::thread::id mLoadingCompleteThread;
};

int SettingInFile(TestApp& app, const std::string& name) {
    int value = -1;
    EXPECT_TRUE(app.ReadSettingInteger(name, value)) << name;
    return value;
}

} // namespace

TEST(AppLifecycle, RunsAndKeepsItsSettingsBetweenRuns) {
    TempHome home;
    {
        LoadingApp app;
        app.Headless().SetCommandLine({"tarnwick"});
        app.Headless().ScriptMessage(2000, Message(MessageKind::Close));
        int inProgressDuringRun = -1;
        app.mOnUpdate = [&] {
            if (app.UpdateCount() == 150) {
                inProgressDuringRun = SettingInFile(app, "InProgress");
                app.SetMusicLevel(0.5);
            }
        };
        EXPECT_EQ(app.GetLoadingProgress(), 0.0);
        app.Initialize();
        ASSERT_TRUE(app.IsInitialized());
        EXPECT_EQ(app.mDataFolder, home.Data() + "/TestMaker/TestGame/");
        struct stat folder {};
        ASSERT_EQ(stat(app.mDataFolder.c_str(), &folder), 0);
        EXPECT_EQ(folder.st_mode & S_IWOTH, 0u);
        EXPECT_EQ(app.Demo().Path(), app.mDataFolder + "ravixapp.dmo");

        app.Run();
        EXPECT_TRUE(app.IsClosing());
        EXPECT_EQ(inProgressDuringRun, 1);
        // Updates every 10 ms until the close at 2 s; the loading thread's three 30 ms tasks
        // end at 90 ms, seen by the update after the eighth.
        EXPECT_EQ(app.UpdateCount(), 199);
        EXPECT_EQ(app.mWidgetUpdates, 199);
        EXPECT_EQ(app.mWidgetDraws, 199);
        EXPECT_EQ(app.mLoadingCompleteCalls, 1);
        EXPECT_EQ(app.mLoadingCompleteUpdate, 8);
        // While loading, frames are presented at most every 50 ms: at 10 and 60 ms, then from
        // 110 ms on after every update.
        EXPECT_EQ(app.Statistics().mDrawCount, 2 + 189);
        EXPECT_EQ(app.mLoadingCompleteThread, std::this_thread::get_id());
        EXPECT_EQ(app.GetLoadingProgress(), 1.0);
        EXPECT_EQ(SettingInFile(app, "InProgress"), 0);
        auto lines = app.Headless().DebugLines();
        std::string updateLine = "Update Count  = " + std::to_string(app.UpdateCount());
        EXPECT_NE(std::find(lines.begin(), lines.end(), updateLine), lines.end());
    }
    {
        TestApp app;
        app.Initialize();
        EXPECT_EQ(app.mMusicLevel, 0.5);
        EXPECT_EQ(SettingInFile(app, "InProgress"), 1); // this run has not ended yet
        app.BeginShutdown();
        EXPECT_EQ(SettingInFile(app, "InProgress"), 0);
    }
}

TEST(AppLifecycle, ShutdownAskedForByAnotherThreadHappensOnTheMainThread) {
    TempHome home;
    class ClosingLoader : public TestApp {
    public:
        void LoadingThreadBody() override {
            GetPlatform().Sleep(500);
            BeginShutdown();
        }
        void OnShutdownBegins() override { mShutdownThread = std::this_thread::get_id(); }
        std::thread::id mShutdownThread;
    } app;
    app.Initialize();
    app.Run();
    EXPECT_EQ(app.mShutdownThread, std::this_thread::get_id());
    EXPECT_EQ(app.UpdateCount(), 50); // the request at 500 ms ends the loop at the next pass
}

TEST(AppLifecycle, SecondCopyNotifiesTheFirstAndEnds) {
    TempHome home;
    class NotifiedApp : public TestApp {
    public:
        void OnNotifyMessage(int code) override { mNotifyCodes.push_back(code); }
        std::vector<int> mNotifyCodes;
    } first;
    first.Initialize();

    TestApp second;
    try {
        second.Initialize();
        FAIL() << "the second copy should have ended";
    } catch (const HeadlessProcessExit& exit) {
        EXPECT_EQ(exit.mCode, 0);
    }
    first.RunFor(10);
    EXPECT_EQ(first.mNotifyCodes, std::vector<int>{0});

    TestApp screenSaver;
    screenSaver.Headless().SetCommandLine({"tarnwick", "-screensaver"});
    screenSaver.Initialize(); // screen savers may run beside the program
    EXPECT_TRUE(screenSaver.IsInitialized());
    EXPECT_FALSE(screenSaver.mSingleInstance);
}

// A killed run leaves its writer's temporary files; the next copy that holds the instance lock
// removes them from the player's folders, and a copy that runs beside it (a screen saver) does
// not, as they may be the first copy's writes under way.
TEST(AppLifecycle, TheCopyHoldingTheLockRemovesWhatAKilledRunLeft) {
    TempHome home;
    const std::string data = home.Data() + "/TestMaker/TestGame/";
    const std::string maker = home.Config() + "/TestMaker/";
    const std::vector<std::string> leftovers = {data + "Save/autosave.a1B2c3.partial",
                                                data + "game.dmo.Zz09Aa.partial",
                                                maker + "TestGame.abcdef.partial"};
    const std::vector<std::string> kept = {data + "notes.backup",
                                           maker + "Other Game.abcdef.partial"};
    auto plant = [&] {
        for (const auto& list : {leftovers, kept})
            for (const std::string& file : list)
                ravix::testing::WriteTextFile(file, "x");
    };
    auto present = [](const std::vector<std::string>& files) {
        return std::count_if(files.begin(), files.end(),
                             [](const std::string& file) { return std::filesystem::exists(file); });
    };
    plant();
    std::filesystem::permissions(data, std::filesystem::perms(0755));
    TestApp first;
    first.Initialize();
    EXPECT_EQ(present(leftovers), 0);
    EXPECT_EQ(present(kept), 2);
    // A data folder an earlier version made wider becomes the player's own.
    EXPECT_EQ(std::filesystem::status(data).permissions(), std::filesystem::perms(0700));

    plant();
    TestApp screenSaver;
    screenSaver.Headless().SetCommandLine({"tarnwick", "-screensaver"});
    screenSaver.Initialize();
    EXPECT_EQ(present(leftovers), 3);
}

TEST(AppLifecycle, InitializeSeedsTheGeneratorAndMountsMainPakInTheStartFolder) {
    TempHome home;
    PakWriter archive;
    archive.AddEntry("Properties\\StartupCheck.txt", "found", FileTime{});
    std::string error;
    ASSERT_TRUE(archive.Write(home.Path() + "/main.pak", error)) << error;
    std::filesystem::path workingFolder = std::filesystem::current_path();
    TestApp app;
    app.mKeepWorkingFolder = false;
    app.mStartFolder = home.Path();
    app.Headless().AdvanceClock(12345);
    app.Initialize();
    EXPECT_EQ(gRandom.Next(), 7584);
    EXPECT_EQ(app.StartTick(), 12345);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(home.Path()));
    EXPECT_NE(gPakInterface->FindEntry("properties/startupcheck.txt"), nullptr);
    std::filesystem::current_path(workingFolder);
}

TEST(AppLifecycle, StringsVolumesAndDialogsWithoutAnyDialog) {
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "x"), "OK");
    EXPECT_EQ(app.GetString("NO_SUCH_TEXT", "fallback"), "fallback");
    app.SetString("NO_SUCH_TEXT", "now there");
    EXPECT_EQ(app.GetString("NO_SUCH_TEXT", "fallback"), "now there");

    app.Silence(false);
    app.Silence(true);
    app.Unsilence(true);
    EXPECT_TRUE(app.IsSilenced());
    app.Unsilence(false);
    app.Unsilence(false);
    EXPECT_FALSE(app.IsSilenced());
    EXPECT_EQ(app.SilenceDepth(), 0);

    EXPECT_FALSE(app.DismissDialog(42));
    EXPECT_FALSE(app.DismissDialog(42, false, false));
    EXPECT_EQ(app.FindDialog(42), nullptr);
    EXPECT_EQ(app.CountDialogs(), 0);
}

TEST(AppLifecycle, FatalErrorsInScreenSaverModeGoToTheLog) {
    TempHome home;
    std::filesystem::path workingFolder = std::filesystem::current_path();
    std::filesystem::current_path(home.Path());
    TestApp app;
    app.mScreenSaverMode = true;
    app.ShowFatalError("first");
    EXPECT_EQ(app.ShowMessageBox("second", "caption", kMessageBoxYesNo), kMessageBoxResultOk);
    EXPECT_TRUE(app.Headless().MessageBoxes().empty());
    std::string log = ravix::testing::ReadTextFile(home.Path() + "/ScrError.txt");
    EXPECT_TRUE(log.starts_with("first ")) << log;
    EXPECT_NE(log.find("\nsecond "), std::string::npos) << log;

    // Once the data folder is known the log goes there, never to the working folder, which is
    // the game's data folder.
    app.mDataFolder = home.Data() + "/";
    std::filesystem::create_directories(home.Data());
    app.ShowFatalError("third");
    EXPECT_NE(ravix::testing::ReadTextFile(home.Data() + "/ScrError.txt").find("third "),
              std::string::npos);
    EXPECT_EQ(std::filesystem::status(home.Data() + "/ScrError.txt").permissions(),
              std::filesystem::perms(0600));
    EXPECT_EQ(ravix::testing::ReadTextFile(home.Path() + "/ScrError.txt").find("third"),
              std::string::npos);
    std::filesystem::current_path(workingFolder);
}

TEST(AppLifecycle, CursorNumbersShowTheirShapeOnlyInsideTheWindow) {
    TestApp app;
    app.SetHandCursor(true);
    EXPECT_EQ(app.Headless().CurrentCursor(), SystemCursor::Arrow);
    app.mMouseInWindow = true;
    app.ApplyCursorShape();
    EXPECT_EQ(app.Headless().CurrentCursor(), SystemCursor::PointingHand);
    for (auto [number, cursor] : {std::pair{2, SystemCursor::GrabbingHand},
                                  {11, SystemCursor::Hidden},
                                  {13, SystemCursor::Arrow},
                                  {-1, SystemCursor::Arrow},
                                  {0, SystemCursor::Arrow}}) {
        app.SetCursorNumber(number);
        EXPECT_EQ(app.Headless().CurrentCursor(), cursor) << number;
    }
}
