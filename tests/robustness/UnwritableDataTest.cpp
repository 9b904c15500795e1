// The program replaying a short game, headless, where its per-user data folder cannot take what
// it saves (a read-only folder, a file in the save folder's place, a full disk): the game plays
// and quits as usual, the top scores already stored stay as they were, and the program says
// once on its error stream that it cannot save.

#include "DemoRecording.h"
#include "ProgramRun.h"

#include <filesystem>
#include <fstream>
#include <sys/mount.h>

using namespace tarnwick::testing;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;
using ravix::testing::WriteTextFile;
namespace fs = std::filesystem;

namespace {

// Better than any game the demo wins, so that a save that went through would change it.
constexpr const char* kStoredScores = "9000 5\n9000 5\n9000 5\n";

class UnwritableDataTest : public ::testing::Test {
protected:
    UnwritableDataTest() : mData(mHome.Path()) {}
    ~UnwritableDataTest() override {
        if (mMounted) {
            umount2(GameFolder().c_str(), MNT_DETACH);
        }
    }

    std::string GameFolder() const { return mHome.Data() + "/Tarnwick"; }
    std::string TopScores() const { return GameFolder() + "/Save/topscores"; }

    void StoreScores() {
        fs::create_directories(GameFolder() + "/Save");
        WriteTextFile(TopScores(), kStoredScores);
    }

    // Records the demo on the data folder with the stored top scores, then starts over.
    void RecordDemo() {
        StoreScores();
        const fs::path oldFolder = fs::current_path();
        RecordShortGame(mData.Path(), DemoPath());
        fs::current_path(oldFolder);
        fs::remove_all(GameFolder());
    }
    std::string DemoPath() const { return mHome.Path() + "/short.dmo"; }

    // A small memory file system over the game's folder; false where mounting is not allowed.
    bool MountSmallDisk(const char* options) {
        fs::create_directories(GameFolder());
        mMounted = mount("tmpfs", GameFolder().c_str(), "tmpfs", 0, options) == 0;
        return mMounted;
    }

    ProgramResult Replay() {
        return RunProgram({"-play", "-demofile=" + DemoPath(), "-headless",
                           "-changedir=" + mData.Path()},
                          mHome.Path() + "/stderr.txt", std::chrono::seconds(120));
    }

    void ExpectPlayedWithOneNotice(const ProgramResult& result) {
        ASSERT_FALSE(result.mTimedOut) << result.Describe();
        EXPECT_TRUE(result.mExited && result.mExitCode == 0) << result.Describe();
        EXPECT_EQ(CountOf(result.mErrors, "could not save your game"), 1) << result.Describe();
        EXPECT_EQ(CountOf(result.mErrors, "FATAL ERROR"), 0) << result.Describe();
    }

    TempHome mHome;
    GameDataFolder mData;
    bool mMounted = false;
};

} // namespace

TEST_F(UnwritableDataTest, AFileWhereTheSaveFolderShouldBe) {
    RecordDemo();
    fs::create_directories(GameFolder());
    WriteTextFile(GameFolder() + "/Save", kStoredScores);
    const ProgramResult result = Replay();
    ExpectPlayedWithOneNotice(result);
    EXPECT_EQ(ReadTextFile(GameFolder() + "/Save"), kStoredScores);
}

TEST_F(UnwritableDataTest, AReadOnlyDataFolder) {
    RecordDemo();
    // Permissions do not bind the superuser; a read-only file system does.
    if (geteuid() == 0) {
        if (!MountSmallDisk("size=1m")) {
            GTEST_SKIP() << "cannot mount a file system here";
        }
        StoreScores();
        ASSERT_EQ(mount(nullptr, GameFolder().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                  0);
    } else {
        StoreScores();
        fs::permissions(GameFolder() + "/Save", fs::perms::owner_write, fs::perm_options::remove);
        fs::permissions(GameFolder(), fs::perms::owner_write, fs::perm_options::remove);
    }
    const ProgramResult result = Replay();
    ExpectPlayedWithOneNotice(result);
    EXPECT_EQ(ReadTextFile(TopScores()), kStoredScores);
    if (geteuid() != 0) {
        fs::permissions(GameFolder(), fs::perms::owner_write, fs::perm_options::add);
        fs::permissions(GameFolder() + "/Save", fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST_F(UnwritableDataTest, AFullDisk) {
    RecordDemo();
    if (!MountSmallDisk("size=64k")) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    StoreScores();
    // Fill the rest of the disk.
    {
        std::ofstream filler(GameFolder() + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()).flush(); ++i) {
        }
    }
    const ProgramResult result = Replay();
    ExpectPlayedWithOneNotice(result);
    EXPECT_EQ(ReadTextFile(TopScores()), kStoredScores);
    // No temporary file is left behind to hold the space.
    for (const auto& entry : fs::directory_iterator(GameFolder() + "/Save")) {
        EXPECT_EQ(entry.path().filename(), "topscores");
    }
}
