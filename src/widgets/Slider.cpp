#include "widgets/Slider.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/KeyCodes.h"
#include "widgets/SliderListener.h"
#include "widgets/WidgetHost.h"

#include <algorithm>

namespace ravix {

namespace {

constexpr int kArrowCursor = 0;
constexpr int kGrabCursor = 2;

// Clamps to 0..1; a value that is not a number counts as 0.
double ClampUnit(double value) {
    return value >= 0 ? std::min(value, 1.0) : 0.0;
}

} // namespace

Slider::Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener)
    : mListener(listener), mId(id), mRailImage(trackImage), mKnobImage(thumbImage) {
    mAcceptsFocus = true;
    mFocusOnHover = true;
}

void Slider::Draw(Graphics& g) {
    DrawTrack(g);
    if (mKnobImage != nullptr) {
        int thumbBreadth = mHorizontal ? mKnobImage->GetHeight() : mKnobImage->GetWidth();
        Rect thumb = Oriented(ThumbStart(), (Breadth() - thumbBreadth) / 2, 0, 0);
        g.DrawImage(mKnobImage, thumb.mX, thumb.mY);
    }
    DrawFocusRing(g);
}

void Slider::KeyDown(int key) {
    double value = mValue;
    switch (key) {
    case kKeyLeft:
        value -= kKeyStep;
        break;
    case kKeyRight:
        value += kKeyStep;
        break;
    case kKeyHome:
        value = 0;
        break;
    case kKeyEnd:
        value = 1;
        break;
    default:
        Widget::KeyDown(key);
        return;
    }
    SetValue(value);
    if (mListener != nullptr) {
        mListener->OnSliderMoved(mId, mValue);
    }
}

void Slider::MouseDown(int x, int y, int) {
    if (IsOverThumb(x, y)) {
        RequestCursorNumber(HostOf(mManager), kGrabCursor);
        mGrabbed = true;
        (mHorizontal ? mGrabX : mGrabY) = Along(x, y) - ThumbStart();
    } else if (Length() > 0) {
        SetValue(static_cast<double>(Along(x, y)) / Length());
    }
}

void Slider::MouseMove(int x, int y) {
    RequestCursorNumber(HostOf(mManager), IsOverThumb(x, y) ? kGrabCursor : kArrowCursor);
}

void Slider::MouseDrag(int x, int y) {
    if (!mGrabbed) {
        return;
    }
    int range = Length() - ThumbLength();
    int grab = mHorizontal ? mGrabX : mGrabY;
    double value = range > 0 ? ClampUnit(static_cast<double>(Along(x, y) - grab) / range) : 0.0;
    if (value != mValue) {
        mValue = value;
        if (mListener != nullptr) {
            mListener->OnSliderMoved(mId, value);
        }
        InvalidateArea();
    }
}

void Slider::MouseUp(int, int) {
    mGrabbed = false;
    RequestCursorNumber(HostOf(mManager), kArrowCursor);
    if (mListener != nullptr) {
        mListener->OnSliderMoved(mId, mValue);
    }
}

void Slider::PointerLeft() {
    if (!mGrabbed) {
        RequestCursorNumber(HostOf(mManager), kArrowCursor);
    }
}

void Slider::SetValue(double value) {
    mValue = ClampUnit(value);
    InvalidateArea();
}

int Slider::ThumbLength() const {
    if (mKnobImage == nullptr) {
        return 0;
    }
    return mHorizontal ? mKnobImage->GetWidth() : mKnobImage->GetHeight();
}

int Slider::ThumbStart() const {
    return static_cast<int>((Length() - ThumbLength()) * mValue);
}

bool Slider::IsOverThumb(int x, int y) const {
    int along = Along(x, y);
    int start = ThumbStart();
    return along >= start && along < start + ThumbLength();
}

Rect Slider::Oriented(int along, int across, int alongSize, int acrossSize) const {
    return mHorizontal ? Rect(along, across, alongSize, acrossSize)
                       : Rect(across, along, acrossSize, alongSize);
}

void Slider::DrawTrack(Graphics& g) {
    if (mRailImage == nullptr) {
        return;
    }
    int trackLength = mHorizontal ? mRailImage->GetWidth() : mRailImage->GetHeight();
    int part = trackLength / 3;
    if (part <= 0) {
        return;
    }
    int thickness = mHorizontal ? mRailImage->GetHeight() : mRailImage->GetWidth();
    int top = (Breadth() - thickness) / 2;
    auto drawPart = [&](Graphics& target, int index, int along) {
        Rect source = Oriented(index * part, 0, part, thickness);
        Rect at = Oriented(along, top, 0, 0);
        target.DrawImage(mRailImage, at.mX, at.mY, source);
    };
    int length = Length();
    drawPart(g, 0, 0);
    Graphics middle(g);
    middle.ClipRect(Oriented(part, top, length - 2 * part, thickness));
    int pieces = (length - part - 1) / part;
    for (int i = 1; i <= pieces; ++i) {
        drawPart(middle, 1, i * part);
    }
    drawPart(g, 2, length - part);
}

} // namespace ravix
