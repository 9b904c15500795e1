#include "app/RavixAppBase.h"

#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

namespace ravix {

bool RavixAppBase::RunWidgetUpdate() {
    return mWidgets->RunUpdate();
}

bool RavixAppBase::RunWidgetFractionalUpdate(float fraction) {
    return mWidgets->RunFractionalUpdate(fraction);
}

bool RavixAppBase::DrawDirtyWidgets() {
    if (!mScreenImage) {
        return false; // nothing to draw into before Initialize
    }
    mWidgets->mScreenImage = mScreenImage.get();
    return mWidgets->DrawDirty();
}

void RavixAppBase::MarkAllWidgetsDirty() {
    mWidgets->InvalidateTree();
}

// The screen is the size of the logical screen and always opaque: fixing its transparency flags
// lets the blitters take their opaque paths when the screen itself is drawn somewhere.
void RavixAppBase::CreateScreenImage() {
    mScreenImage = std::make_unique<MemoryImage>(this);
    mScreenImage->Create(mScreenWidth, mScreenHeight);
    mScreenImage->FixTransparencyFlags(false, false);
    mScreenImage->FillRect(Rect(0, 0, mScreenWidth, mScreenHeight), kOpaqueBlack, DrawMode::Normal);
    mWidgets->mScreenImage = mScreenImage.get();
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

} // namespace ravix
