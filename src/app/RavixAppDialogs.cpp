#include "app/RavixAppBase.h"

#include "base/Verify.h"
#include "graphics/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace ravix {

namespace {

// Button ids of a dialog's buttons as the application's button listener hears them.
constexpr int kAcceptButtonOffset = 2000;
constexpr int kRejectButtonOffset = 3000;

// Message boxes shown as dialogs take the first free id from here, clear of the ids programs
// give their own dialogs.
constexpr int kFirstMessageDialogId = 0x40000000;

constexpr int kMessageBoxButtonsMask = 0xF;

// The button id a dialog button is forwarded as; 0 for buttons that are not forwarded.
int ForwardedButtonId(int dialogId, int buttonId) {
    if (buttonId == Dialog::kAcceptId) {
        return dialogId + kAcceptButtonOffset;
    }
    if (buttonId == Dialog::kRejectId) {
        return dialogId + kRejectButtonOffset;
    }
    return 0;
}

// The dialog buttons that offer a message box's choices; -1 when a dialog cannot offer them.
int ButtonSetForMessageBox(int flags) {
    switch (flags & kMessageBoxButtonsMask) {
    case kMessageBoxOk:
        return Dialog::kFooterButton;
    case kMessageBoxOkCancel:
        return Dialog::kOkCancel;
    case kMessageBoxYesNo:
        return Dialog::kYesNo;
    default:
        return -1;
    }
}

// A dialog's answer as a message box result; closing without an answer declines.
int MessageBoxResultFor(int buttonSet, int answer) {
    bool accepted = answer == Dialog::kAcceptId;
    switch (buttonSet) {
    case Dialog::kYesNo:
        return accepted ? kMessageBoxResultYes : kMessageBoxResultNo;
    case Dialog::kOkCancel:
        return accepted ? kMessageBoxResultOk : kMessageBoxResultCancel;
    default:
        return kMessageBoxResultOk;
    }
}

} // namespace

void RavixAppBase::OnDialogButtonDown(int dialogId, int buttonId) {
    if (int id = ForwardedButtonId(dialogId, buttonId); id != 0) {
        OnButtonDown(id);
    }
}

void RavixAppBase::OnDialogButtonClick(int dialogId, int buttonId) {
    if (HandlePlaybackBoxButton(dialogId, buttonId)) {
        return;
    }
    if (int id = ForwardedButtonId(dialogId, buttonId); id != 0) {
        OnButtonClick(id);
    }
}

Dialog* RavixAppBase::CreateDialogWidget(int id, bool modal, const std::string& header,
                                         const std::string& body, const std::string& footer,
                                         int buttonSet) {
    auto* dialog = new Dialog(this, nullptr, id, modal, header, body, footer, buttonSet);
    dialog->mOwnerListener = this;
    return dialog;
}

Dialog* RavixAppBase::ShowDialog(int id, bool modal, const std::string& header,
                                 const std::string& body, const std::string& footer,
                                 int buttonSet) {
    DismissDialog(id);
    Dialog* dialog = CreateDialogWidget(id, modal, header, body, footer, buttonSet);
    RegisterDialog(id, dialog);
    return dialog;
}

Dialog* RavixAppBase::FindDialog(int id) {
    auto found = mDialogs.find(id);
    return found == mDialogs.end() ? nullptr : found->second;
}

void RavixAppBase::RegisterDialog(Dialog* dialog) {
    RegisterDialog(dialog->mId, dialog);
}

void RavixAppBase::RegisterDialog(int id, Dialog* dialog) {
    RAVIX_VERIFY(dialog != nullptr, "RegisterDialog needs a dialog");
    DismissDialog(id);
    if (dialog->mWidth == 0 && dialog->mHeight == 0) {
        int width = mScreenWidth / 2;
        int height = dialog->PreferredHeight(width);
        dialog->Resize((mScreenWidth - width) / 2, mScreenHeight / 5, width, height);
    }
    mDialogs[id] = dialog;
    mDialogOrder.push_back(dialog);
    mWidgets->InsertChild(dialog);
    if (dialog->IsModal()) {
        mWidgets->PushModal(dialog);
        // After PushModal, which saved the focus to give back when the dialog goes.
        dialog->FocusEnterButton();
        OnModalOpened();
    }
}

bool RavixAppBase::DismissDialog(Dialog* dialog) {
    return DismissDialog(dialog->mId);
}

bool RavixAppBase::DismissDialog(int id, bool removeWidget, bool deleteWidget) {
    auto found = mDialogs.find(id);
    if (found == mDialogs.end()) {
        return false;
    }
    Dialog* dialog = found->second;
    if (dialog->mResult == Dialog::kNoResult) {
        dialog->mResult = 0;
    }
    mDialogs.erase(found);
    std::erase(mDialogOrder, dialog);
    if ((removeWidget || deleteWidget) && dialog->GetParent() != nullptr) {
        dialog->GetParent()->DetachChild(dialog);
    }
    if (dialog->IsModal()) {
        OnModalClosed();
        mWidgets->PopModal(dialog);
    }
    if (deleteWidget) {
        DeferDelete(dialog);
    }
    return true;
}

bool RavixAppBase::CanShowMessageDialog(int flags) const {
    return ButtonSetForMessageBox(flags) >= 0 && mInitialized && mDisplay != nullptr &&
           mDisplay->HasScreenImage() && !mShuttingDown && !mWindowHidden &&
           std::this_thread::get_id() == mMainThreadId;
}

int RavixAppBase::ShowMessageDialog(const std::string& text, const std::string& caption,
                                    int flags) {
    int buttonSet = ButtonSetForMessageBox(flags);
    int id = kFirstMessageDialogId;
    while (FindDialog(id) != nullptr) {
        ++id;
    }
    std::string footer =
        buttonSet == Dialog::kFooterButton ? GetString("DIALOG_BUTTON_OK", "OK") : std::string();
    Dialog* dialog = ShowDialog(id, true, caption, text, footer, buttonSet);
    return MessageBoxResultFor(buttonSet, dialog->RunUntilAnswered(true));
}

void RavixAppBase::RemoveAllDialogs() {
    std::vector<Dialog*> dialogs = std::exchange(mDialogOrder, {});
    mDialogs.clear();
    for (Dialog* dialog : dialogs) {
        if (dialog->GetParent() != nullptr) {
            dialog->GetParent()->DetachChild(dialog);
        }
        delete dialog;
    }
}

} // namespace ravix
