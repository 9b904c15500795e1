#pragma once

#include "base/Point.h"
#include "base/Rect.h"
#include "widgets/WidgetFlags.h"

#include <list>

namespace ravix {

class Graphics;
class Widget;
class WidgetManager;

// A rectangle with an ordered list of child widgets, dirty marking and the recursive update and
// draw passes. The widget manager (the root of the tree) and every widget are containers. A
// container does not own its children: whoever creates a widget removes and deletes it.
class WidgetContainer {
public:
    using ChildList = std::list<Widget*>;

    WidgetContainer();
    WidgetContainer(const WidgetContainer&) = delete;
    WidgetContainer& operator=(const WidgetContainer&) = delete;

    // Virtual operations, in slot order.
    // Widget and WidgetManager take a destroyed container out of its tree first.
    virtual ~WidgetContainer();
    [[nodiscard]] virtual Rect GetRect() const;
    // The two rectangles overlap (touching edges do not count).
    [[nodiscard]] virtual bool Intersects(const WidgetContainer& other) const;
    // Adds w above the children whose stack order is at most w's. w must not have a parent.
    virtual void InsertChild(Widget* w);
    // Removes w (and releases its subtree from the manager); safe during an update pass.
    virtual void DetachChild(Widget* w);
    [[nodiscard]] virtual bool HasChild(const Widget* w) const;
    virtual void ForgetWidget(Widget* w);
    // Removes every child; recursive empties each removed child too, deleteChildren deletes
    // them (through the application's deferred deletion when an application exists).
    virtual void DetachAllChildren(bool deleteChildren, bool recursive);
    virtual void FocusWidget(Widget* w);
    // In a depth-first walk of this subtree in child order, a comes before b.
    [[nodiscard]] virtual bool IsBeneath(const WidgetContainer* a, const WidgetContainer* b) const;
    virtual void InvalidateTree();
    virtual void RaiseChild(Widget* w);
    virtual void LowerChild(Widget* w);
    virtual void PlaceBelow(Widget* w, Widget* ref);
    virtual void PlaceAbove(Widget* w, Widget* ref);
    // The position in the manager's (root) coordinates.
    [[nodiscard]] virtual Point AbsolutePosition() const;
    virtual void Invalidate(Widget* child);
    virtual void Invalidate();
    virtual void InvalidateArea(Widget* child);
    virtual void InvalidateArea();
    virtual void OnAttached(WidgetManager* manager);
    virtual void OnDetached(WidgetManager* manager);
    virtual void Update();
    virtual void UpdateTree(ModalFlags& flags);
    virtual void UpdateFraction(float fraction);
    virtual void UpdateFractionTree(ModalFlags& flags, float fraction);
    virtual void Draw(Graphics& g);
    virtual void DrawTree(ModalFlags& flags, Graphics& g);
    virtual void SystemColorsChangedTree();
    virtual void SystemColorsChanged();
    virtual void OnReordered();

    [[nodiscard]] FlagModifier GetFlagModifier() const { return {mFlagsAdd, mFlagsRemove}; }
    [[nodiscard]] WidgetManager* GetManager() const { return mManager; }
    [[nodiscard]] WidgetContainer* GetParent() const { return mParent; }
    [[nodiscard]] const ChildList& GetChildren() const { return mChildren; }

    ChildList mChildren;               // sorted by mStackOrder ascending: drawn first = lowest
    WidgetManager* mManager = nullptr; // set while in a manager's tree; the manager's is itself
    WidgetContainer* mParent = nullptr;
    bool mChildListChanged = false; // the visited child was removed during the update pass
    ChildList::iterator mIterator;  // the child the update pass visits; end() between passes
    int mLastUpdateStamp = 0;       // the manager's update count at this widget's last Update
    int mUpdates = 0;
    bool mDirty = false;
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    bool mBlendsWithBelow = false; // partly transparent: what lies beneath is redrawn with it
    bool mClipToBounds = true;
    int mFlagsAdd = 0;
    int mFlagsRemove = 0;
    int mDrawPriority = 0; // overlays queued with a smaller priority are drawn before it
    int mStackOrder = 0;

private:
    // Takes w out of the manager's care: first its descendants, then w itself.
    void ReleaseFromManager(Widget* w);
    // Moves the child list position of w to before position; w must be a child.
    void MoveChild(Widget* w, ChildList::iterator position);
    // Walks the children for an update pass, calling visit on each. The list may change during
    // a visit: removing the visited child moves the pass on to the next one.
    template <class Visit>
    void VisitChildrenForUpdate(ModalFlags& flags, Visit visit);
    // Marks dirty every visible child after from (above it) that intersects it.
    void MarkDirtyAbove(ChildList::iterator from);
};

} // namespace ravix
