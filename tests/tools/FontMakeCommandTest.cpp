// tarnwick-tool font make: the descriptor and glyph picture it writes load as an image font whose
// glyphs and advances are the face's own, with the outline and shadow layers under the fill.
#include "tools/ToolRunner.h"

#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

#include <gtest/gtest.h>

namespace {

using tooltest::RunTool;
using tooltest::ToolResult;

constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

TEST(FontMakeCommand, TheFontHasTheFacesGlyphsAndItsLayers) {
    paktest::TempFolder folder;
    paktest::WriteFile(folder / "test.font", "# a test font\n"
                                             "Face 'DejaVuSans-Bold.ttf';\n"
                                             "PixelSize 14;\n"
                                             "Characters 32 126;\n"
                                             "Outline 1 (0 0 0 1);\n"
                                             "Shadow (2 3) (0 0 0 0.5);\n");
    const ToolResult run = RunTool({"font", "make", folder / "test.font", folder / "test.txt"});
    ASSERT_EQ(run.status, 0) << run.err;

    ravix::ImageFont font(nullptr, folder / "test.txt");
    ASSERT_TRUE(font.IsLoaded());
    std::unique_ptr<ravix::SysFont> face = ravix::SysFont::FromFile(kFace, 14);
    EXPECT_EQ(font.GetAscent(), face->GetAscent());
    EXPECT_EQ(font.GetHeight(), face->GetHeight());
    // Every character, quotes and backslash included, advances as the face says.
    for (int c = 32; c <= 126; ++c)
        EXPECT_EQ(font.CharWidth(char(c)), face->StringWidth(std::string(1, char(c)))) << c;
    EXPECT_EQ(font.GetFontData().mLayers.size(), 3u);

    // Drawn in green: the fill is green, the outline and shadow stay black.
    ravix::MemoryImage picture;
    picture.Create(40, 30);
    ravix::Graphics g(&picture);
    g.SetFont(&font);
    g.SetColor(ravix::Color(0, 255, 0));
    g.DrawString("I", 10, 20);
    int green = 0, dark = 0;
    const uint32_t* pixels = picture.GetPixels();
    for (int i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i) {
        const uint32_t pixel = pixels[i];
        if (pixel >> 24 == 0)
            continue;
        EXPECT_EQ(pixel & 0xFF00FF, 0u) << "only green and black";
        ((pixel >> 8 & 0xFF) >= 0xC0 ? green : dark)++;
    }
    EXPECT_GT(green, 10);
    EXPECT_GT(dark, 10);
}

TEST(FontMakeCommand, BadRecipesAreRefused) {
    paktest::TempFolder folder;
    const struct {
        const char* recipe;
        const char* error;
    } cases[] = {
        {"Face 'DejaVuSans-Bold.ttf';", "needs a Face and a PixelSize"},
        {"Face 'no-such-face.ttf'; PixelSize 12;", "cannot open the font file"},
        {"Face 'DejaVuSans-Bold.ttf'; PixelSize 0;", "expected a number from 1 to 200"},
        {"Face 'DejaVuSans-Bold.ttf'; PixelSize 12; Outline 2 (0 0 0);",
         "a colour is four numbers"},
        {"Face 'DejaVuSans-Bold.ttf'; PixelSize 12; Characters 100 50;",
         "expected a number from 100 to 255"},
        {"Face 'DejaVuSans-Bold.ttf'; PixelSize 12; Bold;", "unknown command"},
    };
    for (const auto& c : cases) {
        paktest::WriteFile(folder / "bad.font", c.recipe);
        const ToolResult run = RunTool({"font", "make", folder / "bad.font", folder / "bad.txt"});
        EXPECT_EQ(run.status, 1) << c.recipe;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << c.recipe << ": " << run.err;
    }
    EXPECT_EQ(RunTool({"font", "make", folder / "missing.font", folder / "x.txt"}).status, 1);
    EXPECT_EQ(RunTool({"font", "make", folder / "bad.font"}).status, 2);
}

} // namespace
