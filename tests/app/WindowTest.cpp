// The window layer over the headless platform: where the main window goes, screen modes and
// Alt+Enter, the mouse mapping of a scaled screen, mouse capture, activity and silencing,
// leaving the window, cursors, developer keys and a lost display.

#include "AppTestSupport.h"

#include "files/ImageLib.h"
#include "graphics/DDInterface.h"
#include "widgets/RecordingWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ravix;
using ravix::testing::HeadlessApp;
using ravix::testing::Message;
using ravix::testing::TempHome;

namespace {

// An 800 x 600 application with a widget over the whole screen that has the keyboard focus.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        mApp.mScreenWidth = 800;
        mApp.mScreenHeight = 600;
        mApp.mWidgets->InsertChild(&mPad);
        mApp.mWidgets->FocusWidget(&mPad);
    }
    ~WindowTest() override { mApp.mWidgets->DetachChild(&mPad); }

    HeadlessPlatform& Headless() { return mApp.Headless(); }

    // Queues the messages as the window procedure does and works them all off.
    void Send(std::initializer_list<PlatformMessage> messages) {
        for (const PlatformMessage& message : messages) {
            mApp.WindowProc(message);
        }
        while (mApp.ProcessDeferredMessage()) {
        }
    }

    TempHome mHome;
    test::Log mLog;
    test::RecordingWidget mPad{"Pad", mLog, Rect(0, 0, 800, 600)};
    HeadlessApp mApp;
};

} // namespace

TEST_F(WindowTest, WindowIsCentredOrKeptInsideTheWorkArea) {
    struct Case {
        int mWindowX;
        int mWindowY;
        WindowFrame mFrame;
        int mExpectedX;
        int mExpectedY;
    };
    // Work area 1920 x 1010 below a 30 pixel panel.
    const Case cases[] = {
        {-1, -1, {}, 560, 30 + 156},            // centred, 0.382 of the free height above
        {-1, -1, {2, 20, 2, 2}, 560, 30 + 168}, // the frame counts: 804 x 622 outside
        {100, 50, {}, 100, 50},
        {-500, -500, {}, 4, 34},
        {5000, 5000, {}, 1920 - 4 - 800, 30 + 1010 - 4 - 600},
        {5000, 5000, {2, 20, 2, 2}, 1920 - 4 - 804 + 2, 30 + 1010 - 4 - 622 + 20},
    };
    for (const Case& c : cases) {
        HeadlessApp app;
        app.mScreenWidth = 800;
        app.mScreenHeight = 600;
        app.WriteSettingInteger("PreferredX", c.mWindowX); // as an earlier run left them
        app.WriteSettingInteger("PreferredY", c.mWindowY);
        app.Headless().SetDesktop({Rect(0, 0, 1920, 1040), Rect(0, 30, 1920, 1010), 60});
        app.Headless().SetWindowFrame(c.mFrame);
        app.Initialize();
        HeadlessPlatform::WindowState window = app.Headless().Window();
        EXPECT_FALSE(window.mSpec.mFullScreen);
        EXPECT_EQ(window.mX, c.mExpectedX) << c.mWindowX << "," << c.mFrame.mTop;
        EXPECT_EQ(window.mY, c.mExpectedY) << c.mWindowY << "," << c.mFrame.mTop;
    }
}

TEST_F(WindowTest, AltEnterSwitchesModeAndTheMouseFollowsTheScaledScreen) {
    Headless().SetDesktop({Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1040), 60});
    mApp.Initialize();
    ASSERT_TRUE(mApp.mWindowedNow);
    mLog.clear();
    Send({Message(MessageKind::LeftDown, 0, 400, 300), Message(MessageKind::LeftUp, 0, 400, 300)});

    Send({Message(MessageKind::SysKeyDown, kKeyAlt), Message(MessageKind::SysKeyDown, kKeyEnter)});
    HeadlessPlatform::WindowState window = Headless().Window();
    EXPECT_TRUE(window.mSpec.mFullScreen);
    EXPECT_EQ(window.mCreateCount, 2);
    EXPECT_TRUE(window.mShown);
    EXPECT_FALSE(mApp.mWantWindowed);
    EXPECT_FALSE(mApp.mWidgets->IsKeyDown(kKeyAlt)); // the key state starts afresh
    // 1920 x 1080 shows the screen scaled by 1.8 between bars of 240 pixels.
    Send({Message(MessageKind::LeftDown, 0, 960, 540), Message(MessageKind::LeftUp, 0, 1679, 0),
          Message(MessageKind::MouseMove, 0, 0, 1079)});
    EXPECT_EQ(mApp.mWidgets->GetRect(), Rect(0, 0, 800, 600));

    Send({Message(MessageKind::SysKeyDown, kKeyEnter)});
    EXPECT_FALSE(Headless().Window().mSpec.mFullScreen);
    Send({Message(MessageKind::LeftDown, 0, 400, 300)});
    EXPECT_EQ(mLog, (test::Log{"Pad:Enter", "Pad:Move 400,300", "Pad:Down 400,300 b0 c1",
                               "Pad:Up 400,300 b0 c1", "Pad:KeyDown 18", "Pad:Down 400,300 b0 c1",
                               "Pad:Drag 799,0", "Pad:Up 799,0 b0 c1", "Pad:Leave", "Pad:Enter",
                               "Pad:Move 400,300", "Pad:Down 400,300 b0 c1"}));
}

TEST_F(WindowTest, ForcedFullScreenKeepsAltEnterFromSwitching) {
    Headless().SetDesktop({Rect(0, 0, 800, 600), Rect(0, 0, 800, 600), 60});
    mApp.Initialize();
    EXPECT_TRUE(mApp.mFullScreenForced);
    EXPECT_TRUE(Headless().Window().mSpec.mFullScreen);
    Send({Message(MessageKind::SysKeyDown, kKeyEnter)});
    EXPECT_EQ(Headless().Window().mCreateCount, 1);
    mApp.mFullScreenForced = false;
    mApp.mFullScreenFailed = true;
    Send({Message(MessageKind::SysKeyDown, kKeyEnter)});
    EXPECT_EQ(Headless().Window().mCreateCount, 1);
}

TEST_F(WindowTest, CaptureLastsWhileAnyButtonIsHeld) {
    mApp.Initialize();
    Send({Message(MessageKind::LeftDown, 0, 10, 10), Message(MessageKind::RightDown, 0, 10, 10),
          Message(MessageKind::LeftUp, 0, 10, 10)});
    EXPECT_TRUE(Headless().Window().mMouseCaptured);
    Send({Message(MessageKind::RightUp, 0, 10, 10)});
    EXPECT_FALSE(Headless().Window().mMouseCaptured);
    Send({Message(MessageKind::MiddleDown, 0, 10, 10)});
    EXPECT_TRUE(Headless().Window().mMouseCaptured);
    Send({Message(MessageKind::MiddleUp, 0, 10, 10)});
    EXPECT_FALSE(Headless().Window().mMouseCaptured);
}

TEST_F(WindowTest, LosingTheFocusReleasesButtonsKeysAndSound) {
    mApp.Initialize();
    const int depth = mApp.SilenceDepth();
    Send({Message(MessageKind::KeyDown, 'A'), Message(MessageKind::LeftDown, 0, 20, 30)});
    mLog.clear();
    Send({Message(MessageKind::ActivateApp, 0)});
    EXPECT_FALSE(Headless().Window().mMouseCaptured);
    EXPECT_TRUE(mApp.IsSilenced());
    EXPECT_EQ(mLog, (test::Log{"Pad:KeyUp 65", "Pad:FocusLost", "Pad:Up 20,30 b0 c1"}));
    Send({Message(MessageKind::ActivateApp, 1)});
    EXPECT_EQ(mApp.SilenceDepth(), depth);

    // Minimising silences and freezes the widgets; restoring gives both back.
    Send({Message(MessageKind::Size, kSizeMinimized)});
    EXPECT_TRUE(mApp.IsIconic());
    EXPECT_TRUE(mApp.IsSilenced());
    const int updates = static_cast<int>(std::count(mLog.begin(), mLog.end(), "Pad:Update"));
    mApp.RunFor(100);
    EXPECT_EQ(std::count(mLog.begin(), mLog.end(), "Pad:Update"), updates);
    Send({Message(MessageKind::Size, kSizeRestored, 800, 600)});
    EXPECT_FALSE(mApp.IsIconic());
    EXPECT_EQ(mApp.SilenceDepth(), depth);
    EXPECT_TRUE(mPad.mDirty);
}

TEST_F(WindowTest, TimerNoticesThePointerLeavingTheWindow) {
    Headless().SetCursorPosition(-5, 40);
    mPad.mOnUpdate = [&] {
        if (mApp.UpdateCount() == 20) {
            Headless().SetCursorOverMainWindow(false);
        }
    };
    Headless().ScriptMessage(50, Message(MessageKind::MouseMove, 0, 30, 40));
    Headless().ScriptMessage(100, Message(MessageKind::Timer));
    Headless().ScriptMessage(300, Message(MessageKind::Timer));
    Headless().ScriptMessage(400, Message(MessageKind::Close));
    mApp.Initialize();
    mApp.Run();
    mLog.erase(std::remove(mLog.begin(), mLog.end(), "Pad:Update"), mLog.end());
    mLog.erase(std::remove(mLog.begin(), mLog.end(), "Pad:Draw"), mLog.end());
    EXPECT_EQ(mLog, (test::Log{"Pad:FocusGained", "Pad:Enter", "Pad:Move 30,40", "Pad:Leave"}));
    EXPECT_FALSE(mApp.mMouseInWindow);
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::Arrow);
    mPad.mOnUpdate = nullptr;
}

TEST_F(WindowTest, SoftwareCursorsReplaceTheSystemCursor) {
    mApp.Initialize();
    MemoryImage busy;
    busy.Create(8, 8);
    mApp.SetCursorImage(12, &busy);
    mApp.SetCursorImage(1, &busy);
    Send({Message(MessageKind::MouseMove, 0, 5, 5)});
    mApp.mCursorDirty = false;

    mApp.SetCursorNumber(12); // shown even with custom cursors off
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::Hidden);
    EXPECT_EQ(mApp.GetDisplay()->GetCursorImage(), &busy);
    EXPECT_TRUE(mApp.mCursorDirty);

    mApp.SetCursorNumber(1); // custom cursors off: the system's hand
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::PointingHand);
    EXPECT_EQ(mApp.GetDisplay()->GetCursorImage(), nullptr);
    mApp.SetCustomCursors(true);
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::Hidden);
    EXPECT_EQ(mApp.GetDisplay()->GetCursorImage(), &busy);

    mApp.SetCursorNumber(11);
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::Hidden);
    EXPECT_EQ(mApp.GetDisplay()->GetCursorImage(), nullptr);
    mApp.mCursorOverride = SystemCursor::Wait;
    mApp.SetCursorNumber(3);
    EXPECT_EQ(Headless().CurrentCursor(), SystemCursor::Wait);
    mApp.SetCursorImage(12, nullptr);
    mApp.SetCursorImage(1, nullptr);
}

TEST_F(WindowTest, CtrlAltDTogglesTheDeveloperKeys) {
    mApp.Initialize();
    const int f10 = kKeyF1 + 9;
    Send({Message(MessageKind::KeyDown, f10)});
    EXPECT_EQ(mLog.back(), "Pad:KeyDown 121");
    Send({Message(MessageKind::KeyDown, kKeyControl), Message(MessageKind::KeyDown, kKeyAlt),
          Message(MessageKind::KeyDown, 'D'), Message(MessageKind::KeyUp, 'D'),
          Message(MessageKind::KeyUp, kKeyAlt), Message(MessageKind::KeyUp, kKeyControl)});
    ASSERT_TRUE(mApp.mDebugKeys);
    mLog.clear();
    Send({Message(MessageKind::KeyDown, f10), Message(MessageKind::KeyDown, kKeyF1 + 2)});
    EXPECT_EQ(mLog, test::Log{}); // used by the developer keys
    EXPECT_EQ(mApp.GetFrameRateOverlay(), RavixAppBase::FrameRateOverlay::FramesPerSecond);
    const int updates = mApp.UpdateCount();
    mApp.RunFor(100);
    EXPECT_EQ(mApp.UpdateCount(), updates + 1); // one step, then frozen
    Send({Message(MessageKind::KeyDown, kKeyControl), Message(MessageKind::KeyDown, f10)});
    EXPECT_EQ(mApp.mSpeedFactor, 0.25);
    Send({Message(MessageKind::KeyDown, 'X')});
    EXPECT_EQ(mLog.back(), "Pad:KeyDown 88");
}

TEST_F(WindowTest, ALostDisplayIsMadeAgainByALaterPresent) {
    mApp.Initialize();
    auto initialisations = [&] {
        std::vector<std::string> lines = Headless().DebugLines();
        return std::count(lines.begin(), lines.end(), "Application requests  800 x  600 [ 4: 3]");
    };
    ASSERT_EQ(initialisations(), 1);
    Headless().SetPresentFails(true);
    mApp.PresentFrame();
    EXPECT_EQ(initialisations(), 2);
    EXPECT_TRUE(Headless().Window().mPresentationOpen);
    EXPECT_EQ(mApp.mWidgets->mScreenImage, mApp.GetScreenImage());
    Headless().SetPresentFails(false);
    const int presented = Headless().PresentCount();
    mApp.PresentFrame();
    EXPECT_EQ(Headless().PresentCount(), presented + 1);
    EXPECT_EQ(initialisations(), 2);
}

TEST_F(WindowTest, ASecondCopyBringsTheFirstToTheFront) {
    mApp.Initialize();
    HeadlessApp second;
    EXPECT_THROW(second.Initialize(), HeadlessProcessExit);
    EXPECT_EQ(second.Headless().ExitCode(), 0);
    PlatformMessage message;
    ASSERT_TRUE(Headless().PollMessage(message));
    mApp.WindowProc(message);
    EXPECT_EQ(Headless().Window().mRaiseCount, 1);
}

TEST_F(WindowTest, F11SavesTheScreenAsTheNextNumberedPicture) {
    mApp.Initialize();
    mPad.mFill = Color(200, 100, 50);
    mApp.RunFor(20);
    const std::string folder = mApp.mDataFolder + "_screenshots/";
    ravix::testing::WriteTextFile(folder + "image7.png", "");
    ravix::testing::WriteTextFile(folder + "image12x.png", "");
    const int f11 = kKeyF1 + 10;
    Send({Message(MessageKind::KeyDown, f11)});
    EXPECT_FALSE(std::filesystem::exists(folder + "image8.png")); // developer keys are off
    mApp.mDebugKeys = true;
    Send({Message(MessageKind::KeyDown, f11), Message(MessageKind::KeyDown, f11)});
    EXPECT_TRUE(std::filesystem::exists(folder + "image8.png"));
    std::unique_ptr<ImageLib::Image> saved =
        ImageLib::LoadImageFile(folder + "image9.png", ImageLib::AlphaFile::Ignore);
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->GetWidth(), 800);
    EXPECT_EQ(saved->GetBits()[0], Color(200, 100, 50).ToPacked());
}
