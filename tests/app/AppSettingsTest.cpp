#include "AppTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;
using ravix::testing::TestApp;
using ravix::testing::WriteTextFile;

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    TempHome mHome;
    TestApp mApp;

    int ReadInt(const std::string& name) {
        int value = -12345;
        EXPECT_TRUE(mApp.ReadSettingInteger(name, value)) << name;
        return value;
    }
};

} // namespace

TEST_F(AppSettingsTest, TypedValuesRoundTripThroughSubKeyPaths) {
    ASSERT_TRUE(mApp.WriteSettingInteger("Count", -7));
    ASSERT_TRUE(mApp.WriteSettingBool("Flag", true));
    ASSERT_TRUE(mApp.WriteSettingString("Display\\Card\\Name", "Test card"));
    EXPECT_EQ(ReadInt("Count"), -7);
    bool flag = false;
    EXPECT_TRUE(mApp.ReadSettingBool("Flag", flag));
    EXPECT_TRUE(flag);
    std::string name;
    EXPECT_TRUE(mApp.ReadSettingString("Display\\Card\\Name", name));
    EXPECT_EQ(name, "Test card");
    EXPECT_FALSE(mApp.ReadSettingString("Name", name));
    EXPECT_NE(ReadTextFile(mApp.SettingsFile())
                  .find("[HKEY_CURRENT_USER\\SOFTWARE\\TestMaker\\TestGame\\Display\\Card]\n"
                        "\"Name\"=\"Test card\"\n"),
              std::string::npos);
}

TEST_F(AppSettingsTest, IntegersOfAnyOtherSizeReadAsAbsent) {
    WriteTextFile(mApp.SettingsFile(), "[HKEY_CURRENT_USER\\SOFTWARE\\TestMaker\\TestGame]\n"
                                       "\"Short\"=hex(4):01,02\n"
                                       "\"Long\"=hex(4):01,02,03,04,05\n"
                                       "\"Empty\"=hex(4):\n"
                                       "\"ThreeChars\"=\"abc\"\n");
    int value = 99;
    for (const char* name : {"Short", "Long", "Empty", "ThreeChars", "Missing"}) {
        EXPECT_FALSE(mApp.ReadSettingInteger(name, value)) << name;
    }
    EXPECT_EQ(value, 99);
}

TEST_F(AppSettingsTest, EmptyRegistryKeyMakesEveryAccessFailAndKeepsDefaults) {
    mApp.mRegistryKey.clear();
    int value = 0;
    EXPECT_FALSE(mApp.WriteSettingInteger("MusicVolume", 10));
    EXPECT_FALSE(mApp.ReadSettingInteger("MusicVolume", value));
    mApp.ReadSettings();
    EXPECT_TRUE(mApp.AreSettingsRead());
    EXPECT_EQ(mApp.mMusicLevel, 0.85);
    EXPECT_EQ(mApp.mWindowX, -1);
    mApp.WriteSettings();
    EXPECT_FALSE(std::filesystem::exists(mHome.Config()));
}

TEST_F(AppSettingsTest, ReadSettingsTakesEveryValueAndMarksTheRun) {
    ASSERT_TRUE(mApp.WriteSettingInteger("MusicVolume", 50));
    ASSERT_TRUE(mApp.WriteSettingInteger("SfxVolume", 20));
    ASSERT_TRUE(mApp.WriteSettingInteger("Muted", 1));
    ASSERT_TRUE(mApp.WriteSettingInteger("ScreenMode", 7));
    ASSERT_TRUE(mApp.WriteSettingInteger("PreferredX", 33));
    ASSERT_TRUE(mApp.WriteSettingInteger("PreferredY", 44));
    ASSERT_TRUE(mApp.WriteSettingInteger("CustomCursors", 1));
    ASSERT_TRUE(mApp.WriteSettingBool("WaitForVSync", true));
    mApp.ReadSettings();
    EXPECT_EQ(mApp.mMusicLevel, 0.5);
    EXPECT_EQ(mApp.mEffectsLevel, 0.2);
    EXPECT_TRUE(mApp.IsSilenced());
    EXPECT_FALSE(mApp.mWantWindowed);
    EXPECT_EQ(mApp.mWindowX, 33);
    EXPECT_EQ(mApp.mWindowY, 44);
    EXPECT_TRUE(mApp.HasCustomCursors());
    EXPECT_TRUE(mApp.WaitsForRefresh());
    EXPECT_EQ(ReadInt("InProgress"), 1);

    mApp.mScreenSaverMode = true;
    ASSERT_TRUE(mApp.WriteSettingInteger("InProgress", 0));
    mApp.ReadSettings();
    EXPECT_EQ(ReadInt("InProgress"), 0);
}

TEST_F(AppSettingsTest, OutOfRangeVolumesAndMuteDepthsAreBroughtIntoRange) {
    ASSERT_TRUE(mApp.WriteSettingInteger("MusicVolume", 150));
    ASSERT_TRUE(mApp.WriteSettingInteger("SfxVolume", -5));
    ASSERT_TRUE(mApp.WriteSettingInteger("Muted", 1000));
    mApp.ReadSettings();
    EXPECT_EQ(mApp.mMusicLevel, 1.0);
    EXPECT_EQ(mApp.mEffectsLevel, 0.0);
    mApp.Unsilence(false);
    EXPECT_FALSE(mApp.IsSilenced());
}

TEST_F(AppSettingsTest, WriteSettingsWritesTheTableAndOnlyUserMutes) {
    mApp.mMusicLevel = 0.85;
    mApp.mEffectsLevel = 0.999;
    mApp.mWantWindowed = false;
    mApp.mWindowX = 12;
    mApp.mWindowY = -3;
    mApp.Silence(true); // lost the focus: not the user's choice
    mApp.WriteSettings();
    EXPECT_EQ(ReadInt("MusicVolume"), 85);
    EXPECT_EQ(ReadInt("SfxVolume"), 99);
    EXPECT_EQ(ReadInt("Muted"), 0);
    EXPECT_EQ(ReadInt("ScreenMode"), 1);
    EXPECT_EQ(ReadInt("PreferredX"), 12);
    EXPECT_EQ(ReadInt("PreferredY"), -3);
    EXPECT_EQ(ReadInt("CustomCursors"), 0);
    EXPECT_EQ(ReadInt("InProgress"), 0);
    EXPECT_EQ(ReadInt("WaitForVSync"), 0);

    mApp.Silence(false);
    mApp.WriteSettings();
    EXPECT_EQ(ReadInt("Muted"), 1);
}

TEST_F(AppSettingsTest, StringTableCanRedirectTheRegistryKey) {
    mApp.SetString("RegistryKey", "Elsewhere\\Key");
    mApp.ReadSettings();
    EXPECT_EQ(mApp.mRegistryKey, "Elsewhere\\Key");
    EXPECT_TRUE(std::filesystem::exists(mHome.Config() + "/Elsewhere/Key"));
}

TEST_F(AppSettingsTest, MalformedFileLeavesDefaultsAndIsReplacedOnWrite) {
    WriteTextFile(mApp.SettingsFile(), "\x01\x02 not a settings file [\n\"MusicVolume\"=dword:1\n");
    mApp.ReadSettings();
    EXPECT_EQ(mApp.mMusicLevel, 0.85);
    EXPECT_EQ(ReadInt("InProgress"), 1);
}
