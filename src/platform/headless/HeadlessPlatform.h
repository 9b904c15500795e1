#pragma once

#include "platform/Platform.h"

#include <climits>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ravix {

// A copy of a presented screen image: width x height pixels 0xAARRGGBB, stride = width.
struct PresentedFrame {
    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    const uint32_t* GetPixels() const { return mBits.data(); }

    int mWidth = 0;
    int mHeight = 0;
    std::vector<uint32_t> mBits;
};

// Thrown by the headless EndProcess so that a test sees the exit instead of losing its process.
struct HeadlessProcessExit : std::exception {
    explicit HeadlessProcessExit(int code) : mCode(code) {}
    const char* what() const noexcept override { return "process exit"; }
    int mCode;
};

// The platform for tests and windowless runs. Its clock is virtual: it advances only when the
// thread that created the platform sleeps or the test calls AdvanceClock; other threads that
// sleep wait until the virtual clock has moved on far enough. The clock does not move on while
// a thread added with AddClockThread is awake: such a thread's work takes no virtual time, so
// the loading and cursor threads keep step with the main loop whatever the machine's speed. Input
// comes from a script, message boxes are recorded and answered from a list, the single-instance
// lock is shared by the headless platforms of one process.
class HeadlessPlatform : public Platform {
public:
    struct RecordedMessageBox {
        std::string mText;
        std::string mCaption;
        int mFlags = 0;
    };

    HeadlessPlatform();
    ~HeadlessPlatform() override;

    int64_t TickCount() override;
    void Sleep(int ms) override;
    bool PollMessage(PlatformMessage& message) override;
    bool CreateMainWindow(const MainWindowSpec& spec, std::string& error) override;
    void DestroyMainWindow() override;
    void SetMainWindowIcon(const PixelView& icon) override;
    DesktopInfo GetDesktopInfo() override;
    WindowFrame GetMainWindowFrame() override;
    void MoveMainWindow(int x, int y) override;
    void ShowMainWindow(bool activate) override;
    void HideMainWindow() override;
    void RaiseMainWindow() override;
    void MinimizeMainWindow() override;
    bool IsMainWindowActive() override;
    bool IsMainWindowMinimized() override;
    void StartTimer(int periodMs) override;
    void CaptureMouse(bool capture) override;
    void AllowScreenSaver(bool allow) override;
    bool OpenPresentation(int width, int height, bool vsync, std::string& error) override;
    void ClosePresentation() override;
    bool PresentScreen(const PixelView& screen) override;
    Rect GetPresentationRect() override;
    int ShowMessageBox(const std::string& text, const std::string& caption, int flags) override;
    void SetClipboardText(const std::string& text) override;
    std::string GetClipboardText() override;
    bool OpenUrl(const std::string& url) override;
    bool AcquireInstanceLock(const std::string& productName) override;
    void NotifyRunningInstance(const std::string& productName, int code) override;
    void SetCursor(SystemCursor cursor) override;
    bool GetCursorPosition(int& x, int& y) override;
    bool IsCursorOverMainWindow() override;
    int64_t UserIdleTime() override;
    ScreenSaverSettings GetScreenSaverSettings() override;
    bool IsScreenSaverRunning() override;
    std::vector<std::string> CommandLineArguments() override;
    void DebugOutput(const std::string& text) override;
    [[noreturn]] void EndProcess(int code) override;
    void AddClockThread(std::thread::id thread) override;
    void RemoveClockThread(std::thread::id thread) override;

    // Test controls.
    void AdvanceClock(int64_t ms);
    // The message is delivered by the first poll at or after the given virtual time; messages
    // due at the same time come in the order they were scripted.
    void ScriptMessage(int64_t atTime, const PlatformMessage& message);
    void PostMessage(const PlatformMessage& message) { ScriptMessage(TickCount(), message); }
    size_t PendingMessageCount();
    void SetCommandLine(std::vector<std::string> arguments);
    // Answers for the next message boxes, in order; without one a box returns OK or Yes.
    void QueueMessageBoxAnswer(int answer);
    void SetCursorPosition(int x, int y);
    void SetCursorOverMainWindow(bool over);
    void SetDesktop(const DesktopInfo& desktop);
    void SetWindowFrame(const WindowFrame& frame);
    // The window system's answer to IsMainWindowActive and IsMainWindowMinimized.
    void SetWindowActive(bool active);
    void SetWindowMinimized(bool minimized);
    // The next presents fail (the display is lost) until this is called with false.
    void SetPresentFails(bool fails);
    void SetScreenSaver(ScreenSaverSettings settings, bool running);
    void SetOpenUrlResult(bool result);
    // How many of the last presented frames are kept (1 unless set).
    void SetKeptFrameCount(size_t count);

    // What the program did.
    std::vector<RecordedMessageBox> MessageBoxes();
    std::vector<std::string> OpenedUrls();
    std::vector<std::string> DebugLines();
    SystemCursor CurrentCursor();
    int PresentCount();
    // The main window as the program left it.
    struct WindowState {
        bool mExists = false;
        MainWindowSpec mSpec;
        int mCreateCount = 0;
        int mX = 0;
        int mY = 0;
        bool mShown = false;
        int mRaiseCount = 0;
        bool mMouseCaptured = false;
        int mTimerPeriod = 0;
        bool mScreenSaverAllowed = true;
        bool mPresentationOpen = false;
        bool mVsync = false;
        int mPresentWidth = 0;
        int mPresentHeight = 0;
        // The window's icon, stride = width; 0 x 0 while none is set.
        int mIconWidth = 0;
        int mIconHeight = 0;
        std::vector<uint32_t> mIconPixels;
    };
    WindowState Window();
    // Copies of the last presented frames, oldest first. Main thread.
    const std::deque<std::unique_ptr<PresentedFrame>>& PresentedFrames() const { return mFrames; }
    int ExitCode(); // -1 while EndProcess has not been called

private:
    void DeliverNotify(int code);
    void MoveClock(std::unique_lock<std::mutex>& lock, int64_t ms);

    std::mutex mMutex;
    std::condition_variable mClockMoved;
    std::condition_variable mClockThreadsChanged;
    // The threads that keep step with the clock and when they wake (kAwake: working).
    static constexpr int64_t kAwake = INT64_MIN;
    std::map<std::thread::id, int64_t> mClockThreads;
    std::thread::id mClockThread = std::this_thread::get_id();
    int64_t mNow = 0;
    bool mClosing = false;

    uint64_t mScriptOrder = 0;
    std::map<std::pair<int64_t, uint64_t>, PlatformMessage> mScript;
    int64_t mLastInputTime = 0;

    std::vector<std::string> mArguments{"headless"};
    std::deque<int> mMessageBoxAnswers;
    std::vector<RecordedMessageBox> mMessageBoxes;
    std::string mClipboard;
    std::vector<std::string> mOpenedUrls;
    bool mOpenUrlResult = true;
    SystemCursor mCursor = SystemCursor::Arrow;
    int mCursorX = 0;
    int mCursorY = 0;
    bool mCursorOverWindow = true;
    DesktopInfo mDesktop{Rect(0, 0, 1920, 1080), Rect(0, 0, 1920, 1040), 60};
    WindowFrame mFrame;
    WindowState mWindow;
    bool mWindowActive = true;
    bool mWindowMinimized = false;
    bool mPresentFails = false;
    ScreenSaverSettings mScreenSaver;
    bool mScreenSaverRunning = false;
    std::vector<std::string> mDebugLines;
    int mPresentCount = 0;
    size_t mKeptFrameCount = 1;
    std::deque<std::unique_ptr<PresentedFrame>> mFrames;
    int mExitCode = -1;
};

} // namespace ravix
