// The player's folders: made with mode 0700 however deep, a folder already there left alone, a
// file in the way refused.

#include "files/PrivateFolder.h"

#include "files/PakTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace ravix;
namespace fs = std::filesystem;

namespace {

fs::perms ModeOf(const fs::path& path) {
    return fs::status(path).permissions();
}

TEST(PrivateFolderTest, MakesEachMissingFolderThePlayersOwn) {
    paktest::TempFolder home;
    fs::create_directory(home / "shared");
    fs::permissions(home / "shared", fs::perms(0755));

    ASSERT_TRUE(MakePrivateFolder(home / "shared/data/Tarnwick/Save/"));
    EXPECT_EQ(ModeOf(home / "shared"), fs::perms(0755));
    for (const char* made : {"shared/data", "shared/data/Tarnwick", "shared/data/Tarnwick/Save"})
        EXPECT_EQ(ModeOf(home / made), fs::perms(0700)) << made;
    EXPECT_TRUE(MakePrivateFolder(home / "shared/data/Tarnwick/Save"));

    paktest::WriteFile(home / "file", "in the way");
    EXPECT_FALSE(MakePrivateFolder(home / "file"));
    EXPECT_FALSE(MakePrivateFolder(home / "file/below"));
    EXPECT_FALSE(MakePrivateFolder(""));
}

} // namespace
