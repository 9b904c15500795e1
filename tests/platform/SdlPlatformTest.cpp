// The SDL back-end under SDL's dummy video driver: events pushed into SDL reach the widgets as
// the widget manager's calls, with positions mapped from the full-screen window to the logical
// screen, virtual-key codes, typed characters and wheel notches; and the queueing rules hold for
// what SDL delivers.

#include "platform/sdl/SdlPlatform.h"
#include "app/AppTestSupport.h"
#include "widgets/RecordingWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

using namespace ravix;

namespace {

class SdlApp : public RavixAppBase {
public:
    explicit SdlApp(std::unique_ptr<Platform> platform) : RavixAppBase(std::move(platform)) {
        mProductName = "SdlPlatformTest";
        mScreenWidth = 800;
        mScreenHeight = 600;
    }

protected:
    bool KeepWorkingFolder(const std::string&) override { return true; }
};

class SdlInput : public ::testing::Test {
protected:
    void SetUp() override {
        mHome.Set("SDL_VIDEODRIVER", "dummy");
        mHome.Set("XDG_RUNTIME_DIR", mHome.Path());
        std::string error;
        std::unique_ptr<SdlPlatform> platform = SdlPlatform::Open(0, nullptr, error);
        ASSERT_NE(platform, nullptr) << error;
        mSdl = platform.get();
        mApp = std::make_unique<SdlApp>(std::move(platform));
        // Full screen: the dummy desktop is 1024 x 768, so the logical screen is scaled by 1.28.
        mApp->mWantWindowed = false;
        mApp->Initialize();
        mSdl->StartTimer(0); // only the timer messages a test pushes
        mApp->mWidgets->InsertChild(&mPad);
        mApp->mWidgets->FocusWidget(&mPad);
        Deliver(); // what SDL reported about the new window
        mLog.clear();
    }
    void TearDown() override {
        if (mApp != nullptr) {
            mApp->mWidgets->DetachChild(&mPad);
        }
        mApp.reset();
    }

    Uint32 WindowId() const { return SDL_GetWindowID(mSdl->MainWindow()); }

    // Hands what SDL has to the window procedure, then works off the deferred queue.
    void Deliver() {
        PollIntoQueue();
        while (mApp->ProcessDeferredMessage()) {
        }
    }
    void PollIntoQueue() {
        PlatformMessage message;
        while (mSdl->PollMessage(message)) {
            mApp->WindowProc(message);
        }
    }

    void PushMotion(int x, int y) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = WindowId();
        event.motion.x = x;
        event.motion.y = y;
        SDL_PushEvent(&event);
    }
    void PushButton(Uint32 type, Uint8 button, Uint8 clicks, int x, int y) {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = WindowId();
        event.button.button = button;
        event.button.clicks = clicks;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
    }
    void PushKey(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE,
                 SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN) {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = WindowId();
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    void PushText(const char* text) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = WindowId();
        std::snprintf(event.text.text, sizeof event.text.text, "%s", text);
        SDL_PushEvent(&event);
    }
    void PushWheel(int notches) {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.windowID = WindowId();
        event.wheel.y = notches;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
        SDL_PushEvent(&event);
    }
    void PushWindowEvent(SDL_WindowEventID what) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = WindowId();
        event.window.event = what;
        SDL_PushEvent(&event);
    }

    ravix::testing::TempHome mHome;
    test::Log mLog;
    test::RecordingWidget mPad{"Pad", mLog, Rect(0, 0, 800, 600)};
    SdlPlatform* mSdl = nullptr;
    std::unique_ptr<SdlApp> mApp;
};

std::string CharLine(int c) {
    return "Pad:Char " + std::to_string(static_cast<char>(c));
}

} // namespace

TEST_F(SdlInput, MouseReachesTheWidgetInLogicalCoordinates) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mSdl->MainWindow(), &width, &height);
    ASSERT_EQ(width, 1024);
    ASSERT_EQ(height, 768);
    EXPECT_EQ(mSdl->GetPresentationRect(), Rect(0, 0, 1024, 768));

    PushMotion(512, 384);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 512, 384);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 512, 384);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 512, 384); // the second click of a pair
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2, 512, 384);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 3, 128, 96); // a third click: single
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 3, 1023, 767);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, 0, 0);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 2, 0, 0);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 0, 0); // no message for extra buttons
    PushWheel(-2);
    PushWheel(1);
    Deliver();
    // A button message at a new position moves the mouse first (a drag while a button is
    // held); a release has no double-click form.
    EXPECT_EQ(mLog,
              (test::Log{"Pad:Enter", "Pad:Move 400,300", "Pad:Down 400,300 b0 c1",
                         "Pad:Up 400,300 b0 c1", "Pad:Down 400,300 b0 c2", "Pad:Up 400,300 b0 c1",
                         "Pad:Move 100,75", "Pad:Down 100,75 b1 c1", "Pad:Drag 799,599",
                         "Pad:Up 799,599 b1 c1", "Pad:Move 0,0", "Pad:Down 0,0 b2 c1",
                         "Pad:Up 0,0 b2 c1", "Pad:Wheel -2", "Pad:Wheel 1"}));
}

TEST_F(SdlInput, KeysArriveAsVirtualKeyCodesAndCharacters) {
    PushKey(SDL_KEYDOWN, SDLK_a);
    PushText("a");
    PushKey(SDL_KEYUP, SDLK_a);
    PushKey(SDL_KEYDOWN, SDLK_RETURN);
    PushKey(SDL_KEYDOWN, SDLK_TAB);
    PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    PushKey(SDL_KEYDOWN, SDLK_PAUSE);
    PushKey(SDL_KEYDOWN, SDLK_F1);
    PushKey(SDL_KEYDOWN, SDLK_F12);
    PushKey(SDL_KEYDOWN, SDLK_LSHIFT, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDLK_7);
    PushKey(SDL_KEYDOWN, SDLK_LCTRL, KMOD_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL); // Ctrl+C types its control character
    PushKey(SDL_KEYDOWN, SDLK_RALT, KMOD_RALT);
    PushKey(SDL_KEYDOWN, SDLK_r, KMOD_RALT); // with Alt held nothing is typed
    PushText("\xC3\xA9\xE2\x82\xAC!");       // e-acute, a euro sign (not a byte) and "!"
    // A letter key of a layout without Latin letters keeps the code of its position.
    PushKey(SDL_KEYDOWN, 0x3B1, KMOD_NONE, SDL_SCANCODE_Q);
    Deliver();
    EXPECT_EQ(mLog,
              (test::Log{"Pad:KeyDown 65", CharLine('a'),    "Pad:KeyUp 65",    "Pad:KeyDown 13",
                         CharLine('\r'),   "Pad:KeyDown 9",  CharLine('\t'),    "Pad:KeyDown 27",
                         CharLine(27),     "Pad:KeyDown 19", "Pad:KeyDown 112", "Pad:KeyDown 123",
                         "Pad:KeyDown 16", "Pad:KeyDown 55", "Pad:KeyDown 17",  "Pad:KeyDown 67",
                         CharLine(3),      "Pad:KeyDown 18", "Pad:KeyDown 82",  CharLine(0xE9),
                         CharLine('!'),    "Pad:KeyDown 81"}));
}

TEST_F(SdlInput, ABurstOfTimerEventsLeavesOneQueued) {
    for (int i = 0; i < 5; ++i) {
        SDL_Event event{};
        event.type = mSdl->TimerEventType();
        SDL_PushEvent(&event);
    }
    PollIntoQueue();
    EXPECT_EQ(mApp->DeferredQueueSize(), 1u);
}

TEST_F(SdlInput, NothingIsQueuedAfterAClose) {
    PushKey(SDL_KEYDOWN, SDLK_a);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    PushKey(SDL_KEYDOWN, SDLK_b);
    PushMotion(10, 10);
    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    PollIntoQueue();
    EXPECT_EQ(mApp->DeferredQueueSize(), 2u);
    while (mApp->ProcessDeferredMessage()) {
    }
    EXPECT_EQ(mLog, test::Log{"Pad:KeyDown 65"});
    EXPECT_TRUE(mApp->IsClosing());
    EXPECT_TRUE(mApp->mShuttingDown);
}

TEST_F(SdlInput, LosingTheFocusSilencesUntilItReturns) {
    const int depth = mApp->SilenceDepth();
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Deliver();
    const int active = mApp->SilenceDepth();
    EXPECT_LE(active, depth);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Deliver();
    EXPECT_EQ(mApp->SilenceDepth(), active + 1);
    EXPECT_FALSE(mApp->mWidgets->mAppHasFocus);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Deliver();
    EXPECT_EQ(mApp->SilenceDepth(), active);
    EXPECT_TRUE(mApp->mWidgets->mAppHasFocus);
}
