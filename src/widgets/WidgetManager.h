#pragma once

#include "base/Point.h"
#include "base/Rect.h"
#include "graphics/Color.h"
#include "platform/KeyCodes.h"
#include "widgets/WidgetContainer.h"
#include "widgets/WidgetFlags.h"

#include <array>
#include <climits>
#include <vector>

namespace ravix {

class Graphics;
class Image;
class WidgetHost;

// The root of the widget tree and the one entry point through which the application feeds
// input and asks for update and draw passes. Its children are the top-level screens and
// dialogs. It tracks the widget under the mouse, the widget holding the mouse after a button
// went down, the keyboard focus and the modal widget, and draws only the dirty top-level
// widgets. Positions given to it are in its own (logical screen) coordinates.
class WidgetManager : public WidgetContainer {
public:
    // Mouse button bits of mHeldButtons and mPhysicalButtons.
    static constexpr int kLeftBit = 1;
    static constexpr int kRightBit = 2;
    static constexpr int kMiddleBit = 4;
    // Everything but dirty-always.
    static constexpr int kDefaultBaseFlags =
        kWidgetUpdate | kWidgetDraw | kWidgetClip | kWidgetMouse | kWidgetFocus;

    // The host (may be null) serves every widget in the tree.
    explicit WidgetManager(WidgetHost* host = nullptr);
    // Takes every top-level widget out of the tree (nothing is deleted).
    ~WidgetManager() override;

    [[nodiscard]] WidgetHost* GetHost() const { return mHost; }
    // Drops every reference the manager holds to w.
    void ForgetWidget(Widget* w) override;
    // Moves the keyboard focus to w, or clears it when w is null or not in this tree.
    void FocusWidget(Widget* w) override;

    // One fixed update pass; returns whether anything is dirty.
    bool RunUpdate();
    // The fractional pass between fixed updates; returns whether anything is dirty.
    bool RunFractionalUpdate(float fraction);
    // Draws the dirty top-level widgets into mScreenImage; returns whether anything was drawn.
    bool DrawDirty();

    // Click codes: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y, int clickCode);
    void MouseUp(int x, int y, int clickCode);
    void MouseExit();
    void MouseWheel(int delta);
    void CharTyped(char c);
    // Key codes are virtual-key codes (KeyCodes.h). Tab and Shift+Tab move the focus through
    // the top modal layer (FocusTraversal), the arrow keys within the focus widget's group;
    // other keys go to the focus widget. A press that moves the focus is used up: its
    // characters and its release reach no widget.
    void KeyDown(int key);
    void KeyUp(int key);
    // The application window gained or lost the input focus.
    void OnFocusGained();
    void OnFocusLost();
    // The widget holding the mouse gets a release for each held button and lets go.
    void ReleaseHeldButtons();

    // Makes w modal: widgets beneath it get the default below-modal modifier (no mouse, no
    // focus) or the one given.
    void PushModal(Widget* w);
    void PushModal(Widget* w, const FlagModifier& underModal);
    // Undoes w's PushModal; nothing when w is not the current modal widget.
    void PopModal(Widget* w);

    // The topmost enabled widget that takes the mouse at (x, y), and the point in its own
    // coordinates; null when there is none.
    [[nodiscard]] Widget* WidgetAt(int x, int y, int* localX = nullptr, int* localY = nullptr);
    // Re-evaluates the widget under the mouse after the tree changed.
    void RecheckPointer();
    // Sets the mouse mapping of a scaled display: window positions in source map to dest.
    // The manager takes the size of dest plus its margins on both sides.
    void Resize(const Rect& dest, const Rect& source);
    [[nodiscard]] Point MapPointer(int x, int y) const;

    // A widget asks to have DrawOnTop called during this draw pass, before the first widget
    // whose draw priority is higher than priority, or at the end of the pass.
    void QueueOverlay(Widget* w, int priority);
    // Draws the queued overlays whose priority is below limit.
    void DrawOverlays(int limit);

    // The flags of a pass: the base flags, with the lost-focus modifier while the application
    // lacks the focus.
    [[nodiscard]] int CurrentFlags() const;
    [[nodiscard]] bool IsKeyDown(int key) const;
    // Moves the focus step widgets along the traversal order (back for a negative step),
    // wrapping; within the focus widget's group when group is set. False when nothing moved.
    bool MoveFocus(int step, bool withinGroup = false);
    // The focus ring is drawn while the focus was last moved by the keyboard.
    void ShowFocusRing(bool shown);
    // Clears every key-down mark without sending key-ups.
    void ClearKeyState() { mKeyState.fill(false); }
    // w left the tree: the saved modal states, the popup, the Ctrl+Tab target and the queued
    // overlays no longer refer to it.
    void DropRemovedWidget(const Widget* w);

    struct Overlay {
        Widget* mWidget = nullptr;
        int mPriority = 0;
    };
    // What PushModal saved, restored by PopModal.
    struct SavedModalState {
        Widget* mWidget = nullptr; // the widget made modal; null once it left the tree
        Widget* mPreviousModal = nullptr;
        Widget* mPreviousFocus = nullptr;
        FlagModifier mPreviousUnderModal;
    };

    Widget* mCtrlTabTarget = nullptr;    // receives Tab typed with Ctrl held
    Graphics* mScreenGraphics = nullptr; // set only while a draw pass runs
    WidgetHost* mHost = nullptr;
    Image* mScreenImage = nullptr;  // drawn into by DrawDirty
    Widget* mPopupWidget = nullptr; // removed by the next click outside it
    std::vector<Overlay> mOverlays; // overlay requests of the current draw pass
    int mMinOverlayPriority = INT_MAX;
    bool mAppHasFocus = true;
    Widget* mKeyboardFocus = nullptr;
    Widget* mPressedWidget = nullptr; // holds the mouse until every held button is up
    Widget* mHoverWidget = nullptr;
    Widget* mModalWidget = nullptr;
    int mInactiveAdd = 0; // modifier of the pass flags while the application lacks the focus
    int mInactiveRemove = 0;
    int mUnderModalAdd = 0; // modifier of the widgets beneath the modal widget
    int mUnderModalRemove = kWidgetMouse | kWidgetFocus;
    int mDefaultUnderModalAdd = 0;
    int mDefaultUnderModalRemove = kWidgetMouse | kWidgetFocus;
    std::vector<SavedModalState> mModalStack;
    Rect mPresentRect;
    Rect mLogicalRect;
    bool mMouseIn = false;
    int mPointerX = 0;
    int mPointerY = 0;
    int mHeldButtons = 0;     // buttons held while a widget holds the mouse
    int mPhysicalButtons = 0; // buttons physically down
    int mLastInputStamp = 0;  // update count at the last input event
    std::array<bool, kKeyCodeCount> mKeyState{};
    int mLastPressedButton = 0; // 1 left, -1 right, 2 middle
    int mBaseFlags = kDefaultBaseFlags;
    bool mFocusRingShown = false;
    Color mFocusRingColor{255, 214, 0};

private:
    [[nodiscard]] ModalFlags FlagsForPass() const;
    [[nodiscard]] FlagModifier UnderModalModifier() const {
        return {mUnderModalAdd, mUnderModalRemove};
    }
    // The recursive search of WidgetAt; disabled widgets are found too.
    Widget* FindWidgetAt(WidgetContainer& parent, int x, int y, int flags, bool& passedModal,
                         int* localX, int* localY);
    void MousePosition(int x, int y);
    void Drag(int x, int y);
    void RecordInput() { mLastInputStamp = mUpdates; }
    // Tab and the arrow keys of a focus group; false when the key is not one of them.
    bool MoveFocusByKey(int key);
    // The focus changed: both widgets are drawn again (for the focus ring).
    void NoteFocusChange(Widget* lost, Widget* gained);
    // Hover bookkeeping around the PointerEntered and PointerLeft hooks.
    void EnterHover(Widget* w);
    void LeaveHover(Widget* w);
    // Ends the capture of w: each button of buttons is released at the last mouse position.
    void ReleaseButtons(Widget* w, int buttons);
    // Makes the state saved by a PushModal current again.
    void RestoreModalState(const SavedModalState& state);
    // Draws the overlays of the lowest queued priority; false when none are queued.
    bool DrawLowestOverlays();
    void RecomputeMinOverlayPriority();

    // Counts focus changes, so that a key press that moved the focus is noticed.
    int mFocusChanges = 0;
    // Keys whose press moved the focus: their releases are dropped.
    std::array<bool, kKeyCodeCount> mUsedUpKeys{};
    // The last key press moved the focus: the characters it typed are dropped.
    bool mDropCharacters = false;
};

} // namespace ravix
