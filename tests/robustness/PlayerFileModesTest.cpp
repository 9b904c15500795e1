// What the game writes for the player (the saved game, the top scores, the settings, a demo, a
// screenshot) lies in folders only the player may enter (0700) and in files only the player may
// read (0600): they hold the player's input.

#include "DemoRecording.h"

#include <filesystem>

using namespace tarnwick::testing;
using ravix::testing::TempHome;
namespace fs = std::filesystem;

namespace {

// Every folder and file below folder (folder included) whose mode is not the player's own.
std::vector<std::string> NotPrivate(const fs::path& folder) {
    std::vector<std::string> wrong;
    auto check = [&](const fs::path& path, bool isFolder) {
        const fs::perms mode = fs::symlink_status(path).permissions();
        if (mode != fs::perms(isFolder ? 0700 : 0600))
            wrong.push_back(path.string() + " " + std::to_string(static_cast<int>(mode)));
    };
    check(folder, true);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        check(entry.path(), entry.is_directory());
    return wrong;
}

TEST(PlayerFileModesTest, EverythingWrittenForThePlayerIsThePlayersOwn) {
    TempHome home;
    GameDataFolder data(home.Path());
    // A relative demo name records into the player's data folder.
    RecordShortGame(data.Path(), "game.dmo");
    {
        FlowApp app;
        app.mDebugKeys = true;
        app.Start(data.Path());
        ASSERT_TRUE(app.RunUntil([&] { return app.IsLoadingComplete(); }));
        app.PressKey(ravix::kKeyF1 + 10); // a screenshot
        app.RunFor(20);
    }
    const fs::path player = home.Data() + "/Tarnwick";
    const fs::path settings = home.Config() + "/Brannel";
    for (const fs::path& written :
         {player / "Save/autosave", player / "Save/topscores", player / "game.dmo",
          player / "_screenshots/image1.png", settings / "Tarnwick"})
        EXPECT_TRUE(fs::exists(written)) << written;
    EXPECT_EQ(NotPrivate(player), std::vector<std::string>{});
    EXPECT_EQ(NotPrivate(settings), std::vector<std::string>{});
}

} // namespace
