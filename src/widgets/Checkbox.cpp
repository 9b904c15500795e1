#include "widgets/Checkbox.h"

#include "graphics/Graphics.h"
#include "platform/KeyCodes.h"
#include "widgets/CheckboxListener.h"

namespace ravix {

Checkbox::Checkbox(Image* offImage, Image* onImage, int id, CheckboxListener* listener)
    : mListener(listener), mId(id), mOffImage(offImage), mOnImage(onImage) {
    mShowHandCursor = true;
    mAcceptsFocus = true;
    mFocusOnHover = true;
}

void Checkbox::MouseDown(int, int, int, int) {
    mIsOn = !mIsOn;
    if (mListener != nullptr) {
        mListener->OnCheckChanged(mId, mIsOn);
    }
    Invalidate();
}

void Checkbox::KeyDown(int key) {
    if (key == kKeyEnter || key == kKeySpace) {
        MouseDown(0, 0, kButtonLeft, 1);
        return;
    }
    Widget::KeyDown(key);
}

void Checkbox::Draw(Graphics& g) {
    DrawBox(g);
    DrawFocusRing(g);
}

void Checkbox::DrawBox(Graphics& g) {
    if (mOnCell.mWidth == 0 && mOffImage != nullptr && mOnImage != nullptr) {
        g.DrawImage(mIsOn ? mOnImage : mOffImage, 0, 0);
        return;
    }
    if (mOnCell.mWidth != 0 && mOffImage != nullptr) {
        g.DrawImage(mOffImage, 0, 0, mIsOn ? mOnCell : mOffCell);
        return;
    }
    int w = mWidth;
    int h = mHeight;
    g.SetColor(mBorderColor);
    g.FillRect(0, 0, w, h);
    g.SetColor(mFillColor);
    g.FillRect(1, 1, w - 2, h - 2);
    if (mIsOn) {
        // A tick: down from the left to the lower third, then up to the top right.
        int bottomX = w * 2 / 5;
        int bottomY = h - 1 - h / 5;
        g.SetColor(mMarkColor);
        g.DrawLine(w / 5, h / 2, bottomX, bottomY);
        g.DrawLine(bottomX, bottomY, w - 1 - w / 5, h / 5);
    }
}

void Checkbox::SetOn(bool checked, bool tellListener) {
    mIsOn = checked;
    if (tellListener && mListener != nullptr) {
        mListener->OnCheckChanged(mId, checked);
    }
    Invalidate();
}

bool Checkbox::IsOn() {
    return mIsOn;
}

} // namespace ravix
