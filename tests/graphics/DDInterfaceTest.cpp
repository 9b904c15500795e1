// The display layer over the headless platform: result codes, the refresh rate, the screen
// image, the software cursor drawn into presented frames only, and the set of display images.

#include "graphics/DDInterface.h"
#include "platform/headless/HeadlessPlatform.h"

#include <gtest/gtest.h>

using namespace ravix;

namespace {

uint32_t PixelAt(const MemoryImage& image, int x, int y) {
    return image.mBits[static_cast<size_t>(y) * image.GetWidth() + x];
}

uint32_t PixelAt(const PresentedFrame& image, int x, int y) {
    return image.mBits[static_cast<size_t>(y) * image.GetWidth() + x];
}

struct Display {
    Display() {
        std::string error;
        platform.CreateMainWindow({"test", 200, 100, false, false}, error);
    }
    HeadlessPlatform platform;
    DDInterface display{nullptr, platform};
};

} // namespace

TEST(DDInterface, ResultNamesAndRefreshRates) {
    EXPECT_STREQ(DDInterface::ResultName(DDInterface::RESULT_OK), "RESULT_OK");
    EXPECT_STREQ(DDInterface::ResultName(DDInterface::RESULT_SURFACE_FAIL), "RESULT_SURFACE_FAIL");
    EXPECT_STREQ(DDInterface::ResultName(DDInterface::RESULT_INVALID_COLORDEPTH),
                 "RESULT_INVALID_COLORDEPTH");
    EXPECT_STREQ(DDInterface::ResultName(DDInterface::RESULT_3D_FAIL), "RESULT_UNKNOWN");
    EXPECT_STREQ(DDInterface::ResultName(-1), "RESULT_UNKNOWN");
    for (auto [reported, used] : {std::pair{0, 60}, {30, 60}, {60, 60}, {75, 75}, {120, 100}}) {
        EXPECT_EQ(DDInterface::ClampRefreshRate(reported), used) << reported;
    }
}

TEST(DDInterface, InitMakesAnOpaqueScreenAndDescribesTheDisplay) {
    Display d;
    d.platform.SetDesktop({Rect(0, 0, 1280, 1024), Rect(0, 0, 1280, 1000), 120});
    ASSERT_EQ(d.display.Init(200, 100, false, true), DDInterface::RESULT_OK);
    EXPECT_EQ(d.display.GetRefreshRate(), 100);
    EXPECT_EQ(d.display.GetMillisecondsPerFrame(), 10);
    EXPECT_EQ(d.display.mRGBBits, 32);
    EXPECT_EQ(d.display.mRedMask, 0xFF0000);
    EXPECT_EQ(d.display.mBlueShift, 0);
    HeadlessPlatform::WindowState window = d.platform.Window();
    EXPECT_TRUE(window.mPresentationOpen);
    EXPECT_TRUE(window.mVsync);
    EXPECT_EQ(window.mPresentWidth, 200);

    DDImage* screen = d.display.GetScreenImage();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetWidth(), 200);
    EXPECT_EQ(screen->GetHeight(), 100);
    EXPECT_EQ(PixelAt(*screen, 199, 99), 0xFF000000u);
    EXPECT_EQ(d.platform.DebugLines(),
              (std::vector<std::string>{"Application requests  200 x  100 [ 2: 1]",
                                        "Desktop is           1280 x 1024 [ 5: 4]",
                                        "Display is           1280 x 1024 [ 5: 4]",
                                        "Window is             200 x  100 [ 2: 1]",
                                        "Draw buffer is        200 x  100 [ 2: 1]"}));
    EXPECT_TRUE(d.display.Redraw());
    d.platform.SetPresentFails(true);
    EXPECT_FALSE(d.display.Redraw());

    d.display.Cleanup();
    EXPECT_EQ(d.display.GetScreenImage(), nullptr);
    EXPECT_FALSE(d.platform.Window().mPresentationOpen);
    EXPECT_FALSE(d.display.Redraw());
}

TEST(DDInterface, ThreeDModeFallsThroughAsAFailure) {
    Display d;
    d.display.Set3D(true);
    EXPECT_EQ(d.display.Init(200, 100, false, false), DDInterface::RESULT_3D_FAIL);
    EXPECT_EQ(d.display.mErrorText.rfind("3D init error: ", 0), 0u);
    EXPECT_FALSE(d.display.Is3D());
    d.display.Set3D(false);
    EXPECT_EQ(d.display.Init(200, 100, false, false), DDInterface::RESULT_OK);
}

TEST(DDInterface, PresentationFailureIsASurfaceFailure) {
    HeadlessPlatform platform; // no window to present in
    DDInterface display(nullptr, platform);
    EXPECT_EQ(display.Init(200, 100, true, false), DDInterface::RESULT_SURFACE_FAIL);
    EXPECT_EQ(display.mErrorText, "CreateTexture FullScreen: no main window");
    EXPECT_EQ(display.GetScreenImage(), nullptr);
}

// The cursor is drawn over the presented frame, clipped at the screen's edge and to 64 x 64,
// and the screen image keeps what the widgets drew.
TEST(DDInterface, SoftwareCursorIsDrawnIntoPresentedFramesOnly) {
    Display d;
    ASSERT_EQ(d.display.Init(200, 100, false, false), DDInterface::RESULT_OK);
    DDImage* screen = d.display.GetScreenImage();
    screen->FillRect(Rect(0, 0, 200, 100), Color(10, 20, 30), DrawMode::Normal);
    MemoryImage cursor;
    cursor.Create(80, 80);
    cursor.FillRect(Rect(0, 0, 80, 80), Color(255, 255, 255), DrawMode::Normal);
    cursor.ClearRect(Rect(0, 0, 4, 4)); // a transparent corner

    EXPECT_TRUE(d.display.SetCursorImage(&cursor));
    EXPECT_FALSE(d.display.SetCursorImage(&cursor));
    d.display.SetCursorPos(150, 50);
    ASSERT_TRUE(d.display.Redraw());
    const PresentedFrame& frame = *d.platform.PresentedFrames().back();
    EXPECT_EQ(PixelAt(frame, 150, 50), 0xFF0A141Eu); // under the transparent corner
    EXPECT_EQ(PixelAt(frame, 154, 54), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(frame, 199, 99), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(frame, 149, 60), 0xFF0A141Eu);
    for (int y : {50, 99}) {
        for (int x : {150, 199}) {
            EXPECT_EQ(PixelAt(*screen, x, y), 0xFF0A141Eu) << x << "," << y;
        }
    }

    d.display.SetCursorPos(-10, 0);
    ASSERT_TRUE(d.display.Redraw());
    const PresentedFrame& moved = *d.platform.PresentedFrames().back();
    EXPECT_EQ(PixelAt(moved, 53, 10), 0xFFFFFFFFu); // 64 pixels of the cursor: up to x = 53
    EXPECT_EQ(PixelAt(moved, 54, 10), 0xFF0A141Eu);
    EXPECT_EQ(PixelAt(moved, 150, 50), 0xFF0A141Eu); // the old place is clean again

    EXPECT_TRUE(d.display.SetCursorImage(nullptr));
    ASSERT_TRUE(d.display.Redraw());
    EXPECT_EQ(PixelAt(*d.platform.PresentedFrames().back(), 10, 10), 0xFF0A141Eu);
}

TEST(DDInterface, KeepsTheSetOfItsImagesAndLetsThemOutliveIt) {
    HeadlessPlatform platform;
    auto display = std::make_unique<DDInterface>(nullptr, platform);
    auto image = std::make_unique<DDImage>(display.get(), nullptr);
    {
        DDImage other(display.get(), nullptr);
        EXPECT_EQ(display->ImageCount(), 2u);
    }
    EXPECT_EQ(display->ImageCount(), 1u);
    {
        DDImageLock outer(image.get());
        DDImageLock inner(image.get());
        EXPECT_EQ(image->mLockCount, 2);
    }
    EXPECT_FALSE(image->IsLocked());
    display.reset();
    EXPECT_EQ(image->mDDInterface, nullptr);
}
