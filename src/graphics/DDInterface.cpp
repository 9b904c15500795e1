#include "graphics/DDInterface.h"

#include "graphics/Color.h"
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace ravix {

namespace {

constexpr int kMinRefreshRate = 60;
constexpr int kMaxRefreshRate = 100;

} // namespace

const char* DDInterface::ResultName(int result) {
    static const char* const kNames[] = {
        "RESULT_OK",
        "RESULT_FAIL",
        "RESULT_DD_CREATE_FAIL",
        "RESULT_SURFACE_FAIL",
        "RESULT_EXCLUSIVE_FAIL",
        "RESULT_DISPCHANGE_FAIL",
        "RESULT_INVALID_COLORDEPTH",
    };
    if (result >= 0 && result < static_cast<int>(std::size(kNames))) {
        return kNames[result];
    }
    return "RESULT_UNKNOWN";
}

int DDInterface::ClampRefreshRate(int reported) {
    return reported <= 0 ? kMinRefreshRate : std::clamp(reported, kMinRefreshRate, kMaxRefreshRate);
}

DDInterface::DDInterface(ImageRegistry* registry, Platform& platform)
    : mRegistry(registry), mPlatform(platform) {}

DDInterface::~DDInterface() {
    Cleanup();
    // Images that outlive the display must not reach back to it.
    mImages.ForEach(
        [](MemoryImage* image) { static_cast<DDImage*>(image)->mDDInterface = nullptr; });
}

int DDInterface::Init(int width, int height, bool fullScreen, bool waitForVSync) {
    std::lock_guard lock(mMutex);
    Cleanup();
    mWidth = width;
    mHeight = height;
    mFullScreen = fullScreen;
    std::string error;
    if (!mPlatform.OpenPresentation(width, height, waitForVSync, error)) {
        mErrorText =
            std::string("CreateTexture ") + (fullScreen ? "FullScreen" : "Windowed") + ": " + error;
        return RESULT_SURFACE_FAIL;
    }
    SetLayout(32, 0xFF0000, 0x00FF00, 0x0000FF);
    const DesktopInfo desktop = mPlatform.GetDesktopInfo();
    mRefreshRate = ClampRefreshRate(desktop.mRefreshRate);
    mMillisecondsPerFrame = 1000 / mRefreshRate;

    // The screen is opaque whatever is drawn into it (the display shows no alpha): fixing its
    // transparency flags lets the blitters take their opaque paths when it is drawn somewhere.
    mScreenImage = std::make_unique<DDImage>(this, mRegistry);
    mScreenImage->Create(width, height);
    mScreenImage->FixTransparencyFlags(false, false);
    mScreenImage->FillRect(Rect(0, 0, width, height), kOpaqueBlack, DrawMode::Normal);
    if (mScreenImage->GetPixels() == nullptr) {
        mErrorText = "CreateSurface Screen: out of memory";
        Cleanup();
        return RESULT_SURFACE_FAIL;
    }
    mInitialized = true;

    const Rect& shownOn = fullScreen ? desktop.mBounds : Rect(0, 0, width, height);
    LogSizes("Application requests", width, height);
    LogSizes("Desktop is          ", desktop.mBounds.mWidth, desktop.mBounds.mHeight);
    LogSizes("Display is          ", desktop.mBounds.mWidth, desktop.mBounds.mHeight);
    LogSizes("Window is           ", shownOn.mWidth, shownOn.mHeight);
    LogSizes("Draw buffer is      ", width, height);

    if (mWants3D) {
        mErrorText = "3D init error: 3D acceleration is not available";
        return RESULT_3D_FAIL;
    }
    return RESULT_OK;
}

void DDInterface::LogSizes(const char* what, int width, int height) {
    int divisor = std::max(1, std::gcd(width, height));
    char line[128];
    std::snprintf(line, sizeof line, "%s %4lu x %4lu [%2d:%2d]", what,
                  static_cast<unsigned long>(std::max(0, width)),
                  static_cast<unsigned long>(std::max(0, height)), width / divisor,
                  height / divisor);
    mPlatform.DebugOutput(line);
}

void DDInterface::Cleanup() {
    std::lock_guard lock(mMutex);
    mCursorSavedRect = Rect();
    mScreenImage.reset();
    mPlatform.ClosePresentation();
    mInitialized = false;
}

bool DDInterface::Redraw(const Rect* /*changed*/) {
    std::lock_guard lock(mMutex);
    if (!mInitialized || mScreenImage == nullptr) {
        return false;
    }
    DrawCursor(*mScreenImage);
    bool shown = mPlatform.PresentScreen(mScreenImage->GetPixelView());
    RestoreCursorArea(*mScreenImage);
    return shown;
}

bool DDInterface::SetCursorImage(Image* image) {
    std::lock_guard lock(mMutex);
    bool changed = image != mCursorImage;
    mCursorImage = image;
    return changed;
}

Image* DDInterface::GetCursorImage() {
    std::lock_guard lock(mMutex);
    return mCursorImage;
}

void DDInterface::SetCursorPos(int x, int y) {
    std::lock_guard lock(mMutex);
    mCursorX = x;
    mCursorY = y;
}

void DDInterface::DrawCursor(DDImage& screen) {
    mCursorSavedRect = Rect();
    if (mCursorImage == nullptr) {
        return;
    }
    const Rect cursor(mCursorX, mCursorY, std::min(mCursorImage->GetWidth(), kCursorAreaSize),
                      std::min(mCursorImage->GetHeight(), kCursorAreaSize));
    const Rect area = cursor.Intersection(Rect(0, 0, screen.GetWidth(), screen.GetHeight()));
    uint32_t* pixels = screen.GetPixels();
    if (area.IsEmpty() || pixels == nullptr) {
        return;
    }
    mCursorSaved.resize(static_cast<size_t>(area.mWidth) * area.mHeight);
    for (int row = 0; row < area.mHeight; ++row) {
        const uint32_t* from = pixels + static_cast<size_t>(area.mY + row) * screen.GetWidth();
        std::copy_n(from + area.mX, area.mWidth,
                    mCursorSaved.begin() + static_cast<std::ptrdiff_t>(row) * area.mWidth);
    }
    mCursorSavedRect = area;
    screen.BlitImage(mCursorImage, cursor.mX, cursor.mY, Rect(0, 0, cursor.mWidth, cursor.mHeight),
                     kOpaqueWhite, DrawMode::Normal);
}

void DDInterface::RestoreCursorArea(DDImage& screen) {
    const Rect area = mCursorSavedRect;
    uint32_t* pixels = screen.GetPixels();
    if (area.IsEmpty() || pixels == nullptr) {
        return;
    }
    for (int row = 0; row < area.mHeight; ++row) {
        uint32_t* to = pixels + static_cast<size_t>(area.mY + row) * screen.GetWidth();
        std::copy_n(mCursorSaved.begin() + static_cast<std::ptrdiff_t>(row) * area.mWidth,
                    area.mWidth, to + area.mX);
    }
    screen.PixelsChanged();
    mCursorSavedRect = Rect();
}

void DDInterface::AddImage(DDImage* image) {
    mImages.Add(image);
}

void DDInterface::RemoveImage(DDImage* image) {
    mImages.Remove(image);
}

size_t DDInterface::ImageCount() {
    return mImages.Size();
}

} // namespace ravix
