#include "game/StackedButtonLooks.h"

#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

namespace tarnwick {

ravix::Rect SetStackedLooks(ravix::ButtonWidget& button, ravix::Image* image, StackedLook look) {
    button.mShowHandCursor = true;
    if (image == nullptr) {
        return {};
    }
    const int width = image->GetWidth();
    const int height = image->GetHeight() / 2;
    const ravix::Rect top(0, 0, width, height);
    const ravix::Rect bottom(0, height, width, height);
    button.mFaceImage = image;
    button.mHoverImage = image;
    button.mFaceCell = look == StackedLook::NormalOnTop ? top : bottom;
    button.mHoverCell = look == StackedLook::NormalOnTop ? bottom : top;
    return top;
}

} // namespace tarnwick
