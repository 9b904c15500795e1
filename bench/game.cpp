// The game with its real data on the headless platform: the time from creating the application
// to the main menu shown with the "Game" group loaded (median of several starts), and the CPU
// time of one second of play on the largest level: 100 updates and 60 frames of the board with a
// card turning and the bonus text rising, drawn and presented through the display layer.
// The last line is "game startup_ms=A second_ms=B". Usage: bench_game [DATA_FOLDER].

#include "AlternatingTiming.h"

#include "game/Board.h"
#include "game/Card.h"
#include "game/FlickeringButtonWidget.h"
#include "game/GameApp.h"
#include "game/Level.h"
#include "game/SaveFiles.h"
#include "game/TitleScreen.h"
#include "platform/headless/HeadlessPlatform.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using tarnwick::Card;
using tarnwick::GameApp;
using tarnwick::TitleScreen;

constexpr int kStartups = 7;
constexpr int kSeconds = 21;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The game on the headless platform, run pass by pass as its main loop runs it.
class BenchApp : public GameApp {
public:
    BenchApp() : GameApp(std::make_unique<ravix::HeadlessPlatform>()) {
        mSilent = true;
        mSingleInstance = false;
    }
    ~BenchApp() override {
        if (!mShuttingDown) {
            BeginShutdown();
        }
    }

    // Start-up until the main menu shows with everything loaded; false when it does not.
    bool StartToMainMenu(const std::string& dataFolder) {
        mStartFolder = dataFolder;
        Initialize();
        StartLoadingThread();
        GetPlatform().ShowMainWindow(true);
        ResetTiming();
        bool updated = false;
        while (!(IsLoadingComplete() && mTitleScreen != nullptr &&
                 mTitleScreen->GetButton(TitleScreen::kPlay)->mVisible)) {
            if (!RunPass(updated)) {
                return false;
            }
        }
        return true;
    }

    // The board moved to the level with the most cards.
    void MoveToLargestLevel() {
        // As the title screen starts a board (the title screen goes first).
        CreateBoard(tarnwick::PlayMode::Easy);
        const tarnwick::BoardModel& game = mBoard->Model();
        int largest = 0;
        size_t mostCards = 0;
        for (int level = 0; level <= game.GetLevel().GetMaxLevel(); ++level) {
            DealLevel(level);
            if (game.Cards().size() > mostCards) {
                mostCards = game.Cards().size();
                largest = level;
            }
        }
        DealLevel(largest);
        std::printf("largest level %d: %zu cards\n", largest, mostCards);
    }

    // One second of play: a card always turning, the bonus text rising, 100 updates and 60
    // frames interleaved as the main loop spreads them.
    void PlayOneSecond() {
        mBoard->ShowBonus(44, 400, 300);
        const auto& cards = mBoard->Model().Cards();
        int frames = 0;
        for (int update = 0; update < 100; ++update) {
            if (update % 20 == 0) {
                Card& card = *cards[static_cast<size_t>(update / 20) % cards.size()];
                card.Flip();
            }
            AdvanceUpdate();
            while (frames < (update + 1) * 60 / 100) {
                DrawFrame();
                ++frames;
            }
        }
    }

private:
    void DealLevel(int level) {
        tarnwick::DeleteSavedGame();
        mBoard->Model().RestartAt(level);
    }
};

} // namespace

// The data folder may be given as the argument; the build's data folder by default.
int main(int argc, char** argv) {
    std::string dataFolder = argc > 1 ? argv[1] : TARNWICK_DATA_DIR;
    if (!std::filesystem::exists(dataFolder + "/Properties/Levels.txt")) {
        std::fprintf(stderr, "bench_game: no game data in %s (build the default target)\n",
                     dataFolder.c_str());
        return 1;
    }
    // The runs' settings, saved games and top scores go to a scratch home.
    std::string home = (std::filesystem::temp_directory_path() / "bench-game-XXXXXX").string();
    if (mkdtemp(home.data()) == nullptr) {
        return 1;
    }
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    const std::filesystem::path workingFolder = std::filesystem::current_path();

    std::vector<double> startups;
    for (int run = 0; run < kStartups; ++run) {
        const auto start = std::chrono::steady_clock::now();
        BenchApp app;
        if (!app.StartToMainMenu(dataFolder)) {
            std::fprintf(stderr, "bench_game: the main menu never showed\n");
            return 1;
        }
        const auto shown = std::chrono::steady_clock::now();
        startups.push_back(std::chrono::duration<double, std::milli>(shown - start).count());
    }

    BenchApp app;
    app.StartToMainMenu(dataFolder);
    app.MoveToLargestLevel();
    std::vector<double> seconds;
    for (int second = 0; second < kSeconds; ++second) {
        const double start = ThreadCpuMs();
        app.PlayOneSecond();
        seconds.push_back(ThreadCpuMs() - start);
    }
    std::filesystem::current_path(workingFolder);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    std::printf("game startup_ms=%.1f second_ms=%.1f\n", Median(startups), Median(seconds));
    return 0;
}
