#include "app/RavixAppBase.h"

#include "graphics/MemoryImage.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

namespace ravix {

bool RavixAppBase::RunWidgetUpdate() {
    return mWidgets->RunUpdate();
}

bool RavixAppBase::RunWidgetFractionalUpdate(float fraction) {
    return mWidgets->RunFractionalUpdate(fraction);
}

bool RavixAppBase::DrawDirtyWidgets() {
    if (GetScreenImage() == nullptr) {
        return false; // nothing to draw into before the display exists
    }
    mWidgets->mScreenImage = GetScreenImage();
    return mWidgets->DrawDirty();
}

void RavixAppBase::MarkAllWidgetsDirty() {
    mWidgets->InvalidateTree();
}

void RavixAppBase::ReinitializeImages() {
    mImages.ForEach([](MemoryImage* image) { image->Reinitialize(); });
}

void RavixAppBase::DropAllNativeCaches() {
    mImages.ForEach([](MemoryImage* image) { image->DropNativeCaches(); });
}

void RavixAppBase::DropAllSpareBuffers() {
    mImages.ForEach([](MemoryImage* image) { image->DropSpareBuffers(); });
}

void RavixAppBase::DeferDeleteWidget(Widget* w) {
    DeferDelete(w);
}

} // namespace ravix
