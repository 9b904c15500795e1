#include "AppTestSupport.h"

#include "app/DataLocation.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::TempHome;
using ravix::testing::WriteTextFile;

TEST(DataLocation, CandidatesAreBesideTheProgramThenTheInstalledShareThenTheBuild) {
    struct Case {
        std::string mProgramFolder;
        std::string mBuildData;
        std::vector<std::string> mExpected;
    };
    const Case cases[] = {
        {"/usr/bin", "/src/build/data", {"/usr/bin", "/usr/share/tarnwick", "/src/build/data"}},
        {"/opt/t/bin/", "", {"/opt/t/bin/", "/opt/t/share/tarnwick"}},
        {"/home/me/t/./bin/../bin", "", {"/home/me/t/./bin/../bin", "/home/me/t/share/tarnwick"}},
        // Without the program's folder nothing relative to it is tried.
        {"", "/src/build/data", {"/src/build/data"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DataFolderCandidates(c.mProgramFolder, "tarnwick", c.mBuildData), c.mExpected)
            << c.mProgramFolder;
    }
}

TEST(DataLocation, TheFirstFolderHoldingDataWins) {
    TempHome home;
    const std::string root = home.Path();
    const std::string bin = root + "/prefix/bin";
    const std::string share = root + "/prefix/share/tarnwick";
    const std::string build = root + "/build/data";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(share);
    std::filesystem::create_directories(build);

    // Folders without the data do not count, however they are named.
    EXPECT_EQ(FindDataFolder(bin, "tarnwick", build), bin);
    WriteTextFile(build + "/properties/resources.xml", "<ResourceManifest/>");
    EXPECT_EQ(FindDataFolder(bin, "tarnwick", build), build);
    WriteTextFile(share + "/main.pak", "pak");
    EXPECT_EQ(FindDataFolder(bin, "tarnwick", build), share);
    WriteTextFile(bin + "/Properties/resources.xml", "<ResourceManifest/>");
    EXPECT_EQ(FindDataFolder(bin, "tarnwick", build), bin);

    // A folder named like the archive is no archive.
    std::filesystem::create_directories(root + "/odd/main.pak");
    EXPECT_FALSE(HoldsGameData(root + "/odd"));
    EXPECT_FALSE(HoldsGameData(root + "/missing"));
}
