#pragma once

#include "graphics/Image.h"
#include "graphics/NativeDisplay.h"
#include "platform/PixelView.h"

#include <cstdint>
#include <memory>

namespace ravix {

class ImageRegistry;

// The software image: 32-bit ARGB pixels (straight alpha, 0xAARRGGBB, stride = width), an
// optional 256-colour palette form, and caches derived from the pixels that the blitters use
// to skip work. Writers take GetPixels, write, then call PixelsChanged; readers that need the
// transparency flags call SettlePixels first.
class MemoryImage : public Image {
public:
    static constexpr uint32_t kGuardWord = 0x4BEEFADE;

    MemoryImage();
    // An image that registers itself with the registry (when not null) for its lifetime.
    explicit MemoryImage(ImageRegistry* registry);
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    // Image slots (arithmetic in MemoryImageDraw.cpp, MemoryImageBlit.cpp,
    // MemoryImageTransform.cpp).
    void FillRect(const Rect& rect, const Color& color, DrawMode mode) override;
    void ClearRect(const Rect& rect) override;
    void DrawLine(double x1, double y1, double x2, double y2, const Color& color,
                  DrawMode mode) override;
    void DrawSmoothLine(double x1, double y1, double x2, double y2, const Color& color,
                        DrawMode mode) override;
    void FillSpansWithCoverage(const Span* spans, int count, const Color& color, DrawMode mode,
                               const uint8_t* coverage, int coverX, int coverY, int coverStride,
                               int coverHeight) override;
    void BlitImage(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                   DrawMode mode) override;
    void BlitImageSubpixel(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                           const Color& color, DrawMode mode) override;
    void BlitRotated(Image* source, float x, float y, const Rect& srcRect, const Rect& clip,
                     const Color& color, DrawMode mode, double angle, float centerX,
                     float centerY) override;
    void BlitScaled(Image* source, const Rect& destRect, const Rect& srcRect, const Rect& clip,
                    const Color& color, DrawMode mode, bool fastStretch) override;
    void BlitMatrix(Image* source, float x, float y, const Matrix3& matrix, const Rect& clip,
                    const Color& color, DrawMode mode, const Rect& srcRect, bool blend) override;
    void BlitTriangles(Image* source, const Triangle* triangles, int count, const Rect& clip,
                       const Color& color, DrawMode mode, float tx, float ty, bool blend) override;
    void BlitFlipped(Image* source, int x, int y, const Rect& srcRect, const Color& color,
                     DrawMode mode) override;
    void BlitScaledFlipped(Image* source, const Rect& destRect, const Rect& srcRect,
                           const Rect& clip, const Color& color, DrawMode mode,
                           bool fastStretch) override;

    // MemoryImage slots, in slot order.
    // Premultiplied pixels in the display's layout (256 words for the palette form).
    virtual uint32_t* GetNativeAlphaData(const NativeDisplay& display);
    // Per pixel: how many pixels of the same alpha class (0, 255, other) remain in its run.
    virtual uint8_t* GetRLAlphaData();
    // Per pixel: how many pixels of the same class (black, non-black) remain in its run.
    virtual uint8_t* GetRLAdditiveData(const NativeDisplay& display);
    virtual void DropPixels();
    virtual void DropSoftwareCopies();
    virtual void DeleteTextureData();
    virtual void DropSpareBuffers();
    virtual void Reinitialize();
    virtual void PixelsChanged();
    virtual void SettlePixels();
    virtual void DropNativeCaches();
    virtual void Clear();
    virtual void SetPixels(const uint32_t* bits, int width, int height, bool commit);
    virtual void Create(int width, int height);
    // The 32-bit pixels, built from the other forms when needed; null when they cannot be
    // allocated.
    virtual uint32_t* GetPixels();
    // The pixels (GetPixels) as the platform takes them for presenting.
    [[nodiscard]] PixelView GetPixelView();
    virtual void FixTransparencyFlags(bool hasTrans, bool hasAlpha);
    virtual void MarkVolatile(bool flag);
    // Reduces the pixels exactly to at most 256 colours; false (image unchanged) otherwise.
    virtual bool Palletize();

    bool HasPaletteForm() const { return mPalette != nullptr && mPaletteIndices != nullptr; }
    // The layout of the application's display; the 32-bit layout without an application.
    const NativeDisplay& GetDisplay() const;

    std::unique_ptr<uint32_t[]> mBits; // width * height pixels + the guard word
    int mPixelsVersion = 0;
    void* mTextureData = nullptr; // owned by the 3D layer; there is none, so always null
    uint32_t mTextureFlags = 0;
    std::unique_ptr<uint32_t[]> mPalette;       // 256 entries
    std::unique_ptr<uint8_t[]> mPaletteIndices; // width * height
    bool mForcedMode = false;
    bool mHasTrans = false;
    bool mHasAlpha = false;
    bool mIsVolatile = false;
    bool mDropPixels = false;
    bool mPalettePreferred = false;
    std::unique_ptr<uint32_t[]> mNativeAlphaData;
    std::unique_ptr<uint8_t[]> mRLAlphaData;
    std::unique_ptr<uint8_t[]> mRLAdditiveData;
    bool mPixelsChanged = false;
    ImageRegistry* mRegistry = nullptr; // the registry this image is in; may be null

private:
    // Writes the pixels of the palette form or the native alpha data (transparent black when
    // neither exists) into an array of width * height words.
    void ConvertPixelsInto(uint32_t* bits) const;
};

} // namespace ravix
