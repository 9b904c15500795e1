#pragma once

#include "widgets/WidgetHost.h"

#include <cstddef>
#include <memory>
#include <utility>

namespace ravix {

// Takes the widget out of the container that holds it, if any.
void DetachFromParent(Widget& widget);

// An owning handle for a widget that its owner keeps in a widget tree, usually beside itself:
// a screen's buttons, a dialog's controls, the application's screens. A container never owns
// its children, so the handle does: when it is destroyed or reset, the widget first leaves its
// parent and is then deleted. A widget that the current pass may still reach (the owner acts
// from inside its own click, say) must not be deleted at once: DeleteAfterPass takes it out of
// its tree and hands it to the host's deferred deletion instead, leaving the handle empty.
//
//     OwnedWidget<ButtonWidget> mOkButton{std::make_unique<ButtonWidget>(kOk, this)};
//     manager->InsertChild(mOkButton.get());
//     ...
//     mOkButton.DeleteAfterPass(HostOf(mManager)); // from the button's own click
template <class T>
class OwnedWidget {
public:
    OwnedWidget() = default;
    explicit OwnedWidget(std::unique_ptr<T> widget) : mWidget(std::move(widget)) {}
    OwnedWidget(OwnedWidget&& other) noexcept = default;
    OwnedWidget& operator=(OwnedWidget&& other) noexcept {
        if (this != &other) {
            reset();
            mWidget = std::move(other.mWidget);
        }
        return *this;
    }
    OwnedWidget(const OwnedWidget&) = delete;
    OwnedWidget& operator=(const OwnedWidget&) = delete;
    ~OwnedWidget() { reset(); }

    [[nodiscard]] T* get() const { return mWidget.get(); }
    T* operator->() const { return mWidget.get(); }
    T& operator*() const { return *mWidget; }
    explicit operator bool() const { return mWidget != nullptr; }

    // Detaches and deletes the widget now, then owns the replacement (if any).
    void reset(std::unique_ptr<T> replacement = nullptr) {
        if (mWidget != nullptr) {
            DetachFromParent(*mWidget);
        }
        mWidget = std::move(replacement);
    }
    // Detaches the widget now and has the host delete it once the current pass is over
    // (at once without a host). The handle is empty afterwards.
    void DeleteAfterPass(WidgetHost* host) {
        if (mWidget != nullptr) {
            DetachFromParent(*mWidget);
            DeleteWidgetAfterPass(host, mWidget.release());
        }
    }

    friend bool operator==(const OwnedWidget& handle, const T* widget) {
        return handle.get() == widget;
    }
    friend bool operator==(const OwnedWidget& handle, std::nullptr_t) {
        return handle.get() == nullptr;
    }

private:
    std::unique_ptr<T> mWidget;
};

} // namespace ravix
