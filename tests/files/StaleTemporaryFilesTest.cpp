// The start-up cleanup of what a killed writer leaves: its temporary files go, in the folders
// below and, for a shared folder, only those of the one file; nothing else is touched.

#include "files/StaleTemporaryFiles.h"

#include "files/AtomicFile.h"
#include "files/PakTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ravix;
namespace fs = std::filesystem;

namespace {

// A writer killed half-way: a child process opens an AtomicFile at path, writes and ends
// without committing or cleaning up.
void LeaveTemporaryFileOf(const std::string& path) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile file(path);
        std::string error;
        _exit(file.Open(error) && std::fputs("half", file.Stream()) >= 0 &&
                      std::fflush(file.Stream()) == 0
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::vector<std::string> FilesBelow(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(entry.path().lexically_relative(folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StaleTemporaryFilesTest, RemovesTheWritersLeftoversBelowAFolderAndNothingElse) {
    paktest::TempFolder home;
    const fs::path data = home.Path() / "data";
    for (const char* file : {"Save/autosave", "Save/autosave", "Save/topscores", "game.dmo",
                             "cached/sounds/click.wav"}) {
        fs::create_directories((data / file).parent_path());
        LeaveTemporaryFileOf((data / file).string());
    }
    const std::vector<std::string> kept = {"Save",
                                           "Save/autosave",
                                           "cached",
                                           "cached/sounds",
                                           "crash.txt.partial",
                                           "notes.backup",
                                           "old.abcdef.partial", // a folder, not a file
                                           "outside.a1B2c3.partial"};
    paktest::WriteFile(data / "Save/autosave", "saved");
    paktest::WriteFile(data / "crash.txt.partial", "the crash handler's");
    paktest::WriteFile(data / "notes.backup", "the player's");
    fs::create_directory(data / "old.abcdef.partial");
    // A link named like a leftover stays, and what it points at too.
    paktest::WriteFile(home / "target", "elsewhere");
    fs::create_symlink(home / "target", data / "outside.a1B2c3.partial");

    EXPECT_EQ(RemoveStaleTemporaryFiles(data.string()), 5);
    EXPECT_EQ(FilesBelow(data), kept);
    EXPECT_EQ(paktest::ReadFile(home / "target"), "elsewhere");
    EXPECT_EQ(RemoveStaleTemporaryFiles((home.Path() / "missing").string()), 0);
}

TEST(StaleTemporaryFilesTest, InASharedFolderRemovesOnlyTheLeftoversOfTheOneFile) {
    paktest::TempFolder config;
    const fs::path maker = config.Path() / "Brannel";
    fs::create_directory(maker);
    LeaveTemporaryFileOf((maker / "Tarnwick").string());
    LeaveTemporaryFileOf((maker / "Tarnwick").string());
    LeaveTemporaryFileOf((maker / "Other Game").string());
    paktest::WriteFile(maker / "Tarnwick", "settings");

    EXPECT_EQ(RemoveStaleTemporaryFilesOf((maker / "Tarnwick").string()), 2);
    const std::vector<std::string> left = FilesBelow(maker);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(AtomicFile::TemporaryTarget(left[0]), "Other Game");
    EXPECT_EQ(left[1], "Tarnwick");
    EXPECT_EQ(RemoveStaleTemporaryFilesOf((maker / "missing/Tarnwick").string()), 0);
}

} // namespace
