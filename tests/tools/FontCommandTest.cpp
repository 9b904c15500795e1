#include "tools/ToolRunner.h"

#include "files/ImageLib.h"
#include "graphics/SysFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;
namespace ImageLib = ravix::ImageLib;

// Counts the pixels of a PNG file by alpha: transparent, opaque and partly covered.
struct AlphaCounts {
    int mWidth = 0;
    int mHeight = 0;
    int mTransparent = 0;
    int mOpaque = 0;
    int mPartial = 0;
};

AlphaCounts CountAlpha(const std::string& path) {
    AlphaCounts counts;
    auto image = ImageLib::LoadImageFile(path, ImageLib::AlphaFile::Ignore);
    if (!image)
        return counts;
    counts.mWidth = image->GetWidth();
    counts.mHeight = image->GetHeight();
    for (size_t i = 0; i < image->PixelCount(); ++i) {
        const uint32_t alpha = image->GetBits()[i] >> 24;
        (alpha == 0 ? counts.mTransparent : alpha == 255 ? counts.mOpaque : counts.mPartial)++;
    }
    return counts;
}

} // namespace

TEST(FontRenderCommand, SystemFontTextIsDrawnWithAMargin) {
    paktest::TempFolder folder;
    const std::string out = folder / "sys.png";
    const ToolResult run = RunTool({"font", "render", "sys:DejaVu Sans:12", "Hi there", out});
    ASSERT_EQ(run.status, 0) << run.err;
    ravix::SysFont font("DejaVu Sans", 12);
    const int width = font.StringWidth("Hi there") + 4;
    const int height = font.GetHeight() + 4;
    EXPECT_EQ(run.out, out + ": " + std::to_string(width) + " x " + std::to_string(height) + "\n");
    const AlphaCounts counts = CountAlpha(out);
    EXPECT_EQ(counts.mWidth, width);
    EXPECT_EQ(counts.mHeight, height);
    EXPECT_GT(counts.mOpaque, 20);
    EXPECT_GT(counts.mPartial, 10);
    EXPECT_GT(counts.mTransparent, counts.mOpaque);
}

TEST(FontRenderCommand, DescriptorFontCoversItsGlyphs) {
    paktest::TempFolder folder;
    // Two glyphs of 2 x 3 and 1 x 3 opaque pixels; 'B' sits one pixel above the baseline box.
    const std::vector<uint32_t> strip(9, 0xFFFFFFFFu);
    ASSERT_TRUE(ImageLib::WritePNG(folder / "strip.png", strip.data(), 3, 3));
    paktest::WriteFile(folder / "font.txt",
                       "CreateLayer Main;\n"
                       "LayerSetImage Main 'strip.png';\n"
                       "LayerSetImageMap Main ('A' 'B') ((0 0 2 3) (2 0 1 3));\n"
                       "LayerSetCharWidths Main ('A' 'B') (3 2);\n"
                       "LayerSetCharOffsets Main ('B') ((0 -1));\n"
                       "LayerSetAscent Main 3;\n"
                       "LayerSetHeight Main 3;\n");
    const std::string out = folder / "font.png";
    const ToolResult run = RunTool({"font", "render", folder / "font.txt", "AB", out});
    ASSERT_EQ(run.status, 0) << run.err;
    // Text box 5 x 3, widened upwards by B's offset, and a margin of 2 all round.
    EXPECT_EQ(run.out, out + ": 9 x 8\n");
    const AlphaCounts counts = CountAlpha(out);
    EXPECT_EQ(counts.mOpaque, 6 + 3);
    EXPECT_EQ(counts.mPartial, 0);
}

TEST(FontRenderCommand, BadFontsAndArgumentsAreRefused) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "bad.txt", "CreateLayer Main;\nLayerSetDrawMode Main 7;\n");
    ToolResult run = RunTool({"font", "render", folder / "bad.txt", "AB", folder / "x.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Font Descriptor Error in " + folder / "bad.txt" +
                           "\nInvalid Paramater Type on Line 2:\n\nLayerSetDrawMode Main 7\n");

    run = RunTool({"font", "render", folder / "none.txt", "AB", folder / "x.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot read the font descriptor"), std::string::npos);

    for (const char* spec :
         {"sys:DejaVu Sans", "sys:DejaVu Sans:0", "sys:DejaVu Sans:99999", "sys:DejaVu Sans:1x"}) {
        run = RunTool({"font", "render", spec, "AB", folder / "x.png"});
        EXPECT_EQ(run.status, 2) << spec;
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"font"}, {"font", "render", "a", "b"}, {"font", "draw", "a", "b", "c"}}) {
        run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("font render FONT TEXT OUT.png"), std::string::npos);
    }
}
