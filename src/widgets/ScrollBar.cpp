#include "widgets/ScrollBar.h"

#include "graphics/Graphics.h"

#include <algorithm>

namespace ravix {

void ScrollBar::SetCounts(int total, int visible) {
    mTotal = std::max(total, 0);
    mVisible = std::max(visible, 1);
    ScrollTo(mFirst);
}

bool ScrollBar::ScrollTo(int first) {
    int clamped = std::clamp(first, 0, MaxFirst());
    if (clamped == mFirst) {
        return false;
    }
    mFirst = clamped;
    return true;
}

bool ScrollBar::ShowRow(int row) {
    if (row < mFirst) {
        return ScrollTo(row);
    }
    if (row >= mFirst + mVisible) {
        return ScrollTo(row - mVisible + 1);
    }
    return false;
}

int ScrollBar::MaxFirst() const {
    return std::max(mTotal - mVisible, 0);
}

Rect ScrollBar::ThumbRect(const Rect& track) const {
    if (!IsNeeded() || track.mHeight <= 0) {
        return Rect(track.mX, track.mY, track.mWidth, track.mHeight);
    }
    int length = std::max(track.mHeight * mVisible / mTotal, kMinThumbLength);
    length = std::min(length, track.mHeight);
    int travel = track.mHeight - length;
    int offset = MaxFirst() > 0 ? travel * mFirst / MaxFirst() : 0;
    return Rect(track.mX, track.mY + offset, track.mWidth, length);
}

void ScrollBar::Draw(Graphics& g, const Rect& track, const Color& trackColor,
                     const Color& thumbColor) const {
    if (!IsNeeded()) {
        return;
    }
    g.SetColor(trackColor);
    g.FillRect(track);
    g.SetColor(thumbColor);
    g.FillRect(ThumbRect(track));
}

bool ScrollBar::Press(const Rect& track, int y) {
    Rect thumb = ThumbRect(track);
    if (y < thumb.mY) {
        return ScrollBy(-mVisible);
    }
    if (y >= thumb.mY + thumb.mHeight) {
        return ScrollBy(mVisible);
    }
    mDragging = true;
    mGrabOffset = y - thumb.mY;
    return false;
}

bool ScrollBar::Drag(const Rect& track, int y) {
    if (!mDragging) {
        return false;
    }
    int travel = track.mHeight - ThumbRect(track).mHeight;
    if (travel <= 0) {
        return false;
    }
    // The nearest row to where the thumb's top now lies along its travel.
    int top = std::clamp(y - mGrabOffset - track.mY, 0, travel);
    return ScrollTo((top * MaxFirst() + travel / 2) / travel);
}

} // namespace ravix
