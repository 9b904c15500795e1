#include "files/PakInterface.h"
#include "files/PakFormat.h"

#include "files/PakTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

using namespace ravix;
using paktest::Entry;

namespace {

std::string ReadAll(PakInterfaceBase& pak, PakFile* file) {
    std::string out;
    char buffer[7]; // odd size: reads cross word boundaries
    while (size_t n = pak.ReadBytes(buffer, 1, sizeof buffer, file))
        out.append(buffer, n);
    return out;
}

// Every name a search reports, in order, with the handle closed.
std::vector<std::string> FindAll(PakInterfaceBase& pak, const char* pattern) {
    std::vector<std::string> names;
    FindFileData data;
    PakFindHandle find = pak.FindFirstFile(pattern, &data);
    if (!find)
        return names;
    do
        names.push_back(data.mFileName);
    while (pak.FindNextFile(find, &data));
    EXPECT_TRUE(pak.FindClose(find));
    return names;
}

class PakInterfaceTest : public ::testing::Test {
protected:
    // Writes an archive into the test's folder and mounts it.
    bool Mount(const std::string& name, const std::string& bytes) {
        paktest::WriteFile(mFolder / name, bytes);
        return mPak.MountArchive(name);
    }
    std::string ReadEntry(const char* name, const char* mode = "rb") {
        PakFile* file = mPak.OpenFile(name, mode);
        if (!file)
            return "<not found>";
        std::string contents = ReadAll(mPak, file);
        mPak.CloseFile(file);
        return contents;
    }

    paktest::TempFolder mFolder;
    paktest::ScopedWorkingDirectory mWorkingDirectory{mFolder.Path()};
    PakInterface mPak;
};

TEST(PakNameTest, NormalisationFollowsTheNameRules) {
    const std::string cwd = std::filesystem::current_path().string();
    std::string upperCwd = PakKey(cwd);
    const struct {
        std::string name;
        std::string normalised;
    } cases[] = {
        {"images\\card.png", "IMAGES\\CARD.PNG"},
        {"IMAGES//card.png", "IMAGES\\CARD.PNG"},
        {"a\\/\\b/", "A\\B\\"},
        {"a\\b\\..\\c.txt", "A\\C.TXT"},
        {"x\\..\\c.txt", "C.TXT"},
        {"a/b/../../c", "C"},
        {"a\\b\\..\\\\c", "A\\C"},
        {"a\\..", ""},
        {"..\\a", "..\\A"},   // not after a separator: ordinary characters
        {"a..\\b", "A..\\B"}, // likewise
        {".\\a\\.\\b", ".\\A\\.\\B"},
        {cwd + "/images/a.png", "IMAGES\\A.PNG"},
        {upperCwd + "\\images\\a.png", "IMAGES\\A.PNG"},
        {cwd + "images", PakKey(cwd + "images")}, // the prefix must end at a separator
        {"/elsewhere/a", "\\ELSEWHERE\\A"},
        {"relative" + cwd, PakKey("relative" + cwd)},
    };
    for (const auto& c : cases) {
        std::string expected = c.normalised;
        for (char& ch : expected)
            if (ch == '/')
                ch = '\\';
        EXPECT_EQ(NormalisePakName(c.name), expected) << c.name;
    }
}

TEST_F(PakInterfaceTest, NameFormsAndModesChooseArchiveOrDisk) {
    ASSERT_TRUE(Mount("game.pak", paktest::Archive({{"images\\card.png", "archive"}})));
    paktest::WriteFile(mFolder / "images/card.png", "disk");
    const std::string absolute = (mFolder.Path() / "images/card.png").string();
    const struct {
        std::string name;
        const char* mode;
        const char* expected;
    } cases[] = {
        {"images\\Card.PNG", "rb", "archive"},
        {"IMAGES/card.png", "r", "archive"},
        {"images//card.png", "rt", "archive"},
        {"images\\card.png", "RB", "archive"},
        {"images\\sub\\..\\card.png", "rb", "archive"},
        {absolute, "rb", "archive"},
        {"images\\card.png", "r+", "disk"}, // not a read-only mode
        {"images\\other.png", "rb", "<not found>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadEntry(c.name.c_str(), c.mode), c.expected) << c.name << " " << c.mode;

    // Writing goes to the disk file of that name (folders separated by "/" there).
    PakFile* file = mPak.OpenFile("images\\card.png", "wb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->mEntry, nullptr);
    std::fputs("written", file->mStream);
    mPak.CloseFile(file);
    EXPECT_EQ(paktest::ReadFile(mFolder / "images/card.png"), "written");
    EXPECT_EQ(ReadEntry("images\\card.png"), "archive");
}

TEST_F(PakInterfaceTest, SeekClampsToTheEntry) {
    ASSERT_TRUE(Mount("game.pak", paktest::Archive({{"pad", "xyz"}, {"digits", "0123456789"}})));
    PakFile* file = mPak.OpenFile("digits", "rb");
    ASSERT_NE(file, nullptr);
    const struct {
        long offset;
        int origin;
        long position;
    } steps[] = {
        {0, SEEK_END, 10},       {-5, SEEK_SET, 0},        {4, SEEK_SET, 4},
        {3, SEEK_CUR, 7},        {-100, SEEK_CUR, 0},      {100, SEEK_SET, 10},
        {-3, SEEK_END, 7},       {LONG_MAX, SEEK_CUR, 10}, {LONG_MIN, SEEK_END, 0},
        {LONG_MIN, SEEK_SET, 0},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(mPak.SeekFile(file, step.offset, step.origin), 0);
        EXPECT_EQ(mPak.TellFile(file), step.position) << step.offset << " " << step.origin;
        EXPECT_EQ(mPak.AtEnd(file) != 0, step.position == 10);
    }
    EXPECT_EQ(mPak.SeekFile(file, 2, 7), -1); // unknown origin: nothing moves
    EXPECT_EQ(mPak.TellFile(file), 0);
    mPak.SeekFile(file, 7, SEEK_SET);
    EXPECT_EQ(ReadAll(mPak, file), "789");
    mPak.CloseFile(file);
}

TEST_F(PakInterfaceTest, ReadBytesDescramblesAnyRangeAndCountsWholeElements) {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    ASSERT_TRUE(Mount("game.pak", paktest::Archive({{"x", "1"}, {"bytes", bytes}})));
    PakFile* file = mPak.OpenFile("bytes", "rb");
    ASSERT_NE(file, nullptr);
    char buffer[256];
    for (long start = 0; start < 9; ++start) {
        for (size_t length = 0; length < 70; ++length) {
            mPak.SeekFile(file, start, SEEK_SET);
            ASSERT_EQ(mPak.ReadBytes(buffer, 1, length, file), length);
            ASSERT_EQ(std::string(buffer, length), bytes.substr(start, length));
        }
    }
    mPak.SeekFile(file, 246, SEEK_SET);
    EXPECT_EQ(mPak.ReadBytes(buffer, 4, 3, file), 2u); // 10 bytes left: two whole elements
    EXPECT_EQ(mPak.TellFile(file), 256);
    mPak.SeekFile(file, 250, SEEK_SET);
    EXPECT_EQ(mPak.ReadBytes(buffer, 0, 3, file), 0u);
    EXPECT_EQ(mPak.ReadBytes(buffer, SIZE_MAX / 2, 4, file), 0u); // size overflow: cut, not wrap
    EXPECT_EQ(mPak.TellFile(file), 256);
    mPak.CloseFile(file);
}

TEST_F(PakInterfaceTest, CharactersAndLinesDropCarriageReturns) {
    ASSERT_TRUE(Mount("game.pak", paktest::Archive({{"crlf", "ab\r\ncd"}, {"long", "abcd\nx"}})));
    EXPECT_EQ(ReadEntry("crlf"), "ab\r\ncd"); // whole reads keep them

    PakFile* file = mPak.OpenFile("crlf", "r");
    char line[16];
    EXPECT_STREQ(mPak.ReadLine(line, sizeof line, file), "ab\n");
    EXPECT_STREQ(mPak.ReadLine(line, sizeof line, file), "cd");
    EXPECT_EQ(mPak.ReadLine(line, sizeof line, file), nullptr);

    mPak.SeekFile(file, 0, SEEK_SET);
    std::string chars;
    for (int c; (c = mPak.ReadChar(file)) >= 0;)
        chars += char(c);
    EXPECT_EQ(chars, "ab\ncd");
    EXPECT_EQ(mPak.UnreadChar('q', file), 'q');
    EXPECT_EQ(mPak.ReadChar(file), 'd'); // the archive's byte, not the one pushed back
    mPak.SeekFile(file, 0, SEEK_SET);
    EXPECT_EQ(mPak.UnreadChar('q', file), 'q');
    EXPECT_EQ(mPak.TellFile(file), 0);
    mPak.CloseFile(file);

    file = mPak.OpenFile("long", "r");
    std::vector<std::string> lines;
    while (char* got = mPak.ReadLine(line, 3, file))
        lines.emplace_back(got);
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cd", "\n", "x"}));
    mPak.SeekFile(file, 0, SEEK_SET);
    EXPECT_STREQ(mPak.ReadLine(line, 1, file), "");
    EXPECT_EQ(mPak.ReadLine(line, 0, file), nullptr);
    mPak.CloseFile(file);
}

TEST_F(PakInterfaceTest, BadArchivesAreRefusedAndAddNothing) {
    const std::vector<Entry> entries = {{"a.txt", "alpha"}, {"dir\\b.txt", "bravo!"}};
    const std::string plain = paktest::PlainArchive(entries);
    std::vector<std::pair<std::string, std::string>> bad = {
        {"wrong magic", paktest::Scrambled(paktest::PlainArchive(entries, 0xBAC04AC1))},
        {"version 1", paktest::Scrambled(paktest::PlainArchive(entries, 0xBAC04AC0, 1))},
        {"not scrambled", plain},
    };
    // Every cut: inside the header or directory, or inside the last entry's content.
    for (size_t length = 0; length < plain.size(); ++length)
        bad.emplace_back("cut at " + std::to_string(length),
                         paktest::Scrambled(plain.substr(0, length)));
    std::string oversized = plain;
    oversized[8 + 1 + 1 + 5] = char(0x06); // a.txt claims 6 bytes more than the file holds
    oversized[8 + 1 + 1 + 5 + 3] = char(0x01);
    bad.emplace_back("entry past the end", paktest::Scrambled(oversized));

    for (const auto& [what, bytes] : bad) {
        EXPECT_FALSE(Mount("bad.pak", bytes)) << what;
        EXPECT_EQ(mPak.FindEntry("a.txt"), nullptr) << what;
        EXPECT_EQ(mPak.FindEntry("bad.pak"), nullptr) << what;
        EXPECT_EQ(ReadEntry("bad.pak"), bytes) << what; // the file as it is on disk
    }
    EXPECT_FALSE(mPak.MountArchive("missing.pak"));
    EXPECT_FALSE(mPak.MountArchive(mFolder.Path().string()));

    EXPECT_TRUE(Mount("trailing.pak", paktest::Scrambled(plain + "extra")));
    EXPECT_EQ(ReadEntry("DIR/B.TXT"), "bravo!");
    EXPECT_TRUE(Mount("empty.pak", paktest::Archive({})));
}

TEST_F(PakInterfaceTest, LaterArchivesAndLaterEntriesWin) {
    ASSERT_TRUE(Mount("first.pak", paktest::Archive({{"a.txt", "first"}, {"one.txt", "1"}})));
    ASSERT_TRUE(Mount("second.pak",
                      paktest::Archive({{"A.TXT", "second"}, {"b.txt", "x"}, {"b.txt", "y"}})));
    EXPECT_EQ(ReadEntry("a.txt"), "second");
    EXPECT_EQ(ReadEntry("one.txt"), "1");
    EXPECT_EQ(ReadEntry("b.txt"), "y");
    // An archive file itself reads through the layer descrambled.
    EXPECT_EQ(ReadEntry("first.pak"),
              paktest::PlainArchive({{"a.txt", "first"}, {"one.txt", "1"}}));
}

TEST_F(PakInterfaceTest, FindReportsArchiveEntriesThenDiskFiles) {
    const uint64_t time = 0x01D0'0000'1234'5678;
    ASSERT_TRUE(Mount("game.pak", paktest::Archive({{"images\\b.png", "bbb", time},
                                                    {"images\\a.png", "a"},
                                                    {"images\\x.jpg", "x"},
                                                    {"images\\sub\\c.png", "c"},
                                                    {"sounds\\s.png", "s"}})));
    for (const char* name : {"images/d.png", "images/a.png", "images/e.jpg"})
        paktest::WriteFile(mFolder / name, "disk");

    using Names = std::vector<std::string>;
    EXPECT_EQ(FindAll(mPak, "images\\*.png"), (Names{"a.png", "b.png", "c.png", "a.png", "d.png"}));
    EXPECT_EQ(FindAll(mPak, "images/*.*"),
              (Names{"a.png", "b.png", "c.png", "x.jpg", "a.png", "d.png", "e.jpg"}));
    // The disk half compares names exactly: there is no folder "IMAGES".
    EXPECT_EQ(FindAll(mPak, "IMAGES\\*.PNG"), (Names{"a.png", "b.png", "c.png"}));
    EXPECT_EQ(FindAll(mPak, "images\\a*"), (Names{"a.png", "a.png"}));
    EXPECT_EQ(FindAll(mPak, "sounds\\*.png"), (Names{"s.png"})); // no such folder on disk
    EXPECT_EQ(FindAll(mPak, "images\\a.png"), (Names{"a.png"})); // no "*": disk only
    EXPECT_EQ(FindAll(mPak, "images\\*g\\x.jpg"), Names{});
    EXPECT_EQ(mPak.FindFirstFile("nothing\\*", nullptr), nullptr);

    FindFileData data;
    PakFindHandle find = mPak.FindFirstFile("images\\b*", &data);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(data.mFileName, "b.png");
    EXPECT_EQ(data.mFileSizeLow, 3u);
    EXPECT_EQ(data.mFileSizeHigh, 0u);
    EXPECT_EQ(data.mFileAttributes, 0u);
    EXPECT_EQ(data.mLastWriteTime.Ticks(), time);
    EXPECT_EQ(data.mCreationTime, data.mLastWriteTime);
    EXPECT_EQ(data.mLastAccessTime, data.mLastWriteTime);
    EXPECT_FALSE(mPak.FindNextFile(find, &data));
    EXPECT_TRUE(mPak.FindClose(find));
}

TEST_F(PakInterfaceTest, DiskReadsFindFilesWhoseNamesDifferInCase) {
    paktest::WriteFile(mFolder / "images/card.png", "card");
    paktest::WriteFile(mFolder / "images/Both.txt", "upper");
    paktest::WriteFile(mFolder / "images/both.txt", "lower");
    paktest::WriteFile(mFolder / "Sounds/sub/Click.wav", "click");
    const struct {
        const char* name;
        const char* mode;
        const char* contents;
    } cases[] = {
        {"Images/Card.png", "rb", "card"},
        {"IMAGES\\CARD.PNG", "r", "card"},
        {"./images/../Images/card.PNG", "rt", "card"},
        {"sounds/SUB/click.WAV", "rb", "click"},
        // An exact name wins; otherwise the first match in byte order.
        {"images/both.txt", "rb", "lower"},
        {"images/Both.txt", "rb", "upper"},
        {"IMAGES/BOTH.TXT", "rb", "upper"},
        {"images/card.png/x", "rb", "<not found>"},
        {"images/cards.png", "rb", "<not found>"},
        {"Missing/card.png", "rb", "<not found>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadEntry(c.name, c.mode), c.contents) << c.name;
    // An absolute name matches the same way.
    EXPECT_EQ(ReadEntry((mFolder.Path().string() + "/IMAGES/card.png").c_str()), "card");

    // Writing does not take over another file: the name is used as given.
    PakFile* file = mPak.OpenFile("images/CARD.png", "wb");
    ASSERT_NE(file, nullptr);
    mPak.CloseFile(file);
    EXPECT_TRUE(std::filesystem::exists(mFolder / "images/CARD.png"));
    EXPECT_EQ(paktest::ReadFile(mFolder / "images/card.png"), "card");
    EXPECT_EQ(mPak.OpenFile("Other/new.txt", "wb"), nullptr);
}

TEST(PakFunctionsTest, TheFirstInstanceServesTheFunctions) {
    ASSERT_EQ(gPakInterfaceSlot, gPakInterface);
    PakInterface later;
    EXPECT_EQ(gPakInterfaceSlot, gPakInterface);

    paktest::TempFolder folder;
    paktest::WriteFile(folder / "functions.pak",
                       paktest::Archive({{"PakFunctionsTest\\lines.txt", "one\r\ntwo"}}));
    ASSERT_TRUE(gPakInterface->MountArchive(folder / "functions.pak"));

    PakFile* file = pak_fopen("pakfunctionstest/LINES.TXT", "r");
    ASSERT_NE(file, nullptr);
    char line[16];
    EXPECT_STREQ(pak_fgets(line, sizeof line, file), "one\n");
    EXPECT_EQ(pak_ftell(file), 5);
    EXPECT_EQ(pak_fgetc(file), 't');
    EXPECT_EQ(pak_ungetc('t', file), 't');
    EXPECT_EQ(pak_fseek(file, -1, SEEK_END), 0);
    EXPECT_EQ(pak_fread(line, 1, sizeof line, file), 1u);
    EXPECT_NE(pak_feof(file), 0);
    EXPECT_EQ(pak_fclose(file), 0);

    FindFileData data;
    PakFindHandle find = pak_FindFirstFile("PakFunctionsTest\\*.txt", &data);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(data.mFileName, "lines.txt");
    EXPECT_FALSE(pak_FindNextFile(find, &data));
    EXPECT_TRUE(pak_FindClose(find));
}

TEST(PakFunctionsTest, WithoutAnInstanceTheCLibraryServes) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "sub/plain.txt", "one\r\ntwo");
    struct EmptySlot {
        PakInterfaceBase* saved = gPakInterfaceSlot;
        EmptySlot() { gPakInterfaceSlot = nullptr; }
        ~EmptySlot() { gPakInterfaceSlot = saved; }
    } emptySlot;

    PakFile* file = pak_fopen((folder.Path().string() + "\\sub\\plain.txt").c_str(), "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->mEntry, nullptr);
    char line[16];
    EXPECT_STREQ(pak_fgets(line, sizeof line, file), "one\r\n"); // the C library keeps them
    EXPECT_EQ(pak_fgetc(file), 't');
    EXPECT_EQ(pak_ungetc('T', file), 'T');
    EXPECT_EQ(pak_fread(line, 1, sizeof line, file), 3u);
    EXPECT_EQ(std::string(line, 3), "Two");
    EXPECT_NE(pak_feof(file), 0);
    EXPECT_EQ(pak_fseek(file, 1, SEEK_SET), 0);
    EXPECT_EQ(pak_ftell(file), 1);
    EXPECT_EQ(pak_fclose(file), 0);
    EXPECT_EQ(pak_fopen((folder / "missing.txt").c_str(), "r"), nullptr);

    FindFileData data;
    PakFindHandle find = pak_FindFirstFile((folder / "sub/*.txt").c_str(), &data);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(data.mFileName, "plain.txt");
    EXPECT_EQ(data.mFileSizeLow, 8u);
    EXPECT_FALSE(pak_FindNextFile(find, &data));
    EXPECT_TRUE(pak_FindClose(find));
}

} // namespace
