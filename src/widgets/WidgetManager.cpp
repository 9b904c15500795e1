#include "widgets/WidgetManager.h"

#include "base/Verify.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "widgets/FocusTraversal.h"
#include "widgets/Widget.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace ravix {

namespace {

// The button bit of a click code: negative codes are the right button, 3 the middle one.
int ButtonBit(int clickCode) {
    if (clickCode < 0) {
        return WidgetManager::kRightBit;
    }
    return clickCode == 3 ? WidgetManager::kMiddleBit : WidgetManager::kLeftBit;
}

bool IsKeyCode(int key) {
    return key >= 0 && key < kKeyCodeCount;
}

} // namespace

WidgetManager::WidgetManager(WidgetHost* host) : mHost(host) {
    mManager = this;
}

WidgetManager::~WidgetManager() {
    DetachAllChildren(false, false);
}

void WidgetManager::ForgetWidget(Widget* w) {
    if (w == nullptr) {
        return;
    }
    if (w == mHoverWidget) {
        mHoverWidget = nullptr;
        LeaveHover(w);
    }
    if (w == mPressedWidget) {
        int held = std::exchange(mHeldButtons, 0);
        mPressedWidget = nullptr;
        ReleaseButtons(w, held);
    }
    if (w == mKeyboardFocus) {
        mKeyboardFocus = nullptr;
        ++mFocusChanges;
        w->OnFocusLost();
    }
    if (w == mModalWidget) {
        mModalWidget = nullptr;
    }
}

void WidgetManager::FocusWidget(Widget* w) {
    if (w == mKeyboardFocus) {
        return;
    }
    Widget* old = mKeyboardFocus;
    bool inTree = w != nullptr && w->mManager == this;
    mKeyboardFocus = inTree ? w : nullptr;
    NoteFocusChange(old, mKeyboardFocus);
    if (old != nullptr) {
        old->OnFocusLost();
    }
    if (inTree && mKeyboardFocus == w && mAppHasFocus) {
        w->OnFocusGained();
    }
}

void WidgetManager::NoteFocusChange(Widget* lost, Widget* gained) {
    ++mFocusChanges;
    for (Widget* w : {lost, gained}) {
        if (w != nullptr) {
            w->Invalidate();
        }
    }
}

bool WidgetManager::MoveFocus(int step, bool withinGroup) {
    const int group = withinGroup && mKeyboardFocus != nullptr ? mKeyboardFocus->mFocusGroup : 0;
    if (withinGroup && group == 0) {
        return false;
    }
    Widget* next = FocusTraversal(*this).Neighbour(mKeyboardFocus, step, group);
    if (next == nullptr) {
        return false;
    }
    FocusWidget(next);
    return true;
}

void WidgetManager::ShowFocusRing(bool shown) {
    if (shown != mFocusRingShown && mKeyboardFocus != nullptr) {
        mKeyboardFocus->Invalidate();
    }
    mFocusRingShown = shown;
}

bool WidgetManager::MoveFocusByKey(int key) {
    if (IsKeyDown(kKeyControl) || IsKeyDown(kKeyAlt)) {
        return false;
    }
    if (key == kKeyTab) {
        // A widget with tab stops of its own chooses its neighbours itself.
        if (mKeyboardFocus != nullptr &&
            (mKeyboardFocus->mNextTabStop != nullptr || mKeyboardFocus->mPrevTabStop != nullptr)) {
            return false;
        }
        return MoveFocus(IsKeyDown(kKeyShift) ? -1 : 1);
    }
    if (key == kKeyUp || key == kKeyLeft) {
        return MoveFocus(-1, true);
    }
    if (key == kKeyDown || key == kKeyRight) {
        return MoveFocus(1, true);
    }
    return false;
}

bool WidgetManager::RunUpdate() {
    ModalFlags flags = FlagsForPass();
    ++mUpdates;
    mLastUpdateStamp = mUpdates;
    UpdateTree(flags);
    return mDirty;
}

bool WidgetManager::RunFractionalUpdate(float fraction) {
    ModalFlags flags = FlagsForPass();
    UpdateFractionTree(flags, fraction);
    return mDirty;
}

bool WidgetManager::DrawDirty() {
    bool anyDirty = std::any_of(mChildren.begin(), mChildren.end(),
                                [](const Widget* child) { return child->mDirty; });
    mOverlays.clear();
    mMinOverlayPriority = INT_MAX;
    // Whatever is dirty now gets drawn; what turns dirty while drawing marks the root again.
    mDirty = false;

    Graphics screen(mScreenImage);
    DDImageLock lock(mScreenImage); // a display image is being written for the whole pass
    mScreenGraphics = &screen;
    bool drawn = false;
    if (anyDirty) {
        Graphics base(screen);
        base.Translate(static_cast<float>(-mPresentRect.mX), static_cast<float>(-mPresentRect.mY));
        ModalFlags flags = FlagsForPass();
        for (Widget* child : mChildren) {
            if (child == mModalWidget) {
                flags.mIsOver = true;
            }
            if (!child->mDirty || !child->mVisible) {
                continue;
            }
            Graphics g(base);
            g.SetQuickScaling(!base.Uses3D());
            g.SetSmoothSampling(base.Uses3D());
            g.Translate(static_cast<float>(child->mX), static_cast<float>(child->mY));
            child->DrawTree(flags, g);
            child->mDirty = false;
            drawn = true;
        }
    }
    while (DrawLowestOverlays()) {
    }
    mScreenGraphics = nullptr;
    return drawn;
}

void WidgetManager::MouseMove(int x, int y) {
    RecordInput();
    if (mHeldButtons != 0) {
        Drag(x, y);
        return;
    }
    mMouseIn = true;
    ShowFocusRing(false);
    MousePosition(x, y);
}

void WidgetManager::MouseDown(int x, int y, int clickCode) {
    RecordInput();
    ShowFocusRing(false);
    int bit = ButtonBit(clickCode);
    mPhysicalButtons |= bit;
    MousePosition(x, y);
    if (Widget* popup = mPopupWidget) {
        Point origin = popup->AbsolutePosition();
        if (!Rect(origin.mX, origin.mY, popup->mWidth, popup->mHeight).Contains(x, y)) {
            mPopupWidget = nullptr;
            if (popup->mParent != nullptr) {
                popup->mParent->DetachChild(popup);
            }
        }
    }
    // While a widget holds the mouse, further buttons go to it wherever the mouse is.
    Widget* w = mPressedWidget != nullptr ? mPressedWidget : WidgetAt(x, y);
    if (w == nullptr) {
        return;
    }
    mHeldButtons |= bit;
    mLastPressedButton = bit == kRightBit ? -1 : bit == kMiddleBit ? 2 : 1;
    mPressedWidget = w;
    if (w->AcceptsFocus()) {
        FocusWidget(w);
    }
    w->mPressed = true;
    Point origin = w->AbsolutePosition();
    w->MouseDown(x - origin.mX, y - origin.mY, clickCode);
}

void WidgetManager::MouseUp(int x, int y, int clickCode) {
    RecordInput();
    int bit = ButtonBit(clickCode);
    mPhysicalButtons &= ~bit;
    if (Widget* w = mPressedWidget; w != nullptr && (mHeldButtons & bit) != 0) {
        mHeldButtons &= ~bit;
        if (mHeldButtons == 0) {
            mPressedWidget = nullptr;
        }
        w->mPressed = false;
        // The release goes to the widget that took the press, wherever the mouse is now.
        Point origin = w->AbsolutePosition();
        w->MouseUp(x - origin.mX, y - origin.mY, clickCode);
    }
    MousePosition(x, y);
}

void WidgetManager::MouseExit() {
    RecordInput();
    mMouseIn = false;
    if (Widget* w = std::exchange(mHoverWidget, nullptr)) {
        LeaveHover(w);
    }
}

void WidgetManager::MouseWheel(int delta) {
    RecordInput();
    if (mKeyboardFocus != nullptr) {
        mKeyboardFocus->MouseWheel(delta);
    }
}

void WidgetManager::CharTyped(char c) {
    RecordInput();
    if (mDropCharacters) {
        return;
    }
    Widget* target = c == '\t' && IsKeyDown(kKeyControl) ? mCtrlTabTarget : mKeyboardFocus;
    if (target != nullptr) {
        target->CharTyped(c);
    }
}

void WidgetManager::KeyDown(int key) {
    RecordInput();
    if (IsKeyCode(key)) {
        mKeyState[static_cast<size_t>(key)] = true;
    }
    ShowFocusRing(true);
    const int focusChangesBefore = mFocusChanges;
    if (!MoveFocusByKey(key) && mKeyboardFocus != nullptr) {
        mKeyboardFocus->KeyDown(key);
    }
    // The press belongs to the widget that had the focus: whatever has it now (a new screen,
    // the widget beneath a closed dialog) must not see its characters or its release.
    mDropCharacters = mFocusChanges != focusChangesBefore;
    if (IsKeyCode(key)) {
        mUsedUpKeys[static_cast<size_t>(key)] = mDropCharacters;
    }
}

void WidgetManager::KeyUp(int key) {
    RecordInput();
    if (IsKeyCode(key)) {
        mKeyState[static_cast<size_t>(key)] = false;
        if (std::exchange(mUsedUpKeys[static_cast<size_t>(key)], false)) {
            return;
        }
    }
    if (key == kKeyTab && IsKeyDown(kKeyControl)) {
        return;
    }
    if (mKeyboardFocus != nullptr) {
        mKeyboardFocus->KeyUp(key);
    }
}

void WidgetManager::OnFocusGained() {
    if (mAppHasFocus) {
        return;
    }
    mAppHasFocus = true;
    if (mKeyboardFocus != nullptr) {
        mKeyboardFocus->OnFocusGained();
    }
}

void WidgetManager::OnFocusLost() {
    if (!mAppHasFocus) {
        return;
    }
    mPhysicalButtons = 0;
    // The key-ups of keys released while another window had the focus never arrive.
    for (int key = 0; key < kKeyCodeCount; ++key) {
        if (mKeyState[static_cast<size_t>(key)]) {
            KeyUp(key);
        }
    }
    mAppHasFocus = false;
    if (mKeyboardFocus != nullptr) {
        mKeyboardFocus->OnFocusLost();
    }
}

void WidgetManager::ReleaseHeldButtons() {
    Widget* w = std::exchange(mPressedWidget, nullptr);
    int held = std::exchange(mHeldButtons, 0);
    if (w != nullptr) {
        ReleaseButtons(w, held);
    }
}

void WidgetManager::PushModal(Widget* w) {
    PushModal(w, {mDefaultUnderModalAdd, mDefaultUnderModalRemove});
}

void WidgetManager::PushModal(Widget* w, const FlagModifier& underModal) {
    RAVIX_VERIFY(w != nullptr, "PushModal needs a widget");
    mModalStack.push_back({w, mModalWidget, mKeyboardFocus, UnderModalModifier()});
    mModalWidget = w;
    mUnderModalAdd = underModal.mAdd;
    mUnderModalRemove = underModal.mRemove;
    if ((underModal.mRemove & kWidgetMouse) != 0) {
        if (mHoverWidget != nullptr && IsBeneath(mHoverWidget, w)) {
            LeaveHover(std::exchange(mHoverWidget, nullptr));
        }
        if (mPressedWidget != nullptr && IsBeneath(mPressedWidget, w)) {
            ReleaseHeldButtons();
        }
    }
    if ((underModal.mRemove & kWidgetFocus) != 0 && mKeyboardFocus != nullptr &&
        IsBeneath(mKeyboardFocus, w)) {
        ++mFocusChanges;
        std::exchange(mKeyboardFocus, nullptr)->OnFocusLost();
    }
}

void WidgetManager::PopModal(Widget* w) {
    // States of widgets that left the tree cannot be popped by their widgets any more, so they
    // go with the next pop. A widget still in the tree pops only when its state is the topmost
    // live one.
    auto topLive = std::find_if(mModalStack.rbegin(), mModalStack.rend(),
                                [](const SavedModalState& s) { return s.mWidget != nullptr; });
    bool live = w != nullptr && w->mManager == this;
    if (live ? topLive == mModalStack.rend() || topLive->mWidget != w
             : topLive == mModalStack.rbegin()) {
        return;
    }
    auto popGoneStates = [this] {
        while (!mModalStack.empty() && mModalStack.back().mWidget == nullptr) {
            SavedModalState state = mModalStack.back();
            mModalStack.pop_back();
            RestoreModalState(state);
        }
    };
    popGoneStates();
    if (live) {
        SavedModalState state = mModalStack.back();
        mModalStack.pop_back();
        RestoreModalState(state);
        popGoneStates();
    }
}

Widget* WidgetManager::WidgetAt(int x, int y, int* localX, int* localY) {
    bool passedModal = false;
    int lx = 0;
    int ly = 0;
    Widget* hit =
        FindWidgetAt(*this, x, y, GetFlagModifier().Apply(CurrentFlags()), passedModal, &lx, &ly);
    if (hit == nullptr || hit->mDisabled) {
        return nullptr;
    }
    if (localX != nullptr) {
        *localX = lx;
    }
    if (localY != nullptr) {
        *localY = ly;
    }
    return hit;
}

void WidgetManager::RecheckPointer() {
    if (mPressedWidget != nullptr) {
        if (mHoverWidget != nullptr && WidgetAt(mPointerX, mPointerY) != mHoverWidget) {
            LeaveHover(std::exchange(mHoverWidget, nullptr));
        }
    } else if (mMouseIn) {
        MousePosition(mPointerX, mPointerY);
    }
}

void WidgetManager::Resize(const Rect& dest, const Rect& source) {
    mPresentRect = dest;
    mLogicalRect = source;
    mWidth = dest.mWidth + 2 * dest.mX;
    mHeight = dest.mHeight + 2 * dest.mY;
}

Point WidgetManager::MapPointer(int x, int y) const {
    const Rect& from = mLogicalRect;
    const Rect& to = mPresentRect;
    if (from.mWidth <= 0 || from.mHeight <= 0) {
        return {x, y}; // no mapping set
    }
    auto map = [](int v, int fromStart, int fromSize, int toStart, int toSize) {
        return static_cast<int>(static_cast<int64_t>(v - fromStart) * toSize / fromSize) + toStart;
    };
    return {map(x, from.mX, from.mWidth, to.mX, to.mWidth),
            map(y, from.mY, from.mHeight, to.mY, to.mHeight)};
}

void WidgetManager::QueueOverlay(Widget* w, int priority) {
    RAVIX_VERIFY(w != nullptr, "QueueOverlay needs a widget");
    mOverlays.push_back({w, priority});
    mMinOverlayPriority = std::min(mMinOverlayPriority, priority);
}

void WidgetManager::DrawOverlays(int limit) {
    while (mMinOverlayPriority < limit && DrawLowestOverlays()) {
    }
}

int WidgetManager::CurrentFlags() const {
    return mAppHasFocus ? mBaseFlags
                        : FlagModifier{mInactiveAdd, mInactiveRemove}.Apply(mBaseFlags);
}

bool WidgetManager::IsKeyDown(int key) const {
    return IsKeyCode(key) && mKeyState[static_cast<size_t>(key)];
}

void WidgetManager::DropRemovedWidget(const Widget* w) {
    for (SavedModalState& state : mModalStack) {
        if (state.mWidget == w) {
            state.mWidget = nullptr;
        }
        if (state.mPreviousModal == w) {
            state.mPreviousModal = nullptr;
        }
        if (state.mPreviousFocus == w) {
            state.mPreviousFocus = nullptr;
        }
    }
    if (mPopupWidget == w) {
        mPopupWidget = nullptr;
    }
    if (mCtrlTabTarget == w) {
        mCtrlTabTarget = nullptr;
    }
    std::erase_if(mOverlays, [w](const Overlay& o) { return o.mWidget == w; });
    RecomputeMinOverlayPriority();
}

ModalFlags WidgetManager::FlagsForPass() const {
    ModalFlags flags;
    flags.mOverFlags = CurrentFlags();
    flags.mUnderFlags = UnderModalModifier().Apply(flags.mOverFlags);
    flags.mIsOver = mModalWidget == nullptr;
    return flags;
}

Widget* WidgetManager::FindWidgetAt(WidgetContainer& parent, int x, int y, int flags,
                                    bool& passedModal, int* localX, int* localY) {
    FlagModifier underModal = UnderModalModifier();
    for (auto it = parent.mChildren.rbegin(); it != parent.mChildren.rend(); ++it) {
        Widget* child = *it;
        int childFlags = child->GetFlagModifier().Apply(flags);
        if (passedModal) {
            childFlags = underModal.Apply(childFlags);
        }
        if ((childFlags & kWidgetMouse) != 0 && child->mVisible) {
            int cx = x - child->mX;
            int cy = y - child->mY;
            if (Widget* hit =
                    FindWidgetAt(*child, cx, cy, childFlags, passedModal, localX, localY)) {
                return hit;
            }
            // The walk may have passed the modal widget among the children: the child itself
            // then lies beneath it as well.
            if (passedModal) {
                childFlags = underModal.Apply(childFlags);
            }
            if ((childFlags & kWidgetMouse) != 0 && child->mReceivesMouse &&
                child->HitRect().Contains(x, y) && child->IsOpaqueAt(cx, cy)) {
                *localX = cx;
                *localY = cy;
                return child;
            }
        }
        if (child == mModalWidget) {
            passedModal = true;
        }
    }
    return nullptr;
}

void WidgetManager::MousePosition(int x, int y) {
    bool moved = x != mPointerX || y != mPointerY;
    mPointerX = x;
    mPointerY = y;
    int lx = 0;
    int ly = 0;
    Widget* w = WidgetAt(x, y, &lx, &ly);
    if (w != mHoverWidget) {
        if (Widget* old = std::exchange(mHoverWidget, nullptr)) {
            LeaveHover(old);
        }
        mHoverWidget = w;
        if (w != nullptr) {
            EnterHover(w);
            w->MouseMove(lx, ly);
        }
    } else if (w != nullptr && moved) {
        w->MouseMove(lx, ly);
    }
}

void WidgetManager::Drag(int x, int y) {
    mPointerX = x;
    mPointerY = y;
    if (mHoverWidget != nullptr && mHoverWidget != mPressedWidget) {
        LeaveHover(std::exchange(mHoverWidget, nullptr));
    }
    if (mPressedWidget != nullptr) {
        Point origin = mPressedWidget->AbsolutePosition();
        mPressedWidget->MouseDrag(x - origin.mX, y - origin.mY);
    }
    Widget* under = WidgetAt(x, y);
    if (under != nullptr && under == mPressedWidget) {
        if (mHoverWidget == nullptr) {
            mHoverWidget = under;
            EnterHover(under);
        }
    } else if (mHoverWidget != nullptr) {
        LeaveHover(std::exchange(mHoverWidget, nullptr));
    }
}

void WidgetManager::EnterHover(Widget* w) {
    w->mHovered = true;
    // The focus follows the mouse, so that the keys act on what the pointer shows.
    if (w->mFocusOnHover && w->AcceptsFocus()) {
        FocusWidget(w);
    }
    if (w->mShowHandCursor) {
        w->SetHandCursor(true);
    }
    w->PointerEntered();
}

void WidgetManager::LeaveHover(Widget* w) {
    w->mHovered = false;
    if (w->mShowHandCursor) {
        w->SetHandCursor(false);
    }
    w->PointerLeft();
}

void WidgetManager::ReleaseButtons(Widget* w, int buttons) {
    static constexpr struct {
        int mBit;
        int mClickCode;
    } kReleases[] = {{kLeftBit, 1}, {kRightBit, -1}, {kMiddleBit, 3}};
    w->mPressed = false;
    Point origin = w->AbsolutePosition();
    for (const auto& release : kReleases) {
        if ((buttons & release.mBit) != 0) {
            w->MouseUp(mPointerX - origin.mX, mPointerY - origin.mY, release.mClickCode);
        }
    }
}

void WidgetManager::RestoreModalState(const SavedModalState& state) {
    mModalWidget = state.mPreviousModal;
    mUnderModalAdd = state.mPreviousUnderModal.mAdd;
    mUnderModalRemove = state.mPreviousUnderModal.mRemove;
    if (mKeyboardFocus == nullptr && state.mPreviousFocus != nullptr) {
        FocusWidget(state.mPreviousFocus);
    }
}

bool WidgetManager::DrawLowestOverlays() {
    if (mOverlays.empty() || mScreenGraphics == nullptr) {
        return false;
    }
    int priority = mMinOverlayPriority;
    std::vector<Overlay> batch;
    std::vector<Overlay> rest;
    for (const Overlay& o : mOverlays) {
        (o.mPriority == priority ? batch : rest).push_back(o);
    }
    mOverlays = std::move(rest);
    RecomputeMinOverlayPriority();
    for (const Overlay& o : batch) {
        Point origin = o.mWidget->AbsolutePosition();
        Graphics g(*mScreenGraphics);
        g.Translate(static_cast<float>(origin.mX - mPresentRect.mX),
                    static_cast<float>(origin.mY - mPresentRect.mY));
        o.mWidget->DrawOnTop(g, priority);
    }
    return true;
}

void WidgetManager::RecomputeMinOverlayPriority() {
    mMinOverlayPriority = INT_MAX;
    for (const Overlay& o : mOverlays) {
        mMinOverlayPriority = std::min(mMinOverlayPriority, o.mPriority);
    }
}

} // namespace ravix
