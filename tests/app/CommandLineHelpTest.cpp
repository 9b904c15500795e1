#include "AppTestSupport.h"

#include "app/CommandLineHelp.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace ravix;
using ravix::testing::TempHome;
using ravix::testing::TestApp;

namespace {

CommandLineHelp SmallHelp() {
    CommandLineHelp help;
    help.mProgram = "game";
    help.mPackage = "Game";
    help.mVersion = "1.2.3";
    help.mUsage = "[OPTION]...";
    help.mDescription = "A game.";
    help.mOptions = {{"-play", "replay"},
                     {"-playnum[=N]", "replay a numbered demo"},
                     {"-demofile=FILE", "the demo"},
                     {"--help", "help"}};
    help.mEnvironment = {{"A_RATHER_LONG_VARIABLE_NAME", "long"}};
    return help;
}

} // namespace

TEST(CommandLineHelp, InformationOptionsAndUnknownOptionsAreAnsweredInOrder) {
    struct Case {
        std::vector<std::string> mArguments;
        std::optional<int> mExitCode; // nullopt: the program runs
        std::string mOutputStart;
        std::string mError;
    };
    const std::string unknownFoo =
        "game: unknown option '-foo'\nTry 'game --help' for more information.\n";
    const Case cases[] = {
        {{"game"}, std::nullopt, "", ""},
        {{"game", "-play", "-playnum=2", "-demofile=/my demos/a.dmo"}, std::nullopt, "", ""},
        {{"game", "--version"}, 0, "game (Game) 1.2.3\n", ""},
        {{"game", "-play", "--help", "-foo"}, 0, "Usage: game [OPTION]...\nA game.\n", ""},
        {{"game", "-foo=1", "--help"}, 2, "", unknownFoo},
        {{"game", "-Play"},
         2,
         "",
         "game: unknown option '-Play'\nTry 'game --help' for more "
         "information.\n"},
        // Names are read as the application reads them: the value after "=" is no name.
        {{"game", "-demofile=--help"}, std::nullopt, "", ""},
        {{"game", "play"},
         2,
         "",
         "game: unknown option 'play'\nTry 'game --help' for more "
         "information.\n"},
    };
    for (const Case& c : cases) {
        std::optional<CommandLineAnswer> answer = AnswerCommandLine(SmallHelp(), c.mArguments);
        const std::string label = RavixAppBase::JoinArguments(c.mArguments);
        ASSERT_EQ(answer.has_value(), c.mExitCode.has_value()) << label;
        if (!answer) {
            continue;
        }
        EXPECT_EQ(answer->mExitCode, *c.mExitCode) << label;
        EXPECT_TRUE(answer->mOutput.starts_with(c.mOutputStart)) << label << answer->mOutput;
        EXPECT_EQ(answer->mError, c.mError) << label;
    }
}

TEST(CommandLineHelp, HelpListsEveryEntryInColumns) {
    EXPECT_EQ(FormatHelp(SmallHelp()), "Usage: game [OPTION]...\n"
                                       "A game.\n"
                                       "\n"
                                       "Options (a value follows \"=\", as in -demofile=FILE):\n"
                                       "  -play                   replay\n"
                                       "  -playnum[=N]            replay a numbered demo\n"
                                       "  -demofile=FILE          the demo\n"
                                       "  --help                  help\n"
                                       "\n"
                                       "Environment:\n"
                                       "  A_RATHER_LONG_VARIABLE_NAME\n"
                                       "                          long\n");
}

// The help must not offer an option the application refuses.
TEST(CommandLineHelp, TheApplicationAcceptsEveryFrameworkOptionOfTheHelp) {
    TempHome home;
    for (const HelpEntry& option : FrameworkOptionHelp()) {
        const std::string name = OptionNameOfTerm(option.mTerm);
        if (name == "-crash") {
            continue; // it ends the process through the crash handler
        }
        TestApp app;
        app.mDataFolder = home.Path() + "/";
        app.HandleCommandLineOption(name, "");
        EXPECT_TRUE(app.Headless().MessageBoxes().empty()) << name;
    }
}

// --help and --version answer without a display, so they never open a window; so does the
// refusal of an unknown option, which exits 2.
TEST(CommandLineHelp, TheProgramAnswersWithoutAWindow) {
    TempHome home;
    struct Case {
        const char* mArguments;
        int mExitCode;
        const char* mOutputStart;
    };
    const Case cases[] = {
        {"--help", 0, "Usage: tarnwick [OPTION]..."},
        {"--version", 0, "tarnwick (Tarnwick) " TARNWICK_VERSION "\n"},
        {"-play -nosuch", 2, ""},
    };
    for (const Case& c : cases) {
        const std::string output = home.Path() + "/out.txt";
        const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                                    std::string(TARNWICK_PROGRAM) + " " + c.mArguments + " >" +
                                    output + " 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.mArguments;
        EXPECT_EQ(WEXITSTATUS(status), c.mExitCode) << c.mArguments;
        EXPECT_TRUE(ravix::testing::ReadTextFile(output).starts_with(c.mOutputStart))
            << c.mArguments << ": " << ravix::testing::ReadTextFile(output);
    }
    EXPECT_EQ(ravix::testing::ReadTextFile(home.Path() + "/out.txt"),
              "tarnwick: unknown option '-nosuch'\nTry 'tarnwick --help' for more information.\n");
}
