// The tree itself: child order, the update pass, dirty marking and removal.

#include "widgets/WidgetManager.h"

#include "RecordingWidget.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace ravix {
namespace {

using test::Log;
using test::RecordingWidget;

class WidgetTreeTest : public ::testing::Test {
public: // the table cases below reach the fixture through a reference
    WidgetTreeTest() { mManager.Resize(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100)); }

    RecordingWidget& Add(const std::string& name, Rect rect = {0, 0, 10, 10}, int stackOrder = 0) {
        auto& w = mWidgets[name];
        w = std::make_unique<RecordingWidget>(name, mLog, rect, stackOrder);
        mManager.InsertChild(w.get());
        return *w;
    }
    // A, B, E with stack order 0, C with -1 and D with 1, added in letter order.
    void AddMixedOrders() {
        Add("A");
        Add("B");
        Add("C", {}, -1);
        Add("D", {}, 1);
        Add("E");
    }
    std::string Order(const WidgetContainer& parent) const {
        std::string names;
        for (const Widget* w : parent.GetChildren()) {
            names += static_cast<const RecordingWidget*>(w)->mName;
        }
        return names;
    }
    // The names of the top-level widgets that are dirty, in child order; clears the flags.
    std::string TakeDirty() {
        std::string names;
        for (Widget* w : mManager.GetChildren()) {
            if (w->mDirty) {
                names += static_cast<RecordingWidget*>(w)->mName;
            }
            w->mDirty = false;
        }
        mManager.mDirty = false;
        return names;
    }
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;
    WidgetManager mManager;
    std::map<std::string, std::unique_ptr<RecordingWidget>> mWidgets;
};

TEST_F(WidgetTreeTest, ChildrenAreOrderedByStackOrderThenByInsertion) {
    AddMixedOrders();
    EXPECT_EQ(Order(mManager), "CABED");
    mManager.InsertChild(mWidgets["A"].get()); // already a child: nothing changes
    EXPECT_EQ(Order(mManager), "CABED");
}

TEST_F(WidgetTreeTest, ReorderingStaysInsideTheStackOrderGroup) {
    struct Case {
        const char* operation;
        char w;
        char ref;
        const char* expected;
    };
    // Start: C(-1) A B E (0) D(1).
    const Case cases[] =
        {
            {"raise", 'A', 0, "CBEAD"},   {"lower", 'E', 0, "CEABD"},
            {"below", 'E', 'A', "CEABD"}, {"above", 'A', 'B', "CBAED"},
            {"below", 'A', 'D', "CBEAD"}, // D is higher: A goes as high as its group allows
            {"above", 'E', 'C', "CEABD"}, // C is lower: E goes as low as its group allows
            {"below", 'A', 'A', "CABED"},
        };
    for (const Case& c : cases) {
        mWidgets.clear();
        AddMixedOrders();
        Widget* w = mWidgets[std::string(1, c.w)].get();
        Widget* ref = c.ref != 0 ? mWidgets[std::string(1, c.ref)].get() : nullptr;
        std::string op = c.operation;
        if (op == "raise") {
            mManager.RaiseChild(w);
        } else if (op == "lower") {
            mManager.LowerChild(w);
        } else if (op == "below") {
            mManager.PlaceBelow(w, ref);
        } else {
            mManager.PlaceAbove(w, ref);
        }
        EXPECT_EQ(Order(mManager), c.expected) << op << " " << c.w << " " << c.ref;
    }
}

TEST_F(WidgetTreeTest, UpdatePassSurvivesChildrenChangingTheListDuringTheirUpdate) {
    struct Case {
        const char* what;
        std::function<void(WidgetTreeTest&)> onUpdateOfB;
        const char* updated;
        const char* remaining;
    };
    auto detach = [](const char* name) {
        return [name](WidgetTreeTest& t) { t.mManager.DetachChild(t.mWidgets[name].get()); };
    };
    const Case cases[] = {
        {"B removes itself", detach("B"), "ABCD", "ACD"},
        {"B removes the next sibling", detach("C"), "ABD", "ABD"},
        {"B removes the previous sibling", detach("A"), "ABCD", "BCD"},
        {"B removes itself and the next",
         [](WidgetTreeTest& t) {
             t.mManager.DetachChild(t.mWidgets["B"].get());
             t.mManager.DetachChild(t.mWidgets["C"].get());
         },
         "ABD", "AD"},
        {"B raises itself", [](WidgetTreeTest& t) { t.mManager.RaiseChild(t.mWidgets["B"].get()); },
         "ABCD", "ACDB"},
        {"B adds a widget", [](WidgetTreeTest& t) { t.Add("E"); }, "ABCDE", "ABCDE"},
    };
    for (const Case& c : cases) {
        mWidgets.clear();
        for (const char* name : {"A", "B", "C", "D"}) {
            Add(name);
        }
        mWidgets["B"]->mOnUpdate = [this, &c] { c.onUpdateOfB(*this); };
        Take();
        mManager.RunUpdate();
        std::string updated;
        for (const std::string& line : Take()) {
            updated += line.substr(0, line.find(':'));
        }
        EXPECT_EQ(updated, c.updated) << c.what;
        EXPECT_EQ(Order(mManager), c.remaining) << c.what;
    }
}

TEST_F(WidgetTreeTest, NestedChildRemovingItselfLetsItsSiblingsUpdate) {
    RecordingWidget& parent = Add("P", {0, 0, 50, 50});
    RecordingWidget a("a", mLog), b("b", mLog), c("c", mLog);
    for (RecordingWidget* w : {&a, &b, &c}) {
        parent.InsertChild(w);
    }
    a.mOnUpdate = [&] { parent.DetachChild(&a); };
    Take();
    mManager.RunUpdate();
    EXPECT_EQ(Take(), (Log{"P:Update", "a:Update", "b:Update", "c:Update"}));
    EXPECT_EQ(Order(parent), "bc");
    EXPECT_EQ(a.GetManager(), nullptr);
    EXPECT_EQ(a.GetParent(), nullptr);
}

TEST_F(WidgetTreeTest, ModalWidgetSplitsThePassIntoUnderAndOverFlags) {
    Add("S");
    RecordingWidget& dialog = Add("D");
    Add("T");
    RecordingWidget inDialog("d", mLog);
    dialog.InsertChild(&inDialog);
    mManager.PushModal(&dialog, {0, kWidgetUpdate}); // beneath the dialog nothing updates
    Take();
    mManager.RunUpdate();
    EXPECT_EQ(Take(), (Log{"D:Update", "d:Update", "T:Update"}));
    mManager.PopModal(&dialog);
    mManager.RunUpdate();
    EXPECT_EQ(Take(), (Log{"S:Update", "D:Update", "d:Update", "T:Update"}));
}

TEST_F(WidgetTreeTest, FlagModifiersApplyToTheWholeSubtreeAndDirtyAlwaysMarksEveryPass) {
    RecordingWidget& parent = Add("P");
    RecordingWidget child("c", mLog);
    parent.InsertChild(&child);
    parent.mFlagsRemove = kWidgetUpdate;
    child.mFlagsAdd = kWidgetDirtyAlways;
    TakeDirty();
    child.mDirty = false;
    Take();
    EXPECT_TRUE(mManager.RunUpdate());
    EXPECT_EQ(Take(), Log{});
    EXPECT_EQ(TakeDirty(), "P");
    EXPECT_TRUE(child.mDirty);
}

TEST_F(WidgetTreeTest, InvalidateAtTheRootRedrawsWhatLiesAboveAndWhatShowsThrough) {
    // Background covers everything, Panel covers the middle, Small sits on Panel; Top overlaps
    // Small, Far overlaps nothing.
    RecordingWidget& background = Add("G", {0, 0, 100, 100});
    RecordingWidget& panel = Add("P", {20, 20, 60, 60});
    RecordingWidget& small = Add("S", {30, 30, 10, 10});
    Add("T", {35, 35, 10, 10});
    Add("F", {90, 0, 10, 10});
    (void)background;
    struct Case {
        bool smallBlends;
        bool panelHasHoles;
        const char* dirty;
    };
    const Case cases[] = {
        {false, false, "ST"}, // opaque: only what lies above is drawn again
        {true, false, "PST"}, // blends: the opaque panel beneath, nothing under it
        {true, true, "GPST"}, // the panel has holes: the background shows through
    };
    for (const Case& c : cases) {
        small.mBlendsWithBelow = c.smallBlends;
        panel.mHasHoles = c.panelHasHoles;
        TakeDirty();
        small.Invalidate();
        EXPECT_EQ(TakeDirty(), c.dirty) << c.smallBlends << c.panelHasHoles;
    }
    // A widget that is already dirty marks nothing more.
    small.mBlendsWithBelow = true;
    small.mDirty = true;
    small.Invalidate();
    EXPECT_EQ(TakeDirty(), "S");
}

TEST_F(WidgetTreeTest, HidingMovingAndRemovingRedrawTheAreaLeftBehind) {
    Add("G", {0, 0, 100, 100});
    Add("P", {20, 20, 60, 60});
    RecordingWidget& small = Add("S", {30, 30, 10, 10});

    TakeDirty();
    small.SetVisible(false);
    EXPECT_EQ(TakeDirty(), "PS");
    small.SetVisible(true);
    EXPECT_EQ(TakeDirty(), "S");

    small.Resize(small.GetRect()); // unchanged: no redraw
    EXPECT_EQ(TakeDirty(), "");
    small.Move(85, 30); // the panel shows where it was
    EXPECT_EQ(TakeDirty(), "PS");

    small.Move(30, 30);
    TakeDirty();
    mManager.DetachChild(&small);
    EXPECT_EQ(TakeDirty(), "P");
    EXPECT_TRUE(small.mDirty); // left as marked; drawn when it is added again
}

TEST_F(WidgetTreeTest, DirtyChildMarksItsTopLevelAncestor) {
    RecordingWidget& parent = Add("P", {0, 0, 50, 50});
    RecordingWidget child("c", mLog, {5, 5, 5, 5});
    parent.InsertChild(&child);
    TakeDirty();
    child.mDirty = false;
    child.SetColor(2, Color(1, 2, 3));
    EXPECT_EQ(TakeDirty(), "P");
    EXPECT_TRUE(child.mDirty);
    EXPECT_EQ(child.GetColor(2), Color(1, 2, 3));
    EXPECT_EQ(child.GetColor(0), kOpaqueBlack); // the table grew with opaque black
    EXPECT_EQ(child.GetColor(3, kOpaqueWhite), kOpaqueWhite);
}

TEST_F(WidgetTreeTest, IsBeneathFollowsTheDepthFirstOrder) {
    RecordingWidget& a = Add("A");
    RecordingWidget& b = Add("B");
    RecordingWidget a1("a1", mLog);
    a.InsertChild(&a1);
    EXPECT_TRUE(mManager.IsBeneath(&a, &b));
    EXPECT_TRUE(mManager.IsBeneath(&a1, &b));
    EXPECT_TRUE(mManager.IsBeneath(&a, &a1)); // a parent lies beneath its children
    EXPECT_FALSE(mManager.IsBeneath(&b, &a1));
}

TEST_F(WidgetTreeTest, DetachAllChildrenEmptiesRecursivelyAndDeletes) {
    Log log;
    {
        auto* parent = new RecordingWidget("P", log);
        auto* child = new RecordingWidget("c", log);
        parent->InsertChild(child);
        mManager.InsertChild(parent);
        mManager.DetachAllChildren(true, true); // no application: deleted at once
        EXPECT_TRUE(mManager.GetChildren().empty());
    }
    EXPECT_EQ(log, (Log{"c:Deleted", "P:Deleted"}));
}

TEST_F(WidgetTreeTest, DeletingAWidgetStillInTheTreeTakesItOut) {
    RecordingWidget& parent = Add("P", {0, 0, 50, 50});
    auto child = std::make_unique<RecordingWidget>("c", mLog, Rect(0, 0, 5, 5));
    RecordingWidget grandchild("g", mLog);
    child->InsertChild(&grandchild);
    parent.InsertChild(child.get());
    child->mAcceptsFocus = true;
    mManager.FocusWidget(child.get());
    child.reset();
    EXPECT_EQ(Order(parent), "");
    EXPECT_EQ(mManager.mKeyboardFocus, nullptr);
    EXPECT_EQ(grandchild.GetParent(), nullptr);
    EXPECT_EQ(grandchild.GetManager(), nullptr);
}

TEST_F(WidgetTreeTest, CountDigits) {
    const std::pair<int, int> cases[] = {{0, 1},    {9, 1},  {10, 2},         {999, 3},
                                         {1000, 4}, {-5, 1}, {2147483647, 10}};
    RecordingWidget w("w", mLog);
    for (auto [n, digits] : cases) {
        EXPECT_EQ(w.CountDigits(n), digits) << n;
    }
}

} // namespace
} // namespace ravix
