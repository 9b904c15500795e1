#pragma once

#include "widgets/ButtonWidget.h"

namespace ravix {

// A dialog's button. With a nine-part image it draws its looks as boxes stretched over the
// button (the looks are cells of that image when the normal cell has a width), the label in a
// bold font and the whole face shifted while pressed; without one it is a ButtonWidget.
class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* frameImage, int id, ButtonListener* listener);

    void Draw(Graphics& g) override;

    Image* mFrameImage = nullptr;
    int mPressShiftX = 1; // the face and label move by this while pressed
    int mPressShiftY = 1;
    int mLabelShiftX = 0;
    int mLabelShiftY = 0;

private:
    // Draws the box of the current look; a pressed face leaves the context shifted.
    void DrawBox(Graphics& g, bool pressed);
};

} // namespace ravix
