#pragma once

#include "platform/InstanceLock.h"
#include "platform/Platform.h"

#include <SDL.h>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <optional>

namespace ravix {

// The platform on a desktop, through SDL2: the main window and its events, a streaming texture
// that shows the screen image (scaled and letterboxed in a full-screen window), cursors, message
// boxes, the clipboard, web pages, and the single-instance lock with its notify channel.
//
// SDL events become the window system's messages: key codes are virtual-key codes, Enter, Tab,
// Backspace, Escape and Ctrl+letter also give their control characters, the second click of a
// pair is a double click, the wheel moves in 120-unit steps, and a timer thread posts the
// periodic timer messages (never more than one waiting).
class SdlPlatform : public Platform {
public:
    // Opens SDL's video. Without a reachable display it fails with one line for the user; SDL's
    // offscreen and dummy drivers count as no display unless SDL_VIDEODRIVER asked for them.
    static std::unique_ptr<SdlPlatform> Open(int argc, char** argv, std::string& error);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

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

    // For tests: the SDL window and the event type of timer messages.
    SDL_Window* MainWindow() const { return mWindow; }
    Uint32 TimerEventType() const { return mTimerEvent; }
    const char* VideoDriver() const;

private:
    SdlPlatform(int argc, char** argv);
    // Turns one SDL event into messages at the end of mPending.
    void TranslateEvent(const SDL_Event& event);
    void TranslateWindowEvent(const SDL_WindowEvent& event);
    void TranslateKey(const SDL_KeyboardEvent& event);
    void TranslateText(const char* text);
    void TranslateButton(const SDL_MouseButtonEvent& event);
    void Queue(MessageKind kind, int code = 0, int x = 0, int y = 0,
               MessageTarget target = MessageTarget::MainWindow);
    void NoteInput(int x, int y);
    bool IsOwnWindow(Uint32 windowId) const;
    bool CreateTexture(int width, int height);
    void PlaceShownWindow(SDL_Point position);
    SDL_Cursor* CursorFor(SystemCursor cursor);
    static Uint32 OnTimer(Uint32 interval, void* platform);
    bool HasRealDisplay() const;

    std::vector<std::string> mArguments;
    std::deque<PlatformMessage> mPending;
    SDL_Window* mWindow = nullptr;
    Uint32 mWindowId = 0;
    std::optional<SDL_Point> mPlacement; // a position asked for before the window was shown
    SDL_Renderer* mRenderer = nullptr;
    SDL_Texture* mTexture = nullptr;
    int mTextureWidth = 0;
    int mTextureHeight = 0;
    bool mPresentationLost = false;
    Uint32 mTimerEvent = 0;
    SDL_TimerID mTimer = 0;
    std::atomic<bool> mTimerMessageWaiting = false;
    std::atomic<int> mMouseX = 0;
    std::atomic<int> mMouseY = 0;
    int64_t mLastInputTime = 0;
    std::map<SystemCursor, SDL_Cursor*> mCursors;
    InstanceLock mInstanceLock;
};

} // namespace ravix
