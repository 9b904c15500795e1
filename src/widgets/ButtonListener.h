#pragma once

namespace ravix {

// What a button tells its owner, by the button's id. Every operation does nothing unless
// overridden; the owner decides what a press means.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;

    // Virtual operations, in slot order.
    // A mouse button went down on the button; by default passed on without the click count.
    virtual void OnButtonDown(int id, int /*clicks*/) { OnButtonDown(id); }
    virtual void OnButtonDown(int /*id*/) {}
    // Released over the button while the application has the focus: the click.
    virtual void OnButtonClick(int /*id*/) {}
    // Every update while the button is held and the pointer is over it.
    virtual void OnButtonHeld(int /*id*/) {}
    virtual void OnButtonHover(int /*id*/) {}
    virtual void OnButtonUnhover(int /*id*/) {}
    virtual void OnButtonPointerMove(int /*id*/, int /*x*/, int /*y*/) {}
};

} // namespace ravix
