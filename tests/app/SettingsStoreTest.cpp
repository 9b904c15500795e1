#include "app/SettingsStore.h"

#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ravix;
using namespace std::string_view_literals;
using ravix::testing::ReadTextFile;
using ravix::testing::TempHome;
using ravix::testing::WriteTextFile;

namespace {

SettingValue Bytes(uint32_t type, std::string_view bytes) {
    return {type, std::vector<uint8_t>(bytes.begin(), bytes.end())};
}

class SettingsStoreTest : public ::testing::Test {
protected:
    TempHome mHome;
    std::string mFile = mHome.Config() + "/Maker/Game";
    SettingsStore mStore{mFile, "Maker\\Game"};

    std::optional<SettingValue> Read(std::string_view subKey, std::string_view name) {
        SettingValue value;
        return mStore.Read(subKey, name, value) ? std::optional(value) : std::nullopt;
    }
};

} // namespace

TEST_F(SettingsStoreTest, FileIsARegistryExportOfTheKey) {
    ASSERT_TRUE(mStore.Write("", "Volume", Bytes(kSettingInteger, "\x55\0\0\0"sv)));
    ASSERT_TRUE(mStore.Write("", "Name", Bytes(kSettingString, "say \"hi\" C:\\")));
    ASSERT_TRUE(mStore.Write("Sub\\Deeper", "Blob", Bytes(kSettingBinary, "\x01\x02\xff")));
    ASSERT_TRUE(mStore.Write("", "", Bytes(7, "a\0"sv)));
    EXPECT_EQ(ReadTextFile(mFile), "Windows Registry Editor Version 5.00\n"
                                   "\n"
                                   "[HKEY_CURRENT_USER\\SOFTWARE\\Maker\\Game]\n"
                                   "\"Volume\"=dword:00000055\n"
                                   "\"Name\"=\"say \\\"hi\\\" C:\\\\\"\n"
                                   "@=hex(7):61,00\n"
                                   "\n"
                                   "[HKEY_CURRENT_USER\\SOFTWARE\\Maker\\Game\\Sub\\Deeper]\n"
                                   "\"Blob\"=hex:01,02,ff\n");
}

TEST_F(SettingsStoreTest, EveryTypeAndSizeReadsBackAsWritten) {
    const std::pair<std::string, SettingValue> values[] = {
        {"int", Bytes(kSettingInteger, "\x78\x56\x34\x12")},
        {"negative", Bytes(kSettingInteger, "\xff\xff\xff\xff")},
        {"short int", Bytes(kSettingInteger, "\x01\x02")},
        {"long int", Bytes(kSettingInteger, "12345678")},
        {"text", Bytes(kSettingString, "quotes \" and \\ backslashes, ümlauts")},
        {"empty text", Bytes(kSettingString, "")},
        {"lines", Bytes(kSettingString, "two\nlines\r\0nul"sv)},
        {"binary", Bytes(kSettingBinary, "\0\x80\xff"sv)},
        {"empty binary", Bytes(kSettingBinary, "")},
        {"other type", Bytes(0x12345678, "xyz")},
    };
    for (const auto& [name, value] : values) {
        ASSERT_TRUE(mStore.Write("", name, value)) << name;
    }
    for (const auto& [name, value] : values) {
        EXPECT_EQ(Read("", name), value) << name;
    }
}

TEST_F(SettingsStoreTest, NamesAndSubKeysIgnoreCaseAndOverwrite) {
    ASSERT_TRUE(mStore.Write("Test3D", "RuntimeError", Bytes(kSettingInteger, "\1\0\0\0"sv)));
    ASSERT_TRUE(mStore.Write("test3d", "runtimeerror", Bytes(kSettingInteger, "\2\0\0\0"sv)));
    EXPECT_EQ(Read("TEST3D", "RUNTIMEERROR"), Bytes(kSettingInteger, "\2\0\0\0"sv));
    EXPECT_FALSE(Read("", "RuntimeError"));
    EXPECT_FALSE(Read("Other", "RuntimeError"));

    mStore.Erase("Test3D", "RuntimeError");
    EXPECT_FALSE(Read("Test3D", "RuntimeError"));
}

TEST_F(SettingsStoreTest, WritesReplaceTheFileWholeAndSkipUnchangedValues) {
    ASSERT_TRUE(mStore.Write("", "A", Bytes(kSettingString, "one")));
    struct stat before {};
    ASSERT_EQ(stat(mFile.c_str(), &before), 0);
    ASSERT_TRUE(mStore.Write("", "A", Bytes(kSettingString, "one")));
    struct stat same {};
    ASSERT_EQ(stat(mFile.c_str(), &same), 0);
    EXPECT_EQ(same.st_ino, before.st_ino);

    ASSERT_TRUE(mStore.Write("", "A", Bytes(kSettingString, "two")));
    struct stat after {};
    ASSERT_EQ(stat(mFile.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file renamed over the old one
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(mHome.Config() + "/Maker")) {
        files += entry.is_regular_file();
    }
    EXPECT_EQ(files, 1); // no temporary file left behind
}

TEST_F(SettingsStoreTest, WriteFailsWhereNoFileCanBeMade) {
    WriteTextFile(mHome.Config() + "/Blocked", "a file where the key's folder should be");
    SettingsStore blocked(mHome.Config() + "/Blocked/Game", "Blocked\\Game");
    EXPECT_FALSE(blocked.Write("", "A", Bytes(kSettingString, "x")));
    EXPECT_FALSE(mStore.Write("", "line\nbreak", Bytes(kSettingString, "x")));
    EXPECT_FALSE(mStore.Write("sub\nkey", "A", Bytes(kSettingString, "x")));
}

TEST_F(SettingsStoreTest, MalformedLinesReadAsAbsentAndGoodLinesStillCount) {
    WriteTextFile(mFile, "garbage before any section\n"
                         "\"Early\"=dword:00000001\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\Maker\\Game]\r\n"
                         "\"Good\"=dword:0000002a\r\n"
                         "\"NineDigits\"=dword:000000001\n"
                         "\"NotHex\"=dword:0000000g\n"
                         "\"Unterminated\"=\"abc\n"
                         "\"TrailingJunk\"=\"abc\"x\n"
                         "\"BadEscape\"=\"a\\nb\"\n"
                         "\"BadByte\"=hex:01,234\n"
                         "\"BadType\"=hex(zz):01\n"
                         "\"NoEquals\" dword:00000001\n"
                         "\"Deleted\"=-\n"
                         "NoQuotes=dword:00000001\n"
                         "\"Wrapped\"=hex:01,02,\\\n"
                         "  03\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\Other\\Game]\n"
                         "\"Foreign\"=dword:00000001\n"
                         "[HKEY_CURRENT_USER\\SOFTWARE\\Maker\\Game\\Sub\n"
                         "\"AfterBadSection\"=dword:00000001\n");
    EXPECT_EQ(Read("", "Good"), Bytes(kSettingInteger, "\x2a\0\0\0"sv));
    EXPECT_EQ(Read("", "Wrapped"), Bytes(kSettingBinary, "\1\2\3"));
    for (const char* name :
         {"Early", "NineDigits", "NotHex", "Unterminated", "TrailingJunk", "BadEscape", "BadByte",
          "BadType", "NoEquals", "Deleted", "NoQuotes", "Foreign", "AfterBadSection"}) {
        EXPECT_FALSE(Read("", name)) << name;
        EXPECT_FALSE(Read("Sub", name)) << name;
    }
}

TEST_F(SettingsStoreTest, BinaryJunkAndOversizedFilesHoldNoValues) {
    WriteTextFile(mFile, std::string("\0\xff[\n\"\\\n=\x01", 9));
    EXPECT_FALSE(Read("", "A"));

    std::string huge = "[HKEY_CURRENT_USER\\SOFTWARE\\Maker\\Game]\n\"A\"=dword:00000001\n";
    huge.resize(SettingsStore::kMaxFileSize + 1, '\n');
    WriteTextFile(mFile, huge);
    EXPECT_FALSE(Read("", "A"));
    // A write starts the file afresh.
    ASSERT_TRUE(mStore.Write("", "B", Bytes(kSettingString, "b")));
    EXPECT_EQ(Read("", "B"), Bytes(kSettingString, "b"));
}

TEST(SettingsStorePath, FollowsTheConfigFolderAndStaysInsideIt) {
    TempHome home;
    EXPECT_EQ(SettingsStore::FilePathForKey("Maker\\Game"), home.Config() + "/Maker/Game");
    EXPECT_EQ(SettingsStore::FilePathForKey("..\\..\\etc\\.\\passwd"),
              home.Config() + "/etc/passwd");
    home.Set("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsStore::FilePathForKey("Maker\\Game"),
              home.Path() + "/home/.config/Maker/Game");
}
