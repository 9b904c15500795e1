#include "files/PakWriter.h"

#include "files/PakTestSupport.h"

#include <gtest/gtest.h>

using namespace ravix;

namespace {

TEST(PakWriterTest, WritesTheFormatExactlyAndRefusesWhatItCannotStore) {
    paktest::TempFolder folder;
    const std::string path = folder / "out.pak";
    PakWriter writer;
    writer.AddEntry("first.txt", "one", FileTime::FromTicks(0x0102030405060708));
    writer.AddEntry("dir\\second", std::string("\0\r\n", 3), {});
    std::string error;
    ASSERT_TRUE(writer.Write(path, error)) << error;
    EXPECT_EQ(paktest::ReadFile(path),
              paktest::Archive({{"first.txt", "one", 0x0102030405060708},
                                {"dir\\second", std::string("\0\r\n", 3)}}));

    PakWriter tooLong;
    tooLong.AddEntry(std::string(256, 'n'), "x", {});
    EXPECT_FALSE(tooLong.Write(path, error));
    EXPECT_NE(error, "");
    // The earlier archive is untouched and no temporary file is left.
    EXPECT_EQ(paktest::ReadFile(path).size(), 9 + 2 * 14 + 9 + 10 + 3 + 3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

} // namespace
