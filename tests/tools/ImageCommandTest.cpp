#include "files/ImageLib.h"

#include "files/ImageFileTestSupport.h"
#include "files/PakTestSupport.h"
#include "tools/ToolRunner.h"

#include <gtest/gtest.h>

namespace {

using imagetest::FixturePath;
using tooltest::RunTool;
using tooltest::ToolResult;

TEST(ImageCommandTest, InfoTellsSizeAndTransparency) {
    const struct {
        const char* fixture;
        const char* out;
    } cases[] = {
        {"rgba.png", "width: 13\nheight: 9\ntransparent pixels: yes\n"
                     "partly transparent pixels: yes\n"},
        {"transparent.gif", "width: 13\nheight: 9\ntransparent pixels: yes\n"
                            "partly transparent pixels: no\n"},
        {"noise.gif", "width: 80\nheight: 64\ntransparent pixels: no\n"
                      "partly transparent pixels: no\n"},
    };
    for (const auto& c : cases) {
        ToolResult info = RunTool({"image", "info", FixturePath(c.fixture)});
        EXPECT_EQ(info.status, 0) << c.fixture << ": " << info.err;
        EXPECT_EQ(info.out, c.out) << c.fixture;
    }
}

TEST(ImageCommandTest, ConvertWritesWhatTheProgramLoads) {
    paktest::TempFolder folder;
    // A JPEG with a GIF alpha file of the same size: the PNG carries both.
    paktest::WriteFile(folder / "pic.jpg", paktest::ReadFile(FixturePath("color.jpg")));
    paktest::WriteFile(folder / "_pic.gif", paktest::ReadFile(FixturePath("transparent.gif")));
    const std::string out = folder / "pic.png";
    ToolResult convert = RunTool({"image", "convert", folder / "pic", out});
    ASSERT_EQ(convert.status, 0) << convert.err;

    auto png = ravix::ImageLib::LoadImageFile(out, ravix::ImageLib::AlphaFile::Ignore);
    ASSERT_TRUE(png);
    std::vector<uint32_t> expected = imagetest::ExpectedPixels("color.jpg");
    const std::vector<uint32_t> alpha = imagetest::ExpectedPixels("transparent.gif");
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = (expected[i] & 0xFFFFFF) | (alpha[i] & 0xFF) << 24;
    EXPECT_EQ(imagetest::PixelsOf(*png), expected);
}

TEST(ImageCommandTest, FailuresAndUsageErrors) {
    paktest::TempFolder folder;
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"image", "info", folder / "missing.png"}, 1},
        {{"image", "convert", FixturePath("cmyk.jpg"), folder / "out.png"}, 1},
        {{"image", "convert", FixturePath("rgba.png"), folder / "no/such/folder.png"}, 1},
        {{"image", "info"}, 2},
        {{"image", "convert", FixturePath("rgba.png")}, 2},
        {{"image", "show", FixturePath("rgba.png")}, 2},
    };
    for (const auto& c : cases) {
        ToolResult result = RunTool(c.args);
        EXPECT_EQ(result.status, c.status) << c.args.back();
        EXPECT_NE(result.err, "") << c.args.back();
        EXPECT_EQ(result.out, "") << c.args.back();
    }
}

} // namespace
