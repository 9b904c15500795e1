// Graphics drawing into real MemoryImages: what reaches the pixels, exactly.

#include "graphics/Graphics.h"
#include "graphics/Transform.h"

#include "graphics/ImageTestSupport.h"
#include "graphics/TestFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravix {
namespace {

using testing::MakeFilled;
using testing::MakeImage;
using testing::PixelsOf;

constexpr uint32_t kBlack = 0xFF000000;
constexpr uint32_t kRed = 0xFFFF0000;

// Rows of a picture in letters: '.' black, 'R' red, 'a'.. 'f' the pixels of the test source.
std::vector<uint32_t> Picture(const std::vector<std::string>& rows) {
    std::vector<uint32_t> pixels;
    for (const std::string& row : rows) {
        for (char c : row) {
            pixels.push_back(c == '.'   ? kBlack
                             : c == 'R' ? kRed
                                        : 0xFF000000 | (c - 'a' + 1) * 0x10101u);
        }
    }
    return pixels;
}

// A 3 x 2 opaque source whose pixels are the letters a b c / d e f.
std::unique_ptr<MemoryImage> LetterSource() {
    return MakeImage(3, 2, Picture({"abc", "def"}));
}

TEST(GraphicsPixelTest, OutlinesAndFillsStayInsideTheTranslatedClip) {
    auto dest = MakeFilled(8, 6, kBlack);
    Graphics g(dest.get());
    g.Translate(1, 1);
    g.ClipRect(0, 0, 4, 3);
    g.SetColor(Color(255, 0, 0));
    g.DrawRect(0, 0, 5, 5);
    g.FillRect(2, 1, 10, 1);
    EXPECT_EQ(PixelsOf(*dest),
              Picture({"........", ".RRRR...", ".R.RR...", ".R......", "........", "........"}));
}

TEST(GraphicsPixelTest, ClippedAndMirroredImagesShowTheRightColumns) {
    auto source = LetterSource();
    auto dest = MakeFilled(7, 3, kBlack);
    Graphics g(dest.get());
    g.ClipRect(1, 0, 5, 3);
    g.DrawImage(source.get(), 0, 0);                          // column a cut by the clip
    g.DrawImageFlipped(source.get(), 4, 1, Rect(0, 0, 3, 2)); // mirrored, column a cut
    EXPECT_EQ(PixelsOf(*dest), Picture({".bc....", ".ef.cb.", "....fe."}));
}

// The game draws each card through a transform made as a sprite makes it (scale, then rotate
// by 0), which is complex and goes to the matrix blit; at scale 1 on whole pixels it must
// draw exactly what the plain blit draws, tint and translation included.
TEST(GraphicsPixelTest, SpriteTransformAtScaleOneDrawsLikeDrawImage) {
    auto source = MakeImage(6, 4, testing::MixedPixels(6, 4, 7));
    auto backdrop = testing::MixedPixels(16, 12, 3);
    for (bool tint : {false, true}) {
        auto expected = MakeImage(16, 12, backdrop);
        auto actual = MakeImage(16, 12, backdrop);
        for (MemoryImage* image : {expected.get(), actual.get()}) {
            Graphics g(image);
            g.Translate(2, 1);
            g.ClipRect(0, 0, 9, 8);
            g.SetTintImages(tint);
            g.SetColor(Color(200, 150, 100, 128));
            if (image == expected.get()) {
                g.DrawImage(source.get(), 4, 5); // top left of a 6 x 4 picture centred at (7, 7)
            } else {
                Transform t;
                t.Scale(1, 1);
                t.Rotate(0);
                ASSERT_TRUE(t.IsComplex());
                g.DrawImageTransformed(source.get(), t, 7, 7);
            }
        }
        EXPECT_EQ(PixelsOf(*actual), PixelsOf(*expected)) << "tint " << tint;
    }
}

// Whether a transform stays simple or becomes a matrix is internal: a picture centred on whole
// pixels lands on the same whole pixels either way.
TEST(GraphicsPixelTest, SimpleAndMatrixTransformsPlaceAPictureAlike) {
    auto source = MakeImage(4, 2, Picture({"abcd", "efab"}));
    const std::vector<uint32_t> expected = Picture({"......", ".abcd.", ".efab.", "......"});
    const struct {
        const char* name;
        void (*build)(Transform&);
    } cases[] = {
        {"identity", [](Transform&) {}},
        {"rotation by 0", [](Transform& t) { t.Rotate(0); }},
        {"scale 1, then rotation by 0", [](Transform& t) { t.Scale(1, 1), t.Rotate(0); }},
    };
    for (const auto& c : cases) {
        auto dest = MakeFilled(6, 4, kBlack);
        Graphics g(dest.get());
        Transform t;
        c.build(t);
        g.DrawImageTransformed(source.get(), t, 3, 2);
        EXPECT_EQ(PixelsOf(*dest), expected) << c.name;
    }
}

TEST(GraphicsPixelTest, MirrorTransformDrawsTheMirroredImage) {
    auto source = LetterSource();
    auto dest = MakeFilled(5, 2, kBlack);
    Graphics g(dest.get());
    Transform t;
    t.Scale(-1, 1);
    g.DrawImageTransformed(source.get(), t, 2.5f, 1);
    EXPECT_EQ(PixelsOf(*dest), Picture({".cba.", ".fed."}));
}

TEST(GraphicsPixelTest, TextIsDrawnThroughTheContextInItsColours) {
    auto dest = MakeFilled(30, 20, kBlack);
    Graphics g(dest.get());
    test::TestFont font; // glyphs fill 9 x 12 boxes from the baseline - 8, 10 apart
    g.SetFont(&font);
    g.SetColor(Color(0, 0, 0));
    g.Translate(2, 3);
    g.ClipRect(0, 0, 15, 5);
    g.DrawCodedLine("a^FF0000^b", 0, 8, 0, Graphics::kJustifyLeft);
    std::vector<uint32_t> expected(30 * 20, kBlack);
    for (int y = 3; y < 8; ++y) {
        for (int x = 12; x < 17; ++x) {
            expected[y * 30 + x] = kRed; // the second glyph, cut by the clip at x 17
        }
    }
    EXPECT_EQ(PixelsOf(*dest), expected);
}

} // namespace
} // namespace ravix
