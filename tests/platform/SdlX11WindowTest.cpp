// The SDL back-end's main window on a real X server (Xvfb, started here; the tests skip without
// it): no window manager runs, so nobody has made the _MOTIF_WM_HINTS atom, and the window must
// still not be marked transient for the root window; the icon set through the platform reaches
// the window's _NET_WM_ICON property.

#include "app/AppTestSupport.h"
#include "platform/sdl/SdlPlatform.h"

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Last: Xlib's macros (None, Bool, Status) would clash with the names of the headers above.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace ravix;

namespace {

// An Xvfb server on a display number it picks itself; not running when Xvfb cannot start.
class XvfbServer {
public:
    XvfbServer() {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return;
        }
        mPid = fork();
        if (mPid == 0) {
            close(pipeFds[0]);
            const std::string fd = std::to_string(pipeFds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        mDisplay = ReadDisplayNumber(pipeFds[0]);
        close(pipeFds[0]);
    }
    ~XvfbServer() {
        if (mPid > 0) {
            kill(mPid, SIGTERM);
            waitpid(mPid, nullptr, 0);
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Running() const { return !mDisplay.empty(); }
    const std::string& Display() const { return mDisplay; }

private:
    // Xvfb writes its display number and a line feed once it takes connections.
    static std::string ReadDisplayNumber(int fd) {
        std::string number;
        pollfd ready{fd, POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 10000) == 1 && read(fd, &c, 1) == 1 && c != '\n') {
            number += c;
        }
        return c == '\n' && !number.empty() ? ":" + number : "";
    }

    pid_t mPid = -1;
    std::string mDisplay;
};

::Window XWindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11
               ? info.info.x11.window
               : 0;
}

// The window's _NET_WM_ICON as width, height and pixels; empty when it has none.
std::vector<unsigned long> NetWmIcon(::Display* display, ::Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> icon;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0,
                           1 << 20, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        // Format 32 comes as longs; only the low 32 bits are the value.
        const auto* words = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            icon.push_back(words[i] & 0xFFFFFFFFul);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return icon;
}

class SdlX11Window : public ::testing::Test {
protected:
    void SetUp() override {
        if (!mServer.Running()) {
            GTEST_SKIP() << "Xvfb is not available";
        }
        mHome.Set("DISPLAY", mServer.Display());
        mHome.Set("SDL_VIDEODRIVER", "x11");
        mHome.Set("XDG_RUNTIME_DIR", mHome.Path());
        std::string error;
        mSdl = SdlPlatform::Open(0, nullptr, error);
        ASSERT_NE(mSdl, nullptr) << error;
        mDisplay = XOpenDisplay(mServer.Display().c_str());
        ASSERT_NE(mDisplay, nullptr);
    }
    void TearDown() override {
        mSdl.reset();
        if (mDisplay != nullptr) {
            XCloseDisplay(mDisplay);
        }
    }

    ::Window MakeWindow() {
        std::string error;
        EXPECT_TRUE(mSdl->CreateMainWindow({"Test", 320, 200, false, false}, error)) << error;
        return XWindowOf(mSdl->MainWindow());
    }

    ravix::testing::TempHome mHome;
    XvfbServer mServer;
    std::unique_ptr<SdlPlatform> mSdl;
    ::Display* mDisplay = nullptr;
};

} // namespace

TEST_F(SdlX11Window, IsNotTransientForTheRootWindow) {
    for (int made = 0; made < 2; ++made) { // the first window on the server and a later one
        const ::Window window = MakeWindow();
        ASSERT_NE(window, 0u);
        ::Window owner = 0;
        EXPECT_EQ(XGetTransientForHint(mDisplay, window, &owner), 0) << "window " << made;
    }
}

TEST_F(SdlX11Window, TheIconReachesTheWindow) {
    const ::Window window = MakeWindow();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(NetWmIcon(mDisplay, window).empty());
    // Two rows of three pixels; the platform reads them through a stride of four.
    const uint32_t pixels[] = {0xFF102030, 0x80405060, 0xFF00FF00, 0,
                               0xFFFFFFFF, 0xFF0000FF, 0x40FF0000, 0};
    mSdl->SetMainWindowIcon({pixels, 3, 2, 4});
    mSdl->ShowMainWindow(false); // SDL hands the property over by the time the window shows
    const std::vector<unsigned long> icon = NetWmIcon(mDisplay, window);
    ASSERT_EQ(icon.size(), 2u + 6u);
    EXPECT_EQ(icon[0], 3u);
    EXPECT_EQ(icon[1], 2u);
    EXPECT_EQ(icon[2], 0xFF102030u);
    EXPECT_EQ(icon[5], 0xFFFFFFFFu);
    EXPECT_EQ(icon[7], 0x40FF0000u);
}
