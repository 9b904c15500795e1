#pragma once

#include "base/Rect.h"
#include "platform/PixelView.h"
#include "platform/PlatformMessage.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace ravix {

// Message box flags and results, numbered as the window system numbers them so that callers
// can combine and compare them as plain ints.
enum MessageBoxFlags {
    kMessageBoxOk = 0x0,
    kMessageBoxOkCancel = 0x1,
    kMessageBoxYesNoCancel = 0x3,
    kMessageBoxYesNo = 0x4,
    kMessageBoxIconError = 0x10,
    kMessageBoxIconQuestion = 0x20,
    kMessageBoxIconWarning = 0x30,
    kMessageBoxIconInformation = 0x40,
};
enum MessageBoxResult {
    kMessageBoxResultOk = 1,
    kMessageBoxResultCancel = 2,
    kMessageBoxResultYes = 6,
    kMessageBoxResultNo = 7,
};

// The system cursor shapes the application asks for.
enum class SystemCursor {
    Arrow,
    PointingHand, // built-in cursor 1
    GrabbingHand, // built-in cursor 2
    IBeam,
    NoEntry,
    SizeAll,
    SizeNorthEastSouthWest,
    SizeNorthSouth,
    SizeNorthWestSouthEast,
    SizeWestEast,
    Wait,
    Hidden,
};

// The system's screen-saver settings, as far as the idle pause needs them.
struct ScreenSaverSettings {
    bool mEnabled = false;
    int mTimeoutSeconds = 0;
};

// How the main window is made. A full-screen window covers the whole desktop (the desktop's
// display mode is never changed); the presented image is scaled and letterboxed in it.
struct MainWindowSpec {
    std::string mCaption;
    int mClientWidth = 0;
    int mClientHeight = 0;
    bool mFullScreen = false;
    bool mAllowMaximize = false;
};

// The desktop the main window lives on.
struct DesktopInfo {
    Rect mBounds;         // the whole desktop
    Rect mWorkArea;       // the part of it not taken by panels and docks
    int mRefreshRate = 0; // Hz; 0 when the system does not say
};

// The decoration a window manager puts around a window's client area, in pixels.
struct WindowFrame {
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;
};

// The seam between the framework and the operating system. The real back-end talks to the
// window system; the headless one stands in for it in tests with a virtual clock and scripted
// input. Everything above this interface reaches time, input and the desktop only through it.
class Platform {
public:
    virtual ~Platform() = default;

    // Milliseconds from an arbitrary start; never goes backwards. Any thread.
    virtual int64_t TickCount() = 0;
    // Suspends the calling thread for ms milliseconds. Any thread.
    virtual void Sleep(int ms) = 0;

    // The next waiting window-system message, if any. Main thread.
    virtual bool PollMessage(PlatformMessage& message) = 0;

    // The main window: made hidden (replacing any earlier one, whose pending events are
    // dropped), then placed and shown. Positions are those of the client area's top-left corner
    // on the desktop, as Move messages report them. Main thread.
    virtual bool CreateMainWindow(const MainWindowSpec& spec, std::string& error) = 0;
    virtual void DestroyMainWindow() = 0;
    // The picture the title bar and the task switcher show for the main window; the platform
    // keeps a copy, until the window is made again. Main thread.
    virtual void SetMainWindowIcon(const PixelView& icon) = 0;
    virtual DesktopInfo GetDesktopInfo() = 0;
    // Zero until the window manager has told (possibly only once the window is shown).
    virtual WindowFrame GetMainWindowFrame() = 0;
    virtual void MoveMainWindow(int x, int y) = 0;
    virtual void ShowMainWindow(bool activate) = 0;
    virtual void HideMainWindow() = 0;
    // Restores the window when it is minimised and brings it to the front.
    virtual void RaiseMainWindow() = 0;
    virtual void MinimizeMainWindow() = 0;
    // The main window has the keyboard focus (it is the active window).
    virtual bool IsMainWindowActive() = 0;
    virtual bool IsMainWindowMinimized() = 0;
    // Timer messages to the main window every periodMs milliseconds; 0 stops them.
    virtual void StartTimer(int periodMs) = 0;
    // Keeps mouse messages coming to the main window while the pointer is outside it.
    virtual void CaptureMouse(bool capture) = 0;
    // Whether the system may blank the screen or start its screen saver while the program runs.
    virtual void AllowScreenSaver(bool allow) = 0;

    // Makes the main window show screen images of width x height, scaled and letterboxed when
    // its client area has another size; with vsync, a present waits for the display's refresh.
    // Main thread.
    virtual bool OpenPresentation(int width, int height, bool vsync, std::string& error) = 0;
    virtual void ClosePresentation() = 0;
    // Shows the finished screen image in the window; false when the display is lost.
    virtual bool PresentScreen(const PixelView& screen) = 0;
    // Where presented images appear in the main window, in the coordinates of mouse messages.
    virtual Rect GetPresentationRect() = 0;

    // A modal message box; returns a MessageBoxResult.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, int flags) = 0;

    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::string GetClipboardText() = 0;
    // Opens a web page in the user's browser; false when that could not be started.
    virtual bool OpenUrl(const std::string& url) = 0;

    // Takes the lock that marks the running copy of the product; false when another copy
    // holds it. The lock is released when the platform object goes away.
    virtual bool AcquireInstanceLock(const std::string& productName) = 0;
    // Sends the copy holding the lock a Notify message with the given code.
    virtual void NotifyRunningInstance(const std::string& productName, int code) = 0;

    virtual void SetCursor(SystemCursor cursor) = 0;
    // The pointer position in the main window's client coordinates. Any thread.
    virtual bool GetCursorPosition(int& x, int& y) = 0;
    // The pointer is over the main window's client area and no other window covers it there.
    virtual bool IsCursorOverMainWindow() = 0;

    // Milliseconds since the user last touched the mouse or keyboard, anywhere.
    virtual int64_t UserIdleTime() = 0;
    virtual ScreenSaverSettings GetScreenSaverSettings() = 0;
    virtual bool IsScreenSaverRunning() = 0;

    // The program's arguments as the process received them, the program name first.
    virtual std::vector<std::string> CommandLineArguments() = 0;
    // Developer output: statistics and diagnostics. A program run by a player prints them only
    // when asked to (SetDiagnosticsShown).
    virtual void DebugOutput(const std::string& text) = 0;
    void SetDiagnosticsShown(bool shown) { mDiagnosticsShown = shown; }
    [[nodiscard]] bool DiagnosticsShown() const { return mDiagnosticsShown; }
    // Ends the process with the exit code; does not return.
    [[noreturn]] virtual void EndProcess(int code) = 0;

    // The program's own worker threads (loading, cursor) keep step with its clock: added before
    // they do anything, removed as the last thing they do. Only a virtual clock cares.
    virtual void AddClockThread(std::thread::id /*thread*/) {}
    virtual void RemoveClockThread(std::thread::id /*thread*/) {}

private:
    std::atomic<bool> mDiagnosticsShown = false;
};

} // namespace ravix
