// The application's window on the desktop: an 800 x 600 screen with one widget that marks
// every click and key it receives and prints it. Alt+Enter switches between a window and full
// screen; closing the window ends the program with status 0.

#include "app/RavixAppBase.h"
#include "graphics/Graphics.h"
#include "platform/DesktopPlatform.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using ravix::Color;
using ravix::Graphics;

// Fills the screen with a grid of tiles; the last click shows as a square in the colour of its
// button, the last key as a bar whose length is the key code.
class InputPad : public ravix::Widget {
public:
    void Draw(Graphics& g) override {
        for (int y = 0; y < mHeight; y += kTile) {
            for (int x = 0; x < mWidth; x += kTile) {
                bool light = (x / kTile + y / kTile) % 2 == 0;
                g.SetColor(light ? Color(40, 70, 110) : Color(30, 50, 80));
                g.FillRect(x, y, kTile, kTile);
            }
        }
        g.SetColor(Color(230, 230, 230));
        g.DrawRect(10, 10, mWidth - 20, mHeight - 20);
        if (mClicks > 0) {
            g.SetColor(mButton == kButtonLeft ? Color(240, 200, 40) : Color(220, 60, 60));
            g.FillRect(mClickX - 15, mClickY - 15, 30, 30);
        }
        g.SetColor(Color(120, 220, 120));
        g.FillRect(20, mHeight - 40, mLastKey * 3, 15);
    }
    void MouseDown(int x, int y, int button, int clicks) override {
        std::printf("down %d,%d button %d clicks %d\n", x, y, button, clicks);
        std::fflush(stdout);
        mClickX = x;
        mClickY = y;
        mButton = button;
        ++mClicks;
        Invalidate();
    }
    void MouseUp(int x, int y, int button, int clicks) override {
        std::printf("up %d,%d button %d clicks %d\n", x, y, button, clicks);
        std::fflush(stdout);
    }
    void KeyDown(int key) override {
        std::printf("key %d\n", key);
        std::fflush(stdout);
        mLastKey = key;
        Invalidate();
    }

private:
    static constexpr int kTile = 50;
    int mClickX = 0;
    int mClickY = 0;
    int mButton = 0;
    int mClicks = 0;
    int mLastKey = 0;
};

} // namespace

int main(int argc, char** argv) {
    std::string error;
    std::unique_ptr<ravix::Platform> platform = ravix::OpenDesktopPlatform(argc, argv, error);
    if (platform == nullptr) {
        std::fprintf(stderr, "window_input: %s\n", error.c_str());
        return 1;
    }
    auto app = std::make_unique<ravix::RavixAppBase>(std::move(platform));
    app->mProductName = "WindowInputExample";
    app->mWindowCaption = "Window and input";
    app->mScreenWidth = 800;
    app->mScreenHeight = 600;
    ravix::gApplication = app.get();
    app->Initialize();
    InputPad pad;
    pad.Resize(0, 0, app->mScreenWidth, app->mScreenHeight);
    app->mWidgets->InsertChild(&pad);
    app->mWidgets->FocusWidget(&pad);
    app->Run();
    std::printf("screen mode at exit: %s\n", app->mWantWindowed ? "windowed" : "full screen");
    app->mWidgets->DetachChild(&pad);
    app.reset();
    return 0;
}
