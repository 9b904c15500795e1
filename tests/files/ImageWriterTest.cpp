#include "files/ImageLib.h"

#include "files/ImageFileTestSupport.h"
#include "files/PakTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace ravix;
using ImageLib::AlphaFile;
using ImageLib::LoadImageFile;
using imagetest::PixelsOf;

namespace {

std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ImageWriterTest, PngKeepsEveryChannelExactly) {
    paktest::TempFolder folder;
    const std::vector<uint32_t> pixels = {0x00000000, 0xFF123456, 0x80FFFFFF,
                                          0x01ABCDEF, 0x7F000001, 0xFEFF0000};
    const std::string path = folder / "shot.png";
    ASSERT_TRUE(ImageLib::WritePNG(path, pixels.data(), 3, 2));
    auto image = LoadImageFile(path, AlphaFile::Ignore);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetWidth(), 3);
    EXPECT_EQ(PixelsOf(*image), pixels);
    // 8-bit RGBA, not interlaced: bit depth, colour type, compression, filter, interlace.
    EXPECT_EQ(paktest::ReadFile(path).substr(24, 5), std::string("\x08\x06\x00\x00\x00", 5));
    EXPECT_EQ(FolderContents(folder.Path()), std::vector<std::string>{"shot.png"});
}

TEST(ImageWriterTest, JpegIsWrittenAtQuality80) {
    paktest::TempFolder folder;
    const std::vector<uint32_t> grey(16 * 8, 0x40808080); // alpha is dropped
    const std::string path = folder / "shot.jpg";
    ASSERT_TRUE(ImageLib::WriteJPEG(path, grey.data(), 16, 8));
    auto image = LoadImageFile(path, AlphaFile::Ignore);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), std::vector<uint32_t>(16 * 8, 0xFF808080));
    // The first luminance quantisation value: 16 scaled to 40 % (quality 80) is 6.
    const std::string bytes = paktest::ReadFile(path);
    const size_t table = bytes.find("\xFF\xDB");
    ASSERT_NE(table, std::string::npos);
    EXPECT_EQ(bytes[table + 5], 6);
}

TEST(ImageWriterTest, WritesReplaceFilesWholeOrNotAtAll) {
    paktest::TempFolder folder;
    const std::vector<uint32_t> pixels(4, 0xFF00FF00);
    const std::string path = folder / "out.png";
    paktest::WriteFile(path, "old contents");
    EXPECT_FALSE(ImageLib::WritePNG(path, pixels.data(), 0, 2));
    EXPECT_FALSE(ImageLib::WriteJPEG(path, nullptr, 2, 2));
    EXPECT_FALSE(ImageLib::WritePNG(folder / "missing/out.png", pixels.data(), 2, 2));
    EXPECT_EQ(paktest::ReadFile(path), "old contents");

    ASSERT_TRUE(ImageLib::WritePNG(path, pixels.data(), 2, 2));
    ASSERT_TRUE(ImageLib::WriteJPEG(folder / "out.jpg", pixels.data(), 2, 2, FileAccess::Shared));
    EXPECT_EQ(FolderContents(folder.Path()), (std::vector<std::string>{"out.jpg", "out.png"}));
    auto image = LoadImageFile(path, AlphaFile::Ignore);
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), pixels);
    // A screenshot is the player's own; the tools' pictures are for everyone to read.
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(std::filesystem::status(folder / "out.jpg").permissions(),
              std::filesystem::perms(0644));
}

} // namespace
