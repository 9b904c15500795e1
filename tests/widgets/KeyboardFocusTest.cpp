// Keyboard focus: Tab traversal through the top modal layer, arrow keys within a group,
// activation by Enter and Space, Escape and Enter in dialogs, sliders by keys, the focus
// following the mouse, the focus ring, and a press that moved the focus being used up.

#include "ControlTestSupport.h"
#include "platform/KeyCodes.h"
#include "widgets/ButtonWidget.h"
#include "widgets/Checkbox.h"
#include "widgets/Dialog.h"
#include "widgets/FocusTraversal.h"
#include "widgets/Slider.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace ravix::test {
namespace {

// A screen of named framed buttons; keys are pressed and released as the application
// delivers them.
class FocusScreen : public ::testing::Test {
protected:
    ButtonWidget& Add(const std::string& name, int x, int y, int id = 0) {
        auto& button = mButtons[name];
        button = std::make_unique<ButtonWidget>(id, &mListener);
        button->Resize(x, y, 40, 20);
        mManager.InsertChild(button.get());
        return *button;
    }
    void Press(int key) {
        mManager.KeyDown(key);
        mManager.KeyUp(key);
    }
    void PressShifted(int key) {
        mManager.KeyDown(kKeyShift);
        Press(key);
        mManager.KeyUp(kKeyShift);
    }
    // The name of the focused button, "-" for none, "?" for another widget.
    std::string Focus() const {
        if (mManager.mKeyboardFocus == nullptr) {
            return "-";
        }
        for (const auto& [name, button] : mButtons) {
            if (button.get() == mManager.mKeyboardFocus) {
                return name;
            }
        }
        return "?";
    }

    RecordingListener mListener;
    ScreenManager mManager;
    std::map<std::string, std::unique_ptr<ButtonWidget>> mButtons;
};

TEST_F(FocusScreen, TabVisitsInReadingOrderOrTheWidgetsOwnAndWraps) {
    // Inserted out of reading order; "late" asks to come last, "hidden" and "off" are skipped.
    Add("c", 10, 100);
    Add("b", 300, 10);
    Add("a", 10, 10);
    Add("d", 300, 100);
    Add("late", 0, 0).mTabOrder = 1;
    Add("hidden", 5, 5).SetVisible(false);
    Add("off", 6, 6).SetDisabled(true);
    struct Step {
        bool mShift;
        const char* mFocus;
    };
    const Step steps[] = {{false, "a"},    {false, "b"}, {false, "c"},   {false, "d"},
                          {false, "late"}, {false, "a"}, {true, "late"}, {true, "d"}};
    for (const Step& step : steps) {
        step.mShift ? PressShifted(kKeyTab) : Press(kKeyTab);
        EXPECT_EQ(Focus(), step.mFocus);
    }
    EXPECT_TRUE(mListener.Take().empty()); // moving the focus activates nothing
}

TEST_F(FocusScreen, AModalLayerKeepsTheFocusToItself) {
    Add("below", 10, 10);
    RecordingWidget modal("modal", mListener.mLog, Rect(100, 100, 300, 200));
    mManager.InsertChild(&modal);
    Add("top1", 120, 120);
    Add("top2", 200, 120);
    mManager.PushModal(&modal);
    const char* expected[] = {"top1", "top2", "top1"};
    for (const char* name : expected) {
        Press(kKeyTab);
        EXPECT_EQ(Focus(), name);
    }
    mManager.PopModal(&modal);
    mManager.DetachChild(&modal);
}

TEST_F(FocusScreen, ArrowsMoveWithinTheGroupAndWrap) {
    for (const char* name : {"play", "scores", "exit"}) {
        Add(name, 380, 200 + 60 * static_cast<int>(mButtons.size())).mFocusGroup = 1;
    }
    Add("logo", 380, 500); // not in the group
    mManager.FocusWidget(mButtons["play"].get());
    struct Step {
        int mKey;
        const char* mFocus;
    };
    const Step steps[] = {{kKeyDown, "scores"}, {kKeyDown, "exit"},  {kKeyDown, "play"},
                          {kKeyUp, "exit"},     {kKeyRight, "play"}, {kKeyLeft, "exit"}};
    for (const Step& step : steps) {
        Press(step.mKey);
        EXPECT_EQ(Focus(), step.mFocus);
    }
    mManager.FocusWidget(mButtons["logo"].get());
    Press(kKeyDown); // outside a group the arrows are the widget's own
    EXPECT_EQ(Focus(), "logo");
}

TEST_F(FocusScreen, EnterAndSpaceActivateAsAClickDoes) {
    ButtonWidget& button = Add("ok", 10, 10, 7);
    mManager.FocusWidget(&button);
    Press(kKeyEnter);
    EXPECT_EQ(mListener.Take(), (Log{"down 7 c1", "down 7", "click 7"}));
    Press(kKeySpace);
    EXPECT_EQ(mListener.Take(), (Log{"down 7 c1", "down 7", "click 7"}));
    Press(kKeyEscape);
    Press('A');
    EXPECT_TRUE(mListener.Take().empty());
    button.SetDisabled(true);
    Press(kKeyEnter);
    EXPECT_TRUE(mListener.Take().empty());

    Checkbox box(nullptr, nullptr, 4, &mListener);
    box.Resize(10, 50, 20, 20);
    mManager.InsertChild(&box);
    mManager.FocusWidget(&box);
    Press(kKeySpace);
    Press(kKeyEnter);
    EXPECT_EQ(mListener.Take(), (Log{"check 4 on", "check 4 off"}));
    mManager.DetachChild(&box);
}

TEST_F(FocusScreen, TheFocusFollowsTheMouseOntoWidgetsThatTakeIt) {
    Add("left", 10, 10);
    Add("right", 100, 10);
    RecordingWidget plain("plain", mListener.mLog, Rect(10, 100, 50, 50));
    mManager.InsertChild(&plain);
    mManager.MouseMove(20, 15);
    EXPECT_EQ(Focus(), "left");
    mManager.MouseMove(20, 120); // a widget that takes no focus leaves it where it was
    EXPECT_EQ(Focus(), "left");
    mManager.MouseMove(110, 15);
    EXPECT_EQ(Focus(), "right");
    Press(kKeyShift); // the keys now act where the pointer is
    Press(kKeyEnter);
    EXPECT_EQ(mListener.Take().back(), "click 0");
    mManager.DetachChild(&plain);
}

TEST_F(FocusScreen, APressThatMovesTheFocusIsNotSeenByTheNewFocus) {
    Log log;
    RecordingWidget first("first", log, Rect(0, 0, 50, 50));
    RecordingWidget second("second", log, Rect(60, 0, 50, 50));
    first.mAcceptsFocus = second.mAcceptsFocus = true;
    mManager.InsertChild(&first);
    mManager.InsertChild(&second);
    mManager.FocusWidget(&first);
    log.clear();
    mManager.KeyDown(kKeyTab);
    mManager.CharTyped('\t');
    mManager.KeyUp(kKeyTab);
    EXPECT_EQ(log, (Log{"first:FocusLost", "second:FocusGained"}));
    log.clear();
    mManager.KeyDown('A'); // a press that moves nothing reaches the widget whole
    mManager.CharTyped('a');
    mManager.KeyUp('A');
    EXPECT_EQ(log, (Log{"second:KeyDown 65", "second:Char 97", "second:KeyUp 65"}));
    mManager.DetachChild(&first);
    mManager.DetachChild(&second);
}

TEST_F(FocusScreen, AFocusedButtonDrawsTheRingOnlyAfterAKey) {
    auto screen = MakeScreen(100, 60);
    mManager.mScreenImage = screen.get();
    mManager.mFocusRingColor = Color(255, 0, 255);
    ButtonWidget& button = Add("ring", 10, 10);
    auto cornerIsRing = [&] {
        mManager.InvalidateTree();
        mManager.DrawDirty();
        return screen->GetPixels()[10 * 100 + 10] == Color(255, 0, 255).ToPacked();
    };
    mManager.FocusWidget(&button);
    EXPECT_FALSE(cornerIsRing());
    Press(kKeyShift);
    EXPECT_TRUE(cornerIsRing());
    mManager.MouseMove(90, 50); // the mouse takes over: no ring
    EXPECT_FALSE(cornerIsRing());
    mManager.mScreenImage = nullptr;
}

struct SliderCase {
    double mStart;
    int mKey;
    const char* mReport;
};

TEST(SliderKeys, ArrowsStepAndHomeEndGoToTheEnds) {
    const SliderCase cases[] = {
        {0.5, kKeyRight, "slider 2 0.55"}, {0.5, kKeyLeft, "slider 2 0.45"},
        {0.5, kKeyHome, "slider 2 0.00"},  {0.5, kKeyEnd, "slider 2 1.00"},
        {1.0, kKeyRight, "slider 2 1.00"}, {0.02, kKeyLeft, "slider 2 0.00"},
    };
    for (const SliderCase& c : cases) {
        SCOPED_TRACE(c.mKey);
        RecordingListener listener;
        ScreenManager manager;
        Slider slider(nullptr, nullptr, 2, &listener);
        slider.Resize(0, 0, 200, 20);
        manager.InsertChild(&slider);
        slider.SetValue(c.mStart);
        manager.FocusWidget(&slider);
        manager.KeyDown(c.mKey);
        EXPECT_EQ(listener.Take(), (Log{c.mReport}));
        manager.DetachChild(&slider);
    }
}

struct DialogKeyCase {
    int mButtonSet;
    int mKey;
    int mAnswer; // 0: none
};

TEST(DialogKeys, EscapeChoosesCancelAndEnterTheDefault) {
    const DialogKeyCase cases[] = {
        {Dialog::kOkCancel, kKeyEscape, Dialog::kRejectId},
        {Dialog::kOkCancel, kKeyEnter, Dialog::kAcceptId},
        {Dialog::kYesNo, kKeyEscape, Dialog::kRejectId},
        {Dialog::kFooterButton, kKeyEscape, Dialog::kAcceptId},
        {Dialog::kFooterButton, kKeyEnter, Dialog::kAcceptId},
        {Dialog::kNoButtons, kKeyEscape, 0},
    };
    for (const DialogKeyCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.mButtonSet << " key " << c.mKey);
        RecordingListener listener;
        ScreenManager manager;
        Dialog dialog(nullptr, nullptr, 9, true, "Head", "", "Fine", c.mButtonSet);
        dialog.mOwnerListener = &listener;
        dialog.Resize(100, 100, 300, 200);
        manager.InsertChild(&dialog);
        manager.PushModal(&dialog);
        dialog.FocusEnterButton();
        EXPECT_EQ(manager.mKeyboardFocus, c.mButtonSet == Dialog::kNoButtons
                                              ? nullptr
                                              : static_cast<Widget*>(dialog.AcceptButton()));
        manager.KeyDown(c.mKey);
        const Log expected = c.mAnswer == 0 ? Log{}
                                            : Log{"dialog-down 9 " + std::to_string(c.mAnswer),
                                                  "dialog-click 9 " + std::to_string(c.mAnswer)};
        EXPECT_EQ(listener.Take(), expected);
        EXPECT_EQ(dialog.mResult, c.mAnswer == 0 ? Dialog::kNoResult : c.mAnswer);
        manager.PopModal(&dialog);
        manager.DetachChild(&dialog);
    }
}

TEST(DialogKeys, TheArrowsGoBetweenTheButtonsAndEnterTakesTheFocusedOne) {
    RecordingListener listener;
    ScreenManager manager;
    Dialog dialog(nullptr, nullptr, 9, true, "Head", "", "", Dialog::kOkCancel);
    dialog.mOwnerListener = &listener;
    dialog.Resize(100, 100, 300, 200);
    manager.InsertChild(&dialog);
    dialog.FocusEnterButton();
    manager.KeyDown(kKeyRight);
    EXPECT_EQ(manager.mKeyboardFocus, dialog.RejectButton());
    manager.KeyDown(kKeyEnter);
    EXPECT_EQ(dialog.mResult, Dialog::kRejectId);
    manager.DetachChild(&dialog);
}

} // namespace
} // namespace ravix::test
