// The atomic writer: the new file whole with the mode its access asks for, the folder flushed
// after the rename and a failure to flush it reported like a failed write, and temporary files
// named so that the start-up cleanup knows them and nothing else.

#include "files/AtomicFile.h"

#include "files/PakTestSupport.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

using namespace ravix;
namespace fs = std::filesystem;

namespace {

// Puts a folder flush of the test's own in place of fsync while it lives.
class ScopedFolderSync {
public:
    explicit ScopedFolderSync(AtomicFile::FolderSync sync)
        : mPrevious(AtomicFile::SetFolderSync(sync)) {}
    ~ScopedFolderSync() { AtomicFile::SetFolderSync(mPrevious); }

private:
    AtomicFile::FolderSync mPrevious;
};

std::vector<std::string> FolderContents(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFileTest, ReplacesTheFileWithTheModeOfItsAccess) {
    const struct {
        FileAccess access;
        fs::perms mode;
    } cases[] = {{FileAccess::OwnerOnly, fs::perms(0600)}, {FileAccess::Shared, fs::perms(0644)}};
    for (const auto& c : cases) {
        paktest::TempFolder folder;
        const std::string path = folder / "file";
        paktest::WriteFile(path, "old contents");
        fs::permissions(path, fs::perms(0666));
        ASSERT_TRUE(WriteFileAtomically(path, "new", c.access));
        EXPECT_EQ(paktest::ReadFile(path), "new");
        EXPECT_EQ(fs::status(path).permissions(), c.mode);
        EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"file"});
    }
}

// What the folder flush saw: the folder it was given and whether the new file was in place.
struct FlushSeen {
    int calls = 0;
    struct stat folder {};
    std::string contentsAtFlush;
    std::string path;
};
FlushSeen gFlushSeen;

TEST(AtomicFileTest, FlushesTheFolderOnceTheNewFileIsInPlace) {
    paktest::TempFolder folder;
    fs::create_directory(folder / "sub");
    gFlushSeen = {};
    gFlushSeen.path = folder / "sub/file";
    ScopedFolderSync sync([](int fd) {
        ++gFlushSeen.calls;
        fstat(fd, &gFlushSeen.folder);
        gFlushSeen.contentsAtFlush = paktest::ReadFile(gFlushSeen.path);
        return 0;
    });
    ASSERT_TRUE(WriteFileAtomically(gFlushSeen.path, "new"));
    struct stat expected {};
    ASSERT_EQ(stat((folder / "sub").c_str(), &expected), 0);
    EXPECT_EQ(gFlushSeen.calls, 1);
    EXPECT_EQ(gFlushSeen.folder.st_ino, expected.st_ino);
    EXPECT_EQ(gFlushSeen.folder.st_dev, expected.st_dev);
    EXPECT_EQ(gFlushSeen.contentsAtFlush, "new");
}

int gFlushError = 0;

TEST(AtomicFileTest, AFolderThatCannotBeFlushedIsAFailedWrite) {
    // EINVAL is how a file system says it cannot flush folders at all: nothing more to be done.
    const struct {
        int error;
        bool saved;
    } cases[] = {{EIO, false}, {ENOSPC, false}, {EINVAL, true}};
    ScopedFolderSync sync([](int) {
        errno = gFlushError;
        return -1;
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(std::strerror(c.error));
        gFlushError = c.error;
        paktest::TempFolder folder;
        const std::string path = folder / "autosave";
        EXPECT_EQ(WriteFileAtomically(path, "new"), c.saved);

        AtomicFile file(path);
        std::string error;
        ASSERT_TRUE(file.Open(error));
        EXPECT_EQ(file.Commit(error), c.saved);
        if (!c.saved) {
            EXPECT_EQ(errno, c.error); // the save's caller reports errno
            EXPECT_EQ(error, path + ": " + std::strerror(c.error));
        }
        EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"autosave"});
    }
}

TEST(AtomicFileTest, NamesItsTemporaryFileForTheFileItStandsFor) {
    paktest::TempFolder folder;
    AtomicFile file(folder / "topscores");
    std::string error;
    ASSERT_TRUE(file.Open(error));
    const std::vector<std::string> names = FolderContents(folder.Path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(AtomicFile::TemporaryTarget(names[0]), "topscores") << names[0];
    EXPECT_EQ(fs::status(folder / names[0]).permissions(), fs::perms(0600));
}

TEST(AtomicFileTest, RecognisesOnlyItsOwnTemporaryNames) {
    const struct {
        const char* name;
        std::optional<std::string_view> target;
    } cases[] = {
        {"autosave.a1B2c3.partial", "autosave"},
        {"game.dmo.ZZZZZZ.partial", "game.dmo"},
        {"x.000000.partial", "x"},
        // Not the writer's: the player's files, the crash handler's, a wrong length or letter.
        {"autosave", std::nullopt},
        {"notes.backup", std::nullopt},
        {"autosave.a1B2c3", std::nullopt},
        {"crash.txt.partial", std::nullopt},
        {".a1B2c3.partial", std::nullopt},
        {"autosave.a1B2c.partial", std::nullopt},
        {"autosave.a1B2c34.partial", std::nullopt},
        {"autosave_a1B2c3.partial", std::nullopt},
        {"autosave.a1-2c3.partial", std::nullopt},
        {"autosave.a1B2c3.partial.old", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AtomicFile::TemporaryTarget(c.name), c.target) << c.name;
}

} // namespace
