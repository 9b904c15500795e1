#include "widgets/ApplicationLink.h"

#include "app/RavixAppBase.h"
#include "widgets/Widget.h"

namespace ravix {

void RequestHandCursor(bool hand) {
    if (gApplication != nullptr) {
        gApplication->SetHandCursor(hand);
    }
}

void DeleteWidgetAfterPass(Widget* w) {
    if (gApplication != nullptr) {
        gApplication->DeferDelete(w);
    } else {
        delete w;
    }
}

} // namespace ravix
