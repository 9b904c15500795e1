#include "widgets/HyperlinkWidget.h"

#include "graphics/Graphics.h"

namespace ravix {

namespace {

constexpr int kLabelPointSize = 10;

} // namespace

HyperlinkWidget::HyperlinkWidget(int id, ButtonListener* listener) : ButtonWidget(id, listener) {
    mShowHandCursor = true;
}

void HyperlinkWidget::Draw(Graphics& g) {
    Font* font = LabelFont(kLabelPointSize, false);
    if (font == nullptr) {
        return;
    }
    int width = font->StringWidth(mLabel);
    int x = (mWidth - width) / 2;
    int y = (font->GetAscent() + mHeight) / 2 - 1;
    g.SetFont(font);
    g.SetColor(mHovered ? mHoverColor : mColor);
    g.DrawString(mLabel, x, y);
    for (int i = 0; i < mUnderlineThickness; ++i) {
        g.FillRect(x, y + mUnderlineGap + i, width, 1);
    }
    DrawFocusRing(g);
}

void HyperlinkWidget::PointerEntered() {
    ButtonWidget::PointerEntered();
    InvalidateArea();
}

void HyperlinkWidget::PointerLeft() {
    ButtonWidget::PointerLeft();
    InvalidateArea();
}

} // namespace ravix
