#pragma once

#include "base/Rect.h"

namespace ravix {
class ButtonWidget;
class Image;
} // namespace ravix

namespace tarnwick {

// Which half of a button picture with two looks stacked vertically is the normal look; the
// other half is shown while the mouse is over the button.
enum class StackedLook { NormalOnTop, OverOnTop };

// Gives the button its two looks from one picture and the hand cursor. Returns the size of one
// look (the picture's width and half its height); empty without a picture.
ravix::Rect SetStackedLooks(ravix::ButtonWidget& button, ravix::Image* image, StackedLook look);

} // namespace tarnwick
