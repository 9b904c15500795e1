#include "graphics/SysFont.h"

#include "graphics/Graphics.h"
#include "graphics/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace ravix;
using ravix::testing::PixelAt;
using ravix::testing::PixelsOf;

namespace {

// DejaVu Sans is installed by scripts/setup.sh; its metrics are known: 2048 units per em,
// Windows ascent 1901 and descent 483.
constexpr const char* kFace = "DejaVu Sans";

struct Coverage {
    int mOpaque = 0;
    int mPartial = 0;
    int mAlphaSum = 0;
    Rect mBounds; // of every pixel that is not transparent
};

Coverage Measure(MemoryImage& image) {
    Coverage result;
    int left = image.mWidth, top = image.mHeight, right = -1, bottom = -1;
    for (int y = 0; y < image.mHeight; ++y) {
        for (int x = 0; x < image.mWidth; ++x) {
            const uint32_t alpha = PixelAt(image, x, y) >> 24;
            if (alpha == 0) {
                continue;
            }
            (alpha == 255 ? result.mOpaque : result.mPartial)++;
            result.mAlphaSum += static_cast<int>(alpha);
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    if (right >= 0) {
        result.mBounds = Rect(left, top, right - left + 1, bottom - top + 1);
    }
    return result;
}

// Draws the text with its baseline at (x, y) into a transparent image.
std::unique_ptr<MemoryImage> Render(SysFont& font, std::string_view text, const Color& color,
                                    int width = 120, int height = 40, int x = 10, int y = 25) {
    auto image = std::make_unique<MemoryImage>();
    image->Create(width, height);
    image->GetPixels();
    Graphics g(image.get());
    g.SetFont(&font);
    g.SetColor(color);
    g.DrawString(text, x, y);
    return image;
}

} // namespace

TEST(SysFont, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int mNumber, mNumerator, mDenominator, mExpected;
    };
    for (const Case& c : std::vector<Case>{{12, 96, 72, 16},
                                           {10, 96, 72, 13},
                                           {11, 96, 72, 15},
                                           {-10, 96, 72, -13},
                                           {1, 1, 2, 1},
                                           {-1, 1, 2, -1},
                                           {3, 1, -2, -2},
                                           {5, 7, 0, -1},
                                           {0x40000000, 4, 1, -1}}) {
        EXPECT_EQ(SysFont::MulDiv(c.mNumber, c.mNumerator, c.mDenominator), c.mExpected)
            << c.mNumber << " * " << c.mNumerator << " / " << c.mDenominator;
    }
}

TEST(SysFont, MetricsComeFromTheMatchedFace) {
    SysFont font(kFace, 12);
    EXPECT_EQ(font.GetMatchedFamily(), kFace);
    EXPECT_EQ(font.GetPixelHeight(), 16);
    // ceil(1901 * 16 / 2048) = 15 above the baseline, ceil(483 * 16 / 2048) = 4 below.
    EXPECT_EQ(font.GetAscent(), 15);
    EXPECT_EQ(font.GetHeight(), 19);
    EXPECT_EQ(font.GetDescent(), 4);
    EXPECT_EQ(font.GetAscentPadding(), 0);
    EXPECT_EQ(font.GetLineSpacing(), 19);

    SysFont large(kFace, 24);
    EXPECT_EQ(large.GetPixelHeight(), 32);
    EXPECT_EQ(large.GetAscent(), 30);
    EXPECT_EQ(large.GetHeight(), 38);
}

TEST(SysFont, AbsentFacesFallBackToAnInstalledSansFace) {
    for (const char* name : {"Arial Unicode MS", "Tahoma", "Arial"}) {
        SysFont font(name, 12);
        EXPECT_FALSE(font.GetMatchedFamily().empty()) << name;
        EXPECT_GT(font.GetAscent(), 0) << name;
        EXPECT_GT(font.StringWidth("Score"), 0) << name;
    }
}

TEST(SysFont, WidthsAddUpAndIgnoreThePreviousCharacter) {
    SysFont font(kFace, 12);
    EXPECT_EQ(font.StringWidth(""), 0);
    const int h = font.CharWidth('H');
    const int i = font.CharWidth('i');
    EXPECT_GT(h, i);
    EXPECT_GT(i, 0);
    EXPECT_EQ(font.StringWidth("Hii"), h + 2 * i);
    EXPECT_EQ(font.CharAdvance('V', 'A'), font.CharWidth('V'));

    SysFont bold(kFace, 12, true);
    EXPECT_GT(bold.StringWidth("Hello"), font.StringWidth("Hello"));
}

TEST(SysFont, DrawsAntiAliasedCoverageAsAlpha) {
    SysFont font(kFace, 12);
    const Color color(20, 200, 90);
    auto image = Render(font, "Hello", color);
    const Coverage coverage = Measure(*image);
    EXPECT_GT(coverage.mOpaque, 30);
    EXPECT_GT(coverage.mPartial, 10);
    // Everything lies inside the text box: x from 10, top = baseline 25 - ascent 15.
    EXPECT_GE(coverage.mBounds.mX, 10);
    EXPECT_LE(coverage.mBounds.mX + coverage.mBounds.mWidth, 10 + font.StringWidth("Hello"));
    EXPECT_GE(coverage.mBounds.mY, 10);
    EXPECT_LE(coverage.mBounds.mY + coverage.mBounds.mHeight, 25 + font.GetDescent());
    // Capitals reach from the baseline up to about the cap height (16 px em: 11 to 12 rows).
    EXPECT_EQ(coverage.mBounds.mY + coverage.mBounds.mHeight, 25);
    EXPECT_NEAR(coverage.mBounds.mHeight, 12, 1);
    // Covered pixels keep the colour: exactly where fully covered (the blit onto transparent
    // pixels may round by one), within rounding of the coverage where partly covered.
    for (uint32_t pixel : PixelsOf(*image)) {
        const int alpha = static_cast<int>(pixel >> 24);
        if (alpha == 0) {
            EXPECT_EQ(pixel, 0u);
            continue;
        }
        const int tolerance = alpha == 255 ? 1 : 255 / alpha + 1;
        EXPECT_NEAR(static_cast<int>((pixel >> 16) & 0xFF), color.mRed, tolerance);
        EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), color.mGreen, tolerance);
        EXPECT_NEAR(static_cast<int>(pixel & 0xFF), color.mBlue, tolerance);
    }

    // Over an opaque background fully covered pixels take the colour exactly.
    auto opaque = ravix::testing::MakeDestination(120, 40, 0xFF000000u, true);
    Graphics g(opaque.get());
    g.SetFont(&font);
    g.SetColor(color);
    g.DrawString("Hello", 10, 25);
    int exact = 0;
    for (uint32_t pixel : PixelsOf(*opaque)) {
        exact += pixel == color.ToPacked() ? 1 : 0;
    }
    EXPECT_EQ(exact, coverage.mOpaque);
}

TEST(SysFont, DifferentTextDrawsDifferentPixels) {
    SysFont font(kFace, 12);
    auto l = Render(font, "l", kOpaqueWhite);
    auto o = Render(font, "o", kOpaqueWhite);
    // "l" is a single stem of full height; "o" is a ring no taller than the x-height.
    const Coverage stem = Measure(*l);
    const Coverage ring = Measure(*o);
    EXPECT_LE(stem.mBounds.mWidth, 3);
    EXPECT_GE(stem.mBounds.mHeight, 12);
    EXPECT_GE(ring.mBounds.mWidth, 6);
    EXPECT_LE(ring.mBounds.mHeight, 10);
    // The ring is hollow: its centre is transparent.
    EXPECT_EQ(PixelAt(*o, ring.mBounds.mX + ring.mBounds.mWidth / 2,
                      ring.mBounds.mY + ring.mBounds.mHeight / 2),
              0u);
}

TEST(SysFont, ShadowUnderlineAndSimulatedBold) {
    SysFont plain(kFace, 12);
    auto base = Render(plain, "l", kOpaqueWhite);
    const Coverage stem = Measure(*base);

    SysFont shadowed(kFace, 12);
    shadowed.SetShadow(true);
    auto shadow = Render(shadowed, "l", kOpaqueWhite);
    const Coverage withShadow = Measure(*shadow);
    // The black copy sticks out one pixel to the right and one below.
    EXPECT_EQ(withShadow.mBounds.mWidth, stem.mBounds.mWidth + 1);
    EXPECT_EQ(withShadow.mBounds.mHeight, stem.mBounds.mHeight + 1);
    const int right = withShadow.mBounds.mX + withShadow.mBounds.mWidth - 1;
    const uint32_t shadowPixel = PixelAt(*shadow, right, stem.mBounds.mY + 4);
    EXPECT_EQ(shadowPixel & 0xFFFFFF, 0u);
    EXPECT_GT(shadowPixel >> 24, 0u);

    SysFont bold(kFace, 12);
    bold.SetSimulatedBold(true);
    auto thick = Render(bold, "l", kOpaqueWhite);
    EXPECT_EQ(Measure(*thick).mBounds.mWidth, stem.mBounds.mWidth + 1);
    EXPECT_GT(Measure(*thick).mAlphaSum, stem.mAlphaSum);

    SysFont underlined(kFace, 12, false, false, true);
    auto line = Render(underlined, "ab", kOpaqueWhite);
    // A fully covered row just below the baseline spans the whole text.
    const int width = underlined.StringWidth("ab");
    int fullRows = 0;
    for (int y = 25; y < 25 + underlined.GetDescent(); ++y) {
        int covered = 0;
        for (int x = 10; x < 10 + width; ++x) {
            covered += PixelAt(*line, x, y) >> 24 == 255 ? 1 : 0;
        }
        fullRows += covered == width ? 1 : 0;
    }
    EXPECT_GE(fullRows, 1);
}

TEST(SysFont, BoldAndItalicChangeTheGlyphs) {
    SysFont plain(kFace, 12);
    SysFont bold(kFace, 12, true);
    SysFont italic(kFace, 12, false, true);
    auto p = Render(plain, "l", kOpaqueWhite);
    auto b = Render(bold, "l", kOpaqueWhite);
    auto i = Render(italic, "l", kOpaqueWhite);
    EXPECT_GT(Measure(*b).mBounds.mWidth, Measure(*p).mBounds.mWidth);
    // The slanted stem's top lies further right than its foot.
    const Coverage slanted = Measure(*i);
    EXPECT_GT(slanted.mBounds.mWidth, Measure(*p).mBounds.mWidth);
}

TEST(SysFont, DrawingGoesThroughTheContext) {
    SysFont font(kFace, 12);
    auto image = std::make_unique<MemoryImage>();
    image->Create(60, 30);
    image->GetPixels();
    Graphics g(image.get());
    g.SetFont(&font);
    g.SetColor(kOpaqueWhite);
    g.Translate(20, 0);
    g.ClipRect(0, 0, 5, 30); // the translated clip keeps columns 20 to 24
    g.DrawString("MMM", 0, 20);
    const Coverage coverage = Measure(*image);
    EXPECT_GT(coverage.mOpaque, 0);
    EXPECT_GE(coverage.mBounds.mX, 20);
    EXPECT_LE(coverage.mBounds.mX + coverage.mBounds.mWidth, 25);

    // A context without an image draws nothing and does not fail.
    Graphics empty;
    empty.SetFont(&font);
    empty.DrawString("MMM", 0, 20);
}

TEST(SysFont, DuplicateIsEqualWithTheFlagsCleared) {
    SysFont font(kFace, 12, true);
    font.SetShadow(true);
    font.SetSimulatedBold(true);
    auto copy = font.Duplicate();
    auto* sys = dynamic_cast<SysFont*>(copy.get());
    ASSERT_NE(sys, nullptr);
    EXPECT_FALSE(sys->HasShadow());
    EXPECT_FALSE(sys->HasSimulatedBold());
    EXPECT_EQ(sys->GetAscent(), font.GetAscent());
    EXPECT_EQ(sys->GetHeight(), font.GetHeight());
    EXPECT_EQ(sys->StringWidth("Duplicate"), font.StringWidth("Duplicate"));
    font.SetShadow(false);
    font.SetSimulatedBold(false);
    EXPECT_EQ(PixelsOf(*Render(*sys, "Ab", kOpaqueWhite)),
              PixelsOf(*Render(font, "Ab", kOpaqueWhite)));
}

TEST(SysFont, FromFileOpensThatFaceAndRendersSingleGlyphs) {
    const std::string file = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    std::unique_ptr<SysFont> font = SysFont::FromFile(file, 24);
    EXPECT_EQ(font->GetMatchedFamily(), "DejaVu Sans");
    // The same face as fontconfig's bold DejaVu Sans at 18 points (24 pixels at 96 per inch).
    SysFont matched(kFace, 18, true);
    EXPECT_EQ(font->GetAscent(), matched.GetAscent());
    EXPECT_EQ(font->GetHeight(), matched.GetHeight());
    EXPECT_EQ(font->StringWidth("Tarnwick 1284"), matched.StringWidth("Tarnwick 1284"));

    // A glyph's coverage lies where drawing the character puts it (H stays within its advance,
    // which is as far as a drawn string reaches).
    SysFont::GlyphCoverage glyph;
    ASSERT_TRUE(font->RenderGlyph('H', glyph));
    EXPECT_EQ(glyph.mAdvance, font->StringWidth("H"));
    ASSERT_GT(glyph.mWidth, 0);
    ASSERT_EQ(glyph.mCoverage.size(), size_t(glyph.mWidth) * glyph.mHeight);
    MemoryImage drawn;
    drawn.Create(40, 40);
    Graphics g(&drawn);
    g.SetFont(font.get());
    g.SetColor(Color(255, 255, 255));
    g.DrawString("H", 5, 5 + font->GetAscent());
    const Coverage measured = Measure(drawn);
    EXPECT_EQ(measured.mBounds.mX, 5 + glyph.mLeft);
    EXPECT_EQ(measured.mBounds.mY, 5 + glyph.mTop);
    EXPECT_EQ(measured.mBounds.mWidth, glyph.mWidth);
    EXPECT_EQ(measured.mBounds.mHeight, glyph.mHeight);
    ASSERT_TRUE(font->RenderGlyph(' ', glyph));
    EXPECT_GT(glyph.mAdvance, 0);
    EXPECT_TRUE(glyph.mCoverage.empty());

    std::unique_ptr<SysFont> missing = SysFont::FromFile("/no/such/font.ttf", 24);
    EXPECT_EQ(missing->GetMatchedFamily(), "");
    EXPECT_EQ(missing->StringWidth("T"), 0);
    EXPECT_FALSE(missing->RenderGlyph('T', glyph));
}
