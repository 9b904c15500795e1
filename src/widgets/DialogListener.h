#pragma once

namespace ravix {

// What a dialog tells its owner (the application) about its buttons: the dialog's id and the
// button's id (Dialog::kAcceptId or Dialog::kRejectId).
class DialogListener {
public:
    virtual ~DialogListener() = default;

    // Virtual operations, in slot order.
    virtual void OnDialogButtonDown(int /*dialogId*/, int /*buttonId*/) {}
    virtual void OnDialogButtonClick(int /*dialogId*/, int /*buttonId*/) {}
};

} // namespace ravix
