// The game application on the desktop platform: its clock counts from the system's start, so
// that two runs seed the generator differently and deal different cards.

#include "GameDataFolder.h"
#include "app/AppTestSupport.h"
#include "game/Board.h"
#include "game/Card.h"
#include "game/GameApp.h"
#include "game/GameResources.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "widgets/WidgetManager.h"
#include "platform/DesktopPlatform.h"
#include "resources/ResourceManager.h"

#include <gtest/gtest.h>

#include <time.h>

using namespace tarnwick;
using ravix::testing::TempHome;

namespace {

struct RunResult {
    int64_t mStartTick = 0;
    std::vector<std::array<int, 3>> mDeal; // colour, shape, symbol of each card
};

// One run of the game on the desktop platform (SDL's dummy video driver): start-up, then a
// board in mode 1 dealt from the seed of the start tick.
RunResult RunOnce(const std::string& dataFolder) {
    std::string error;
    std::unique_ptr<ravix::Platform> platform = ravix::OpenDesktopPlatform(0, nullptr, error);
    EXPECT_NE(platform, nullptr) << error;
    if (platform == nullptr) {
        return {};
    }
    GameApp app(std::move(platform));
    app.mSilent = true;
    app.mSingleInstance = false; // a game running on this machine is no reason to stop
    app.mStartFolder = dataFolder;
    app.Initialize();
    EXPECT_TRUE(app.mResources->LoadResourceGroup("Game"));
    EXPECT_TRUE(ExtractGameResources(*app.mResources));
    DeleteSavedGame(); // as the difficulty menu does: the first run saved its game at exit
    app.CreateBoard(PlayMode::Easy); // takes the title screen down first
    RunResult result{app.StartTick(), {}};
    for (const auto& card : app.mBoard->Model().Cards()) {
        result.mDeal.push_back({card->mColor, card->mShape, card->mSymbol});
    }
    app.BeginShutdown();
    return result;
}

int64_t MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

TEST(GameApp, TwoRunsStartAtDifferentTicksAndDealDifferentCards) {
    TempHome home;
    home.Set("SDL_VIDEODRIVER", "dummy");
    const std::filesystem::path oldFolder = std::filesystem::current_path();
    tarnwick::testing::GameDataFolder data(home.Path());
    const int64_t before = MonotonicMilliseconds();
    const RunResult first = RunOnce(data.Path());
    const RunResult second = RunOnce(data.Path());
    const int64_t after = MonotonicMilliseconds();
    std::filesystem::current_path(oldFolder);

    // The start tick is the system's running time, not the time since the program started.
    EXPECT_GE(first.mStartTick, before);
    EXPECT_LE(second.mStartTick, after);
    EXPECT_GT(second.mStartTick, first.mStartTick);
    ASSERT_FALSE(first.mDeal.empty());
    EXPECT_EQ(first.mDeal.size(), second.mDeal.size());
    EXPECT_NE(first.mDeal, second.mDeal);
}
