// A long headless replay: games played through one after another for TARNWICK_LONG_RUN_MINUTES
// minutes of game time, recorded here and replayed by the program. The replay must end cleanly
// (under the sanitizers: without a leak) and its resident memory must not grow after the first
// games. Skipped unless the variable is set. TARNWICK_LONG_RUN_PROGRAM names another build of
// the program to replay with: CI records with the optimised build, which plays an hour in about
// a minute, and replays with the sanitizer build, with a small quarantine so that the resident
// size measures live memory.

#include "DemoRecording.h"
#include "ProgramRun.h"

#include <algorithm>
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

// What the allocator's and the libraries' own caches may still add once warm.
constexpr long kAllowedGrowthKb = 4 * 1024;

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
    // The replay starts as the recording did, without saves, and must end with the same top
    // scores: it played the same games.
    const std::string topScores = home.Data() + "/Tarnwick/Save/topscores";
    const std::string recordedScores = ravix::testing::ReadTextFile(topScores);
    ASSERT_FALSE(recordedScores.empty());
    fs::remove_all(home.Data() + "/Tarnwick");
    const char* program = std::getenv("TARNWICK_LONG_RUN_PROGRAM");

    // The replay runs at an even pace, so its samples in time stand for its games in order.
    std::vector<Memory> samples;
    auto watch = [&](pid_t pid) {
        const Memory memory = ReadMemory(pid);
        if (memory.mResident != 0) {
            samples.push_back(memory);
        }
    };
    const ProgramResult result =
        RunProgram({"-play", "-demofile=" + demo, "-headless", "-changedir=" + data.Path()},
                   home.Path() + "/stderr.txt", std::chrono::hours(2), watch,
                   program != nullptr ? program : TARNWICK_PROGRAM);
    ASSERT_TRUE(result.mExited && result.mExitCode == 0) << result.Describe();
    EXPECT_EQ(ravix::testing::ReadTextFile(topScores), recordedScores);

    ASSERT_GE(samples.size(), 20u) << "the replay was too short to measure";
    // The second quarter against the last, short of the samples taken while the program takes
    // everything down. The first quarter is left out: a sanitizer build's allocator keeps freed
    // blocks in its quarantine and caches until they fill, which takes that long.
    const size_t quarter = samples.size() / 4;
    auto largest = [&](size_t from, size_t to) {
        long kilobytes = 0;
        for (size_t i = from; i < to; ++i) {
            kilobytes = std::max(kilobytes, samples[i].mResident);
        }
        return kilobytes;
    };
    const long secondQuarter = largest(quarter, 2 * quarter);
    const long lastQuarter = largest(3 * quarter, samples.size() - 2);
    const long peak = samples.back().mPeak;
    std::cout << "long run: " << minutes << " min of game time, " << games << " games, "
              << samples.size() << " samples of the resident size: at most "
              << secondQuarter / 1024 << " MiB in the second quarter and " << lastQuarter / 1024
              << " MiB in the last; peak " << peak / 1024 << " MiB\n";
    RecordProperty("PeakResidentKb", static_cast<int>(peak));
    EXPECT_LE(lastQuarter - secondQuarter, kAllowedGrowthKb);
}
