#pragma once

#include "base/Rect.h"
#include "graphics/DDImage.h"
#include "graphics/ImageRegistry.h"
#include "graphics/NativeDisplay.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ravix {

class Image;
class Platform;

// The display layer: makes the display for the main window (a presentation of the screen image
// through the platform), describes its pixel layout (32-bit ARGB), owns the screen image that
// every frame is drawn into, presents frames and draws the software cursor over them. There is
// no 3D mode: asking for it fails with RESULT_3D_FAIL and the application falls back to 2D.
//
// The lock guards the cursor state and the screen image's life (the image set has its own); the
// cursor thread takes it to move the cursor while the main thread presents.
class DDInterface : public NativeDisplay {
public:
    enum Result {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };
    // The name of a result code as log and error texts show it.
    static const char* ResultName(int result);

    // The area the software cursor may cover.
    static constexpr int kCursorAreaSize = 64;

    DDInterface(ImageRegistry* registry, Platform& platform);
    ~DDInterface() override;
    DDInterface(const DDInterface&) = delete;
    DDInterface& operator=(const DDInterface&) = delete;

    // Makes the display for the main window: a width x height screen image shown in the window
    // (full screen: scaled to the desktop); with waitForVSync presents wait for the refresh.
    // Returns a Result; mErrorText tells what failed.
    int Init(int width, int height, bool fullScreen, bool waitForVSync);
    void Cleanup();
    bool IsInitialized() const { return mInitialized; }

    // The image a frame is drawn into; null before Init.
    DDImage* GetScreenImage() { return mScreenImage.get(); }
    bool HasScreenImage() const { return mScreenImage != nullptr; }
    // Shows the screen image with the software cursor over it; false when the display is lost.
    // The rectangle that changed may be given; the whole image is shown either way.
    bool Redraw(const Rect* changed = nullptr);

    // The software cursor: an image drawn at the pointer with its top-left corner on it, at
    // most kCursorAreaSize pixels square. Null removes it. Returns whether the image changed.
    bool SetCursorImage(Image* image);
    // The pointer in screen-image coordinates; the cursor is drawn there by the next present.
    void SetCursorPos(int x, int y);
    Image* GetCursorImage();

    void Set3D(bool on) { mWants3D = on; }
    bool Is3D() const { return mIs3D; }
    bool Wants3D() const { return mWants3D; }

    int GetRefreshRate() const { return mRefreshRate; }
    int GetMillisecondsPerFrame() const { return mMillisecondsPerFrame; }
    // The clamped refresh rate of a display that reports reported Hz (0: unknown).
    static int ClampRefreshRate(int reported);

    void AddImage(DDImage* image);
    void RemoveImage(DDImage* image);
    size_t ImageCount();
    std::recursive_mutex& Lock() { return mMutex; }

    std::string mErrorText;

private:
    void LogSizes(const char* what, int width, int height);
    // Draws the cursor into the screen image, keeping what it covers in mCursorSaved.
    void DrawCursor(DDImage& screen);
    void RestoreCursorArea(DDImage& screen);

    ImageRegistry* mRegistry = nullptr; // where the display's images register; may be null
    Platform& mPlatform;
    std::recursive_mutex mMutex;
    bool mInitialized = false;
    bool mIs3D = false;
    bool mWants3D = false;
    int mWidth = 0;
    int mHeight = 0;
    bool mFullScreen = false;
    int mRefreshRate = 60;
    int mMillisecondsPerFrame = 1000 / 60;
    std::unique_ptr<DDImage> mScreenImage;
    ImageRegistry mImages; // the display images made on this display

    Image* mCursorImage = nullptr;
    int mCursorX = 0;
    int mCursorY = 0;
    Rect mCursorSavedRect; // where mCursorSaved came from; empty when nothing is saved
    std::vector<uint32_t> mCursorSaved;
};

} // namespace ravix
