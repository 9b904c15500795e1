// A child process writes the settings, the saved game, the top scores and a demo over and over
// through the program's own writers, and is killed with SIGKILL at random moments. After each
// kill every file must hold one generation whole, the files written earlier in a round must be
// at least as new as the later ones, and the readers the program starts with must read them.
// After the last kill the program itself starts on what is left, replays the demo and leaves
// none of the temporary files the kills left behind.

#include "DemoRecording.h"
#include "ProgramRun.h"

#include "app/SettingsStore.h"
#include "demo/DemoFile.h"
#include "files/AtomicFile.h"
#include "game/BoardModel.h"
#include "game/SaveFiles.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <random>

using namespace tarnwick;
using namespace tarnwick::testing;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;
namespace fs = std::filesystem;

namespace {

constexpr int kKills = 200;
constexpr const char* kRegistryKey = "Brannel\\Tarnwick";
constexpr const char* kGenerationName = "KillTestGeneration";
// Files smaller than a page could be written in one go by chance; these take several writes.
constexpr size_t kSettingBytes = 3000;
constexpr size_t kSavedCards = 120;

// What generation g writes into each file.
ravix::SettingValue SettingFor(uint32_t g) {
    ravix::SettingValue value;
    value.mType = ravix::kSettingBinary;
    for (size_t i = 0; i < kSettingBytes; ++i) {
        value.mBytes.push_back(static_cast<uint8_t>(i < 4 ? g >> (8 * i) : g * 31 + i));
    }
    return value;
}

SavedGame SavedGameFor(uint32_t g) {
    SavedGame game{static_cast<int>(g), 3, static_cast<int>(g) * 7, 1, 2, 0.75f, {}};
    for (size_t i = 0; i < kSavedCards; ++i) {
        game.mCards.push_back({(g + i) % 2 == 0, static_cast<int>(i % 6), static_cast<int>(g % 3),
                               static_cast<int>(i % 4), 10.5f + i, 20.25f + g % 100});
    }
    return game;
}

std::string DemoFor(const ravix::DemoFile& recording, uint32_t g) {
    ravix::DemoFile demo = recording;
    demo.mMarkers.push_back({"generation " + std::to_string(g), g % 1000});
    return demo.Serialize();
}

// The four files the child writes, in the order it writes them.
enum FileIndex { kSettings, kSavedGame, kTopScores, kDemo, kFileCount };
constexpr const char* kFileNames[kFileCount] = {"settings", "saved game", "top scores", "demo"};

class KillNineTest : public ::testing::Test {
protected:
    KillNineTest() : mData(mHome.Path()) {
        ravix::RavixAppBase::mDataFolder = mHome.Data() + "/Tarnwick/";
    }
    ~KillNineTest() override { ravix::RavixAppBase::mDataFolder.clear(); }

    std::string PlayerFolder() const { return mHome.Data() + "/Tarnwick"; }
    std::string SettingsFolder() const { return mHome.Config() + "/Brannel"; }
    // In the player's data folder, where a demo with a relative name goes.
    std::string DemoPath() const { return PlayerFolder() + "/game.dmo"; }

    // The files beside the four files named after one of them ("autosave.*", ...): what a
    // writer killed half-way leaves.
    int CountLeftovers() const {
        int count = 0;
        for (const std::string& folder : {PlayerFolder(), SettingsFolder()}) {
            for (const auto& entry : fs::recursive_directory_iterator(folder)) {
                // The writer's temporary files only: a saved game the replay cannot use is kept
                // beside it as "autosave.bad", which is no leftover.
                const std::string name = entry.path().filename().string();
                if (!name.ends_with(".partial")) {
                    continue;
                }
                for (const char* file : {"autosave.", "topscores.", "game.dmo.", "Tarnwick."}) {
                    count += name.starts_with(file) ? 1 : 0;
                }
            }
        }
        return count;
    }

    // One round of writes of generation g, through the writers the program uses.
    void WriteGeneration(uint32_t g, ravix::SettingsStore& settings) {
        (void)settings.Write("", kGenerationName, SettingFor(g));
        (void)WriteSavedGame(FormatSavedGame(SavedGameFor(g)));
        // A game of 0 s with g points beats every record of the earlier generations.
        RecordTopScore(0, static_cast<int>(g));
        (void)ravix::WriteFileAtomically(DemoPath(), DemoFor(mRecording, g));
    }

    // Reads each file as the program does and returns the generation it holds; fails the test
    // for a file that is not one generation whole.
    std::array<uint32_t, kFileCount> ReadGenerations(ravix::SettingsStore& settings) {
        std::array<uint32_t, kFileCount> generations{};

        ravix::SettingValue value;
        EXPECT_TRUE(settings.Read("", kGenerationName, value));
        if (value.mBytes.size() >= 4) {
            std::memcpy(&generations[kSettings], value.mBytes.data(), 4);
        }
        EXPECT_EQ(value, SettingFor(generations[kSettings]));

        const std::string savedText = ReadTextFile(SavedGamePath());
        const std::optional<SavedGame> saved = ParseSavedGame(savedText, BoardModel::kMaxCards);
        EXPECT_TRUE(saved.has_value()) << savedText.size() << " bytes";
        if (saved) {
            generations[kSavedGame] = static_cast<uint32_t>(saved->mScore);
        }
        EXPECT_TRUE(savedText == FormatSavedGame(SavedGameFor(generations[kSavedGame])))
            << "saved game of " << savedText.size() << " bytes is not generation "
            << generations[kSavedGame] << " whole";

        const std::array<TopScore, 3> scores = ReadTopScores();
        generations[kTopScores] = static_cast<uint32_t>(scores[1].mScore);
        const std::string record = std::to_string(scores[1].mScore) + " 0\n";
        EXPECT_EQ(ReadTextFile(TopScoresPath()), record + record + record);

        ravix::DemoFile demo;
        EXPECT_EQ(demo.Load(DemoPath()), ravix::DemoFile::Result::Ok);
        if (!demo.mMarkers.empty()) {
            generations[kDemo] =
                static_cast<uint32_t>(std::stoul(demo.mMarkers.back().mName.substr(11)));
        }
        EXPECT_TRUE(ReadTextFile(DemoPath()) == DemoFor(mRecording, generations[kDemo]))
            << "demo is not generation " << generations[kDemo] << " whole";
        return generations;
    }

    TempHome mHome;
    GameDataFolder mData;
    ravix::DemoFile mRecording;
};

} // namespace

TEST_F(KillNineTest, EveryFileIsOldOrNewAndWholeAfterEachKill) {
    // A real recording, so that the program can replay what the child leaves.
    RecordShortGame(mData.Path(), DemoPath());
    ASSERT_EQ(mRecording.Load(DemoPath()), ravix::DemoFile::Result::Ok);
    fs::remove_all(PlayerFolder());
    ravix::SettingsStore settings(ravix::SettingsStore::FilePathForKey(kRegistryKey),
                                  kRegistryKey);
    WriteGeneration(1, settings);

    std::mt19937 random(20);
    std::uniform_int_distribution<int> delayMicroseconds(0, 30000);
    std::array<uint32_t, kFileCount> last = ReadGenerations(settings);
    int kills = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    for (; kills < kKills && std::chrono::steady_clock::now() < deadline; ++kills) {
        const uint32_t start = *std::max_element(last.begin(), last.end()) + 1;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (uint32_t g = start;; ++g) {
                WriteGeneration(g, settings);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        SCOPED_TRACE("kill " + std::to_string(kills));
        const std::array<uint32_t, kFileCount> now = ReadGenerations(settings);
        if (::testing::Test::HasFailure()) {
            break;
        }
        for (int file = 0; file < kFileCount; ++file) {
            // The old content, or a generation this child wrote.
            EXPECT_TRUE(now[file] == last[file] || now[file] >= start)
                << kFileNames[file] << ": " << now[file] << " after " << last[file];
            // A round writes the files in order: an earlier file is never older than a later one.
            if (file > 0) {
                EXPECT_GE(now[file - 1], now[file]) << kFileNames[file];
            }
        }
        last = now;
    }
    EXPECT_GE(kills, kKills);
    RecordProperty("LastGeneration", static_cast<int>(last[kSettings]));
    const int leftByKills = CountLeftovers();

    // The program starts on what the last kill left and replays the demo to its end.
    const ProgramResult result =
        RunProgram({"-play", "-demofile=" + DemoPath(), "-headless", "-changedir=" + mData.Path()},
                   mHome.Path() + "/stderr.txt", std::chrono::seconds(120));
    EXPECT_TRUE(result.mExited && result.mExitCode == 0) << result.Describe();
    // A kill in the middle of a write leaves the writer's temporary file; the next start, which
    // holds the instance lock, removes them all.
    const int leftAfterStart = CountLeftovers();
    EXPECT_GT(leftByKills, 0);
    EXPECT_EQ(leftAfterStart, 0);
    std::printf("kills: %d, files checked: %d, temporary files left by the kills: %d, after the "
                "next start: %d\n",
                kills, kills * kFileCount, leftByKills, leftAfterStart);
    RecordProperty("TemporaryFilesLeftByKills", leftByKills);
    RecordProperty("TemporaryFilesAfterStart", leftAfterStart);
}
