#include "app/RavixAppBase.h"

#include "files/ImageLib.h"
#include "files/PrivateFolder.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace ravix {

namespace {

constexpr int kWheelStep = 120;
constexpr int kKeyD = 'D';
constexpr int kKeyF3 = kKeyF1 + 2;
constexpr int kKeyF8 = kKeyF1 + 7;
constexpr int kKeyF10 = kKeyF1 + 9;
constexpr int kKeyF11 = kKeyF1 + 10;
// A gap this long between timer messages is a stall (a modal loop, a suspended machine).
constexpr int64_t kTimerStall = 501;

// The widget manager's click code of a button message: 1 left, 2 left double, -1 right,
// -2 right double, 3 middle.
int ClickCode(MessageKind kind) {
    switch (kind) {
    case MessageKind::LeftDown:
    case MessageKind::LeftUp:
        return 1;
    case MessageKind::LeftDoubleClick:
        return 2;
    case MessageKind::RightDown:
    case MessageKind::RightUp:
        return -1;
    case MessageKind::RightDoubleClick:
        return -2;
    default:
        return 3;
    }
}

int ButtonBit(MessageKind kind) {
    switch (kind) {
    case MessageKind::LeftUp:
        return WidgetManager::kLeftBit;
    case MessageKind::RightUp:
        return WidgetManager::kRightBit;
    default:
        return WidgetManager::kMiddleBit;
    }
}

// The frame-rate overlay's characters, 3 x 5 pixels each, row by row.
struct OverlayGlyph {
    char mCharacter;
    const char* mPixels;
};
constexpr OverlayGlyph kOverlayGlyphs[] = {
    {'0', "###"
          "#.#"
          "#.#"
          "#.#"
          "###"},
    {'1', ".#."
          "##."
          ".#."
          ".#."
          "###"},
    {'2', "###"
          "..#"
          "###"
          "#.."
          "###"},
    {'3', "###"
          "..#"
          ".##"
          "..#"
          "###"},
    {'4', "#.#"
          "#.#"
          "###"
          "..#"
          "..#"},
    {'5', "###"
          "#.."
          "###"
          "..#"
          "###"},
    {'6', "###"
          "#.."
          "###"
          "#.#"
          "###"},
    {'7', "###"
          "..#"
          ".#."
          ".#."
          ".#."},
    {'8', "###"
          "#.#"
          "###"
          "#.#"
          "###"},
    {'9', "###"
          "#.#"
          "###"
          "..#"
          "###"},
    {'F', "###"
          "#.."
          "##."
          "#.."
          "#.."},
    {'P', "###"
          "#.#"
          "###"
          "#.."
          "#.."},
    {'S', "###"
          "#.."
          "###"
          "..#"
          "###"},
    {'M', "#.#"
          "###"
          "###"
          "#.#"
          "#.#"},
    {':', "..."
          ".#."
          "..."
          ".#."
          "..."},
};
constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kGlyphScale = 2;
constexpr int kOverlayMargin = 10;

const char* GlyphPixels(char c) {
    for (const OverlayGlyph& glyph : kOverlayGlyphs) {
        if (glyph.mCharacter == c) {
            return glyph.mPixels;
        }
    }
    return nullptr; // a space
}

// The number n of a file named "image<n>.png"; 0 for other names.
int ScreenshotNumber(const std::string& name) {
    const std::string prefix = "image";
    const std::string suffix = ".png";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix)) {
        return 0;
    }
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size() - suffix.size();
    int number = 0;
    auto [end, error] = std::from_chars(first, last, number);
    return error == std::errc() && end == last && number > 0 ? number : 0;
}

bool IsButtonDown(MessageKind kind) {
    return kind == MessageKind::LeftDown || kind == MessageKind::LeftDoubleClick ||
           kind == MessageKind::RightDown || kind == MessageKind::RightDoubleClick ||
           kind == MessageKind::MiddleDown;
}

} // namespace

void RavixAppBase::HandleWindowMessage(const PlatformMessage& message) {
    switch (message.mKind) {
    case MessageKind::MouseMove:
    case MessageKind::LeftDown:
    case MessageKind::LeftUp:
    case MessageKind::LeftDoubleClick:
    case MessageKind::RightDown:
    case MessageKind::RightUp:
    case MessageKind::RightDoubleClick:
    case MessageKind::MiddleDown:
    case MessageKind::MiddleUp:
        HandleMouseMessage(message);
        return;
    case MessageKind::MouseWheel:
        // The delta is a signed 16-bit value in 120-unit steps.
        mWidgets->MouseWheel(static_cast<int16_t>(message.mCode) / kWheelStep);
        return;
    case MessageKind::KeyDown:
    case MessageKind::SysKeyDown:
        HandleKeyDown(message);
        return;
    case MessageKind::KeyUp:
    case MessageKind::SysKeyUp:
        mWidgets->KeyUp(message.mCode);
        return;
    case MessageKind::Char:
        mWidgets->CharTyped(static_cast<char>(message.mCode & 0xFF));
        return;
    case MessageKind::Timer:
        HandleTimer();
        return;
    case MessageKind::Size:
        HandleSize(message);
        return;
    case MessageKind::ActivateApp:
        HandleActivation(message);
        return;
    case MessageKind::SysColorChange:
    case MessageKind::DisplayChange:
        mWidgets->SystemColorsChangedTree();
        MarkAllWidgetsDirty();
        UpdatePointerMapping();
        return;
    default:
        return;
    }
}

Point RavixAppBase::PointerPosition(const PlatformMessage& message) const {
    const Point position = mWidgets->MapPointer(message.mX, message.mY);
    return Point{std::clamp(position.mX, DemoStream::kMinPosition, DemoStream::kMaxPosition),
                 std::clamp(position.mY, DemoStream::kMinPosition, DemoStream::kMaxPosition)};
}

// The widget manager hears of a position once: a message at the position it already has (a
// button released where the last move ended) moves nothing, so a recording, which writes only
// changed positions, replays the same calls.
void RavixAppBase::MovePointer(Point position) {
    const Point last{mReplayMouseX, mReplayMouseY};
    if (mPointerKnown && position == last) {
        return;
    }
    mDemo.RecordPointerMove(mPointerKnown ? std::optional<Point>(last) : std::nullopt, position);
    mPointerKnown = true;
    mReplayMouseX = position.mX;
    mReplayMouseY = position.mY;
    mWidgets->MouseMove(position.mX, position.mY);
}

void RavixAppBase::HandleMouseMessage(const PlatformMessage& message) {
    if (mWindowHidden) {
        return;
    }
    const Point position = PointerPosition(message);
    MovePointer(position);
    if (!mMouseInWindow) {
        mMouseInWindow = true;
        mDemo.RecordDemoEvent({.mCommand = kDemoMouseEnter});
        ApplyCursorShape();
    }
    if (message.mKind == MessageKind::MouseMove) {
        return;
    }
    const bool down = IsButtonDown(message.mKind);
    mDemo.RecordDemoEvent(
        {.mCommand = kDemoMouseButton, .mFlag = down, .mCode = ClickCode(message.mKind)});
    if (down) {
        mPlatform->CaptureMouse(true);
        mWidgets->MouseDown(position.mX, position.mY, ClickCode(message.mKind));
        return;
    }
    // The capture ends with the last button: releasing the left one while the right is still
    // held keeps it.
    const int bit = ButtonBit(message.mKind);
    const int held = mWidgets->mHeldButtons | mWidgets->mPhysicalButtons;
    if ((held & ~bit) == 0) {
        mPlatform->CaptureMouse(false);
    }
    mWidgets->MouseUp(position.mX, position.mY, ClickCode(message.mKind));
}

void RavixAppBase::HandleKeyDown(const PlatformMessage& message) {
    DeliverKeyDown(message.mCode,
                   message.mKind == MessageKind::SysKeyDown && message.mCode == kKeyEnter);
}

void RavixAppBase::DeliverKeyDown(int key, bool altEnter) {
    if (altEnter) {
        ToggleFullScreen();
        return;
    }
    if (key == kKeyD && mWidgets->IsKeyDown(kKeyControl) && mWidgets->IsKeyDown(kKeyAlt)) {
        mDebugKeys = !mDebugKeys;
    }
    if (!(mDebugKeys && OnDebugKey(key)) && !OnShortcutKey(key)) {
        mWidgets->KeyDown(key);
    }
}

// Switches between a window and full screen, unless full screen was forced or has failed. A
// demo plays in a window.
void RavixAppBase::ToggleFullScreen() {
    if (!mFullScreenForced && !mFullScreenFailed && !mDemo.IsPlaying()) {
        ChangeScreenMode(!mWantWindowed);
        ClearKeyState();
    }
}

bool RavixAppBase::OnShortcutKey(int) {
    return false;
}

// Each timer message: a pending web page is judged, and the mouse leaving the window (which
// sends no message of its own) is noticed.
void RavixAppBase::HandleTimer() {
    if (mWindowHidden || !mInMainLoop) {
        return;
    }
    const int64_t now = Now();
    if (now - mLastTimerTick >= kTimerStall) {
        mLastStallTick = now;
    }
    mLastTimerTick = now;
    if (mWebPagePending && now - mLastStallTick >= 5000) {
        const int64_t waited = now - mWebPageTime;
        if (!mActive && waited > 8000) {
            OnWebPageOpened(mWebPageUrl);
        } else if (mActive && waited > 12000) {
            OnWebPageFailed(mWebPageUrl);
        }
    }
    const bool inside = mPlatform->IsCursorOverMainWindow();
    if (inside == mMouseInWindow) {
        return;
    }
    if (inside) {
        mDemo.RecordDemoEvent({.mCommand = kDemoMouseEnter});
    } else {
        PlatformMessage leftAt;
        mPlatform->GetCursorPosition(leftAt.mX, leftAt.mY);
        MovePointer(PointerPosition(leftAt));
        mDemo.RecordDemoEvent({.mCommand = kDemoMouseLeave});
        mWidgets->MouseExit();
        mPointerKnown = false;
    }
    mMouseInWindow = inside;
    ApplyCursorShape();
}

void RavixAppBase::HandleSize(const PlatformMessage& message) {
    if (message.mTarget != MessageTarget::MainWindow || mShuttingDown) {
        return;
    }
    SetMinimized(message.mCode == kSizeMinimized);
    if (message.mCode == kSizeMaximized) {
        ChangeScreenMode(false);
        return;
    }
    UpdatePointerMapping(); // a resized window shows the screen at another scale
}

void RavixAppBase::SetMinimized(bool minimized) {
    if (minimized == mIconic) {
        return;
    }
    mIconic = minimized;
    if (minimized) {
        if (mSilenceWhenInactive) {
            Silence(true);
        }
    } else {
        if (mSilenceWhenInactive) {
            Unsilence(true);
        }
        MarkAllWidgetsDirty();
    }
    UpdateActivity();
}

void RavixAppBase::HandleActivation(const PlatformMessage& message) {
    if (message.mTarget != MessageTarget::MainWindow || mWindowHidden || mShuttingDown) {
        return;
    }
    OnActivationChanged();
}

void RavixAppBase::OnActivationChanged() {
    UpdateActivity();
    if (mActive && !mWindowedNow) {
        MarkAllWidgetsDirty();
    }
    if (mWebPagePending && !mActive) {
        OnWebPageOpened(mWebPageUrl);
    }
}

// The developer keys. F3 shows the frame rate (Shift+F3 cycles its two forms), F8 shows the
// display's state (Shift+F8 tries to switch 3D), F10 single-steps (Shift+F10 ends that,
// Ctrl+F10 slows the game to a quarter), F11 saves the screen as a PNG file. Other keys reach
// the widgets.
bool RavixAppBase::OnDebugKey(int key) {
    const bool shift = mWidgets->IsKeyDown(kKeyShift);
    const bool ctrl = mWidgets->IsKeyDown(kKeyControl);
    switch (key) {
    case kKeyF3:
        if (shift) {
            mFrameRateOverlay = mFrameRateOverlay == FrameRateOverlay::FramesPerSecond
                                    ? FrameRateOverlay::FrameTime
                                    : FrameRateOverlay::FramesPerSecond;
        } else {
            mFrameRateOverlay = mFrameRateOverlay == FrameRateOverlay::Off
                                    ? FrameRateOverlay::FramesPerSecond
                                    : FrameRateOverlay::Off;
        }
        mFramesCounted = 0;
        mFrameCountStart = Now();
        MarkAllWidgetsDirty();
        return true;
    case kKeyF8:
        if (mDisplay == nullptr) {
            return true;
        }
        if (shift) {
            Set3D(!mDisplay->Wants3D(), true);
            ShowMessageBox(std::string("3D-Mode: ") + (mDisplay->Is3D() ? "ON" : "OFF"),
                           "Mode Switch", kMessageBoxOk);
        } else {
            char text[256];
            std::snprintf(text, sizeof text,
                          "Screen: %d x %d, %s\nRefresh rate: %d Hz\nDisplay images: %zu\n"
                          "3D: not available",
                          mScreenWidth, mScreenHeight, mWindowedNow ? "windowed" : "full screen",
                          mDisplay->GetRefreshRate(), mDisplay->ImageCount());
            ShowMessageBox(text, "Video Stats", kMessageBoxOk);
        }
        return true;
    case kKeyF10:
        if (ctrl) {
            mSpeedFactor = mSpeedFactor == 1.0 ? 0.25 : 1.0;
        } else if (shift) {
            EndSingleStep();
        } else {
            StepOnce();
        }
        return true;
    case kKeyF11:
        SaveScreenshot();
        return true;
    default:
        return false;
    }
}

// The screen goes to "_screenshots/image<n>.png" in the data folder, n one more than the
// largest number there. The file is opaque, as the screen is shown.
void RavixAppBase::SaveScreenshot() {
    MemoryImage* screen = GetScreenImage();
    const uint32_t* pixels = screen != nullptr ? screen->GetPixels() : nullptr;
    if (pixels == nullptr) {
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(mDataFolder) / "_screenshots";
    std::error_code error;
    (void)MakePrivateFolder(folder.string());
    int largest = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        largest = std::max(largest, ScreenshotNumber(entry.path().filename().string()));
    }
    const std::string path = (folder / ("image" + std::to_string(largest + 1) + ".png")).string();
    const size_t count = static_cast<size_t>(screen->GetWidth()) * screen->GetHeight();
    std::vector<uint32_t> opaque(pixels, pixels + count);
    for (uint32_t& pixel : opaque) {
        pixel |= 0xFF000000u;
    }
    const bool written =
        ImageLib::WritePNG(path, opaque.data(), screen->GetWidth(), screen->GetHeight());
    mPlatform->DebugOutput((written ? "Screenshot saved: " : "Screenshot not saved: ") + path);
}

// Once a second the frames shown in it become the overlay's figure.
void RavixAppBase::CountFrame() {
    if (mFrameRateOverlay == FrameRateOverlay::Off) {
        return;
    }
    ++mFramesCounted;
    const int64_t elapsed = Now() - mFrameCountStart;
    if (elapsed >= 1000) {
        mFramesPerSecond = static_cast<int>(mFramesCounted * 1000 / elapsed);
        mFramesCounted = 0;
        mFrameCountStart = Now();
    }
}

// The overlay is drawn into the finished frame in the bottom right corner, white on black, and
// the next frame is drawn afresh so that it never stays behind in the screen image.
void RavixAppBase::DrawFrameRateOverlay() {
    MemoryImage* screen = GetScreenImage();
    if (mFrameRateOverlay == FrameRateOverlay::Off || screen == nullptr) {
        return;
    }
    char text[32];
    if (mFrameRateOverlay == FrameRateOverlay::FramesPerSecond) {
        std::snprintf(text, sizeof text, "FPS: %d", mFramesPerSecond);
    } else {
        std::snprintf(text, sizeof text, "MS: %d",
                      mFramesPerSecond > 0 ? 1000 / mFramesPerSecond : 0);
    }
    const int length = static_cast<int>(std::strlen(text));
    const int advance = (kGlyphWidth + 1) * kGlyphScale;
    const int width = length * advance + kGlyphScale;
    const int height = (kGlyphHeight + 2) * kGlyphScale;
    const int left = screen->GetWidth() - width - kOverlayMargin;
    const int top = screen->GetHeight() - height - kOverlayMargin;
    screen->FillRect(Rect(left, top, width, height), kOpaqueBlack, DrawMode::Normal);
    for (int i = 0; i < length; ++i) {
        const char* pixels = GlyphPixels(text[i]);
        for (int p = 0; pixels != nullptr && p < kGlyphWidth * kGlyphHeight; ++p) {
            if (pixels[p] == '#') {
                screen->FillRect(
                    Rect(left + kGlyphScale + i * advance + p % kGlyphWidth * kGlyphScale,
                         top + kGlyphScale + p / kGlyphWidth * kGlyphScale, kGlyphScale,
                         kGlyphScale),
                    kOpaqueWhite, DrawMode::Normal);
            }
        }
    }
    MarkAllWidgetsDirty();
}

} // namespace ravix
