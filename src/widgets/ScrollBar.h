#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"

namespace ravix {

class Graphics;

// The vertical scroll position of a view that shows a window of rows (text lines, list
// entries) out of a longer run, and the thin bar that shows where the window lies. The bar is
// not a widget: the view that owns it hands it the track rectangle and the mouse positions.
// A press on the thumb starts a drag; a press above or below it moves by a page.
class ScrollBar {
public:
    // Sets how many rows there are and how many fit; the first row stays in range.
    void SetCounts(int total, int visible);
    // Each returns whether the first shown row changed.
    bool ScrollTo(int first);
    bool ScrollBy(int rows) { return ScrollTo(mFirst + rows); }
    // Scrolls as little as needed for row to be shown.
    bool ShowRow(int row);

    [[nodiscard]] int First() const { return mFirst; }
    [[nodiscard]] int Visible() const { return mVisible; }
    [[nodiscard]] int Total() const { return mTotal; }
    [[nodiscard]] int MaxFirst() const;
    // The rows do not all fit: the bar is shown.
    [[nodiscard]] bool IsNeeded() const { return mTotal > mVisible; }

    // The thumb inside track, which is the whole length the bar may use.
    [[nodiscard]] Rect ThumbRect(const Rect& track) const;
    // Draws the track and the thumb when the bar is needed.
    void Draw(Graphics& g, const Rect& track, const Color& trackColor,
              const Color& thumbColor) const;
    // y is in the same coordinates as track. Each returns whether the first row changed.
    bool Press(const Rect& track, int y);
    bool Drag(const Rect& track, int y);
    void Release() { mDragging = false; }
    [[nodiscard]] bool IsDragging() const { return mDragging; }

    static constexpr int kMinThumbLength = 8;

private:
    int mTotal = 0;
    int mVisible = 1;
    int mFirst = 0;
    bool mDragging = false;
    int mGrabOffset = 0; // where the thumb was grabbed, from its top
};

} // namespace ravix
