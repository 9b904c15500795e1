#include "graphics/ImageFont.h"

#include "app/RavixAppBase.h"
#include "files/PakTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/ImageTestSupport.h"
#include "graphics/RecordingImage.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace ravix;
using ravix::testing::MakeDestination;
using ravix::testing::MakeImage;
using ravix::testing::PixelAt;
using ravix::testing::PixelsOf;

namespace {

constexpr uint32_t R = 0xFFFF0000u;
constexpr uint32_t G = 0xFF00FF00u;
constexpr uint32_t W = 0xFFFFFFFFu;
constexpr uint32_t K = 0xFF000000u;

// The glyph strip of the test fonts, 6 x 3: 'A' red (2 wide), 'B' green (3 wide), 'C' white
// (1 wide).
std::shared_ptr<MemoryImage> MakeStrip() {
    return MakeImage(6, 3, {R, R, G, G, G, W, R, R, G, G, G, W, R, R, G, G, G, W});
}

// The font most tests start from: the strip at point size 10, ascent 3, widths 3, 4 and 2,
// kerning A-B -1 and B-A +2.
const std::string kBaseFont = "Define Glyphs ('A' 'B' 'C');\n"
                              "CreateHorzSpanRectList Rects (0 0 0 3) (2 3 1);\n"
                              "SetDefaultPointSize 10;\n"
                              "CreateLayer Main;\n"
                              "LayerSetImage Main 'strip.png';\n"
                              "LayerSetImageMap Main Glyphs Rects;\n"
                              "LayerSetCharWidths Main Glyphs (3 4 2);\n"
                              "LayerSetAscent Main 3;\n"
                              "LayerSetPointSize Main 10;\n"
                              "LayerSetKerningPairs Main ('AB' 'BA') (-1 2);\n";

// Pixels as rows of letters: '.' black or transparent, 'r' red, 'g' green, 'w' white, '?'
// anything else. The blitters may round a channel by a step or two, so letters stand for
// channels above 240 or below 16.
std::vector<std::string> Rows(MemoryImage& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.mHeight; ++y) {
        std::string row;
        for (int x = 0; x < image.mWidth; ++x) {
            const uint32_t pixel = PixelAt(image, x, y);
            auto level = [pixel](int shift) {
                const uint32_t value = (pixel >> shift) & 0xFF;
                return value > 240 ? '1' : value < 16 ? '0' : '?';
            };
            const std::string rgb{level(16), level(8), level(0)};
            row += rgb == "000"   ? '.'
                   : rgb == "100" ? 'r'
                   : rgb == "010" ? 'g'
                   : rgb == "111" ? 'w'
                                  : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

// The image requests a font's DrawString makes, with their colours and modes.
std::vector<std::string> Requests(ImageFont& font, std::string_view text, int x, int y,
                                  const Color& color = kOpaqueWhite) {
    test::RecordingImage image(40, 20);
    Graphics g(&image);
    g.SetFont(&font);
    g.SetColor(color);
    g.DrawString(text, x, y);
    return image.mCalls;
}

class ImageFontTest : public ::testing::Test {
protected:
    std::string DescriptorPath() const { return mFolder / "fonts/font.txt"; }

    // Writes the descriptor into the folder "fonts" and reads it; layer images come from
    // mImages, keyed by the path the font asks for.
    std::unique_ptr<ImageFont> Load(const std::string& descriptor, RavixAppBase* app = nullptr) {
        paktest::WriteFile(DescriptorPath(), descriptor);
        return std::make_unique<ImageFont>(app, DescriptorPath(), [this](const std::string& path) {
            mRequested.push_back(path);
            const auto it = mImages.find(path);
            return it == mImages.end() ? FontLayerImage{} : FontLayerImage{it->second, true};
        });
    }

    void AddImage(const std::string& name, std::shared_ptr<MemoryImage> image) {
        mImages[mFolder / ("fonts/" + name)] = std::move(image);
    }

    void SetUp() override { AddImage("strip.png", MakeStrip()); }

    // Draws the text in white with its baseline at (x, y) into a black image.
    std::vector<std::string> Draw(ImageFont& font, std::string_view text, int x, int y,
                                  int width = 12, int height = 8,
                                  const Color& color = kOpaqueWhite) {
        auto image = MakeDestination(width, height, K, true);
        Graphics g(image.get());
        g.SetFont(&font);
        g.SetColor(color);
        g.DrawString(text, x, y);
        return Rows(*image);
    }

    paktest::TempFolder mFolder;
    std::map<std::string, std::shared_ptr<MemoryImage>> mImages;
    std::vector<std::string> mRequested;
};

} // namespace

TEST_F(ImageFontTest, DescriptorBuildsTheLayer) {
    auto font = Load(kBaseFont + "SetCharMap ('a' 'b') ('A' 'B');\n"
                                 "LayerSetCharOffsets Main ('C') ((1 -2));\n"
                                 "LayerSetOffset Main (4 5);\n"
                                 "LayerSetSpacing Main 1;\n"
                                 "LayerSetHeight Main 7;\n"
                                 "LayerSetAscentPadding Main 2;\n"
                                 "LayerSetLineSpacingOffset Main -1;\n"
                                 "LayerSetDrawMode Main 1;\n"
                                 "LayerSetColorMult Main (1 0.5 0 1);\n"
                                 "LayerSetColorAdd Main 0x10203040;\n"
                                 "LayerSetBaseOrder Main -3;\n"
                                 "LayerSetCharOrders Main ('A' 'B') (4 -4);\n"
                                 "Define Title 'Big Font';\n");
    ASSERT_TRUE(font->IsLoaded());
    const FontData& data = font->GetFontData();
    EXPECT_EQ(mRequested, std::vector<std::string>{mFolder / "fonts/strip.png"});
    EXPECT_EQ(font->GetDefaultPointSize(), 10);
    EXPECT_EQ(font->GetPointSize(), 10);
    EXPECT_EQ(data.MapChar('a'), 'A');
    EXPECT_EQ(data.MapChar('c'), 'c');
    ASSERT_EQ(data.mLayers.size(), 1u);
    const GlyphLayer& layer = data.mLayers.front();
    EXPECT_EQ(layer.mCharData['A'].mImageRect, Rect(0, 0, 2, 3));
    EXPECT_EQ(layer.mCharData['B'].mImageRect, Rect(2, 0, 3, 3));
    EXPECT_EQ(layer.mCharData['C'].mImageRect, Rect(5, 0, 1, 3));
    EXPECT_EQ(layer.mCharData['B'].mWidth, 4);
    EXPECT_EQ(layer.mCharData['A'].mKerning['B'], -1);
    EXPECT_EQ(layer.mCharData['B'].mKerning['A'], 2);
    EXPECT_EQ(layer.mCharData['C'].mOffsetX, 1);
    EXPECT_EQ(layer.mCharData['C'].mOffsetY, -2);
    EXPECT_EQ(layer.mCharData['A'].mOrder, 4);
    EXPECT_EQ(layer.mCharData['B'].mOrder, -4);
    EXPECT_EQ(layer.mDefaultHeight, 3); // set before the offset of 'C' moved it up
    EXPECT_EQ(layer.mOffsetX, 4);
    EXPECT_EQ(layer.mOffsetY, 5);
    EXPECT_EQ(layer.mSpacing, 1);
    EXPECT_EQ(layer.mHeight, 7);
    EXPECT_EQ(layer.mAscentPadding, 2);
    EXPECT_EQ(layer.mLineSpacingOffset, -1);
    EXPECT_EQ(layer.mDrawMode, 1);
    EXPECT_EQ(layer.mColorMult, Color(255, 127, 0, 255));
    EXPECT_EQ(layer.mColorAdd, Color(0x20, 0x30, 0x40, 0x10));
    EXPECT_EQ(layer.mBaseOrder, -3);
    // A newly loaded layer image is kept in palette form.
    EXPECT_TRUE(layer.mImage->HasPaletteForm());
    EXPECT_EQ(font->GetDefine("title"), "Big Font");
    EXPECT_EQ(font->GetDefine("Glyphs"), ""); // a list
    EXPECT_EQ(font->GetDefine("Nothing"), "");
    // The metrics of the one active layer.
    EXPECT_EQ(font->GetAscent(), 3);
    EXPECT_EQ(font->GetHeight(), 7);
    EXPECT_EQ(font->GetAscentPadding(), 2);
    EXPECT_EQ(font->GetLineSpacing(), 6);
}

TEST_F(ImageFontTest, CommandErrorsNameTheFileLineAndCommand) {
    const std::string header = "Font Descriptor Error in " + DescriptorPath() + "\r\n";
    struct Case {
        std::string mDescriptor;
        std::vector<std::string> mErrors; // texts of the messages, in order
        bool mLoaded;
    };
    const std::vector<Case> cases = {
        {"Bogus 1", {"Unknown Command"}, false},
        {"createlayer", {"Invalid Number of Parameters"}, false},
        {"CreateLayer Main Other", {"Invalid Number of Parameters"}, false},
        {"LayerSetAscent Nope 3", {"Undefined Layer", "Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetAscent Main (1 2)", {"Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetAscent Main 1.5", {"Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetDrawMode Main 2", {"Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetColorMult Main (1 1 1)", {"Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetOffset Main (1 2 3)", {"Invalid Paramater Type"}, false},
        {"CreateLayer Main; LayerSetCharWidths Main ('a' 'b') (1)", {"List Size Mismatch"}, false},
        // A type error wins over a size mismatch.
        {"CreateLayer Main; LayerSetCharWidths Main ('ab') (1 2)",
         {"Invalid Paramater Type"},
         false},
        {"CreateLayer Main; LayerSetKerningPairs Main ('A') (1)",
         {"Invalid Paramater Type"},
         false},
        {"CreateLayer Main; LayerSetImageMap Main ('A') ((0 0 1 1))",
         {"Layer image not set"},
         false},
        {"CreateLayer Main; LayerSetImage Main 'missing.png'", {"Failed to Load Image"}, false},
        {"CreateLayer Main; LayerSetImage Main 'strip.png';\n"
         "LayerSetImageMap Main ('A') ((1 0 6 3))",
         {"Image rectangle out of bounds"},
         false},
        {"CreateLayer Main; LayerSetImage Main 'strip.png';\n"
         "LayerSetImageMap Main ('A') ((0 0 2 4))",
         {"Image rectangle out of bounds"},
         false},
        {"CreateLayer Main; LayerSetImage Main 'strip.png';\n"
         "LayerSetImageMap Main ('A') ((3 0 -1 3))",
         {"Image rectangle out of bounds"},
         false},
        {"SetCharMap ('a') (b)", {"Unable to Dereference \"b\"", "Invalid Paramater Type"}, false},
        {"Define (a) 1", {"Invalid Paramater Type"}, false},
        {"CreateLayer (Main", {"Unterminated List"}, false},
        // A second layer of the same name is reported, but loading goes on.
        {"CreateLayer Main; CreateLayer main; LayerSetAscent MAIN 4",
         {"Layer Already Exists"},
         true},
    };
    for (const Case& c : cases) {
        auto font = Load(c.mDescriptor);
        EXPECT_EQ(font->IsLoaded(), c.mLoaded) << c.mDescriptor;
        const std::vector<std::string>& messages = font->GetFontData().mMessages;
        ASSERT_EQ(messages.size(), c.mErrors.size()) << c.mDescriptor;
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].rfind(header + c.mErrors[i] + " on Line ", 0), 0u) << messages[i];
        }
        if (!c.mLoaded) {
            EXPECT_EQ(font->StringWidth("AB"), 0);
        }
    }
}

TEST_F(ImageFontTest, ErrorMessagesGoToTheApplication) {
    RavixAppBase app(std::make_unique<HeadlessPlatform>());
    auto font =
        Load("CreateLayer Main;\n\n  # a comment\nLayerSetDrawMode Main 2;\nCreateLayer X", &app);
    EXPECT_FALSE(font->IsLoaded());
    const auto boxes = static_cast<HeadlessPlatform&>(app.GetPlatform()).MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].mText, "Font Descriptor Error in " + DescriptorPath() +
                                  "\r\nInvalid Paramater Type on Line 4:\r\n\r\n"
                                  "LayerSetDrawMode Main 2");
}

TEST_F(ImageFontTest, ALayerNamedTwiceKeepsTheFirst) {
    auto font = Load("CreateLayer Main; CreateLayer main; LayerSetAscent MAIN 4");
    ASSERT_TRUE(font->IsLoaded());
    const FontData& data = font->GetFontData();
    ASSERT_EQ(data.mLayers.size(), 2u);
    EXPECT_EQ(data.mLayers.front().mAscent, 4);
    EXPECT_EQ(data.mLayers.back().mAscent, 0);
    EXPECT_EQ(font->GetActiveLayers().size(), 2u);
}

TEST_F(ImageFontTest, WidthsFollowKerningSpacingAndPointSize) {
    auto font = Load(kBaseFont);
    ASSERT_TRUE(font->IsLoaded());
    EXPECT_EQ(font->CharWidth('A'), 3);
    EXPECT_EQ(font->CharAdvance('B', 'A'), 3);
    EXPECT_EQ(font->CharAdvance('A', 'B'), 5);
    EXPECT_EQ(font->StringWidth("ABA"), 3 + 3 + 5);
    EXPECT_EQ(font->StringWidth("Z"), 0); // no glyph

    font->SetPointSize(20); // twice the layer's size
    EXPECT_EQ(font->StringWidth("ABA"), 6 + 6 + 10);
    EXPECT_EQ(font->GetAscent(), 6);
    font->SetPointSize(10);
    font->SetScale(0.5);
    EXPECT_EQ(font->CharWidth('A'), 1); // trunc(1.5)
    EXPECT_EQ(font->CharAdvance('A', 'B'), 2);

    auto spaced = Load(kBaseFont + "LayerSetSpacing Main 2;\n");
    EXPECT_EQ(spaced->StringWidth("ABA"), 3 + (4 + 1) + (3 + 4));
}

TEST_F(ImageFontTest, DrawsGlyphsAtTheBaselineWithKerningAndOffsets) {
    auto font = Load(kBaseFont + "LayerSetCharOffsets Main ('C') ((1 -1));\n");
    EXPECT_EQ(Draw(*font, "ABC", 1, 5), (std::vector<std::string>{
                                            "............",
                                            "........w...",
                                            ".rrggg..w...",
                                            ".rrggg..w...",
                                            ".rrggg......",
                                            "............",
                                            "............",
                                            "............",
                                        }));
    // 'A' at 1, 'B' at 1 + 3 - 1 = 3, 'C' at 3 + 4 = 7 (no B-C kerning), moved by its offset.

    auto image = MakeDestination(12, 8, K, true);
    Graphics g(image.get());
    std::vector<Rect> rects;
    int width = -1;
    font->DrawStringFull(g, 1, 5, "ABC", kOpaqueWhite, g.GetClipRect(), &rects, &width);
    EXPECT_EQ(width, 3 - 1 + 4 + 2);
    EXPECT_EQ(rects, (std::vector<Rect>{{1, 2, 2, 3}, {3, 2, 3, 3}, {8, 1, 1, 3}}));
}

TEST_F(ImageFontTest, ColourMultAndAddTintTheGlyphs) {
    auto mult = Load(kBaseFont + "LayerSetColorMult Main (1 0 0 1);\n");
    EXPECT_EQ(Requests(*mult, "C", 0, 3, Color(200, 200, 200, 255)),
              std::vector<std::string>{"BlitImage 0,0 src (5,0 1x3) #FFC80000"});

    // Channels above 255 are held there; alpha takes part like the colours.
    auto add = Load(kBaseFont + "LayerSetColorAdd Main (0.4 0 0 0.2);\n");
    EXPECT_EQ(Requests(*add, "C", 0, 3, Color(200, 200, 200, 100)),
              std::vector<std::string>{"BlitImage 0,0 src (5,0 1x3) #97FFC8C8"});
    EXPECT_EQ(Requests(*add, "C", 0, 3, Color(100, 100, 100, 255)),
              std::vector<std::string>{"BlitImage 0,0 src (5,0 1x3) #FFCA6464"});

    // The layer's draw mode applies to its glyphs only.
    auto additive = Load(kBaseFont + "LayerSetDrawMode Main 1;\n");
    test::RecordingImage image(10, 10);
    Graphics g(&image);
    g.SetColor(Color(1, 2, 3, 255));
    additive->DrawString(g, 0, 3, "C", kOpaqueWhite, g.GetClipRect());
    g.FillRect(0, 0, 1, 1);
    EXPECT_EQ(image.mCalls, (std::vector<std::string>{"BlitImage 0,0 src (5,0 1x3) #FFFFFFFF add",
                                                      "FillRect (0,0 1x1) #FF010203"}));
    // The context's colour and colourise flag are restored.
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3, 255));
    EXPECT_FALSE(g.GetTintImages());
    EXPECT_EQ(g.GetDrawMode(), DrawMode::Normal);
}

TEST_F(ImageFontTest, OrdersDecideWhichGlyphsAreDrawnFirst) {
    // A second layer, one pixel right and below and tinted red, drawn under or over the first.
    const std::string twoLayers = kBaseFont + "CreateLayerFrom Shade Main;\n"
                                              "LayerSetOffset Shade (1 1);\n"
                                              "LayerSetColorMult Shade (1 0 0 1);\n";
    EXPECT_EQ(Requests(*Load(twoLayers + "LayerSetBaseOrder Shade -1;\n"), "AC", 0, 3),
              (std::vector<std::string>{"BlitImage 1,1 src (0,0 2x3) #FFFF0000",
                                        "BlitImage 4,1 src (5,0 1x3) #FFFF0000",
                                        "BlitImage 0,0 src (0,0 2x3) #FFFFFFFF",
                                        "BlitImage 3,0 src (5,0 1x3) #FFFFFFFF"}));
    EXPECT_EQ(Requests(*Load(twoLayers), "AC", 0, 3),
              (std::vector<std::string>{"BlitImage 0,0 src (0,0 2x3) #FFFFFFFF",
                                        "BlitImage 1,1 src (0,0 2x3) #FFFF0000",
                                        "BlitImage 3,0 src (5,0 1x3) #FFFFFFFF",
                                        "BlitImage 4,1 src (5,0 1x3) #FFFF0000"}));

    // Within a layer: 'B' overlaps 'A' after a kerning of -2, unless 'A' is ordered after it.
    const std::string overlap = kBaseFont + "LayerSetKerningPairs Main ('AB') (-2);\n";
    EXPECT_EQ(Draw(*Load(overlap), "AB", 0, 3, 6, 3)[0], "rggg..");
    EXPECT_EQ(Draw(*Load(overlap + "LayerSetCharOrders Main ('A') (1);\n"), "AB", 0, 3, 6, 3)[0],
              "rrgg..");
    // Orders beyond the bucket range share the last bucket, in string order.
    EXPECT_EQ(Draw(*Load(overlap + "LayerSetCharOrders Main ('A' 'B') (500 400);\n"), "AB", 0, 3, 6,
                   3)[0],
              "rggg..");
}

TEST_F(ImageFontTest, PointRangesAndTagsChooseTheLayers) {
    auto font = Load(kBaseFont + "CreateLayerFrom Ranged Main;\n"
                                 "LayerPointRange Ranged 10 20;\n"
                                 "CreateLayerFrom Open Main;\n"
                                 "LayerPointRange Open 15 -1;\n"
                                 "CreateLayerFrom Bold Main;\n"
                                 "LayerRequireTags Bold ('bold');\n"
                                 "Define Bold bold;\n"
                                 "CreateLayerFrom Plain Main;\n"
                                 "LayerExcludeTags Plain (Bold);\n");
    auto active = [&font] {
        font->EnsurePrepared();
        std::string names;
        for (const ActiveFontLayer& layer : font->GetActiveLayers()) {
            for (const auto& [name, base] : font->GetFontData().mLayerMap) {
                names += base == layer.mBaseLayer ? name + " " : "";
            }
        }
        return names;
    };
    EXPECT_EQ(active(), "MAIN RANGED PLAIN ");
    font->SetPointSize(20);
    EXPECT_EQ(active(), "MAIN RANGED OPEN PLAIN ");
    font->SetPointSize(21);
    EXPECT_EQ(active(), "MAIN OPEN PLAIN ");
    font->SetPointSize(40);
    EXPECT_EQ(active(), "MAIN OPEN PLAIN ");

    font->SetPointSize(10);
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_EQ(active(), "MAIN RANGED BOLD ");
    EXPECT_FALSE(font->HasTag("bold"));
    EXPECT_TRUE(font->HasTag("BOLD"));
    // Adding a tag that is there fails in any case, so one removal takes it away.
    EXPECT_FALSE(font->AddTag("BOLD"));
    EXPECT_FALSE(font->AddTag("Bold"));
    EXPECT_TRUE(font->RemoveTag("bOLD"));
    EXPECT_FALSE(font->HasTag("BOLD"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    EXPECT_EQ(active(), "MAIN RANGED PLAIN ");
}

TEST_F(ImageFontTest, OtherSizesDrawFromPreScaledPaletteImages) {
    auto font = Load(kBaseFont);
    const ActiveFontLayer& unscaled = font->GetActiveLayers().at(0);
    EXPECT_FALSE(unscaled.mOwnsImage);
    EXPECT_EQ(unscaled.mImage, font->GetFontData().mLayers.front().mImage);

    font->SetPointSize(20);
    font->EnsurePrepared();
    const ActiveFontLayer& scaled = font->GetActiveLayers().at(0);
    ASSERT_TRUE(scaled.mOwnsImage);
    EXPECT_TRUE(scaled.mImage->HasPaletteForm());
    EXPECT_EQ(scaled.mImage->mWidth, 12);
    EXPECT_EQ(scaled.mImage->mHeight, 6);
    EXPECT_EQ(scaled.mScaledRects['A'], Rect(0, 0, 4, 6));
    EXPECT_EQ(scaled.mScaledRects['B'], Rect(4, 0, 6, 6));
    EXPECT_EQ(scaled.mScaledRects['C'], Rect(10, 0, 2, 6));
    const std::vector<std::string> rows = Draw(*font, "AB", 0, 6, 14, 6);
    EXPECT_EQ(rows[2], "rrrrgggggg....");

    // A duplicate shares the glyph data and owns a copy of the scaled image.
    auto copy = font->Duplicate();
    auto* duplicate = dynamic_cast<ImageFont*>(copy.get());
    ASSERT_NE(duplicate, nullptr);
    EXPECT_EQ(&duplicate->GetFontData(), &font->GetFontData());
    ASSERT_EQ(duplicate->GetActiveLayers().size(), 1u);
    EXPECT_NE(duplicate->GetActiveLayers()[0].mImage, scaled.mImage);
    EXPECT_EQ(PixelsOf(*duplicate->GetActiveLayers()[0].mImage), PixelsOf(*scaled.mImage));
    EXPECT_EQ(duplicate->GetPointSize(), 20);
    EXPECT_EQ(Draw(*duplicate, "AB", 0, 6, 14, 6), rows);
    font.reset();
    EXPECT_EQ(Draw(*duplicate, "AB", 0, 6, 14, 6), rows);
}

TEST_F(ImageFontTest, ForceWhiteKeepsOnlyTheGlyphAlpha) {
    auto font = Load(kBaseFont);
    font->SetForceWhite(true);
    font->SetScale(2);
    EXPECT_EQ(Draw(*font, "AB", 0, 6, 14, 6)[2], "wwwwwwwwww....");
}

TEST_F(ImageFontTest, GlyphsBeyondThePoolAreDropped) {
    auto font = Load(kBaseFont + "LayerSetCharWidths Main ('C') (0);\n");
    auto image = MakeDestination(2, 3, K, true);
    Graphics g(image.get());
    std::vector<Rect> rects;
    int width = 0;
    // Every 'C' lands on column 0; only the first 4096 are queued, and none of them fails.
    font->DrawStringFull(g, 0, 3, std::string(5000, 'C'), kOpaqueWhite, g.GetClipRect(), &rects,
                         &width);
    EXPECT_EQ(rects.size(), 5000u);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(PixelAt(*image, 0, 0), W);
}

TEST_F(ImageFontTest, WidthsFileFontUsesTheOtherCaseForMissingLetters) {
    const std::string widths = mFolder / "widths.txt";
    paktest::WriteFile(widths, "5 3\nA 2\nB\t3\n\nC 1\n");
    ImageFont font(MakeStrip(), widths);
    ASSERT_TRUE(font.IsLoaded());
    const GlyphLayer& layer = font.GetFontData().mLayers.front();
    EXPECT_EQ(layer.mCharData['B'].mImageRect, Rect(2, 0, 3, 3));
    EXPECT_EQ(layer.mCharData['C'].mImageRect, Rect(5, 0, 1, 3));
    EXPECT_EQ(font.GetAscent(), 3);
    EXPECT_EQ(font.GetHeight(), 3);
    EXPECT_EQ(font.StringWidth("a b"), 2 + 5 + 3);
    EXPECT_EQ(Draw(font, "ab c", 0, 3, 12, 3), Draw(font, "AB C", 0, 3, 12, 3));
    EXPECT_EQ(Draw(font, "ab c", 0, 3, 12, 3)[0], "rrggg.....w.");

    ImageFont missing(MakeStrip(), mFolder / "none.txt");
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.StringWidth("AB"), 0);
    EXPECT_EQ(Draw(missing, "AB", 0, 3, 4, 3)[0], "....");
}

TEST_F(ImageFontTest, PreparingAndDrawingOnTwoThreads) {
    // Two fonts share the layer image. The loading thread prepares one at other sizes (reading
    // the shared image) and draws with it, while this thread draws with the other: both go
    // through the one glyph pool.
    auto drawn = Load(kBaseFont);
    auto prepared = Load(kBaseFont);
    const std::vector<std::string> expected = Draw(*drawn, "ABCABCAB", 0, 3, 24, 3);
    const std::vector<std::string> expectedThere = Draw(*prepared, "CBACBACB", 0, 3, 24, 3);
    std::vector<std::vector<std::string>> results;
    std::vector<std::vector<std::string>> resultsThere;
    std::thread loader([&] {
        for (int i = 0; i < 300; ++i) {
            prepared->SetPointSize(11 + i % 7);
            prepared->EnsurePrepared();
            prepared->SetPointSize(10);
            resultsThere.push_back(Draw(*prepared, "CBACBACB", 0, 3, 24, 3));
        }
    });
    for (int i = 0; i < 300; ++i) {
        results.push_back(Draw(*drawn, "ABCABCAB", 0, 3, 24, 3));
    }
    loader.join();
    for (const auto& result : results) {
        EXPECT_EQ(result, expected);
    }
    for (const auto& result : resultsThere) {
        EXPECT_EQ(result, expectedThere);
    }
}
