#include "widgets/ButtonWidget.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/KeyCodes.h"
#include "widgets/ButtonListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace ravix {

namespace {

constexpr int kDefaultColors[][3] = {
    {0, 0, 0},       // label
    {0, 0, 0},       // label while over
    {0, 0, 0},       // dark frame
    {255, 255, 255}, // light frame
    {132, 132, 132}, // medium frame
    {212, 212, 212}, // background
};

constexpr int kLabelPointSize = 10;

// A fade step is a decimal fraction such as 0.1 that binary arithmetic cannot hold exactly;
// without this tolerance ten steps of 0.1 would leave a sliver and take an eleventh update.
constexpr double kFadeTolerance = 1e-9;

} // namespace

ButtonWidget::ButtonWidget(int id, ButtonListener* listener) : mId(id), mListener(listener) {
    mBlendsWithBelow = true;
    mAcceptsFocus = true;
    mFocusOnHover = true;
    SetColors(kDefaultColors, static_cast<int>(std::size(kDefaultColors)));
}

void ButtonWidget::Update() {
    Widget::Update();
    if (mPressed && mHovered && mListener != nullptr) {
        mListener->OnButtonHeld(mId);
    }
    if (!mPressed && !mHovered) {
        if (mHoverFade > 0) {
            mHoverFade -= mHoverFadeOutStep;
            if (mHoverFadeOutStep == 0 || mHoverFade < kFadeTolerance) {
                mHoverFade = 0;
            }
            Invalidate();
        }
    } else if (mHovered) {
        if (mHoverFadeInStep > 0 && mHoverFade < 1) {
            mHoverFade += mHoverFadeInStep;
            if (mHoverFade > 1 - kFadeTolerance) {
                mHoverFade = 1;
            }
            Invalidate();
        }
    }
}

void ButtonWidget::Draw(Graphics& g) {
    if (mNoDraw) {
        return;
    }
    Font* font = mLabel.empty() ? mFont.get() : LabelFont(kLabelPointSize, false);
    bool pressed = IsPressedNow() != mInverted;
    int labelX = 0;
    int labelY = 0;
    if (font != nullptr) {
        int width = font->StringWidth(mLabel);
        labelX = mLabelAlign == kAlignCenter  ? (mWidth - width) / 2
                 : mLabelAlign == kAlignRight ? mWidth - width
                                              : 0;
        int ascent = font->GetAscent();
        labelY = (ascent + mHeight - ascent / 6 - 1) / 2;
    }
    if (mFaceImage != nullptr || mPressedImage != nullptr) {
        DrawImageLooks(g, pressed, labelX, labelY);
    } else {
        DrawFramedLooks(g, pressed, labelX, labelY);
    }
    DrawFocusRing(g);
}

void ButtonWidget::SetDisabled(bool disabled) {
    Widget::SetDisabled(disabled);
    if (HasInactiveLook()) {
        Invalidate();
    }
}

void ButtonWidget::PointerEntered() {
    if (mHoverFadeInStep == 0 && mHoverFade > 0) {
        mHoverFade = 0;
    }
    InvalidateIfHoverShows();
    if (mListener != nullptr) {
        mListener->OnButtonHover(mId);
    }
}

void ButtonWidget::PointerLeft() {
    if (mHoverFadeOutStep == 0 && mHoverFade > 0) {
        mHoverFade = 0;
    } else if (mHoverFadeOutStep > 0 && mHoverFade == 0) {
        mHoverFade = 1; // the fade-out starts from the full over look
    }
    InvalidateIfHoverShows();
    if (mListener != nullptr) {
        mListener->OnButtonUnhover(mId);
    }
}

void ButtonWidget::MouseMove(int x, int y) {
    if (mListener != nullptr) {
        mListener->OnButtonPointerMove(mId, x, y);
    }
}

void ButtonWidget::MouseDown(int, int, int, int clicks) {
    if (mListener != nullptr) {
        mListener->OnButtonDown(mId, clicks);
    }
    Invalidate();
}

void ButtonWidget::MouseUp(int, int, int, int) {
    bool appHasFocus = mManager == nullptr || mManager->mAppHasFocus;
    if (mHovered && appHasFocus && mListener != nullptr) {
        mListener->OnButtonClick(mId);
    }
    Invalidate();
}

void ButtonWidget::KeyDown(int key) {
    if (key == kKeyEnter || key == kKeySpace) {
        Activate();
        return;
    }
    Widget::KeyDown(key);
}

void ButtonWidget::Activate() {
    if (mDisabled || mListener == nullptr) {
        return;
    }
    mListener->OnButtonDown(mId, 1);
    mListener->OnButtonClick(mId);
}

void ButtonWidget::DrawFace(Graphics& g, Image* image, const Rect& cell, int x, int y) {
    if (cell.mWidth != 0) {
        if (mFaceImage != nullptr) {
            g.DrawImage(mFaceImage, x, y, cell);
        }
    } else if (image != nullptr) {
        g.DrawImage(image, x, y);
    }
}

void ButtonWidget::SetFont(const Font* font) {
    mFont = font != nullptr ? font->Duplicate() : nullptr;
}

bool ButtonWidget::IsPressedNow() {
    return mPressed && mHovered && !mDisabled;
}

Font* ButtonWidget::LabelFont(int pointSize, bool bold) {
    if (mFont == nullptr) {
        mFont = CreateDefaultFont(pointSize, bold);
    }
    return mFont.get();
}

void ButtonWidget::DrawFadingHover(Graphics& g, Image* image, const Rect& cell) {
    g.SetTintImages(true);
    g.SetColor(Color(255, 255, 255, static_cast<int>(mHoverFade * 255)));
    DrawFace(g, image, cell, 0, 0);
    g.SetTintImages(false);
}

Color ButtonWidget::LabelColor() const {
    return GetColor(mHovered ? kColorLabelHover : kColorLabel);
}

void ButtonWidget::InvalidateIfHoverShows() {
    if (mPressed || HasHoverLook() || GetColor(kColorLabel) != GetColor(kColorLabelHover)) {
        Invalidate();
    }
}

void ButtonWidget::DrawImageLooks(Graphics& g, bool pressed, int labelX, int labelY) {
    if (pressed) {
        if (HasPressedLook()) {
            DrawFace(g, mPressedImage, mPressedCell, 0, 0);
        } else if (HasHoverLook()) {
            DrawFace(g, mHoverImage, mHoverCell, 1, 1);
        } else {
            DrawFace(g, mFaceImage, mFaceCell, 1, 1);
        }
        DrawLabel(g, labelX + 1, labelY + 1, GetColor(kColorLabelHover));
        return;
    }
    if (mDisabled && HasInactiveLook()) {
        DrawFace(g, mInactiveImage, mInactiveCell, 0, 0);
    } else if (mHoverFade > 0 && HasHoverLook()) {
        if (HasFaceLook() && mHoverFade < 1) {
            DrawFace(g, mFaceImage, mFaceCell, 0, 0);
        }
        DrawFadingHover(g, mHoverImage, mHoverCell);
    } else if ((mHovered || mPressed) && HasHoverLook()) {
        DrawFace(g, mHoverImage, mHoverCell, 0, 0);
    } else if (HasFaceLook()) {
        DrawFace(g, mFaceImage, mFaceCell, 0, 0);
    }
    DrawLabel(g, labelX, labelY, LabelColor());
}

void ButtonWidget::DrawFramedLooks(Graphics& g, bool pressed, int labelX, int labelY) {
    int w = mWidth;
    int h = mHeight;
    if (!mNoFrame) {
        g.SetColor(GetColor(kColorBackground));
        g.FillRect(0, 0, w, h);
    }
    if (pressed) {
        if (!mNoFrame) {
            // Sunken: a dark line inside the top and left edges.
            g.SetColor(GetColor(kColorDarkFrame));
            g.FillRect(1, 1, w - 3, 1);
            g.FillRect(1, 1, 1, h - 3);
        }
        DrawLabel(g, labelX + 1, labelY + 1, LabelColor());
        return;
    }
    if (!mNoFrame) {
        // Raised: light top and left edges, a dark shadow inside the right and bottom edges.
        g.SetColor(GetColor(kColorLightFrame));
        g.FillRect(0, 0, w - 1, 1);
        g.FillRect(0, 0, 1, h - 1);
        g.SetColor(GetColor(kColorDarkFrame));
        g.FillRect(1, h - 2, w - 2, 1);
        g.FillRect(w - 2, 1, 1, h - 2);
    }
    DrawLabel(g, labelX, labelY, LabelColor());
}

void ButtonWidget::DrawLabel(Graphics& g, int x, int y, const Color& color) {
    if (mLabel.empty() || mFont == nullptr) {
        return;
    }
    g.SetFont(mFont.get());
    g.SetColor(color);
    g.DrawString(mLabel, x, y);
}

} // namespace ravix
