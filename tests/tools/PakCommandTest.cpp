#include "files/PakArchive.h"
#include "files/PakInterface.h"

#include "files/PakTestSupport.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using paktest::Entry;
using tooltest::RunTool;
using tooltest::ToolResult;

TEST(PakCommandTest, ListAndCatReadArchivesWrittenElsewhere) {
    paktest::TempFolder folder;
    const std::string binary("\x00\x01\r\n\xff", 5);
    const std::string pak = folder / "other.pak";
    paktest::WriteFile(
        pak, paktest::Archive(
                 {{"zeta.txt", "zz"}, {"Alpha\\b.bin", binary}, {"zeta.txt", "later"}, {"", ""}}));

    ToolResult list = RunTool({"pak", "list", pak});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "2\tzeta.txt\n5\tAlpha\\b.bin\n5\tzeta.txt\n0\t\n"); // stored order

    const struct {
        const char* name;
        std::string contents;
    } found[] = {{"alpha/B.BIN", binary}, {"Alpha\\x\\..\\b.bin", binary}, {"ZETA.TXT", "later"}};
    for (const auto& c : found) {
        ToolResult cat = RunTool({"pak", "cat", pak, c.name});
        EXPECT_EQ(cat.status, 0) << c.name << ": " << cat.err;
        EXPECT_EQ(cat.out, c.contents) << c.name;
    }

    paktest::WriteFile(folder / "bad.pak", paktest::Scrambled("not an archive at all"));
    const std::vector<std::vector<std::string>> failures = {
        {"pak", "cat", pak, "missing.txt"},
        {"pak", "cat", pak, "other.pak"}, // the archive itself is no entry
        {"pak", "cat", folder / "bad.pak", "zeta.txt"},
        {"pak", "list", folder / "bad.pak"},
        {"pak", "list", folder / "missing.pak"},
    };
    for (const auto& args : failures) {
        ToolResult result = RunTool(args);
        EXPECT_EQ(result.status, 1) << args[1] << " " << args[2];
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err, "");
    }
}

TEST(PakCommandTest, UsageErrorsExitWithStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {"pak"},
        {"pak", "list"},
        {"pak", "list", "a", "b"},
        {"pak", "cat", "a.pak"},
        {"pak", "build", "out.pak"},
        {"pak", "unpack", "a.pak"},
    };
    for (const auto& args : cases) {
        ToolResult result = RunTool(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("usage:", 0), 0u) << result.err;
    }
}

TEST(PakCommandTest, BuildArchivesAFolderExactly) {
    paktest::TempFolder folder;
    const std::filesystem::path source = folder.Path() / "data";
    const std::string binary("\x5d\x00\xa2\r\n", 5);
    paktest::WriteFile(source / "b.txt", "bee");
    paktest::WriteFile(source / "Sub/a.png", binary);
    paktest::WriteFile(source / "Sub/deeper/c.dat", "");
    // 2001-09-09 01:46:40.1234567 UTC; FILETIME keeps 100 ns steps.
    const timespec times[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
    for (const char* name : {"b.txt", "Sub/a.png", "Sub/deeper/c.dat"})
        ASSERT_EQ(utimensat(AT_FDCWD, (source / name).c_str(), times, 0), 0);
    const uint64_t ticks = (1000000000ull + 11644473600ull) * 10000000ull + 1234567;

    const std::string pak = folder / "built.pak";
    ToolResult build = RunTool({"pak", "build", pak, source.string()});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(paktest::ReadFile(pak), paktest::Archive({{"Sub\\a.png", binary, ticks},
                                                        {"Sub\\deeper\\c.dat", "", ticks},
                                                        {"b.txt", "bee", ticks}}));
    // Nothing but the archive is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);

    ravix::PakInterface layer;
    ASSERT_TRUE(layer.MountArchive(pak));
    ravix::PakFile* file = layer.OpenFile("sub/A.png", "rb");
    ASSERT_NE(file, nullptr);
    char buffer[8];
    EXPECT_EQ(std::string(buffer, layer.ReadBytes(buffer, 1, sizeof buffer, file)), binary);
    layer.CloseFile(file);

    EXPECT_EQ(RunTool({"pak", "build", pak, (folder / "missing")}).status, 1);
    EXPECT_EQ(RunTool({"pak", "build", (folder / "no/such/dir/x.pak"), source.string()}).status, 1);
}

TEST(PakCommandTest, SourceDateEpochCapsTheEntryTimes) {
    paktest::TempFolder folder;
    const std::filesystem::path source = folder.Path() / "data";
    paktest::WriteFile(source / "a.txt", "a");
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (source / "a.txt").c_str(), times, 0), 0);
    auto ticks = [](uint64_t seconds) { return (seconds + 11644473600ull) * 10000000ull; };

    const struct {
        const char* epoch;
        uint64_t expected;
    } cases[] = {
        {"999999999", ticks(999999999)},   // earlier than the file: the cap
        {"1000000001", ticks(1000000000)}, // later: the file's own time
        {"soon", ticks(1000000000)},       // malformed: no cap
    };
    const std::string pak = folder / "built.pak";
    for (const auto& c : cases) {
        setenv("SOURCE_DATE_EPOCH", c.epoch, 1);
        ToolResult build = RunTool({"pak", "build", pak, source.string()});
        unsetenv("SOURCE_DATE_EPOCH");
        ASSERT_EQ(build.status, 0) << build.err;
        EXPECT_EQ(paktest::ReadFile(pak), paktest::Archive({{"a.txt", "a", c.expected}}))
            << c.epoch;
    }
}

} // namespace
