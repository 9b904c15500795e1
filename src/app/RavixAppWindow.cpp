#include "app/RavixAppBase.h"

#include "graphics/DDInterface.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <iterator>
#include <mutex>

namespace ravix {

namespace {

// A placed window keeps this far from the edges of the work area.
constexpr int kWorkAreaMargin = 4;
// A centred window sits this far down the free height: a little above the middle.
constexpr double kVerticalPlacement = 0.382;

// The system cursor of each cursor number; numbers outside the table show the arrow.
constexpr SystemCursor kSystemCursors[] = {
    SystemCursor::Arrow,
    SystemCursor::PointingHand,
    SystemCursor::GrabbingHand,
    SystemCursor::IBeam,
    SystemCursor::NoEntry,
    SystemCursor::SizeAll,
    SystemCursor::SizeNorthEastSouthWest,
    SystemCursor::SizeNorthSouth,
    SystemCursor::SizeNorthWestSouthEast,
    SystemCursor::SizeWestEast,
    SystemCursor::Wait,
    SystemCursor::Hidden,
    SystemCursor::Hidden,
};
static_assert(std::size(kSystemCursors) == RavixAppBase::kCursorCount);

// Cursor 12 shows its software image even when custom cursors are off.
constexpr int kAlwaysSoftwareCursor = 12;

bool IsCursorNumber(int number) {
    return number >= 0 && number < RavixAppBase::kCursorCount;
}

} // namespace

MemoryImage* RavixAppBase::GetScreenImage() {
    return mDisplay != nullptr ? mDisplay->GetScreenImage() : nullptr;
}

void RavixAppBase::CreateMainWindow() {
    mWidgets->mScreenImage = nullptr;
    if (mDisplay != nullptr) {
        mDisplay->Cleanup();
    }
    mPlatform->DestroyMainWindow();

    // The desktop's display mode is never changed: full screen is a window over the desktop.
    const bool windowed = mDemo.IsPlaying() || mWantWindowed;
    MainWindowSpec spec;
    spec.mCaption = mWindowCaption;
    spec.mClientWidth = mScreenWidth;
    spec.mClientHeight = mScreenHeight;
    spec.mFullScreen = !windowed;
    spec.mAllowMaximize = mAllowMaximize;
    std::string error;
    if (!mPlatform->CreateMainWindow(spec, error)) {
        ShowFatalError(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                       DDInterface::ResultName(DDInterface::RESULT_DD_CREATE_FAIL) + " " + error);
        QuitProcess(1);
    }
    mWindowedNow = windowed;
    if (auto icon = mWindowIconPath.empty() ? nullptr : LoadDisplayImage(mWindowIconPath, false)) {
        mPlatform->SetMainWindowIcon(
            {icon->GetPixels(), icon->GetWidth(), icon->GetHeight(), icon->GetWidth()});
    }
    if (windowed) {
        PlaceMainWindow();
    }

    if (mDisplay == nullptr) {
        mDisplay = std::make_unique<DDInterface>(&mImages, *mPlatform);
        bool use3D = false;
        if (ReadSettingBool("Is3D", use3D)) {
            mDisplay->Set3D(use3D);
        }
    }
    const int result = InitDisplay();
    if (windowed && result == DDInterface::RESULT_INVALID_COLORDEPTH) {
        if (mFullScreenFailed) {
            ShowFatalError(GetString("PLEASE_SET_COLOR_DEPTH",
                                     "Please set your desktop color depth to 16 bit."));
            QuitProcess(1);
        }
        mFullScreenForced = true;
        ChangeScreenMode(false);
        return;
    }
    if (!windowed && (result == DDInterface::RESULT_EXCLUSIVE_FAIL ||
                      result == DDInterface::RESULT_DISPCHANGE_FAIL)) {
        mFullScreenFailed = true;
        ChangeScreenMode(true);
    } else if (result != DDInterface::RESULT_OK) {
        if (result != DDInterface::RESULT_3D_FAIL && !mDisplay->Wants3D()) {
            FailDisplay(result);
        }
        Set3D(false, true);
        return;
    }
    SyncActivation();
}

// A window at its remembered position, pulled back into the work area, or centred in it.
// Positions are those of the client area, as Move messages report them.
void RavixAppBase::PlaceMainWindow() {
    const Rect work = mPlatform->GetDesktopInfo().mWorkArea;
    const WindowFrame frame = mPlatform->GetMainWindowFrame();
    const int width = mScreenWidth + frame.mLeft + frame.mRight;
    const int height = mScreenHeight + frame.mTop + frame.mBottom;
    int x = 0;
    int y = 0;
    if (mWindowX == -1) {
        x = work.mX + (work.mWidth - width) / 2;
        y = work.mY + static_cast<int>((work.mHeight - height) * kVerticalPlacement);
    } else {
        x = std::max(mWindowX - frame.mLeft, work.mX + kWorkAreaMargin);
        y = std::max(mWindowY - frame.mTop, work.mY + kWorkAreaMargin);
        if (x + width >= work.mX + work.mWidth - kWorkAreaMargin) {
            x = work.mX + work.mWidth - kWorkAreaMargin - width;
        }
        if (y + height >= work.mY + work.mHeight - kWorkAreaMargin) {
            y = work.mY + work.mHeight - kWorkAreaMargin - height;
        }
    }
    mPlatform->MoveMainWindow(x + frame.mLeft, y + frame.mTop);
}

// After a window was made: take over the system's idea of activity, make the images fit the
// new display and start the periodic timer.
void RavixAppBase::SyncActivation() {
    const bool wasActive = mActive;
    // A demo being played keeps the activity of the recording, which the stream carries.
    if (!mDemo.IsPlaying()) {
        mActive = mPlatform->IsMainWindowActive();
    }
    if (mActive != wasActive) {
        mDemo.RecordDemoEvent({.mCommand = kDemoActivation, .mFlag = mActive});
    }
    if (mIconic) {
        mIconic = false;
        if (mSilenceWhenInactive) {
            Unsilence(true);
        }
        UpdateActivity();
    }
    if (mActive != wasActive) {
        UpdateActivity();
    }
    ReinitializeImages();
    BindScreenImage();
    MarkAllWidgetsDirty();
    mPlatform->StartTimer(mUpdateInterval);
    UpdateScreenSaverPermission();
}

int RavixAppBase::InitDisplay() {
    OnDisplayInitBegins();
    DropAllNativeCaches();
    // Full screen, presents wait for the refresh as page flips would; in a window only when
    // asked to.
    const bool waitForVSync = !mWindowedNow || mWaitForRefresh;
    const int result = mDisplay->Init(mScreenWidth, mScreenHeight, !mWindowedNow, waitForVSync);
    mRefreshRate = mDisplay->GetRefreshRate();
    mDemo.RecordDemoEvent({.mCommand = kDemoDisplay,
                           .mFlag = mWindowedNow,
                           .mCode = std::clamp(mRefreshRate, 0, 255)});
    if (result != DDInterface::RESULT_OK) {
        return result;
    }
    UpdatePointerMapping();
    OnDisplayInitEnded();
    return DDInterface::RESULT_OK;
}

// Mouse positions arrive in window coordinates; the logical screen is shown in the
// presentation rectangle of the window, scaled when the window is full screen.
void RavixAppBase::UpdatePointerMapping() {
    if (mDisplay == nullptr) {
        return;
    }
    const Rect logical(0, 0, mScreenWidth, mScreenHeight);
    const Rect shown = mPlatform->GetPresentationRect();
    std::lock_guard lock(mDisplay->Lock()); // the cursor thread maps positions too
    mWidgets->Resize(logical, shown.IsEmpty() ? logical : shown);
}

void RavixAppBase::BindScreenImage() {
    mWidgets->mScreenImage = GetScreenImage();
}

void RavixAppBase::FailDisplay(int result) {
    ShowFatalError(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                   DDInterface::ResultName(result) + " " + mDisplay->mErrorText);
    QuitProcess(1);
}

void RavixAppBase::ChangeScreenMode(bool windowed, bool use3D, bool force) {
    if (mFullScreenForced) {
        windowed = false;
    }
    if (windowed == mWantWindowed && !force) {
        Set3D(use3D, true);
        return;
    }
    Set3D(use3D, false);
    mWantWindowed = windowed;
    CreateMainWindow();
    // While a web page is opening the browser keeps the front.
    mPlatform->ShowMainWindow(!mWebPagePending);
    // The sound manager is told the new window here.
    ResetTiming();
}

void RavixAppBase::ChangeScreenMode(bool windowed) {
    ChangeScreenMode(windowed, mDisplay != nullptr && mDisplay->Wants3D(), false);
}

void RavixAppBase::ReapplyScreenMode() {
    ChangeScreenMode(mWantWindowed, mDisplay != nullptr && mDisplay->Wants3D(), true);
}

void RavixAppBase::Set3D(bool on, bool reinitialise) {
    if (mDisplay == nullptr || mDisplay->Wants3D() == on) {
        return;
    }
    mDisplay->Set3D(on);
    if (!reinitialise) {
        return;
    }
    const int result = InitDisplay();
    if (result != DDInterface::RESULT_OK) {
        if (on) {
            Set3D(false, true);
            return;
        }
        FailDisplay(result);
    }
    ReinitializeImages();
    BindScreenImage();
    MarkAllWidgetsDirty();
}

// The application is active when its window is the active one and not minimised.
void RavixAppBase::UpdateActivity() {
    const bool active = HasFocus();
    if (active == mAppFocused) {
        return;
    }
    mAppFocused = active;
    if (active) {
        if (mSilenceWhenInactive) {
            Unsilence(true);
        }
        mWidgets->OnFocusGained();
        OnActivated();
        return;
    }
    if (mSilenceWhenInactive) {
        Silence(true);
    }
    mWidgets->OnFocusLost();
    OnDeactivated();
    mPlatform->CaptureMouse(false);
    mWidgets->ReleaseHeldButtons();
}

// The desktop may blank the screen once loading is over and the program runs in a window.
void RavixAppBase::UpdateScreenSaverPermission() {
    mPlatform->AllowScreenSaver(mLoadingComplete && mWindowedNow && mAllowMonitorPowerDown);
}

// A present failed: make the display again when the window is active, or at most once a second
// while a window is inactive; a failure is retried by a later present.
void RavixAppBase::RecoverLostDisplay() {
    const int64_t now = Now();
    const bool mayRetry = mActive || (mWindowedNow && now - mLastDisplayRetry >= 1000);
    if (mIconic || !mayRetry) {
        return;
    }
    mLastDisplayRetry = now;
    const Rect work = mPlatform->GetDesktopInfo().mWorkArea;
    if (mWindowedNow && (mScreenWidth > work.mWidth || mScreenHeight > work.mHeight)) {
        if (!mFullScreenFailed) {
            mFullScreenForced = true;
            ChangeScreenMode(false);
        } else {
            ShowFatalError(GetString("PLEASE_SET_COLOR_DEPTH",
                                     "Please set your desktop color depth to 16 bit."));
            BeginShutdown();
        }
        return;
    }
    const int result = InitDisplay();
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && mWindowedNow) {
        if (mActive) {
            mFullScreenForced = true;
            ChangeScreenMode(false);
        }
        return;
    }
    if (result == DDInterface::RESULT_3D_FAIL) {
        Set3D(false, true);
        return;
    }
    if (result != DDInterface::RESULT_OK) {
        return;
    }
    ReinitializeImages();
    BindScreenImage();
    MarkAllWidgetsDirty();
    ResetTiming();
}

void RavixAppBase::MinimizeWindow() {
    mPlatform->MinimizeMainWindow();
}

void RavixAppBase::SetCursorImage(int number, Image* image) {
    if (IsCursorNumber(number)) {
        mCursorImages[number] = image;
        ApplyCursorShape();
    }
}

// A software cursor image is drawn by the display over each frame (the system cursor is then
// hidden); otherwise the system shows the cursor of the number. During demo playback the
// system cursor (which the window system shows only over the window) is the no-entry sign,
// and the software cursor shows the recorded one where the recording had it.
void RavixAppBase::ApplyCursorShape() {
    if (mDemo.IsPlaying() && !mWindowHidden) {
        Image* image = IsCursorNumber(mCursorNumber) && mMouseInWindow
                           ? mCursorImages[mCursorNumber]
                           : nullptr;
        if (mDisplay != nullptr && mDisplay->SetCursorImage(image)) {
            mCursorDirty = true;
        }
        mPlatform->SetCursor(SystemCursor::NoEntry);
        return;
    }
    if (mWindowHidden || !mMouseInWindow) {
        mPlatform->SetCursor(SystemCursor::Arrow);
        return;
    }
    const int number = mCursorNumber;
    Image* image = IsCursorNumber(number) ? mCursorImages[number] : nullptr;
    if (mDisplay != nullptr && image != nullptr &&
        (mCustomCursors || number == kAlwaysSoftwareCursor)) {
        if (mDisplay->SetCursorImage(image)) {
            mCursorDirty = true;
        }
        mPlatform->SetCursor(SystemCursor::Hidden);
        return;
    }
    mPlatform->SetCursor(mCursorOverride.value_or(IsCursorNumber(number) ? kSystemCursors[number]
                                                                         : SystemCursor::Arrow));
    if (mDisplay != nullptr && mDisplay->SetCursorImage(nullptr)) {
        mCursorDirty = true;
    }
}

void RavixAppBase::OnNotifyMessage(int code) {
    if (code == 0) {
        mPlatform->RaiseMainWindow();
    }
}

} // namespace ravix
