// A long headless replay: games played through one after another for TARNWICK_LONG_RUN_MINUTES
// minutes of game time, recorded here and replayed by the program. The replay must end cleanly
// (under the sanitizers: without a leak) and its resident memory must not grow after the first
// games. Skipped unless the variable is set: CI sets it for the sanitizer build, with a small
// quarantine so that the resident size measures live memory.

#include "DemoRecording.h"
#include "ProgramRun.h"

#include <fstream>
#include <sstream>

using namespace tarnwick::testing;
using ravix::testing::TempHome;
namespace fs = std::filesystem;

namespace {

// Resident kilobytes now and at the peak, from /proc/PID/status; zeros once the process is gone.
struct Memory {
    long mResident = 0;
    long mPeak = 0;
};

Memory ReadMemory(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    Memory memory;
    std::string line;
    while (std::getline(status, line)) {
        std::istringstream fields(line);
        std::string name;
        long kilobytes = 0;
        fields >> name >> kilobytes;
        if (name == "VmRSS:") {
            memory.mResident = kilobytes;
        } else if (name == "VmHWM:") {
            memory.mPeak = kilobytes;
        }
    }
    return memory;
}

// Growth the allocator's and libraries' own caches may still show after the first games.
constexpr long kAllowedGrowthKb = 8 * 1024;

} // namespace

TEST(LongRun, GamesReplayedForALongTimeEndCleanlyWithoutGrowingMemory) {
    const char* minutesText = std::getenv("TARNWICK_LONG_RUN_MINUTES");
    if (minutesText == nullptr || std::atoi(minutesText) <= 0) {
        GTEST_SKIP() << "set TARNWICK_LONG_RUN_MINUTES to the minutes of game time to replay";
    }
    const int minutes = std::atoi(minutesText);
    TempHome home;
    GameDataFolder data(home.Path());
    const fs::path oldFolder = fs::current_path();
    const std::string demo = home.Path() + "/long.dmo";
    const int games = RecordManyGames(data.Path(), demo, minutes);
    fs::current_path(oldFolder);
    ASSERT_GE(games, 3);
    // The replay starts as the recording did, without saves.
    fs::remove_all(home.Data() + "/Tarnwick");

    // Every won game rewrites the top scores: their changes count the games replayed so far.
    const std::string topScores = home.Data() + "/Tarnwick/Save/topscores";
    fs::file_time_type lastChange{};
    int gamesSeen = 0;
    long afterFirstGames = 0;
    long lastGames = 0;
    Memory last;
    auto watch = [&](pid_t pid) {
        std::error_code error;
        const fs::file_time_type changed = fs::last_write_time(topScores, error);
        if (!error && changed != lastChange) {
            lastChange = changed;
            ++gamesSeen;
        }
        const Memory memory = ReadMemory(pid);
        if (memory.mResident == 0) {
            return;
        }
        last = memory;
        // The first two games load and warm everything a game uses.
        if (gamesSeen >= 1 && gamesSeen <= 2) {
            afterFirstGames = std::max(afterFirstGames, memory.mResident);
        }
        if (gamesSeen >= games - 1) {
            lastGames = std::max(lastGames, memory.mResident);
        }
    };
    const ProgramResult result =
        RunProgram({"-play", "-demofile=" + demo, "-headless", "-changedir=" + data.Path()},
                   home.Path() + "/stderr.txt", std::chrono::hours(2), watch);
    ASSERT_TRUE(result.mExited && result.mExitCode == 0) << result.Describe();

    std::cout << "long run: " << minutes << " min of game time, " << games << " games ("
              << gamesSeen << " seen), resident after the first games " << afterFirstGames / 1024
              << " MiB, in the last games " << lastGames / 1024 << " MiB, peak "
              << last.mPeak / 1024 << " MiB\n";
    RecordProperty("PeakResidentKb", static_cast<int>(last.mPeak));
    ASSERT_GT(afterFirstGames, 0) << "the replay ended before its second game";
    ASSERT_GT(lastGames, 0) << "the last games were not seen";
    EXPECT_LE(lastGames - afterFirstGames, kAllowedGrowthKb);
}
