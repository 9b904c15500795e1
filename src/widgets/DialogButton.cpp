#include "widgets/DialogButton.h"

#include "graphics/Graphics.h"

#include <iterator>

namespace ravix {

namespace {

constexpr int kDefaultColors[][3] = {
    {255, 255, 255}, // label
    {255, 255, 255}, // label while over
    {0, 0, 0},       // dark frame
    {255, 255, 255}, // light frame
    {132, 132, 132}, // medium frame
    {212, 212, 212}, // background
};

constexpr int kLabelPointSize = 12;

} // namespace

DialogButton::DialogButton(Image* frameImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), mFrameImage(frameImage) {
    mShowHandCursor = true;
    SetColors(kDefaultColors, static_cast<int>(std::size(kDefaultColors)));
}

void DialogButton::Draw(Graphics& g) {
    if (mFrameImage == nullptr) {
        ButtonWidget::Draw(g);
        return;
    }
    if (mNoDraw) {
        return;
    }
    Font* font = mLabel.empty() ? mFont.get() : LabelFont(kLabelPointSize, true);
    bool pressed = IsPressedNow();
    Graphics::ScopedState shift(g);
    DrawBox(g, pressed);
    if (font == nullptr || mLabel.empty()) {
        return;
    }
    int ascent = font->GetAscent();
    int x = (mWidth - font->StringWidth(mLabel)) / 2 + mLabelShiftX;
    int y = (ascent + mHeight - ascent / 6 - font->GetAscentPadding() - 1) / 2 + mLabelShiftY;
    g.SetFont(font);
    g.SetColor(LabelColor());
    g.DrawString(mLabel, x, y);
}

void DialogButton::DrawBox(Graphics& g, bool pressed) {
    Rect whole(0, 0, mWidth, mHeight);
    auto shiftIfPressed = [&] {
        if (pressed) {
            g.Translate(static_cast<float>(mPressShiftX), static_cast<float>(mPressShiftY));
        }
    };
    if (mFaceCell.mWidth == 0) {
        // One look: the whole image, moved while pressed.
        shiftIfPressed();
        g.DrawNinePatch(whole, mFrameImage);
        return;
    }
    if (mDisabled && !mInactiveCell.IsEmpty()) {
        g.DrawNinePatch(whole, mFrameImage, mInactiveCell);
    } else if (pressed) {
        g.DrawNinePatch(whole, mFrameImage, mPressedCell);
    } else if (mHoverFade > 0) {
        if (mHoverFade < 1) {
            g.DrawNinePatch(whole, mFrameImage, mFaceCell);
        }
        g.SetTintImages(true);
        g.SetColor(Color(255, 255, 255, static_cast<int>(mHoverFade * 255)));
        g.DrawNinePatch(whole, mFrameImage, mHoverCell);
        g.SetTintImages(false);
    } else {
        g.DrawNinePatch(whole, mFrameImage, mHovered ? mHoverCell : mFaceCell);
    }
    shiftIfPressed();
}

} // namespace ravix
