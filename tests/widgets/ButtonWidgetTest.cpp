// Buttons and hyperlinks: clicks and drags through the widget manager, the held and hover
// reports, the fading over look, and what they draw.

#include "widgets/ButtonWidget.h"
#include "ControlTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/TestFont.h"
#include "widgets/HyperlinkWidget.h"

#include <gtest/gtest.h>

namespace ravix::test {
namespace {

struct Point2 {
    int mX;
    int mY;
};

struct ClickCase {
    const char* mName;
    std::vector<Point2> mDragPath; // pointer positions while the button is held
    bool mAppHasFocus;
    Log mExpected;
};

TEST(ButtonWidget, ReleaseIsAClickOnlyOverTheButtonWhileTheApplicationHasTheFocus) {
    const ClickCase cases[] = {
        {"released where pressed",
         {},
         true,
         {"hover 1", "move 1 5,5", "down 1 c1", "down 1", "click 1"}},
        {"dragged off",
         {{50, 50}},
         true,
         {"hover 1", "move 1 5,5", "down 1 c1", "down 1", "unhover 1"}},
        {"dragged off and back",
         {{50, 50}, {7, 3}},
         true,
         {"hover 1", "move 1 5,5", "down 1 c1", "down 1", "unhover 1", "hover 1", "click 1"}},
        {"application inactive", {}, false, {"hover 1", "move 1 5,5", "down 1 c1", "down 1"}},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.mName);
        RecordingListener listener;
        ScreenManager manager;
        ButtonWidget button(1, &listener);
        button.Resize(10, 10, 20, 10);
        manager.InsertChild(&button);
        if (!c.mAppHasFocus) {
            manager.OnFocusLost();
        }
        manager.MouseMove(15, 15);
        manager.Press(15, 15);
        Point2 at{15, 15};
        for (Point2 p : c.mDragPath) {
            at = {10 + p.mX, 10 + p.mY};
            manager.MouseMove(at.mX, at.mY);
        }
        manager.Release(at.mX, at.mY);
        EXPECT_EQ(listener.Take(), c.mExpected);
    }
}

TEST(ButtonWidget, HeldIsReportedEveryUpdateWhileDownAndOver) {
    RecordingListener listener;
    ScreenManager manager;
    ButtonWidget button(4, &listener);
    button.Resize(0, 0, 10, 10);
    manager.InsertChild(&button);
    manager.MouseMove(5, 5);
    manager.Press(5, 5);
    listener.Take();
    manager.RunUpdate();
    manager.RunUpdate();
    EXPECT_EQ(listener.Take(), (Log{"held 4", "held 4"}));
    manager.MouseMove(50, 50); // dragged off: no longer held over it
    listener.Take();
    manager.RunUpdate();
    EXPECT_EQ(listener.Take(), Log{});
    manager.MouseMove(5, 5);
    listener.Take();
    manager.RunUpdate();
    EXPECT_EQ(listener.Take(), Log{"held 4"});
}

struct FadeCase {
    double mInStep;
    double mOutStep;
    int mUpdatesToFull; // after the pointer entered; 0: the fade stays 0 (the over look is shown
                        // at once through the hover state)
    int mUpdatesToNone; // after the pointer left; 0: gone at once
};

// Counts the updates until the fade reaches target; -1 after 100 updates.
int UpdatesUntil(WidgetManager& manager, const ButtonWidget& button, double target) {
    for (int n = 0; n < 100; ++n) {
        if (button.mHoverFade == target) {
            return n;
        }
        manager.RunUpdate();
    }
    return -1;
}

TEST(ButtonWidget, OverLookFadesInAndOutByItsSteps) {
    const FadeCase cases[] = {
        {0.1, 0.1, 10, 10},
        {0.0, 0.1, 0, 10},
        {0.25, 0.0, 4, 0},
        {0.0, 0.0, 0, 0},
    };
    for (const FadeCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "in " << c.mInStep << " out " << c.mOutStep);
        ScreenManager manager;
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 10, 10);
        button.mHoverFadeInStep = c.mInStep;
        button.mHoverFadeOutStep = c.mOutStep;
        manager.InsertChild(&button);

        manager.MouseMove(5, 5);
        EXPECT_EQ(UpdatesUntil(manager, button, c.mUpdatesToFull == 0 ? 0.0 : 1.0),
                  c.mUpdatesToFull);
        manager.MouseMove(50, 50);
        if (c.mUpdatesToNone > 0) {
            EXPECT_EQ(button.mHoverFade, 1.0);
        }
        EXPECT_EQ(UpdatesUntil(manager, button, 0.0), c.mUpdatesToNone);
        // Every step marks the button dirty; the last one leaves it alone.
        button.mDirty = false;
        manager.RunUpdate();
        EXPECT_FALSE(button.mDirty);
    }
}

constexpr uint32_t kBackground = 0xFFD4D4D4;

const Legend kFrameLegend = {
    {0x00000000, '.'}, {kBackground, 'b'}, {0xFFFFFFFF, 'L'}, {0xFF000000, 'D'}};

struct FrameCase {
    const char* mName;
    bool mPressed;
    bool mHovered;
    bool mInverted;
    bool mNoFrame;
    std::vector<std::string> mPicture;
};

TEST(ButtonWidget, FramedButtonIsRaisedOrSunken) {
    const FrameCase cases[] = {
        {"raised", false, false, false, false, {"LLLLLb", "LbbbDb", "LbbbDb", "LDDDDb", "bbbbbb"}},
        {"sunken while down and over",
         true,
         true,
         false,
         false,
         {"bbbbbb", "bDDDbb", "bDbbbb", "bbbbbb", "bbbbbb"}},
        {"raised while down but off it",
         true,
         false,
         false,
         false,
         {"LLLLLb", "LbbbDb", "LbbbDb", "LDDDDb", "bbbbbb"}},
        {"inverted: sunken at rest",
         false,
         false,
         true,
         false,
         {"bbbbbb", "bDDDbb", "bDbbbb", "bbbbbb", "bbbbbb"}},
        {"no frame", false, false, false, true, {"......", "......", "......", "......", "......"}},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.mName);
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 6, 5);
        button.mPressed = c.mPressed;
        button.mHovered = c.mHovered;
        button.mInverted = c.mInverted;
        button.mNoFrame = c.mNoFrame;
        MemoryImage screen;
        screen.Create(6, 5);
        Graphics g(&screen);
        button.Draw(g);
        EXPECT_EQ(Picture(screen, kFrameLegend), c.mPicture);
    }
}

struct LabelCase {
    int mAlign;
    bool mHovered;
    bool mPressed;
    bool mImages;
    const char* mExpected; // what the test font logs
};

TEST(ButtonWidget, LabelIsPlacedByAlignmentAndColouredByHover) {
    // "AV" is 18 pixels wide in the test font (ascent 8): y = (8 + 20 - 8 / 6 - 1) / 2 = 13.
    const LabelCase cases[] = {
        {ButtonWidget::kAlignCenter, false, false, false, "AV@11,13#FF0000FF"},
        {ButtonWidget::kAlignRight, false, false, false, "AV@22,13#FF0000FF"},
        {7, false, false, false, "AV@0,13#FF0000FF"},
        {ButtonWidget::kAlignCenter, true, false, false, "AV@11,13#00FF00FF"},
        {ButtonWidget::kAlignCenter, true, true, false, "AV@12,14#00FF00FF"},
        {ButtonWidget::kAlignCenter, true, true, true, "AV@12,14#00FF00FF"},
    };
    auto face = MakeRow({0xFF123456});
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.mExpected);
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 40, 20);
        button.mLabel = "AV";
        button.mLabelAlign = c.mAlign;
        button.mHovered = c.mHovered;
        button.mPressed = c.mPressed;
        button.mFaceImage = c.mImages ? face.get() : nullptr;
        TestFont font;
        button.SetFont(&font);
        button.SetColor(ButtonWidget::kColorLabel, Color(255, 0, 0));
        button.SetColor(ButtonWidget::kColorLabelHover, Color(0, 255, 0));
        MemoryImage screen;
        screen.Create(40, 20);
        Graphics g(&screen);
        button.Draw(g);
        auto* copy = static_cast<TestFont*>(button.GetFont());
        ASSERT_NE(copy, &font);
        EXPECT_EQ(copy->mDrawn, std::vector<std::string>{c.mExpected});
    }
}

constexpr uint32_t kNormal = 0xFF0000FF;
constexpr uint32_t kOver = 0xFF00FF00;
constexpr uint32_t kDown = 0xFFFF0000;
constexpr uint32_t kInactive = 0xFF808080;

const Legend kLookLegend = {
    {0xFF000000, '.'}, {kNormal, 'N'}, {kOver, 'O'}, {kDown, 'D'}, {kInactive, 'X'}};

struct LookCase {
    const char* mName;
    bool mHovered;
    bool mPressed;
    bool mDisabled;
    bool mInverted;
    double mFade;
    bool mHasDownLook;
    bool mHasOverLook;
    bool mHasInactiveLook;
    std::vector<std::string> mPicture; // the 1 x 1 look lands at (0, 0), or (1, 1) pressed
};

TEST(ButtonWidget, ImageButtonShowsTheLookOfItsState) {
    const LookCase cases[] = {
        {"at rest", false, false, false, false, 0, true, true, true, {"N.", ".."}},
        {"over", true, false, false, false, 0, true, true, true, {"O.", ".."}},
        {"down and over", true, true, false, false, 0, true, true, true, {"D.", ".."}},
        {"down off it", false, true, false, false, 0, true, true, true, {"O.", ".."}},
        {"down without down look", true, true, false, false, 0, false, true, true, {"..", ".O"}},
        {"down with only a normal look",
         true,
         true,
         false,
         false,
         0,
         false,
         false,
         true,
         {"..", ".N"}},
        {"disabled", true, false, true, false, 0, true, true, true, {"X.", ".."}},
        {"disabled without its look",
         false,
         false,
         true,
         false,
         0,
         true,
         true,
         false,
         {"N.", ".."}},
        {"inverted at rest", false, false, false, true, 0, true, true, true, {"D.", ".."}},
        {"fade at full after leaving",
         false,
         false,
         false,
         false,
         1,
         true,
         true,
         true,
         {"O.", ".."}},
    };
    auto strip = MakeRow({kNormal, kOver, kDown, kInactive});
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.mName);
        ButtonWidget button(1, nullptr);
        button.Resize(0, 0, 2, 2);
        button.mFaceImage = strip.get();
        button.mFaceCell = Rect(0, 0, 1, 1);
        button.mHoverCell = c.mHasOverLook ? Rect(1, 0, 1, 1) : Rect();
        button.mPressedCell = c.mHasDownLook ? Rect(2, 0, 1, 1) : Rect();
        button.mInactiveCell = c.mHasInactiveLook ? Rect(3, 0, 1, 1) : Rect();
        button.mHovered = c.mHovered;
        button.mPressed = c.mPressed;
        button.mDisabled = c.mDisabled;
        button.mInverted = c.mInverted;
        button.mHoverFade = c.mFade;
        auto screen = MakeScreen(2, 2);
        Graphics g(screen.get());
        button.Draw(g);
        EXPECT_EQ(Picture(*screen, kLookLegend), c.mPicture);
    }

    // Whole images instead of cells.
    auto normal = MakeRow({kNormal});
    auto over = MakeRow({kOver});
    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 2, 2);
    button.mFaceImage = normal.get();
    button.mHoverImage = over.get();
    button.mHovered = true;
    auto screen = MakeScreen(2, 2);
    Graphics g(screen.get());
    button.Draw(g);
    EXPECT_EQ(Picture(*screen, kLookLegend), (std::vector<std::string>{"O.", ".."}));
}

TEST(HyperlinkWidget, DrawsCentredUnderlinedTextInItsHoverColour) {
    HyperlinkWidget link(2, nullptr);
    link.Resize(0, 0, 30, 20);
    link.mLabel = "ii"; // 8 pixels wide: x = 11; y = (8 + 20) / 2 - 1 = 13
    link.mColor = Color(255, 0, 0);
    link.mHoverColor = Color(0, 255, 0);
    link.mUnderlineThickness = 2;
    link.mUnderlineGap = 3;
    TestFont font;
    link.SetFont(&font);
    EXPECT_TRUE(link.mShowHandCursor);

    for (bool hovered : {false, true}) {
        link.mHovered = hovered;
        MemoryImage screen;
        screen.Create(30, 20);
        Graphics g(&screen);
        link.Draw(g);
        uint32_t color = hovered ? 0xFF00FF00 : 0xFFFF0000;
        const Legend legend = {{0, '.'}, {color, '#'}};
        std::vector<std::string> picture = Picture(screen, legend);
        // Two underline rows, 8 pixels wide, from the baseline + 3.
        EXPECT_EQ(picture[16], std::string(11, '.') + std::string(8, '#') + std::string(11, '.'));
        EXPECT_EQ(picture[17], picture[16]);
        EXPECT_EQ(picture[18], std::string(30, '.'));
        EXPECT_EQ(static_cast<TestFont*>(link.GetFont())->mDrawn.back(),
                  hovered ? "ii@11,13#00FF00FF" : "ii@11,13#FF0000FF");
    }
}

} // namespace
} // namespace ravix::test
