#include "widgets/OwnedWidget.h"

#include "widgets/Widget.h"

namespace ravix {

void DetachFromParent(Widget& widget) {
    if (widget.GetParent() != nullptr) {
        widget.GetParent()->DetachChild(&widget);
    }
}

} // namespace ravix
