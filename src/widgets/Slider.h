#pragma once

#include "base/Rect.h"
#include "widgets/Widget.h"

namespace ravix {

class Image;
class SliderListener;

// A value between 0 and 1 chosen with a thumb on a track. The thumb can be grabbed and dragged;
// a click on the track away from the thumb jumps there. The listener hears every changed value
// during a drag and the final value on release. A vertical slider is the same with the axes
// exchanged.
class Slider : public Widget {
public:
    // How far one arrow key moves the value: twenty presses cross the whole range.
    static constexpr double kKeyStep = 0.05;

    Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener);

    void Draw(Graphics& g) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int clickCode) override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y) override;
    void PointerLeft() override;
    // Left and Right move the focused slider by kKeyStep, Home and End to its ends; each key
    // reports the value as a release of the thumb does.
    void KeyDown(int key) override;

    // Virtual operations added by sliders, in slot order.
    // Clamped to 0..1; the listener is not told.
    virtual void SetValue(double value);

    SliderListener* mListener = nullptr;
    double mValue = 0;
    int mId = 0;
    Image* mRailImage = nullptr; // three equal parts along the axis: cap, middle, cap
    Image* mKnobImage = nullptr;
    bool mGrabbed = false; // the thumb is being dragged
    int mGrabX = 0;        // where the thumb was grabbed, from its corner
    int mGrabY = 0;
    bool mHorizontal = true;

private:
    // Sizes and positions along the slider's axis, and across it.
    [[nodiscard]] int Along(int x, int y) const { return mHorizontal ? x : y; }
    [[nodiscard]] int Length() const { return Along(mWidth, mHeight); }
    [[nodiscard]] int Breadth() const { return mHorizontal ? mHeight : mWidth; }
    [[nodiscard]] int ThumbLength() const;
    [[nodiscard]] int ThumbStart() const;
    [[nodiscard]] bool IsOverThumb(int x, int y) const;
    // A rectangle given along and across the axis, in the widget's x and y.
    [[nodiscard]] Rect Oriented(int along, int across, int alongSize, int acrossSize) const;
    void DrawTrack(Graphics& g);
};

} // namespace ravix
