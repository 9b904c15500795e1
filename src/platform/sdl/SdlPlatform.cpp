#include "platform/sdl/SdlPlatform.h"

#include "platform/DesktopPlatform.h"
#include "platform/HandCursors.h"
#include "platform/KeyCodes.h"
#include "platform/Letterbox.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/X11WindowHints.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <time.h>
#include <utility>

namespace ravix {

namespace {

constexpr int kWheelStep = 120;
// How long a newly shown window waits for its window manager's frame: 20 x 5 ms.
constexpr int kFrameWaitSteps = 20;
constexpr Uint32 kFrameWaitStepMs = 5;
constexpr int kKeyF10 = kKeyF1 + 9;

const char* Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

// The one line a user sees when the program cannot open its window.
std::string NoDisplayText(const std::string& reason) {
    const char* display = Environment("DISPLAY");
    if (display == nullptr && Environment("WAYLAND_DISPLAY") == nullptr) {
        return "cannot open a window: DISPLAY is not set (start the program on a desktop, or "
               "under xvfb-run for a virtual display)";
    }
    std::string text = "cannot open a window on display \"";
    text += display != nullptr ? display : Environment("WAYLAND_DISPLAY");
    text += "\"";
    if (!reason.empty()) {
        text += ": " + reason;
    }
    return text + " (xvfb-run can provide a virtual display)";
}

bool IsWindowlessDriver(const char* driver) {
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

SDL_Rect ToSdlRect(const Rect& rect) {
    return SDL_Rect{rect.mX, rect.mY, rect.mWidth, rect.mHeight};
}

// The next code point of UTF-8 text, or -1 for a malformed sequence (skipped byte by byte).
int NextCodePoint(const unsigned char*& text) {
    unsigned char lead = *text++;
    if (lead < 0x80) {
        return lead;
    }
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0) {
        return -1;
    }
    int codePoint = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((*text & 0xC0) != 0x80) {
            return -1;
        }
        codePoint = codePoint << 6 | (*text++ & 0x3F);
    }
    return codePoint;
}

struct MessageBoxButtons {
    std::vector<SDL_MessageBoxButtonData> mButtons;
};

MessageBoxButtons ButtonsFor(int flags) {
    auto button = [](int id, const char* text, Uint32 buttonFlags = 0) {
        return SDL_MessageBoxButtonData{buttonFlags, id, text};
    };
    const Uint32 kEnter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 kEscape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    switch (flags & 0xF) {
    case kMessageBoxOkCancel:
        return {{button(kMessageBoxResultOk, "OK", kEnter),
                 button(kMessageBoxResultCancel, "Cancel", kEscape)}};
    case kMessageBoxYesNo:
        return {{button(kMessageBoxResultYes, "Yes", kEnter), button(kMessageBoxResultNo, "No")}};
    case kMessageBoxYesNoCancel:
        return {{button(kMessageBoxResultYes, "Yes", kEnter), button(kMessageBoxResultNo, "No"),
                 button(kMessageBoxResultCancel, "Cancel", kEscape)}};
    default:
        return {{button(kMessageBoxResultOk, "OK", kEnter | kEscape)}};
    }
}

Uint32 IconFor(int flags) {
    switch (flags & 0xF0) {
    case kMessageBoxIconError:
        return SDL_MESSAGEBOX_ERROR;
    case kMessageBoxIconWarning:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// The desktop's own cursor of a shape; the arrow where it has none.
SDL_SystemCursor SdlSystemCursor(SystemCursor shape) {
    static constexpr std::pair<SystemCursor, SDL_SystemCursor> kShapes[] = {
        {SystemCursor::IBeam, SDL_SYSTEM_CURSOR_IBEAM},
        {SystemCursor::NoEntry, SDL_SYSTEM_CURSOR_NO},
        {SystemCursor::SizeAll, SDL_SYSTEM_CURSOR_SIZEALL},
        {SystemCursor::SizeNorthEastSouthWest, SDL_SYSTEM_CURSOR_SIZENESW},
        {SystemCursor::SizeNorthSouth, SDL_SYSTEM_CURSOR_SIZENS},
        {SystemCursor::SizeNorthWestSouthEast, SDL_SYSTEM_CURSOR_SIZENWSE},
        {SystemCursor::SizeWestEast, SDL_SYSTEM_CURSOR_SIZEWE},
        {SystemCursor::Wait, SDL_SYSTEM_CURSOR_WAIT},
    };
    for (const auto& [ours, sdl] : kShapes) {
        if (ours == shape) {
            return sdl;
        }
    }
    return SDL_SYSTEM_CURSOR_ARROW;
}

SDL_Cursor* MakeCursor(const CursorPicture& picture) {
    constexpr int kSize = CursorPicture::kSize;
    std::array<Uint8, kSize * kSize / 8> data{};
    std::array<Uint8, kSize * kSize / 8> mask{};
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            char c = picture.mRows[y][x];
            size_t byte = static_cast<size_t>(y * kSize + x) / 8;
            auto bit = static_cast<Uint8>(0x80 >> (x % 8));
            if (c == 'X') {
                data[byte] |= bit;
            }
            if (c != ' ') {
                mask[byte] |= bit;
            }
        }
    }
    return SDL_CreateCursor(data.data(), mask.data(), kSize, kSize, picture.mHotX, picture.mHotY);
}

} // namespace

std::unique_ptr<SdlPlatform> SdlPlatform::Open(int argc, char** argv, std::string& error) {
    // A click that activates the window also reaches the program, as on other desktops.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // A full-screen window of a desktop's size must not switch the compositor off.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (Environment("SDL_VIDEODRIVER") == nullptr) {
        if (Environment("DISPLAY") == nullptr && Environment("WAYLAND_DISPLAY") == nullptr) {
            error = NoDisplayText("");
            return nullptr;
        }
        // Without a Wayland session only X11 can work; trying the others just adds noise.
        if (Environment("WAYLAND_DISPLAY") == nullptr) {
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        }
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        error = NoDisplayText(SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<SdlPlatform> platform(new SdlPlatform(argc, argv));
    if (!platform->HasRealDisplay()) {
        error = NoDisplayText("");
        return nullptr;
    }
    return platform;
}

SdlPlatform::SdlPlatform(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        mArguments.emplace_back(argv[i]);
    }
    mTimerEvent = SDL_RegisterEvents(1);
}

SdlPlatform::~SdlPlatform() {
    StartTimer(0);
    DestroyMainWindow();
    for (auto& [shape, cursor] : mCursors) {
        SDL_FreeCursor(cursor);
    }
    // Joins SDL's timer thread, so no timer callback outlives this object.
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
    if (SDL_WasInit(0) == 0) {
        SDL_Quit();
    }
}

const char* SdlPlatform::VideoDriver() const {
    return SDL_GetCurrentVideoDriver();
}

// SDL falls back to its windowless drivers when no display is reachable; they only count when
// they were asked for (as tests do).
bool SdlPlatform::HasRealDisplay() const {
    return Environment("SDL_VIDEODRIVER") != nullptr || !IsWindowlessDriver(VideoDriver());
}

// Milliseconds since the system started (SDL's own clock starts with the program, which would
// give every run nearly the same start tick and so the same random numbers).
int64_t SdlPlatform::TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SdlPlatform::Sleep(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

bool SdlPlatform::PollMessage(PlatformMessage& message) {
    if (mPending.empty()) {
        if (std::optional<int> code = mInstanceLock.PollNotify()) {
            Queue(MessageKind::Notify, *code);
        }
        SDL_Event event;
        while (mPending.empty() && SDL_PollEvent(&event)) {
            TranslateEvent(event);
        }
    }
    if (mPending.empty()) {
        return false;
    }
    message = mPending.front();
    mPending.pop_front();
    return true;
}

void SdlPlatform::Queue(MessageKind kind, int code, int x, int y, MessageTarget target) {
    PlatformMessage message;
    message.mKind = kind;
    message.mTarget = target;
    message.mCode = code;
    message.mX = x;
    message.mY = y;
    mPending.push_back(message);
}

bool SdlPlatform::IsOwnWindow(Uint32 windowId) const {
    return mWindow != nullptr && windowId == mWindowId;
}

void SdlPlatform::NoteInput(int x, int y) {
    mMouseX = x;
    mMouseY = y;
    mLastInputTime = TickCount();
}

void SdlPlatform::TranslateEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: // the last window closed, or the process was interrupted
        Queue(MessageKind::Close, 0, 0, 0, MessageTarget::HiddenWindow);
        return;
    case SDL_WINDOWEVENT:
        if (IsOwnWindow(event.window.windowID)) {
            TranslateWindowEvent(event.window);
        }
        return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (IsOwnWindow(event.key.windowID)) {
            TranslateKey(event.key);
        }
        return;
    case SDL_TEXTINPUT:
        if (IsOwnWindow(event.text.windowID)) {
            TranslateText(event.text.text);
        }
        return;
    case SDL_MOUSEMOTION:
        if (IsOwnWindow(event.motion.windowID)) {
            NoteInput(event.motion.x, event.motion.y);
            Queue(MessageKind::MouseMove, 0, event.motion.x, event.motion.y);
        }
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (IsOwnWindow(event.button.windowID)) {
            TranslateButton(event.button);
        }
        return;
    case SDL_MOUSEWHEEL:
        if (IsOwnWindow(event.wheel.windowID) && event.wheel.y != 0) {
            int notches =
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            mLastInputTime = TickCount();
            Queue(MessageKind::MouseWheel, notches * kWheelStep, mMouseX, mMouseY);
        }
        return;
    case SDL_DISPLAYEVENT:
        Queue(MessageKind::DisplayChange);
        return;
    case SDL_RENDER_DEVICE_RESET:
        mPresentationLost = true; // the texture is gone; the display layer makes a new one
        return;
    default:
        if (event.type == mTimerEvent) {
            mTimerMessageWaiting = false;
            Queue(MessageKind::Timer);
        }
        return;
    }
}

void SdlPlatform::TranslateWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
        Queue(MessageKind::Move, 0, event.data1, event.data2);
        return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
        Queue(MessageKind::Size, kSizeRestored, event.data1, event.data2);
        return;
    case SDL_WINDOWEVENT_MINIMIZED:
        Queue(MessageKind::Size, kSizeMinimized);
        return;
    case SDL_WINDOWEVENT_MAXIMIZED:
        Queue(MessageKind::Size, kSizeMaximized);
        return;
    case SDL_WINDOWEVENT_CLOSE:
        Queue(MessageKind::Close);
        return;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Queue(MessageKind::ActivateApp, 1);
        return;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        Queue(MessageKind::ActivateApp, 0);
        return;
    case SDL_WINDOWEVENT_EXPOSED:
        Queue(MessageKind::Paint);
        return;
    default:
        return;
    }
}

// Keys pressed with Alt (but not Ctrl), the Alt key itself and F10 are system keys. Enter, Tab,
// Backspace, Escape and Ctrl+letter also type their control characters; with Alt held nothing
// is typed (Alt+Enter switches the screen mode).
void SdlPlatform::TranslateKey(const SDL_KeyboardEvent& event) {
    int key = VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    if (key == 0) {
        return;
    }
    mLastInputTime = TickCount();
    bool down = event.type == SDL_KEYDOWN;
    bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    bool system = !ctrl && (alt || key == kKeyAlt || key == kKeyF10);
    MessageKind kind = down ? (system ? MessageKind::SysKeyDown : MessageKind::KeyDown)
                            : (system ? MessageKind::SysKeyUp : MessageKind::KeyUp);
    Queue(kind, key);
    if (!down || alt) {
        return;
    }
    switch (event.keysym.sym) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        Queue(MessageKind::Char, '\r');
        return;
    case SDLK_TAB:
        Queue(MessageKind::Char, '\t');
        return;
    case SDLK_BACKSPACE:
        Queue(MessageKind::Char, '\b');
        return;
    case SDLK_ESCAPE:
        Queue(MessageKind::Char, 27);
        return;
    default:
        if (ctrl && key >= 'A' && key <= 'Z') {
            Queue(MessageKind::Char, key - 'A' + 1);
        }
        return;
    }
}

// Typed text arrives as UTF-8; the program's characters are bytes, so characters beyond
// Latin-1 are left out.
void SdlPlatform::TranslateText(const char* text) {
    SDL_Keymod mod = SDL_GetModState();
    if ((mod & KMOD_LALT) != 0 && (mod & KMOD_CTRL) == 0) {
        return;
    }
    const auto* cursor = reinterpret_cast<const unsigned char*>(text);
    while (*cursor != 0) {
        int codePoint = NextCodePoint(cursor);
        if (codePoint >= 0x20 && codePoint < 0x100 && codePoint != 0x7F) {
            Queue(MessageKind::Char, codePoint);
        }
    }
}

// The second click of a pair is a double click; a third click starts a new pair.
void SdlPlatform::TranslateButton(const SDL_MouseButtonEvent& event) {
    NoteInput(event.x, event.y);
    bool down = event.type == SDL_MOUSEBUTTONDOWN;
    bool doubleClick = down && event.clicks >= 2 && event.clicks % 2 == 0;
    MessageKind kind;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        kind = !down         ? MessageKind::LeftUp
               : doubleClick ? MessageKind::LeftDoubleClick
                             : MessageKind::LeftDown;
        break;
    case SDL_BUTTON_RIGHT:
        kind = !down         ? MessageKind::RightUp
               : doubleClick ? MessageKind::RightDoubleClick
                             : MessageKind::RightDown;
        break;
    case SDL_BUTTON_MIDDLE:
        kind = down ? MessageKind::MiddleDown : MessageKind::MiddleUp;
        break;
    default:
        return;
    }
    Queue(kind, 0, event.x, event.y);
}

bool SdlPlatform::CreateMainWindow(const MainWindowSpec& spec, std::string& error) {
    DestroyMainWindow();
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (spec.mFullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else if (spec.mAllowMaximize) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    mWindow =
        SDL_CreateWindow(spec.mCaption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         spec.mClientWidth, spec.mClientHeight, flags);
    if (mWindow == nullptr) {
        error = SDL_GetError();
        return false;
    }
    ClearRootTransientHint(mWindow);
    // Events still waiting for the window this one replaces carry the old id and are dropped.
    mWindowId = SDL_GetWindowID(mWindow);
    mPlacement.reset();
    return true;
}

void SdlPlatform::SetMainWindowIcon(const PixelView& icon) {
    if (mWindow == nullptr || icon.mPixels == nullptr || icon.mWidth <= 0 || icon.mHeight <= 0) {
        return;
    }
    // SDL copies the pixels; the surface only lends them.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(icon.mPixels), icon.mWidth, icon.mHeight, 32,
        icon.mStride * static_cast<int>(sizeof(uint32_t)), SDL_PIXELFORMAT_ARGB8888);
    if (surface != nullptr) {
        SDL_SetWindowIcon(mWindow, surface);
        SDL_FreeSurface(surface);
    }
}

void SdlPlatform::DestroyMainWindow() {
    ClosePresentation();
    if (mWindow != nullptr) {
        SDL_DestroyWindow(mWindow);
        mWindow = nullptr;
        mWindowId = 0;
    }
}

DesktopInfo SdlPlatform::GetDesktopInfo() {
    int display = mWindow != nullptr ? SDL_GetWindowDisplayIndex(mWindow) : 0;
    display = display < 0 ? 0 : display;
    DesktopInfo info;
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) == 0) {
        info.mBounds = Rect(bounds.x, bounds.y, bounds.w, bounds.h);
    }
    SDL_Rect usable{};
    info.mWorkArea = SDL_GetDisplayUsableBounds(display, &usable) == 0
                         ? Rect(usable.x, usable.y, usable.w, usable.h)
                         : info.mBounds;
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(display, &mode) == 0) {
        info.mRefreshRate = mode.refresh_rate;
    }
    return info;
}

WindowFrame SdlPlatform::GetMainWindowFrame() {
    WindowFrame frame;
    if (mWindow == nullptr || SDL_GetWindowBordersSize(mWindow, &frame.mTop, &frame.mLeft,
                                                       &frame.mBottom, &frame.mRight) != 0) {
        return {};
    }
    return frame;
}

void SdlPlatform::MoveMainWindow(int x, int y) {
    if (mWindow != nullptr) {
        SDL_SetWindowPosition(mWindow, x, y);
        mPlacement = SDL_Point{x, y};
    }
}

void SdlPlatform::ShowMainWindow(bool activate) {
    if (mWindow != nullptr) {
        SDL_ShowWindow(mWindow);
        if (mPlacement) {
            PlaceShownWindow(*mPlacement);
            mPlacement.reset();
        }
        if (activate) {
            SDL_RaiseWindow(mWindow);
        }
    }
}

// A window manager places a new window itself when it is shown, and positions count from the
// client area only once its frame is known: the position asked for is applied again then, so
// that the window lands where Move messages will report it (and a remembered position does not
// creep by the frame's height from run to run).
void SdlPlatform::PlaceShownWindow(SDL_Point position) {
    for (int wait = 0; wait < kFrameWaitSteps; ++wait) {
        SDL_PumpEvents(); // the events stay queued for PollMessage
        int top = 0;
        int left = 0;
        if (SDL_GetWindowBordersSize(mWindow, &top, &left, nullptr, nullptr) == 0 &&
            (top > 0 || left > 0)) {
            break;
        }
        SDL_Delay(kFrameWaitStepMs);
    }
    SDL_SetWindowPosition(mWindow, position.x, position.y);
    // Moves the window manager made in between are still queued: the position the window has
    // now comes after them.
    SDL_Event moved{};
    moved.type = SDL_WINDOWEVENT;
    moved.window.event = SDL_WINDOWEVENT_MOVED;
    moved.window.windowID = mWindowId;
    SDL_GetWindowPosition(mWindow, &moved.window.data1, &moved.window.data2);
    SDL_PushEvent(&moved);
}

void SdlPlatform::HideMainWindow() {
    if (mWindow != nullptr) {
        SDL_HideWindow(mWindow);
    }
}

void SdlPlatform::RaiseMainWindow() {
    if (mWindow == nullptr) {
        return;
    }
    if (IsMainWindowMinimized()) {
        SDL_RestoreWindow(mWindow);
    }
    SDL_RaiseWindow(mWindow);
}

void SdlPlatform::MinimizeMainWindow() {
    if (mWindow != nullptr) {
        SDL_MinimizeWindow(mWindow);
    }
}

bool SdlPlatform::IsMainWindowActive() {
    return mWindow != nullptr && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlPlatform::IsMainWindowMinimized() {
    return mWindow != nullptr && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_MINIMIZED) != 0;
}

// Runs on SDL's timer thread: posts a timer message unless one is still waiting.
Uint32 SdlPlatform::OnTimer(Uint32 interval, void* platform) {
    auto* self = static_cast<SdlPlatform*>(platform);
    if (!self->mTimerMessageWaiting.exchange(true)) {
        SDL_Event event{};
        event.type = self->mTimerEvent;
        if (SDL_PushEvent(&event) != 1) {
            self->mTimerMessageWaiting = false;
        }
    }
    return interval;
}

void SdlPlatform::StartTimer(int periodMs) {
    if (mTimer != 0) {
        SDL_RemoveTimer(mTimer);
        mTimer = 0;
    }
    if (periodMs > 0) {
        mTimer = SDL_AddTimer(static_cast<Uint32>(periodMs), &SdlPlatform::OnTimer, this);
    }
}

void SdlPlatform::CaptureMouse(bool capture) {
    SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE); // refused without the focus: harmless
}

void SdlPlatform::AllowScreenSaver(bool allow) {
    allow ? SDL_EnableScreenSaver() : SDL_DisableScreenSaver();
}

bool SdlPlatform::OpenPresentation(int width, int height, bool vsync, std::string& error) {
    ClosePresentation();
    if (mWindow == nullptr) {
        error = "no main window";
        return false;
    }
    mRenderer = SDL_CreateRenderer(mWindow, -1, vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (mRenderer == nullptr) {
        error = std::string("CreateRenderer: ") + SDL_GetError();
        return false;
    }
    if (!CreateTexture(width, height)) {
        error = std::string("CreateTexture: ") + SDL_GetError();
        ClosePresentation();
        return false;
    }
    mPresentationLost = false;
    return true;
}

bool SdlPlatform::CreateTexture(int width, int height) {
    if (mTexture != nullptr) {
        SDL_DestroyTexture(mTexture);
    }
    mTexture = SDL_CreateTexture(mRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    mTextureWidth = mTexture != nullptr ? width : 0;
    mTextureHeight = mTexture != nullptr ? height : 0;
    if (mTexture == nullptr) {
        return false;
    }
    SDL_SetTextureBlendMode(mTexture, SDL_BLENDMODE_NONE); // the screen is opaque
    return true;
}

void SdlPlatform::ClosePresentation() {
    if (mTexture != nullptr) {
        SDL_DestroyTexture(mTexture);
        mTexture = nullptr;
        mTextureWidth = 0;
        mTextureHeight = 0;
    }
    if (mRenderer != nullptr) {
        SDL_DestroyRenderer(mRenderer);
        mRenderer = nullptr;
    }
}

bool SdlPlatform::PresentScreen(const PixelView& screen) {
    if (mRenderer == nullptr || mPresentationLost) {
        return false;
    }
    const int width = screen.mWidth;
    const int height = screen.mHeight;
    const uint32_t* pixels = screen.mPixels;
    if (pixels == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    if ((width != mTextureWidth || height != mTextureHeight) && !CreateTexture(width, height)) {
        return false;
    }
    if (SDL_UpdateTexture(mTexture, nullptr, pixels, screen.mStride * 4) != 0) {
        return false;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(mRenderer, &outputWidth, &outputHeight);
    Rect shown = LetterboxRect(width, height, outputWidth, outputHeight);
    // Whole multiples keep sharp pixels; other scales are smoothed rather than uneven.
    bool wholeScale = shown.mWidth % width == 0 && shown.mHeight % height == 0;
    SDL_SetTextureScaleMode(mTexture, wholeScale ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_Rect target = ToSdlRect(shown);
    SDL_SetRenderDrawColor(mRenderer, 0, 0, 0, 255);
    SDL_RenderClear(mRenderer);
    SDL_RenderCopy(mRenderer, mTexture, nullptr, &target);
    SDL_RenderPresent(mRenderer);
    return true;
}

Rect SdlPlatform::GetPresentationRect() {
    if (mWindow == nullptr) {
        return {};
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    if (mTexture == nullptr) {
        return Rect(0, 0, width, height);
    }
    return LetterboxRect(mTextureWidth, mTextureHeight, width, height);
}

int SdlPlatform::ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
    MessageBoxButtons buttons = ButtonsFor(flags);
    const int fallback = buttons.mButtons.front().buttonid;
    // Errors and warnings also reach whoever started the program from a shell.
    const int icon = flags & 0xF0;
    const bool printed = icon == kMessageBoxIconError || icon == kMessageBoxIconWarning;
    if (printed) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    // The windowless drivers have nowhere to show a box; nor has a session without a display.
    if (!IsWindowlessDriver(VideoDriver())) {
        SDL_MessageBoxData box{};
        box.flags = IconFor(flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
        box.window = mWindow;
        box.title = caption.c_str();
        box.message = text.c_str();
        box.numbuttons = static_cast<int>(buttons.mButtons.size());
        box.buttons = buttons.mButtons.data();
        int pressed = 0;
        if (SDL_ShowMessageBox(&box, &pressed) == 0) {
            return pressed < 0 ? fallback : pressed; // closed without a button: the default
        }
    }
    if (!printed) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    return fallback;
}

void SdlPlatform::SetClipboardText(const std::string& text) {
    SDL_SetClipboardText(text.c_str());
}

std::string SdlPlatform::GetClipboardText() {
    char* text = SDL_GetClipboardText();
    std::string result = text != nullptr ? text : "";
    SDL_free(text);
    return result;
}

bool SdlPlatform::OpenUrl(const std::string& url) {
    return SDL_OpenURL(url.c_str()) == 0;
}

bool SdlPlatform::AcquireInstanceLock(const std::string& productName) {
    return mInstanceLock.Acquire(productName);
}

void SdlPlatform::NotifyRunningInstance(const std::string& productName, int code) {
    InstanceLock::Notify(productName, code);
}

SDL_Cursor* SdlPlatform::CursorFor(SystemCursor shape) {
    auto known = mCursors.find(shape);
    if (known != mCursors.end()) {
        return known->second;
    }
    SDL_Cursor* cursor = nullptr;
    if (shape == SystemCursor::PointingHand) {
        cursor = MakeCursor(PointingHandCursor());
    } else if (shape == SystemCursor::GrabbingHand) {
        cursor = MakeCursor(GrabbingHandCursor());
    } else {
        cursor = SDL_CreateSystemCursor(SdlSystemCursor(shape));
    }
    if (cursor != nullptr) {
        mCursors[shape] = cursor;
    }
    return cursor;
}

void SdlPlatform::SetCursor(SystemCursor cursor) {
    if (cursor == SystemCursor::Hidden) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    if (SDL_Cursor* shape = CursorFor(cursor)) {
        SDL_SetCursor(shape);
    }
    SDL_ShowCursor(SDL_ENABLE);
}

bool SdlPlatform::GetCursorPosition(int& x, int& y) {
    x = mMouseX;
    y = mMouseY;
    return true;
}

bool SdlPlatform::IsCursorOverMainWindow() {
    if (mWindow == nullptr || SDL_GetMouseFocus() != mWindow) {
        return false;
    }
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(mWindow, &width, &height);
    return Rect(0, 0, width, height).Contains(x, y);
}

// Only the program's own input is seen here; the desktop's idle time is not available.
int64_t SdlPlatform::UserIdleTime() {
    return TickCount() - mLastInputTime;
}

// The desktop's screen saver settings are not readable in a portable way: the idle pause stays
// off, and AllowScreenSaver lets the desktop blank the screen itself.
ScreenSaverSettings SdlPlatform::GetScreenSaverSettings() {
    return {};
}

bool SdlPlatform::IsScreenSaverRunning() {
    return false;
}

std::vector<std::string> SdlPlatform::CommandLineArguments() {
    return mArguments;
}

void SdlPlatform::DebugOutput(const std::string& text) {
    if (!DiagnosticsShown()) {
        return;
    }
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

void SdlPlatform::EndProcess(int code) {
    StartTimer(0);
    DestroyMainWindow();
    mInstanceLock.Release();
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace ravix

namespace ravix {

std::unique_ptr<Platform> OpenDesktopPlatform(int argc, char** argv, std::string& error) {
    return SdlPlatform::Open(argc, argv, error);
}

std::string DesktopLibraryVersion() {
    SDL_version version;
    SDL_GetVersion(&version);
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.patch);
}

} // namespace ravix
