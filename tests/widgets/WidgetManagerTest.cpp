// Input dispatch: hover, capture, focus, keys, modality and the mouse mapping.

#include "widgets/WidgetManager.h"
#include "platform/KeyCodes.h"

#include "RecordingWidget.h"

#include <gtest/gtest.h>

#include <memory>

namespace ravix {
namespace {

using test::Log;
using test::RecordingWidget;

class WidgetManagerTest : public ::testing::Test {
protected:
    WidgetManagerTest() { mManager.Resize(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100)); }

    RecordingWidget& Add(WidgetContainer& parent, const std::string& name, Rect rect) {
        mWidgets.push_back(std::make_unique<RecordingWidget>(name, mLog, rect));
        parent.InsertChild(mWidgets.back().get());
        return *mWidgets.back();
    }
    RecordingWidget& Add(const std::string& name, Rect rect) { return Add(mManager, name, rect); }
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;
    WidgetManager mManager;
    std::vector<std::unique_ptr<RecordingWidget>> mWidgets;
};

TEST_F(WidgetManagerTest, HoverFollowsTheMouseWithLocalCoordinates) {
    Add("A", {10, 10, 20, 20});
    RecordingWidget& b = Add("B", {50, 10, 20, 20});
    Add(b, "b", {5, 5, 5, 5});
    mManager.MouseMove(15, 12);
    mManager.MouseMove(15, 12); // no movement: nothing
    mManager.MouseMove(16, 12);
    mManager.MouseMove(56, 16); // the child wins over its parent
    mManager.MouseMove(52, 12);
    mManager.MouseExit();
    EXPECT_EQ(Take(), (Log{"A:Enter", "A:Move 5,2", "A:Move 6,2", "A:Leave", "b:Enter",
                           "b:Move 1,1", "b:Leave", "B:Enter", "B:Move 2,2", "B:Leave"}));
    EXPECT_EQ(mManager.mHoverWidget, nullptr);
    EXPECT_FALSE(b.mHovered);
}

TEST_F(WidgetManagerTest, ReleaseAfterDraggingOffGoesToThePressedWidgetOnly) {
    RecordingWidget& a = Add("A", {10, 10, 20, 20});
    Add("B", {50, 10, 20, 20});
    mManager.MouseMove(15, 15);
    mManager.MouseDown(15, 15, 1);
    EXPECT_TRUE(a.mPressed);
    mManager.MouseMove(55, 15);
    mManager.MouseDown(55, 15, -1); // a second button while captured: still A
    mManager.MouseUp(55, 15, 1);
    EXPECT_EQ(mManager.mPressedWidget, &a); // the right button still holds it
    mManager.MouseUp(56, 15, -1);
    // B is hovered again on the second press, but every button goes to A.
    EXPECT_EQ(Take(), (Log{"A:Enter", "A:Move 5,5", "A:Down 5,5 b0 c1", "A:Drag 45,5", "A:Leave",
                           "B:Enter", "B:Move 5,5", "A:Down 45,5 b1 c1", "A:Up 45,5 b0 c1",
                           "A:Up 46,5 b1 c1", "B:Move 6,5"}));
    EXPECT_EQ(mManager.mPressedWidget, nullptr);
    EXPECT_EQ(mManager.mHeldButtons, 0);
    EXPECT_EQ(mManager.mPhysicalButtons, 0);
    EXPECT_FALSE(a.mPressed);
}

TEST_F(WidgetManagerTest, DraggingBackOntoThePressedWidgetHoversItAgain) {
    Add("A", {10, 10, 20, 20});
    mManager.MouseMove(15, 15);
    mManager.MouseDown(15, 15, 3);
    mManager.MouseMove(50, 50);
    mManager.MouseMove(20, 20);
    mManager.MouseUp(20, 20, 3);
    EXPECT_EQ(Take(), (Log{"A:Enter", "A:Move 5,5", "A:Down 5,5 b2 c1", "A:Drag 40,40", "A:Leave",
                           "A:Drag 10,10", "A:Enter", "A:Up 10,10 b2 c1"}));
}

TEST_F(WidgetManagerTest, DisabledInvisibleAndMouseBlindWidgetsAreNotHit) {
    Add("G", {0, 0, 100, 100});
    RecordingWidget& top = Add("T", {10, 10, 20, 20});
    top.mHitInsets = {2, 2, 2, 2};
    struct Case {
        const char* what;
        std::function<void()> setUp;
        int x, y;
        Widget* expected;
    };
    const Case cases[] = {
        {"enabled", [] {}, 15, 15, &top},
        {"outside the hit insets", [] {}, 11, 15, mWidgets[0].get()},
        {"disabled: nothing, not the one beneath", [&] { top.SetDisabled(true); }, 15, 15, nullptr},
        {"hidden", [&] { top.SetVisible(false); }, 15, 15, mWidgets[0].get()},
        {"not receiving the mouse", [&] { top.mReceivesMouse = false; }, 15, 15, mWidgets[0].get()},
        {"mouse flag removed", [&] { top.mFlagsRemove = kWidgetMouse; }, 15, 15, mWidgets[0].get()},
    };
    for (const Case& c : cases) {
        top.SetDisabled(false);
        top.SetVisible(true);
        top.mReceivesMouse = true;
        top.mFlagsRemove = 0;
        c.setUp();
        EXPECT_EQ(mManager.WidgetAt(c.x, c.y), c.expected) << c.what;
    }
    top.mFlagsRemove = 0;
    top.SetDisabled(true);
    mManager.MouseDown(15, 15, 1);
    mManager.MouseUp(15, 15, 1);
    for (const std::string& line : Take()) {
        EXPECT_EQ(line.find("Down"), std::string::npos) << line;
    }
}

TEST_F(WidgetManagerTest, ClickingMovesTheFocusToWidgetsThatAcceptIt) {
    RecordingWidget& a = Add("A", {0, 0, 10, 10});
    RecordingWidget& b = Add("B", {20, 0, 10, 10});
    a.mAcceptsFocus = true;
    mManager.MouseDown(5, 5, 1);
    mManager.MouseUp(5, 5, 1);
    mManager.MouseDown(25, 5, 1); // B does not take the focus
    mManager.MouseUp(25, 5, 1);
    EXPECT_EQ(mManager.mKeyboardFocus, &a);
    EXPECT_TRUE(a.mFocused);
    b.mAcceptsFocus = true;
    Take();
    mManager.MouseDown(25, 5, 2);
    EXPECT_EQ(Take(), (Log{"A:FocusLost", "B:FocusGained", "B:Down 5,5 b0 c2"}));
    EXPECT_FALSE(a.mFocused);
}

TEST_F(WidgetManagerTest, KeysGoToTheFocusAndCtrlTabToItsTarget) {
    RecordingWidget& focus = Add("F", {0, 0, 10, 10});
    RecordingWidget& target = Add("T", {20, 0, 10, 10});
    mManager.FocusWidget(&focus);
    mManager.mCtrlTabTarget = &target;
    Take();
    mManager.KeyDown('A');
    mManager.CharTyped('a');
    mManager.MouseWheel(-2);
    mManager.KeyDown(kKeyControl);
    mManager.CharTyped('\t');
    mManager.KeyUp(kKeyTab);
    mManager.KeyUp(kKeyControl);
    mManager.KeyUp('A');
    mManager.KeyDown(300); // outside the key table: passed on, not stored
    EXPECT_EQ(Take(), (Log{"F:KeyDown 65", "F:Char 97", "F:Wheel -2", "F:KeyDown 17", "T:Char 9",
                           "F:KeyUp 17", "F:KeyUp 65", "F:KeyDown 300"}));
    EXPECT_FALSE(mManager.IsKeyDown(300));
}

TEST_F(WidgetManagerTest, TabAndShiftTabFollowTheTabStops) {
    RecordingWidget& a = Add("A", {0, 0, 10, 10});
    RecordingWidget& b = Add("B", {20, 0, 10, 10});
    RecordingWidget& c = Add("C", {40, 0, 10, 10});
    a.mNextTabStop = &b;
    b.mNextTabStop = &c;
    b.mPrevTabStop = &a;
    mManager.FocusWidget(&a);
    mManager.KeyDown(kKeyTab);
    EXPECT_EQ(mManager.mKeyboardFocus, &b);
    mManager.KeyDown(kKeyShift);
    mManager.KeyDown(kKeyTab);
    EXPECT_EQ(mManager.mKeyboardFocus, &a);
    mManager.KeyDown(kKeyTab); // A has no previous stop: the focus stays
    EXPECT_EQ(mManager.mKeyboardFocus, &a);
    EXPECT_TRUE(a.mFocused);
    EXPECT_FALSE(b.mFocused);
    EXPECT_FALSE(c.mFocused);
}

TEST_F(WidgetManagerTest, LosingTheApplicationFocusReleasesHeldKeysAndSwitchesFlags) {
    RecordingWidget& focus = Add("F", {0, 0, 10, 10});
    mManager.FocusWidget(&focus);
    mManager.mInactiveRemove = kWidgetUpdate;
    mManager.MouseDown(5, 5, 1);
    mManager.KeyDown('Z');
    mManager.KeyDown(kKeyShift);
    Take();
    mManager.OnFocusLost();
    mManager.OnFocusLost(); // already lost: nothing
    EXPECT_EQ(Take(), (Log{"F:KeyUp 16", "F:KeyUp 90", "F:FocusLost"}));
    EXPECT_FALSE(mManager.IsKeyDown('Z'));
    EXPECT_EQ(mManager.mPhysicalButtons, 0);
    EXPECT_EQ(mManager.CurrentFlags(), WidgetManager::kDefaultBaseFlags & ~kWidgetUpdate);
    mManager.RunUpdate();
    EXPECT_EQ(Take(), Log{});

    mManager.ReleaseHeldButtons();
    mManager.OnFocusGained();
    mManager.RunUpdate();
    EXPECT_EQ(Take(), (Log{"F:Up 5,5 b0 c1", "F:FocusGained", "F:Update"}));
    EXPECT_EQ(mManager.mPressedWidget, nullptr);
    EXPECT_EQ(mManager.mKeyboardFocus, &focus);
}

TEST_F(WidgetManagerTest, ModalDialogBlocksMouseAndFocusBeneathWhileAllStillUpdate) {
    RecordingWidget& screen = Add("S", {0, 0, 100, 100});
    RecordingWidget& field = Add(screen, "f", {0, 0, 20, 20});
    RecordingWidget& dialog = Add("D", {40, 40, 20, 20});
    RecordingWidget& button = Add(dialog, "b", {0, 0, 10, 10});
    field.mAcceptsFocus = true;
    mManager.MouseMove(5, 5);
    mManager.MouseDown(5, 5, 1); // focus and capture on the field
    Take();

    mManager.PushModal(&dialog);
    EXPECT_EQ(Take(), (Log{"f:Leave", "f:Up 5,5 b0 c1", "f:FocusLost"}));
    mManager.MouseMove(6, 6);
    mManager.MouseDown(6, 6, 1);
    mManager.MouseUp(6, 6, 1);
    mManager.MouseMove(45, 45);
    mManager.RunUpdate();
    mManager.DrawDirty();
    EXPECT_EQ(Take(), (Log{"b:Enter", "b:Move 5,5", "S:Update", "f:Update", "D:Update", "b:Update",
                           "S:Draw", "f:Draw", "D:Draw", "b:Draw"}));
    EXPECT_EQ(mManager.WidgetAt(80, 80), nullptr); // the screen lies beneath the dialog too
    mManager.FocusWidget(&button);

    mManager.PopModal(&field); // not the modal widget: nothing
    EXPECT_EQ(mManager.mModalWidget, &dialog);
    mManager.DetachChild(&dialog);
    mManager.PopModal(&dialog); // removed first, as dismissing a dialog does
    EXPECT_EQ(mManager.mModalWidget, nullptr);
    EXPECT_TRUE(mManager.mModalStack.empty());
    EXPECT_EQ(mManager.mKeyboardFocus, &field); // the focus before the dialog returns
    EXPECT_EQ(mManager.WidgetAt(80, 80), &screen);
}

TEST_F(WidgetManagerTest, ModalChildBlocksTheMouseOnItsOwnParent) {
    RecordingWidget& screen = Add("S", {0, 0, 100, 100});
    RecordingWidget& dialog = Add(screen, "d", {40, 40, 20, 20});
    mManager.PushModal(&dialog);
    EXPECT_EQ(mManager.WidgetAt(10, 10), nullptr); // the parent is drawn beneath its dialog
    EXPECT_EQ(mManager.WidgetAt(45, 45), &dialog);
}

TEST_F(WidgetManagerTest, NestedModalsRestoreEachOther) {
    RecordingWidget& first = Add("1", {0, 0, 50, 50});
    RecordingWidget& second = Add("2", {50, 50, 50, 50});
    RecordingWidget& third = Add("3", {0, 50, 50, 50});
    mManager.PushModal(&first);
    mManager.PushModal(&second, {0, 0});
    mManager.PushModal(&third);
    mManager.PopModal(&second); // not on top: nothing
    EXPECT_EQ(mManager.mModalWidget, &third);

    mManager.DetachChild(&second); // a state in the middle loses its widget
    mManager.PopModal(&third);     // restores the state before third, whose modal left the tree
    EXPECT_EQ(mManager.mModalWidget, &first);
    EXPECT_EQ(mManager.mUnderModalRemove, kWidgetMouse | kWidgetFocus);
    EXPECT_TRUE(mManager.mModalStack.size() == 1);
    mManager.PopModal(&first);
    EXPECT_EQ(mManager.mModalWidget, nullptr);
    EXPECT_TRUE(mManager.mModalStack.empty());
}

TEST_F(WidgetManagerTest, RemovingAWidgetDropsEveryReferenceToItAndItsDescendants) {
    RecordingWidget& parent = Add("P", {0, 0, 50, 50});
    RecordingWidget& child = Add(parent, "c", {0, 0, 10, 10});
    RecordingWidget& other = Add("O", {60, 0, 10, 10});
    mManager.MouseMove(5, 5);
    mManager.MouseDown(5, 5, 1);
    mManager.MouseDown(5, 5, 3);
    mManager.FocusWidget(&child);
    mManager.PushModal(&child, {0, 0});
    mManager.mPopupWidget = &child;
    mManager.mCtrlTabTarget = &child;
    Take();
    mManager.DetachChild(&parent);
    EXPECT_EQ(Take(), (Log{"c:Leave", "c:Up 5,5 b0 c1", "c:Up 5,5 b2 c1", "c:FocusLost"}));
    EXPECT_EQ(mManager.mHoverWidget, nullptr);
    EXPECT_EQ(mManager.mPressedWidget, nullptr);
    EXPECT_EQ(mManager.mHeldButtons, 0);
    EXPECT_EQ(mManager.mKeyboardFocus, nullptr);
    EXPECT_EQ(mManager.mModalWidget, nullptr);
    EXPECT_EQ(mManager.mPopupWidget, nullptr);
    EXPECT_EQ(mManager.mCtrlTabTarget, nullptr);
    EXPECT_EQ(child.GetManager(), nullptr);
    EXPECT_EQ(parent.GetChildren().size(), 1u); // still its child, just out of the tree
    mManager.MouseMove(65, 5);
    EXPECT_EQ(mManager.mHoverWidget, &other);
}

TEST_F(WidgetManagerTest, ClickOutsideThePopupRemovesIt) {
    Add("G", {0, 0, 100, 100});
    RecordingWidget& popup = Add("P", {10, 10, 20, 20});
    mManager.mPopupWidget = &popup;
    mManager.MouseDown(15, 15, 1);
    mManager.MouseUp(15, 15, 1);
    EXPECT_EQ(popup.GetParent(), &mManager);
    mManager.MouseDown(50, 50, 1);
    EXPECT_EQ(popup.GetParent(), nullptr);
    EXPECT_EQ(mManager.mPopupWidget, nullptr);
    EXPECT_EQ(mManager.mPressedWidget, mWidgets[0].get());
}

TEST_F(WidgetManagerTest, DisablingForgetsAndEnablingUnderTheMouseHoversAgain) {
    RecordingWidget& a = Add("A", {0, 0, 10, 10});
    mManager.MouseMove(5, 5);
    a.SetDisabled(true);
    a.SetDisabled(false);
    EXPECT_EQ(Take(), (Log{"A:Enter", "A:Move 5,5", "A:Leave", "A:Enter", "A:Move 5,5"}));
}

TEST_F(WidgetManagerTest, InsertingUnderTheMouseHoversTheNewWidget) {
    mManager.MouseMove(5, 5);
    Add("A", {0, 0, 10, 10});
    EXPECT_EQ(mManager.mHoverWidget, mWidgets[0].get());
    EXPECT_EQ(Take(), (Log{"A:Enter", "A:Move 5,5"}));
}

TEST_F(WidgetManagerTest, MapPointerScalesFromTheSourceToTheDestination) {
    struct Case {
        Rect dest, source;
        int x, y, mappedX, mappedY;
    };
    const Case cases[] = {
        {{0, 0, 800, 600}, {0, 0, 800, 600}, 123, 456, 123, 456},
        {{0, 0, 800, 600}, {160, 0, 1600, 1200}, 960, 600, 400, 300},
        {{0, 0, 800, 600}, {160, 0, 1600, 1200}, 161, 1, 0, 0}, // integer arithmetic
        {{100, 50, 800, 600}, {0, 0, 400, 300}, 10, 10, 120, 70},
        {{0, 0, 800, 600}, {0, 0, 0, 0}, 7, 8, 7, 8}, // no mapping set yet
    };
    for (const Case& c : cases) {
        mManager.Resize(c.dest, c.source);
        Point p = mManager.MapPointer(c.x, c.y);
        EXPECT_EQ(p.mX, c.mappedX) << c.x;
        EXPECT_EQ(p.mY, c.mappedY) << c.y;
    }
    mManager.Resize(Rect(16, 12, 800, 600), Rect(0, 0, 832, 624));
    EXPECT_EQ(mManager.GetRect(), Rect(0, 0, 832, 624));
}

} // namespace
} // namespace ravix
