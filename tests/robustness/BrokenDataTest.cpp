// The program replaying a short recorded game, headless, on a copy of its data folder with one
// fault at a time: each run ends with one message that names the damaged file (or plays on
// where the piece may be missing), and never with a crash or a hang. The headless program has
// no sound device and so reads no sounds; a broken sound is checked where one is decoded, by
// tarnwick-tool resources check, which loads a group as the game does with a sound device.

#include "DemoRecording.h"
#include "ProgramRun.h"

#include <filesystem>
#include <fstream>

using namespace tarnwick::testing;
using ravix::testing::TempHome;
namespace fs = std::filesystem;

namespace {

class BrokenDataTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sHome = new TempHome;
        sData = new GameDataFolder(sHome->Path());
        const fs::path oldFolder = fs::current_path();
        RecordShortGame(sData->Path(), DemoPath());
        fs::current_path(oldFolder);
    }
    static void TearDownTestSuite() {
        delete sData;
        delete sHome;
    }
    static std::string DemoPath() { return sHome->Path() + "/short.dmo"; }

    // A fresh copy of the data folder, with or without its archive.
    static std::string CopyData(const std::string& name, bool withPak) {
        const std::string copy = sHome->Path() + "/" + name;
        fs::remove_all(copy);
        fs::copy(sData->Path(), copy, fs::copy_options::recursive);
        if (!withPak) {
            fs::remove(copy + "/main.pak");
        }
        return copy;
    }

    static TempHome* sHome;
    static GameDataFolder* sData;
};

TempHome* BrokenDataTest::sHome = nullptr;
GameDataFolder* BrokenDataTest::sData = nullptr;

void CutToHalf(const fs::path& path) {
    fs::resize_file(path, fs::file_size(path) / 2);
}

void Append(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

// Only the archive and what never goes into it: the levels and the information page.
void KeepOnlyThePak(const std::string& folder) {
    for (const char* subfolder : {"images", "sounds", "fonts", "Music"}) {
        fs::remove_all(fs::path(folder) / subfolder);
    }
    fs::remove(fs::path(folder) / "Properties/resources.xml");
}

} // namespace

TEST_F(BrokenDataTest, EachFaultEndsWithOneMessageNamingTheFile) {
    if (!sData->IsReal()) {
        GTEST_SKIP() << "needs the data folder the build makes";
    }
    struct Case {
        const char* mName;
        bool mWithPak;
        std::function<void(const fs::path&)> mBreak;
        const char* mNamedFile; // empty: the game plays on to the end of the demo
        const char* mToolGroup = nullptr; // a group that tarnwick-tool must refuse, naming it
        const char* mToolNamedFile = nullptr;
    };
    const Case cases[] = {
        {"truncated main.pak alone", true,
         [](const fs::path& data) {
             KeepOnlyThePak(data);
             CutToHalf(data / "main.pak");
         },
         "main.pak"},
        {"picture cut in half", false,
         [](const fs::path& data) { CutToHalf(data / "images/tiles.png"); }, "images/tiles.png"},
        {"title picture cut in half", false,
         [](const fs::path& data) { CutToHalf(data / "images/title.png"); }, "images/title.png"},
        {"manifest with a syntax error", false,
         [](const fs::path& data) { Append(data / "Properties/resources.xml", "<Resources id=\"x\""); },
         "resources.xml"},
        {"font descriptor with a bad command", false,
         [](const fs::path& data) { Append(data / "fonts/small.txt", "\nLayerFlyAway Main 3;\n"); },
         "fonts/small.txt"},
        {"missing sound", false,
         [](const fs::path& data) { fs::remove(data / "sounds/click.ogg"); }, "", "TitleScreen",
         "sounds/click"},
        {"sound of zero bytes", false,
         [](const fs::path& data) { fs::resize_file(data / "sounds/score.ogg", 0); }, "",
         "TitleScreen", "sounds/score"},
        {"missing Levels.txt", false,
         [](const fs::path& data) { fs::remove(data / "Properties/Levels.txt"); }, "Levels.txt"},
        {"missing music", false,
         [](const fs::path& data) { fs::remove(data / "Music/Music.ogg"); }, ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        const std::string data = CopyData("case" + std::to_string(index++), c.mWithPak);
        c.mBreak(data);
        // Each run starts as the recording did: without a saved game.
        fs::remove_all(sHome->Data() + "/Tarnwick");
        const ProgramResult result =
            RunProgram({"-play", "-demofile=" + DemoPath(), "-headless", "-changedir=" + data},
                       sHome->Path() + "/stderr.txt", std::chrono::seconds(120));
        ASSERT_FALSE(result.mTimedOut) << result.Describe();
        ASSERT_TRUE(result.mExited) << result.Describe();
        if (*c.mNamedFile == '\0') {
            EXPECT_EQ(result.mExitCode, 0) << result.Describe();
            EXPECT_EQ(CountOf(result.mErrors, "FATAL ERROR"), 0) << result.Describe();
        } else {
            EXPECT_EQ(result.mExitCode, 1) << result.Describe();
            EXPECT_EQ(CountOf(result.mErrors, "FATAL ERROR: "), 1) << result.Describe();
            // Nothing but the program's messages: no library printing of its own.
            EXPECT_TRUE(result.mErrors.starts_with("FATAL ERROR: ") ||
                        result.mErrors.starts_with("Error: "))
                << result.Describe();
            EXPECT_NE(result.mErrors.find(c.mNamedFile), std::string::npos) << result.Describe();
        }
        if (c.mToolGroup != nullptr) {
            const ProgramResult tool = RunProgram(
                {"resources", "check", "Properties/resources.xml", c.mToolGroup},
                sHome->Path() + "/stderr.txt", std::chrono::seconds(60), {}, TARNWICK_TOOL, data);
            EXPECT_TRUE(tool.mExited && tool.mExitCode == 1) << tool.Describe();
            EXPECT_NE(tool.mErrors.find(c.mToolNamedFile), std::string::npos) << tool.Describe();
        }
        fs::remove_all(data);
    }
}
