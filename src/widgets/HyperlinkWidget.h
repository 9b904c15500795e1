#pragma once

#include "graphics/Color.h"
#include "widgets/ButtonWidget.h"

namespace ravix {

// A text link: the label centred and underlined, in one colour normally and another while the
// pointer is over it, with the hand cursor. Reports to its listener like a button.
class HyperlinkWidget : public ButtonWidget {
public:
    HyperlinkWidget(int id, ButtonListener* listener);

    void Draw(Graphics& g) override;
    void PointerEntered() override;
    void PointerLeft() override;

    Color mColor = kOpaqueWhite;
    Color mHoverColor = kOpaqueWhite;
    int mUnderlineThickness = 1; // lines of one pixel
    int mUnderlineGap = 3;       // from the baseline to the first line
};

} // namespace ravix
