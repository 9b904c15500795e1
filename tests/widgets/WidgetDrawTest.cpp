// The draw pass into an in-memory screen, overlays and the widget drawing helpers.

#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include "RecordingWidget.h"
#include "graphics/ImageTestSupport.h"
#include "graphics/TestFont.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ravix {
namespace {

using test::Log;
using test::RecordingWidget;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;

// The screen as one string per row: '.' transparent, R, G, B, W (white), '?' anything else.
std::vector<std::string> Picture(MemoryImage& image) {
    std::vector<std::string> rows;
    const uint32_t* bits = image.GetPixels();
    for (int y = 0; y < image.mHeight; ++y) {
        std::string row;
        for (int x = 0; x < image.mWidth; ++x) {
            switch (bits[y * image.mWidth + x]) {
            case 0:
                row += '.';
                break;
            case kRed:
                row += 'R';
                break;
            case kGreen:
                row += 'G';
                break;
            case kBlue:
                row += 'B';
                break;
            case 0xFFFFFFFF:
                row += 'W';
                break;
            default:
                row += '?';
                break;
            }
        }
        rows.push_back(row);
    }
    return rows;
}

class WidgetDrawTest : public ::testing::Test {
protected:
    void SetUpScreen(int width, int height) {
        mScreen.Create(width, height);
        mManager.Resize(Rect(0, 0, width, height), Rect(0, 0, width, height));
        mManager.mScreenImage = &mScreen;
    }
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;
    MemoryImage mScreen;
    WidgetManager mManager;
};

TEST_F(WidgetDrawTest, OnlyDirtyVisibleTopLevelWidgetsAreDrawn) {
    SetUpScreen(9, 1);
    RecordingWidget a("A", mLog, {0, 0, 3, 1}), b("B", mLog, {3, 0, 3, 1}),
        c("C", mLog, {6, 0, 3, 1});
    a.mFill = Color::FromPacked(kRed);
    b.mFill = Color::FromPacked(kGreen);
    c.mFill = Color::FromPacked(kBlue);
    for (RecordingWidget* w : {&a, &b, &c}) {
        mManager.InsertChild(w);
    }
    EXPECT_TRUE(mManager.RunUpdate());
    EXPECT_TRUE(mManager.DrawDirty());
    EXPECT_EQ(Picture(mScreen), std::vector<std::string>{"RRRGGGBBB"});
    EXPECT_FALSE(mManager.RunUpdate());
    EXPECT_FALSE(mManager.DrawDirty());
    Take();

    b.mFill = kOpaqueWhite;
    b.Invalidate();
    c.SetVisible(false); // dirty, but hidden: not drawn
    c.mFill = kOpaqueWhite;
    EXPECT_TRUE(mManager.DrawDirty());
    EXPECT_EQ(Picture(mScreen), std::vector<std::string>{"RRRWWWBBB"});
    EXPECT_EQ(Take(), Log{"B:Draw"});
}

TEST_F(WidgetDrawTest, NestedTreeIsTranslatedAndClippedToEachParent) {
    SetUpScreen(12, 10);
    RecordingWidget parent("P", mLog, {1, 1, 8, 6});
    RecordingWidget child("c", mLog, {4, 3, 6, 5}); // sticks out of the parent
    RecordingWidget grandchild("g", mLog, {1, 1, 2, 2});
    RecordingWidget hidden("h", mLog, {0, 0, 2, 2});
    RecordingWidget unclipped("u", mLog, {-1, 4, 2, 1});
    parent.mFill = Color::FromPacked(kRed);
    child.mFill = Color::FromPacked(kGreen);
    grandchild.mFill = Color::FromPacked(kBlue);
    hidden.SetVisible(false);
    unclipped.mClipToBounds = false; // free of its own bounds, still inside its parent's
    mManager.InsertChild(&parent);
    parent.InsertChild(&child);
    parent.InsertChild(&hidden);
    parent.InsertChild(&unclipped);
    child.InsertChild(&grandchild);
    unclipped.mOnDraw = [](Graphics& g) { g.FillRect(0, 0, 4, 1); };

    EXPECT_TRUE(mManager.DrawDirty());
    EXPECT_EQ(Picture(mScreen), (std::vector<std::string>{
                                    "............",
                                    ".RRRRRRRR...",
                                    ".RRRRRRRR...",
                                    ".RRRRRRRR...",
                                    ".RRRRGGGG...",
                                    ".WWWRGBBG...",
                                    ".RRRRGBBG...",
                                    "............",
                                    "............",
                                    "............",
                                }));
    EXPECT_EQ(Take(), (Log{"P:Draw", "c:Draw", "g:Draw", "u:Draw"}));
    EXPECT_FALSE(child.mDirty);
    EXPECT_FALSE(grandchild.mDirty);
}

TEST_F(WidgetDrawTest, EqualStackOrdersDrawInInsertionOrderLowerOrdersBeneath) {
    SetUpScreen(4, 1);
    RecordingWidget first("1", mLog, {0, 0, 3, 1}), second("2", mLog, {1, 0, 3, 1}),
        low("L", mLog, {0, 0, 4, 1}, -1);
    first.mFill = Color::FromPacked(kRed);
    second.mFill = Color::FromPacked(kGreen);
    low.mFill = Color::FromPacked(kBlue);
    mManager.InsertChild(&first);
    mManager.InsertChild(&second);
    mManager.InsertChild(&low);
    mManager.DrawDirty();
    EXPECT_EQ(Take(), (Log{"L:Draw", "1:Draw", "2:Draw"}));
    EXPECT_EQ(Picture(mScreen), std::vector<std::string>{"RGGG"});
}

TEST_F(WidgetDrawTest, OverlaysAreDrawnBeforeTheFirstWidgetWithAHigherDrawPriority) {
    SetUpScreen(4, 4);
    RecordingWidget a("A", mLog, {0, 0, 1, 1}), b("B", mLog, {1, 0, 1, 1}),
        c("C", mLog, {2, 0, 1, 1});
    b.mDrawPriority = 3;
    c.mDrawPriority = 10;
    a.mOnDraw = [&](Graphics&) { mManager.QueueOverlay(&a, 5); };
    b.mOnDraw = [&](Graphics&) { mManager.QueueOverlay(&b, 20); };
    for (RecordingWidget* w : {&a, &b, &c}) {
        mManager.InsertChild(w);
    }
    mManager.DrawDirty();
    EXPECT_EQ(Take(), (Log{"A:Draw", "B:Draw", "A:DrawOnTop 5", "C:Draw", "B:DrawOnTop 20"}));
    EXPECT_TRUE(mManager.mOverlays.empty());
    EXPECT_EQ(mManager.mScreenGraphics, nullptr);
}

TEST_F(WidgetDrawTest, DigitsAreCutFromTheStrip) {
    // Digit d is two pixels of value 0xFF0000d0 + d.
    std::vector<uint32_t> stripPixels;
    for (uint32_t d = 0; d < 10; ++d) {
        stripPixels.insert(stripPixels.end(), 2, 0xFF0000D0 + d);
    }
    auto strip = testing::MakeImage(20, 1, stripPixels);
    struct Case {
        int n;
        std::vector<uint32_t> expected;
    };
    // A blit multiplies each channel by the white colour: c * 255 >> 8.
    auto shown = [](uint32_t d) { return 0xFF000000 | ((0xD0 + d) * 255 >> 8); };
    const uint32_t d0 = shown(0), d3 = shown(3), d5 = shown(5);
    const Case cases[] = {
        {305, {0, d3, d3, 0, d0, d0, 0, d5, d5, 0}},
        {0, {0, d0, d0, 0, 0, 0, 0, 0, 0, 0}},
    };
    RecordingWidget w("w", mLog);
    for (const Case& c : cases) {
        MemoryImage screen;
        screen.Create(10, 1);
        Graphics g(&screen);
        w.DrawDigitsFromStrip(g, c.n, 1, 0, strip.get(), 1);
        EXPECT_EQ(testing::PixelsOf(screen), c.expected) << c.n;
    }
}

TEST_F(WidgetDrawTest, CenteredTextReturnsTheRectangleItCovers) {
    test::TestFont font;
    SetUpScreen(100, 40);
    Graphics g(&mScreen);
    g.SetFont(&font);
    RecordingWidget w("w", mLog, {0, 0, 100, 20});
    EXPECT_EQ(w.DrawCenteredText(g, 30, "AB"), Rect(40, 22, 20, 12));
    EXPECT_EQ(w.DrawCenteredText(g, 30, "AB", kOpaqueWhite, kOpaqueBlack, 2), Rect(40, 22, 22, 14));
    // The shadow is the same call through a context moved by the offset.
    EXPECT_EQ(font.mDrawn, (std::vector<std::string>{"AB@40,30#000000FF", "AB@40,30#000000FF",
                                                     "AB@40,30#FFFFFFFF"}));
    EXPECT_EQ(g.GetColor(), kOpaqueWhite);
}

TEST_F(WidgetDrawTest, ColourCodesAreOnWhileAWidgetWritesText) {
    test::TestFont font;
    SetUpScreen(100, 20);
    Graphics g(&mScreen);
    g.SetFont(&font);
    g.SetInlineColorCodes(false);
    RecordingWidget w("w", mLog);
    EXPECT_EQ(w.DrawCodedLine(g, "a^FF0000^b", 0, 10, 100, Graphics::kJustifyLeft, true, 0, -1),
              20);
    EXPECT_FALSE(g.GetInlineColorCodes());
    EXPECT_EQ(font.mDrawn, (std::vector<std::string>{"a@0,10#000000FF", "b@10,10#FF0000FF"}));
}

} // namespace
} // namespace ravix
