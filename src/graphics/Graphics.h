#pragma once

#include "graphics/GraphicsState.h"
#include "graphics/Matrix3.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace ravix {

class Transform;

// The drawing context every draw routine receives. It binds a destination image, keeps the
// drawing state (translation, scale, clip, colour, font, draw mode, flags), applies it to each
// request and forwards the result to the image's primitives. All clipping happens here, so the
// primitives that take integer rectangles only ever see rectangles inside the destination.
class Graphics : public GraphicsState {
public:
    // Text justification of DrawCodedLine and DrawWrappedText.
    static constexpr int kJustifyLeft = -1;
    static constexpr int kJustifyCenter = 0;
    static constexpr int kJustifyRight = 1;

    // A null target binds a shared empty image, on which nothing can be drawn.
    explicit Graphics(Image* target = nullptr);
    // Copies the other context's state, not its saved states.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    ~Graphics() = default;

    // A heap copy of this context (state only), owned by the caller.
    [[nodiscard]] std::unique_ptr<Graphics> Create() const;

    void SaveState();
    // Restores the most recently saved state; does nothing when none is saved.
    void RestoreState();

    // Saves the state on construction and restores it on destruction.
    class ScopedState {
    public:
        explicit ScopedState(Graphics& g) : mGraphics(g) { mGraphics.SaveState(); }
        ~ScopedState() { mGraphics.RestoreState(); }
        ScopedState(const ScopedState&) = delete;
        ScopedState& operator=(const ScopedState&) = delete;

    private:
        Graphics& mGraphics;
    };

    [[nodiscard]] Image* GetTarget() const { return mTarget; }
    void SetFont(Font* font) { mFont = font; }
    [[nodiscard]] Font* LookupFont() const { return mFont; }
    void SetColor(const Color& color) { mColor = color; }
    [[nodiscard]] const Color& GetColor() const { return mColor; }
    void SetDrawMode(DrawMode mode) { mDrawMode = mode; }
    [[nodiscard]] DrawMode GetDrawMode() const { return mDrawMode; }
    void SetTintImages(bool tint) { mTintImages = tint; }
    [[nodiscard]] bool GetTintImages() const { return mTintImages; }
    void SetQuickScaling(bool quick) { mQuickScaling = quick; }
    [[nodiscard]] bool GetQuickScaling() const { return mQuickScaling; }
    void SetSmoothSampling(bool smooth) { mSmoothSampling = smooth; }
    [[nodiscard]] bool GetSmoothSampling() const { return mSmoothSampling; }
    void SetInlineColorCodes(bool enabled) { mInlineColorCodes = enabled; }
    [[nodiscard]] bool GetInlineColorCodes() const { return mInlineColorCodes; }
    // The scale DrawImage applies about the fixed point (pivotX, pivotY).
    void SetScale(float scaleX, float scaleY, float pivotX = 0.0f, float pivotY = 0.0f);
    [[nodiscard]] bool Uses3D() const { return mUses3D; }

    void Translate(float x, float y);
    [[nodiscard]] float GetShiftX() const { return mShiftX; }
    [[nodiscard]] float GetShiftY() const { return mShiftY; }
    // Narrows the clip to the translated rectangle; it never widens (RestoreState does).
    void ClipRect(int x, int y, int width, int height);
    void ClipRect(const Rect& rect) { ClipRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight); }
    [[nodiscard]] const Rect& GetClipRect() const { return mClipRect; }

    void FillRect(int x, int y, int width, int height);
    void FillRect(const Rect& rect) { FillRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight); }
    // The outline covers x .. x + width and y .. y + height inclusive.
    void DrawRect(int x, int y, int width, int height);
    void DrawRect(const Rect& rect) { DrawRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight); }
    void DrawLine(int x1, int y1, int x2, int y2);

    // Image drawing is colourised by the current colour only when tinting is on, else white.
    void DrawImage(Image* image, int x, int y);
    void DrawImage(Image* image, int x, int y, const Rect& srcRect);
    void DrawImage(Image* image, const Rect& destRect, const Rect& srcRect); // stretched
    void DrawImageSubpixel(Image* image, float x, float y, const Rect& srcRect);
    // Mirrored left to right.
    void DrawImageFlipped(Image* image, int x, int y, const Rect& srcRect);
    void DrawImageFlipped(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror);
    void DrawImageRotated(Image* image, float x, float y, double angle, float centerX,
                          float centerY);
    void DrawImageRotated(Image* image, float x, float y, double angle, float centerX,
                          float centerY, const Rect& srcRect);
    void DrawImageWithMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect, float x,
                             float y);
    // Draws the image centred at (x, y) through the transform.
    void DrawImageTransformed(Image* image, const Transform& transform, float x, float y);
    void DrawImageTransformed(Image* image, const Transform& transform, const Rect& srcRect,
                              float x, float y);
    // A box of nine pieces: corners drawn as they are, edges and centre tiled.
    void DrawNinePatch(const Rect& destRect, Image* image);
    void DrawNinePatch(const Rect& destRect, Image* image, const Rect& srcRect);

    // Text with its baseline at y, in the current font and colour; nothing without a font.
    void DrawString(std::string_view text, int x, int y);
    // One line with inline colour codes ("^RRGGBB^", "^oldclr^", "^^" for a '^'), justified
    // in width; draws characters offset .. offset + length (a negative length: to the end).
    // oldColor is the packed colour of "^oldclr^", -1 for the current colour. Returns the
    // width of the text. The colour stays as the last code set it.
    int DrawCodedLine(std::string_view text, int x, int y, int width, int justification,
                      bool draw = true, int offset = 0, int length = -1, int32_t oldColor = -1);
    // Word-wraps text into rect.mWidth and draws it from rect's top; lineSpacing -1 means the
    // font's. Returns the height used.
    int DrawWrappedText(const Rect& rect, std::string_view text, int lineSpacing = -1,
                        int justification = kJustifyLeft);
    // The height DrawWrappedText would use for text wrapped into width.
    [[nodiscard]] int MeasureWrappedText(int width, std::string_view text,
                                         int lineSpacing = -1) const;

private:
    [[nodiscard]] const Color& ImageColor() const;
    [[nodiscard]] int ShiftedX(int x) const { return static_cast<int>(x + mShiftX); }
    [[nodiscard]] int ShiftedY(int y) const { return static_cast<int>(y + mShiftY); }

    std::vector<GraphicsState> mSavedStates; // most recent last
};

} // namespace ravix
