#pragma once

#include "base/Rect.h"
#include "graphics/Font.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>

namespace ravix {

class ButtonListener;
class Image;

// A push button that reports to its listener by id. It is drawn either from images (a normal,
// an over, a down and a disabled look, each a whole image or a cell of mFaceImage) or, without
// images, as a framed box in the colours of its table. A label is written over either look, and
// the over look can fade in and out over several updates.
class ButtonWidget : public Widget {
public:
    // Colour table indices.
    static constexpr int kColorLabel = 0;
    static constexpr int kColorLabelHover = 1;
    static constexpr int kColorDarkFrame = 2;
    static constexpr int kColorLightFrame = 3;
    static constexpr int kColorMediumFrame = 4;
    static constexpr int kColorBackground = 5;
    // mLabelAlign values; anything else is left-aligned.
    static constexpr int kAlignCenter = 0;
    static constexpr int kAlignRight = 1;

    ButtonWidget(int id, ButtonListener* listener);

    void Update() override;
    void Draw(Graphics& g) override;
    void SetDisabled(bool disabled) override;
    void PointerEntered() override;
    void PointerLeft() override;
    void MouseMove(int x, int y) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseUp(int x, int y, int button, int clicks) override;
    // Enter and Space activate the focused button; other keys go on as Widget's do.
    void KeyDown(int key) override;

    // Virtual operations added by buttons, in slot order.
    // Draws cell of mFaceImage at (x, y) when the cell has a width, else the whole image.
    virtual void DrawFace(Graphics& g, Image* image, const Rect& cell, int x, int y);
    // The button keeps its own copy of font (null: none).
    virtual void SetFont(const Font* font);
    // Shown pressed: held down with the pointer over it, and enabled.
    [[nodiscard]] virtual bool IsPressedNow();

    // What a click does, without the mouse: the listener hears the press and the click.
    void Activate();
    [[nodiscard]] Font* GetFont() const { return mFont.get(); }
    // The look exists when its image is set or its cell has a width.
    [[nodiscard]] bool HasFaceLook() const {
        return mFaceImage != nullptr || mFaceCell.mWidth != 0;
    }
    [[nodiscard]] bool HasHoverLook() const {
        return mHoverImage != nullptr || mHoverCell.mWidth != 0;
    }
    [[nodiscard]] bool HasPressedLook() const {
        return mPressedImage != nullptr || mPressedCell.mWidth != 0;
    }
    [[nodiscard]] bool HasInactiveLook() const {
        return mInactiveImage != nullptr || mInactiveCell.mWidth != 0;
    }

    int mId = 0;
    std::string mLabel;
    int mLabelAlign = kAlignCenter;
    std::unique_ptr<Font> mFont;
    Image* mFaceImage = nullptr;
    Image* mHoverImage = nullptr;
    Image* mPressedImage = nullptr;
    Image* mInactiveImage = nullptr;
    Rect mFaceCell;
    Rect mHoverCell;
    Rect mPressedCell;
    Rect mInactiveCell;
    bool mInverted = false; // swaps the pressed and unpressed looks
    bool mNoDraw = false;
    bool mNoFrame = false; // framed buttons: no background and no frame
    ButtonListener* mListener = nullptr;
    double mHoverFade = 0;        // strength of the over look while it fades, 0..1
    double mHoverFadeOutStep = 0; // per update; 0 = at once
    double mHoverFadeInStep = 0;  // per update; 0 = at once

protected:
    // The label's font, made on first use when the button has a label but no font.
    Font* LabelFont(int pointSize, bool bold);
    // Draws the over look over what is there, with the strength of the fade.
    void DrawFadingHover(Graphics& g, Image* image, const Rect& cell);
    // Colour 1 while the pointer is over the button, else colour 0.
    [[nodiscard]] Color LabelColor() const;
    // Invalidates when the look depends on whether the pointer is over the button.
    void InvalidateIfHoverShows();

private:
    void DrawImageLooks(Graphics& g, bool pressed, int labelX, int labelY);
    void DrawFramedLooks(Graphics& g, bool pressed, int labelX, int labelY);
    void DrawLabel(Graphics& g, int x, int y, const Color& color);
};

} // namespace ravix
