#include "AppTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::TempHome;
using ravix::testing::TestApp;
using ravix::testing::WriteTextFile;

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

class OptionRecorder : public TestApp {
public:
    void HandleCommandLineOption(const std::string& name, const std::string& value) override {
        mOptions.emplace_back(name, value);
    }
    Options mOptions;
};

Options Split(const std::string& text) {
    OptionRecorder app;
    app.SplitCommandLine(text);
    return app.mOptions;
}

Options FromArguments(const std::vector<std::string>& arguments) {
    OptionRecorder app;
    app.Headless().SetCommandLine(arguments);
    app.ReadCommandLine();
    return app.mOptions;
}

} // namespace

TEST(CommandLine, SplittingFollowsTheQuotingRules) {
    const std::pair<std::string, Options> cases[] = {
        {"", {}},
        {"   ", {}},
        {"-play", {{"-play", ""}}},
        {"-a=1  -b", {{"-a", "1"}, {"-b", ""}}},
        {"-demofile=\"/my demos/a.dmo\" -play", {{"-demofile", "/my demos/a.dmo"}, {"-play", ""}}},
        {"\"-demofile=/my demos/a.dmo\"-play", {{"-demofile", "/my demos/a.dmo"}, {"-play", ""}}},
        {"-a=b=c", {{"-a", "bc"}}},
        {"-changedir=", {{"-changedir", ""}}},
        {"\"-unterminated=a b", {{"-unterminated", "a b"}}},
        {"\"\" -x", {{"-x", ""}}},
        // An option boundary always starts a new name, even after an option without one.
        {"=orphan -play", {{"-play", ""}}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Split(text), expected) << text;
    }
}

TEST(CommandLine, ArgumentsAreJoinedAsTypedAndTheProgramNameSkipped) {
    EXPECT_EQ(RavixAppBase::JoinArguments({"/opt/my game/run", "-a=b c", "", "-play"}),
              "\"/opt/my game/run\" \"-a=b c\" \"\" -play");
    EXPECT_EQ(FromArguments({"/opt/my game/run", "-demofile=/tmp/my demos/a.dmo", "-play"}),
              (Options{{"-demofile", "/tmp/my demos/a.dmo"}, {"-play", ""}}));
    EXPECT_EQ(FromArguments({"tarnwick", "-changedir="}), (Options{{"-changedir", ""}}));
    EXPECT_EQ(FromArguments({"tarnwick"}), Options{});
    EXPECT_EQ(FromArguments({"\"unbalanced", "-play"}), Options{});
}

TEST(CommandLine, OptionsSetTheirFields) {
    TempHome home;
    TestApp app;
    app.mDataFolder = "/data/";
    app.Headless().SetCommandLine(
        {"tarnwick", "-demofile=/tmp/my demos/a.dmo", "-play", "-changedir=", "-screensaver"});
    app.ReadCommandLine();
    EXPECT_EQ(app.Demo().Path(), "/tmp/my demos/a.dmo");
    EXPECT_TRUE(app.Demo().IsPlaying());
    EXPECT_FALSE(app.Demo().IsRecording());
    EXPECT_EQ(app.mStartFolder, "");
    EXPECT_TRUE(app.mScreenSaverMode);

    app.HandleCommandLineOption("-demofile", "relative.dmo");
    EXPECT_EQ(app.Demo().Path(), "/data/relative.dmo");
    app.HandleCommandLineOption("-record", "");
    EXPECT_TRUE(app.Demo().IsRecording());
    EXPECT_FALSE(app.Demo().IsPlaying());
}

TEST(CommandLine, UnknownOptionIsFatalWithItsName) {
    TempHome home;
    TestApp app;
    app.Headless().SetCommandLine({"tarnwick", "-play", "-foo=1"});
    try {
        app.ReadCommandLine();
        FAIL() << "the process should have ended";
    } catch (const HeadlessProcessExit& exit) {
        EXPECT_EQ(exit.mCode, 0);
    }
    auto boxes = app.Headless().MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].mText, "Invalid command line parameter: -foo");
    EXPECT_EQ(boxes[0].mCaption, "FATAL ERROR");
    EXPECT_EQ(boxes[0].mFlags, kMessageBoxIconError);
    EXPECT_TRUE(app.Demo().IsPlaying()); // options before the bad one took effect

    TestApp translated;
    translated.SetString("INVALID_COMMANDLINE_PARAM", "Unbekannte Option: ");
    translated.SetString("FATAL_ERROR", "FEHLER");
    EXPECT_THROW(translated.HandleCommandLineOption("-Play", ""), HeadlessProcessExit);
    EXPECT_EQ(translated.Headless().MessageBoxes().at(0).mText, "Unbekannte Option: -Play");
    EXPECT_EQ(translated.Headless().MessageBoxes().at(0).mCaption, "FEHLER");
}

TEST(CommandLine, NumberedDemosInTheDataFolder) {
    TempHome home;
    TestApp app;
    std::string folder = home.Path() + "/demos/";
    app.mDataFolder = folder;
    for (const char* name : {"ravixapp1.dmo", "ravixapp2.dmo", "ravixapp7.dmo", "ravixappx.dmo",
                             "ravixapp3.dmo.bak", "ravixapp-4.dmo", "other9.dmo"}) {
        WriteTextFile(folder + name, "demo");
    }

    app.HandleCommandLineOption("-playnum", "");
    EXPECT_EQ(app.Demo().Path(), folder + "ravixapp7.dmo");
    EXPECT_TRUE(app.Demo().IsPlaying());
    app.HandleCommandLineOption("-playnum", "3");
    EXPECT_EQ(app.Demo().Path(), folder + "ravixapp5.dmo");

    app.HandleCommandLineOption("-recnum", "");
    EXPECT_EQ(app.Demo().Path(), folder + "ravixapp8.dmo");
    EXPECT_TRUE(std::filesystem::exists(folder + "ravixapp1.dmo")); // 3 files, keeps 5

    app.HandleCommandLineOption("-recnum", "3");
    EXPECT_EQ(app.Demo().Path(), folder + "ravixapp8.dmo");
    EXPECT_TRUE(app.Demo().IsRecording());
    EXPECT_FALSE(app.Demo().IsPlaying());
    EXPECT_FALSE(std::filesystem::exists(folder + "ravixapp1.dmo"));
    EXPECT_TRUE(std::filesystem::exists(folder + "ravixapp2.dmo"));
    EXPECT_TRUE(std::filesystem::exists(folder + "ravixappx.dmo"));

    app.mDataFolder = home.Path() + "/empty/";
    app.HandleCommandLineOption("-recnum", "2");
    EXPECT_EQ(app.Demo().Path(), home.Path() + "/empty/ravixapp1.dmo");
}
