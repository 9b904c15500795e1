#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"
#include "widgets/Widget.h"

namespace ravix {

class CheckboxListener;
class Image;

// A check box that toggles on a click and tells its listener. It is drawn from two images, or
// from two cells of mOffImage, or, without images, as a filled box with a check mark.
class Checkbox : public Widget {
public:
    Checkbox(Image* offImage, Image* onImage, int id, CheckboxListener* listener);

    using Widget::MouseDown;
    void MouseDown(int x, int y, int button, int clicks) override;
    void Draw(Graphics& g) override;
    // Enter and Space toggle the focused box as a click does.
    void KeyDown(int key) override;

    // Virtual operations added by check boxes, in slot order.
    virtual void SetOn(bool checked, bool tellListener);
    [[nodiscard]] virtual bool IsOn();

    CheckboxListener* mListener = nullptr;
    int mId = 0;
    bool mIsOn = false;
    Image* mOffImage = nullptr;
    Image* mOnImage = nullptr;
    Rect mOnCell; // with a width: both looks are cells of mOffImage
    Rect mOffCell;
    Color mBorderColor = kOpaqueWhite;
    Color mFillColor{80, 80, 80};
    Color mMarkColor{255, 255, 0};

private:
    void DrawBox(Graphics& g);
};

} // namespace ravix
