#pragma once

namespace ravix {

// The window-system messages the application listens to. A back-end turns its own events into
// these; the application's window procedure queues the interesting ones for the main loop.
enum class MessageKind {
    None,
    Move,           // mX, mY: the window's new position
    Size,           // mCode: a SizeKind value; mX, mY: the new client size
    Close,          // the user asked to close the window
    EndSession,     // the user's session ends
    ActivateApp,    // mCode: 1 activated, 0 deactivated
    SysColorChange, // the system colours changed
    DisplayChange,  // the desktop display mode changed
    KeyDown,        // mCode: virtual-key code
    KeyUp,          // mCode: virtual-key code
    SysKeyDown,     // mCode: virtual-key code, with Alt held or F10
    SysKeyUp,       // mCode: virtual-key code
    Char,           // mCode: the character
    Timer,          // the periodic window timer
    MouseMove,      // mX, mY: pointer in client coordinates (all mouse messages)
    LeftDown,
    LeftUp,
    LeftDoubleClick,
    RightDown,
    RightUp,
    RightDoubleClick,
    MiddleDown,
    MiddleUp,
    MouseWheel, // mCode: wheel delta, 120 per notch, negative towards the user
    Notify,     // another copy of the program started; mCode: its notify code
    Paint,      // the window's contents were lost (uncovered) and must be shown again
};

// The size kinds of a Size message.
enum SizeKind { kSizeRestored = 0, kSizeMinimized = 1, kSizeMaximized = 2 };

// Which of the application's two windows a message is addressed to.
enum class MessageTarget { MainWindow, HiddenWindow };

// One message from the window system: what happened, to which window, and its values.
struct PlatformMessage {
    MessageKind mKind = MessageKind::None;
    MessageTarget mTarget = MessageTarget::MainWindow;
    int mX = 0;
    int mY = 0;
    int mCode = 0;
};

// Whether a message is a key or mouse event: user input for the idle timer.
inline bool IsUserInput(MessageKind kind) {
    return kind >= MessageKind::KeyDown && kind != MessageKind::Timer &&
           kind <= MessageKind::MouseWheel;
}

} // namespace ravix
