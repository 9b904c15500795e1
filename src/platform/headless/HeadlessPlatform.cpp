#include "platform/headless/HeadlessPlatform.h"

#include "platform/Letterbox.h"

#include <algorithm>
#include <utility>

namespace ravix {

namespace {

// The single-instance locks of all headless platforms in the process, by product name.
std::mutex gInstanceLocksMutex;
std::map<std::string, HeadlessPlatform*> gInstanceLocks;

int DefaultAnswer(int flags) {
    int buttons = flags & 0xF;
    return buttons == kMessageBoxYesNo || buttons == kMessageBoxYesNoCancel ? kMessageBoxResultYes
                                                                            : kMessageBoxResultOk;
}

} // namespace

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() {
    {
        std::lock_guard registry(gInstanceLocksMutex);
        std::erase_if(gInstanceLocks, [this](const auto& held) { return held.second == this; });
    }
    std::lock_guard lock(mMutex);
    mClosing = true;
    mClockMoved.notify_all();
}

int64_t HeadlessPlatform::TickCount() {
    std::lock_guard lock(mMutex);
    return mNow;
}

void HeadlessPlatform::Sleep(int ms) {
    if (ms <= 0) {
        return;
    }
    std::unique_lock lock(mMutex);
    if (std::this_thread::get_id() == mClockThread) {
        MoveClock(lock, ms);
        return;
    }
    int64_t wakeTime = mNow + ms;
    auto clockThread = mClockThreads.find(std::this_thread::get_id());
    if (clockThread != mClockThreads.end()) {
        clockThread->second = wakeTime;
        mClockThreadsChanged.notify_all();
    }
    mClockMoved.wait(lock, [&] { return mNow >= wakeTime || mClosing; });
    if (clockThread != mClockThreads.end()) {
        clockThread->second = kAwake;
    }
}

void HeadlessPlatform::AdvanceClock(int64_t ms) {
    std::unique_lock lock(mMutex);
    MoveClock(lock, ms);
}

void HeadlessPlatform::MoveClock(std::unique_lock<std::mutex>& lock, int64_t ms) {
    // The threads that keep step with the clock work at the current time until they sleep or
    // end; the clock then moves on to the next time one of them wakes, until it has moved ms.
    auto allAsleep = [&] {
        return mClosing || std::all_of(mClockThreads.begin(), mClockThreads.end(),
                                       [&](const auto& thread) { return thread.second > mNow; });
    };
    const int64_t target = mNow + ms;
    while (true) {
        mClockThreadsChanged.wait(lock, allAsleep);
        int64_t next = target;
        for (const auto& [thread, wakeTime] : mClockThreads) {
            next = std::min(next, wakeTime);
        }
        mNow = std::max(mNow, next);
        mClockMoved.notify_all();
        if (mClosing || mNow >= target) {
            mClockThreadsChanged.wait(lock, allAsleep);
            return;
        }
    }
}

void HeadlessPlatform::AddClockThread(std::thread::id thread) {
    std::lock_guard lock(mMutex);
    mClockThreads[thread] = kAwake;
}

void HeadlessPlatform::RemoveClockThread(std::thread::id thread) {
    std::lock_guard lock(mMutex);
    mClockThreads.erase(thread);
    mClockThreadsChanged.notify_all();
}

bool HeadlessPlatform::PollMessage(PlatformMessage& message) {
    std::lock_guard lock(mMutex);
    auto first = mScript.begin();
    if (first == mScript.end() || first->first.first > mNow) {
        return false;
    }
    message = first->second;
    if (IsUserInput(message.mKind)) {
        mLastInputTime = mNow;
    }
    mScript.erase(first);
    return true;
}

void HeadlessPlatform::ScriptMessage(int64_t atTime, const PlatformMessage& message) {
    std::lock_guard lock(mMutex);
    mScript.emplace(std::make_pair(atTime, mScriptOrder++), message);
}

size_t HeadlessPlatform::PendingMessageCount() {
    std::lock_guard lock(mMutex);
    return mScript.size();
}

bool HeadlessPlatform::CreateMainWindow(const MainWindowSpec& spec, std::string&) {
    std::lock_guard lock(mMutex);
    WindowState fresh;
    fresh.mExists = true;
    fresh.mSpec = spec;
    fresh.mCreateCount = mWindow.mCreateCount + 1;
    fresh.mTimerPeriod = mWindow.mTimerPeriod;
    fresh.mScreenSaverAllowed = mWindow.mScreenSaverAllowed;
    if (spec.mFullScreen) {
        fresh.mX = mDesktop.mBounds.mX;
        fresh.mY = mDesktop.mBounds.mY;
    }
    mWindow = fresh;
    mWindowMinimized = false;
    return true;
}

void HeadlessPlatform::DestroyMainWindow() {
    std::lock_guard lock(mMutex);
    int created = mWindow.mCreateCount;
    mWindow = WindowState();
    mWindow.mCreateCount = created;
}

void HeadlessPlatform::SetMainWindowIcon(const PixelView& icon) {
    std::lock_guard lock(mMutex);
    mWindow.mIconWidth = icon.mWidth;
    mWindow.mIconHeight = icon.mHeight;
    mWindow.mIconPixels.clear();
    for (int y = 0; y < icon.mHeight; ++y) {
        const uint32_t* row = icon.mPixels + static_cast<size_t>(y) * icon.mStride;
        mWindow.mIconPixels.insert(mWindow.mIconPixels.end(), row, row + icon.mWidth);
    }
}

DesktopInfo HeadlessPlatform::GetDesktopInfo() {
    std::lock_guard lock(mMutex);
    return mDesktop;
}

void HeadlessPlatform::SetDesktop(const DesktopInfo& desktop) {
    std::lock_guard lock(mMutex);
    mDesktop = desktop;
}

WindowFrame HeadlessPlatform::GetMainWindowFrame() {
    std::lock_guard lock(mMutex);
    return mFrame;
}

void HeadlessPlatform::SetWindowFrame(const WindowFrame& frame) {
    std::lock_guard lock(mMutex);
    mFrame = frame;
}

void HeadlessPlatform::MoveMainWindow(int x, int y) {
    std::lock_guard lock(mMutex);
    mWindow.mX = x;
    mWindow.mY = y;
}

void HeadlessPlatform::ShowMainWindow(bool) {
    std::lock_guard lock(mMutex);
    mWindow.mShown = true;
}

void HeadlessPlatform::HideMainWindow() {
    std::lock_guard lock(mMutex);
    mWindow.mShown = false;
}

void HeadlessPlatform::RaiseMainWindow() {
    std::lock_guard lock(mMutex);
    ++mWindow.mRaiseCount;
    mWindowMinimized = false;
}

void HeadlessPlatform::MinimizeMainWindow() {
    std::lock_guard lock(mMutex);
    mWindowMinimized = true;
}

bool HeadlessPlatform::IsMainWindowActive() {
    std::lock_guard lock(mMutex);
    return mWindowActive;
}

void HeadlessPlatform::SetWindowActive(bool active) {
    std::lock_guard lock(mMutex);
    mWindowActive = active;
}

bool HeadlessPlatform::IsMainWindowMinimized() {
    std::lock_guard lock(mMutex);
    return mWindowMinimized;
}

void HeadlessPlatform::SetWindowMinimized(bool minimized) {
    std::lock_guard lock(mMutex);
    mWindowMinimized = minimized;
}

void HeadlessPlatform::StartTimer(int periodMs) {
    std::lock_guard lock(mMutex);
    mWindow.mTimerPeriod = periodMs;
}

void HeadlessPlatform::CaptureMouse(bool capture) {
    std::lock_guard lock(mMutex);
    mWindow.mMouseCaptured = capture;
}

void HeadlessPlatform::AllowScreenSaver(bool allow) {
    std::lock_guard lock(mMutex);
    mWindow.mScreenSaverAllowed = allow;
}

bool HeadlessPlatform::OpenPresentation(int width, int height, bool vsync, std::string& error) {
    std::lock_guard lock(mMutex);
    if (!mWindow.mExists) {
        error = "no main window";
        return false;
    }
    mWindow.mPresentationOpen = true;
    mWindow.mVsync = vsync;
    mWindow.mPresentWidth = width;
    mWindow.mPresentHeight = height;
    return true;
}

void HeadlessPlatform::ClosePresentation() {
    std::lock_guard lock(mMutex);
    mWindow.mPresentationOpen = false;
}

Rect HeadlessPlatform::GetPresentationRect() {
    std::lock_guard lock(mMutex);
    const MainWindowSpec& spec = mWindow.mSpec;
    int areaWidth = spec.mFullScreen ? mDesktop.mBounds.mWidth : spec.mClientWidth;
    int areaHeight = spec.mFullScreen ? mDesktop.mBounds.mHeight : spec.mClientHeight;
    return LetterboxRect(mWindow.mPresentWidth, mWindow.mPresentHeight, areaWidth, areaHeight);
}

HeadlessPlatform::WindowState HeadlessPlatform::Window() {
    std::lock_guard lock(mMutex);
    return mWindow;
}

void HeadlessPlatform::SetPresentFails(bool fails) {
    std::lock_guard lock(mMutex);
    mPresentFails = fails;
}

bool HeadlessPlatform::PresentScreen(const PixelView& screen) {
    {
        std::lock_guard lock(mMutex);
        if (mPresentFails) {
            return false;
        }
    }
    auto frame = std::make_unique<PresentedFrame>();
    if (screen.mPixels != nullptr && screen.mWidth > 0 && screen.mHeight > 0) {
        frame->mWidth = screen.mWidth;
        frame->mHeight = screen.mHeight;
        frame->mBits.reserve(size_t(screen.mWidth) * size_t(screen.mHeight));
        for (int y = 0; y < screen.mHeight; ++y) {
            const uint32_t* row = screen.mPixels + size_t(y) * size_t(screen.mStride);
            frame->mBits.insert(frame->mBits.end(), row, row + screen.mWidth);
        }
    }
    std::lock_guard lock(mMutex);
    ++mPresentCount;
    mFrames.push_back(std::move(frame));
    while (mFrames.size() > mKeptFrameCount) {
        mFrames.pop_front();
    }
    return true;
}

void HeadlessPlatform::SetKeptFrameCount(size_t count) {
    std::lock_guard lock(mMutex);
    mKeptFrameCount = count;
    while (mFrames.size() > mKeptFrameCount) {
        mFrames.pop_front();
    }
}

int HeadlessPlatform::ShowMessageBox(const std::string& text, const std::string& caption,
                                     int flags) {
    std::lock_guard lock(mMutex);
    mMessageBoxes.push_back({text, caption, flags});
    if (mMessageBoxAnswers.empty()) {
        return DefaultAnswer(flags);
    }
    int answer = mMessageBoxAnswers.front();
    mMessageBoxAnswers.pop_front();
    return answer;
}

void HeadlessPlatform::QueueMessageBoxAnswer(int answer) {
    std::lock_guard lock(mMutex);
    mMessageBoxAnswers.push_back(answer);
}

std::vector<HeadlessPlatform::RecordedMessageBox> HeadlessPlatform::MessageBoxes() {
    std::lock_guard lock(mMutex);
    return mMessageBoxes;
}

void HeadlessPlatform::SetClipboardText(const std::string& text) {
    std::lock_guard lock(mMutex);
    mClipboard = text;
}

std::string HeadlessPlatform::GetClipboardText() {
    std::lock_guard lock(mMutex);
    return mClipboard;
}

bool HeadlessPlatform::OpenUrl(const std::string& url) {
    std::lock_guard lock(mMutex);
    mOpenedUrls.push_back(url);
    return mOpenUrlResult;
}

void HeadlessPlatform::SetOpenUrlResult(bool result) {
    std::lock_guard lock(mMutex);
    mOpenUrlResult = result;
}

std::vector<std::string> HeadlessPlatform::OpenedUrls() {
    std::lock_guard lock(mMutex);
    return mOpenedUrls;
}

bool HeadlessPlatform::AcquireInstanceLock(const std::string& productName) {
    std::lock_guard registry(gInstanceLocksMutex);
    auto [held, inserted] = gInstanceLocks.emplace(productName, this);
    return inserted || held->second == this;
}

void HeadlessPlatform::NotifyRunningInstance(const std::string& productName, int code) {
    std::lock_guard registry(gInstanceLocksMutex);
    auto held = gInstanceLocks.find(productName);
    if (held != gInstanceLocks.end()) {
        held->second->DeliverNotify(code);
    }
}

void HeadlessPlatform::DeliverNotify(int code) {
    PlatformMessage message;
    message.mKind = MessageKind::Notify;
    message.mCode = code;
    PostMessage(message);
}

void HeadlessPlatform::SetCursor(SystemCursor cursor) {
    std::lock_guard lock(mMutex);
    mCursor = cursor;
}

SystemCursor HeadlessPlatform::CurrentCursor() {
    std::lock_guard lock(mMutex);
    return mCursor;
}

bool HeadlessPlatform::GetCursorPosition(int& x, int& y) {
    std::lock_guard lock(mMutex);
    x = mCursorX;
    y = mCursorY;
    return true;
}

void HeadlessPlatform::SetCursorPosition(int x, int y) {
    std::lock_guard lock(mMutex);
    mCursorX = x;
    mCursorY = y;
}

bool HeadlessPlatform::IsCursorOverMainWindow() {
    std::lock_guard lock(mMutex);
    return mCursorOverWindow;
}

void HeadlessPlatform::SetCursorOverMainWindow(bool over) {
    std::lock_guard lock(mMutex);
    mCursorOverWindow = over;
}

int64_t HeadlessPlatform::UserIdleTime() {
    std::lock_guard lock(mMutex);
    return mNow - mLastInputTime;
}

ScreenSaverSettings HeadlessPlatform::GetScreenSaverSettings() {
    std::lock_guard lock(mMutex);
    return mScreenSaver;
}

bool HeadlessPlatform::IsScreenSaverRunning() {
    std::lock_guard lock(mMutex);
    return mScreenSaverRunning;
}

void HeadlessPlatform::SetScreenSaver(ScreenSaverSettings settings, bool running) {
    std::lock_guard lock(mMutex);
    mScreenSaver = settings;
    mScreenSaverRunning = running;
}

std::vector<std::string> HeadlessPlatform::CommandLineArguments() {
    std::lock_guard lock(mMutex);
    return mArguments;
}

void HeadlessPlatform::SetCommandLine(std::vector<std::string> arguments) {
    std::lock_guard lock(mMutex);
    mArguments = std::move(arguments);
}

void HeadlessPlatform::DebugOutput(const std::string& text) {
    std::lock_guard lock(mMutex);
    mDebugLines.push_back(text);
}

std::vector<std::string> HeadlessPlatform::DebugLines() {
    std::lock_guard lock(mMutex);
    return mDebugLines;
}

int HeadlessPlatform::PresentCount() {
    std::lock_guard lock(mMutex);
    return mPresentCount;
}

void HeadlessPlatform::EndProcess(int code) {
    {
        std::lock_guard lock(mMutex);
        mExitCode = code;
    }
    throw HeadlessProcessExit(code);
}

int HeadlessPlatform::ExitCode() {
    std::lock_guard lock(mMutex);
    return mExitCode;
}

} // namespace ravix
