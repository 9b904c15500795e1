#include "widgets/WidgetContainer.h"

#include "base/Verify.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace ravix {

namespace {

enum class FirstMet { Neither, A, B };

// Which of a and b a depth-first walk of c's subtree in child order meets first.
FirstMet WalkForFirst(const WidgetContainer& c, const WidgetContainer* a,
                      const WidgetContainer* b) {
    for (const Widget* child : c.mChildren) {
        if (child == a) {
            return FirstMet::A;
        }
        if (child == b) {
            return FirstMet::B;
        }
        if (FirstMet met = WalkForFirst(*child, a, b); met != FirstMet::Neither) {
            return met;
        }
    }
    return FirstMet::Neither;
}

} // namespace

WidgetContainer::WidgetContainer() : mIterator(mChildren.end()) {}

WidgetContainer::~WidgetContainer() = default;

Rect WidgetContainer::GetRect() const {
    return Rect(mX, mY, mWidth, mHeight);
}

bool WidgetContainer::Intersects(const WidgetContainer& other) const {
    return mX < other.mX + other.mWidth && other.mX < mX + mWidth &&
           mY < other.mY + other.mHeight && other.mY < mY + mHeight;
}

void WidgetContainer::InsertChild(Widget* w) {
    RAVIX_VERIFY(w != nullptr, "InsertChild needs a widget");
    if (w->mParent == this) {
        return;
    }
    RAVIX_VERIFY(w->mParent == nullptr, "a widget can only be in one container at a time");
    for (const WidgetContainer* c = this; c != nullptr; c = c->mParent) {
        RAVIX_VERIFY(c != w, "a widget cannot contain itself");
    }
    auto position =
        std::upper_bound(mChildren.begin(), mChildren.end(), w->mStackOrder,
                         [](int order, const Widget* child) { return order < child->mStackOrder; });
    mChildren.insert(position, w);
    w->mManager = mManager;
    w->mParent = this;
    if (mManager != nullptr) {
        w->OnAttached(mManager);
        w->InvalidateArea();
        mManager->RecheckPointer();
    }
    Invalidate();
}

void WidgetContainer::DetachChild(Widget* w) {
    auto it = std::find(mChildren.begin(), mChildren.end(), w);
    if (it == mChildren.end()) {
        return;
    }
    if (WidgetManager* manager = w->mManager) {
        ReleaseFromManager(w);
        w->OnDetached(manager);
        InvalidateArea(w); // what it covered is redrawn
        w->mManager = nullptr;
    }
    w->mParent = nullptr;
    if (it == mIterator) {
        // The update pass is visiting w: it goes on with the next child.
        mIterator = mChildren.erase(it);
        mChildListChanged = true;
    } else {
        mChildren.erase(it);
    }
}

bool WidgetContainer::HasChild(const Widget* w) const {
    return std::find(mChildren.begin(), mChildren.end(), w) != mChildren.end();
}

void WidgetContainer::ForgetWidget(Widget*) {}

void WidgetContainer::DetachAllChildren(bool deleteChildren, bool recursive) {
    // Detaching may take this container out of its tree: ask for the host first.
    WidgetHost* host = HostOf(mManager);
    while (!mChildren.empty()) {
        Widget* child = mChildren.front();
        DetachChild(child);
        if (recursive) {
            child->DetachAllChildren(deleteChildren, recursive);
        }
        if (deleteChildren) {
            DeleteWidgetAfterPass(host, child);
        }
    }
}

void WidgetContainer::FocusWidget(Widget*) {}

bool WidgetContainer::IsBeneath(const WidgetContainer* a, const WidgetContainer* b) const {
    return WalkForFirst(*this, a, b) == FirstMet::A;
}

void WidgetContainer::InvalidateTree() {
    Invalidate();
    for (Widget* child : mChildren) {
        child->mDirty = true;
        child->InvalidateTree();
    }
}

void WidgetContainer::RaiseChild(Widget* w) {
    if (!HasChild(w)) {
        return;
    }
    auto groupEnd = std::find_if(mChildren.begin(), mChildren.end(), [w](const Widget* child) {
        return child != w && child->mStackOrder > w->mStackOrder;
    });
    MoveChild(w, groupEnd);
}

void WidgetContainer::LowerChild(Widget* w) {
    if (!HasChild(w)) {
        return;
    }
    auto groupBegin = std::find_if(mChildren.begin(), mChildren.end(), [w](const Widget* child) {
        return child == w || child->mStackOrder >= w->mStackOrder;
    });
    MoveChild(w, groupBegin);
}

void WidgetContainer::PlaceBelow(Widget* w, Widget* ref) {
    if (w == ref || !HasChild(w) || !HasChild(ref)) {
        return;
    }
    if (ref->mStackOrder < w->mStackOrder) {
        LowerChild(w); // w must stay above ref: as low as its group allows
    } else if (ref->mStackOrder > w->mStackOrder) {
        RaiseChild(w); // w must stay below ref: as high as its group allows
    } else {
        MoveChild(w, std::find(mChildren.begin(), mChildren.end(), ref));
    }
}

void WidgetContainer::PlaceAbove(Widget* w, Widget* ref) {
    if (w == ref || !HasChild(w) || !HasChild(ref)) {
        return;
    }
    if (ref->mStackOrder < w->mStackOrder) {
        LowerChild(w);
    } else if (ref->mStackOrder > w->mStackOrder) {
        RaiseChild(w);
    } else {
        MoveChild(w, std::next(std::find(mChildren.begin(), mChildren.end(), ref)));
    }
}

Point WidgetContainer::AbsolutePosition() const {
    Point p;
    for (const WidgetContainer* c = this; c != nullptr; c = c->mParent) {
        p.mX += c->mX;
        p.mY += c->mY;
    }
    return p;
}

void WidgetContainer::Invalidate(Widget* child) {
    if (child->mDirty) {
        return;
    }
    Invalidate();
    child->mDirty = true;
    if (mParent != nullptr) {
        return;
    }
    // At the root only the dirty top-level widgets are drawn, so whatever overlaps the child is
    // drawn again with it: what lies above always, what lies beneath when the child blends.
    if (child->mBlendsWithBelow) {
        InvalidateArea(child);
    } else {
        MarkDirtyAbove(std::find(mChildren.begin(), mChildren.end(), child));
    }
}

void WidgetContainer::Invalidate() {
    if (mParent != nullptr) {
        mParent->Invalidate(static_cast<Widget*>(this));
    } else {
        mDirty = true;
    }
}

void WidgetContainer::InvalidateArea(Widget* child) {
    InvalidateArea();
    child->mDirty = true;
    if (mParent != nullptr) {
        return;
    }
    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end()) {
        return;
    }
    Rect area = child->GetRect().Intersection(Rect(0, 0, mWidth, mHeight));
    if (area.IsEmpty()) {
        MarkDirtyAbove(it);
        return;
    }
    // Beneath, nearest first: an opaque sibling covering the whole area hides everything below.
    for (auto below = std::make_reverse_iterator(it); below != mChildren.rend(); ++below) {
        Widget* sibling = *below;
        if (!sibling->mVisible) {
            continue;
        }
        bool opaque = !sibling->mHasHoles && !sibling->mBlendsWithBelow;
        if (opaque && sibling->Contains(area.mX, area.mY) &&
            sibling->Contains(area.mX + area.mWidth - 1, area.mY + area.mHeight - 1)) {
            sibling->mDirty = true;
            break;
        }
        if (sibling->Intersects(*child)) {
            sibling->Invalidate();
        }
    }
    MarkDirtyAbove(it);
}

void WidgetContainer::InvalidateArea() {
    if (mParent != nullptr) {
        mParent->InvalidateArea(static_cast<Widget*>(this));
    } else {
        mDirty = true;
    }
}

void WidgetContainer::OnAttached(WidgetManager* manager) {
    for (Widget* child : mChildren) {
        child->mManager = manager;
        child->OnAttached(manager);
    }
    Invalidate();
}

void WidgetContainer::OnDetached(WidgetManager* manager) {
    for (Widget* child : mChildren) {
        manager->ForgetWidget(child);
        child->OnDetached(manager);
        child->mManager = nullptr;
    }
}

void WidgetContainer::Update() {
    ++mUpdates;
}

template <class Visit>
void WidgetContainer::VisitChildrenForUpdate(ModalFlags& flags, Visit visit) {
    for (mIterator = mChildren.begin(); mIterator != mChildren.end();) {
        mChildListChanged = false;
        Widget* child = *mIterator;
        if (mManager != nullptr && child == mManager->mModalWidget) {
            flags.mIsOver = true;
        }
        visit(child);
        // A nested pass over this container ends with the position at the end, so this pass
        // ends as well rather than walk a list that changed under it.
        if (!mChildListChanged) {
            ++mIterator;
        }
    }
    mChildListChanged = true;
}

void WidgetContainer::UpdateTree(ModalFlags& flags) {
    ScopedFlagModifier modifier(flags, GetFlagModifier());
    int inForce = flags.InForce();
    if ((inForce & kWidgetDirtyAlways) != 0) {
        Invalidate();
    }
    if (mManager != nullptr && (inForce & kWidgetUpdate) != 0 &&
        mManager->mUpdates != mLastUpdateStamp) {
        mLastUpdateStamp = mManager->mUpdates;
        Update();
    }
    VisitChildrenForUpdate(flags, [&flags](Widget* child) { child->UpdateTree(flags); });
}

void WidgetContainer::UpdateFraction(float) {}

void WidgetContainer::UpdateFractionTree(ModalFlags& flags, float fraction) {
    ScopedFlagModifier modifier(flags, GetFlagModifier());
    int inForce = flags.InForce();
    if ((inForce & kWidgetDirtyAlways) != 0) {
        Invalidate();
    }
    if (mManager != nullptr && (inForce & kWidgetUpdate) != 0) {
        UpdateFraction(fraction);
    }
    VisitChildrenForUpdate(
        flags, [&flags, fraction](Widget* child) { child->UpdateFractionTree(flags, fraction); });
}

void WidgetContainer::Draw(Graphics&) {}

void WidgetContainer::DrawTree(ModalFlags& flags, Graphics& g) {
    if (mManager != nullptr) {
        mManager->DrawOverlays(mDrawPriority);
    }
    ScopedFlagModifier modifier(flags, GetFlagModifier());
    int inForce = flags.InForce();
    if (mClipToBounds && (inForce & kWidgetClip) != 0) {
        g.ClipRect(0, 0, mWidth, mHeight);
    }
    bool draws = (inForce & kWidgetDraw) != 0;
    if (mChildren.empty()) {
        if (draws) {
            Draw(g);
        }
        return;
    }
    if (draws) {
        Graphics::ScopedState saved(g);
        Draw(g);
    }
    for (Widget* child : mChildren) {
        if (mManager != nullptr && child == mManager->mModalWidget) {
            flags.mIsOver = true;
        }
        if (!child->mVisible) {
            continue;
        }
        Graphics childGraphics(g);
        childGraphics.Translate(static_cast<float>(child->mX), static_cast<float>(child->mY));
        child->DrawTree(flags, childGraphics);
        child->mDirty = false;
    }
}

void WidgetContainer::SystemColorsChangedTree() {
    SystemColorsChanged();
    for (Widget* child : mChildren) {
        child->SystemColorsChangedTree();
    }
}

void WidgetContainer::SystemColorsChanged() {}

void WidgetContainer::OnReordered() {}

void WidgetContainer::ReleaseFromManager(Widget* w) {
    for (Widget* child : w->mChildren) {
        ReleaseFromManager(child);
    }
    w->mManager->ForgetWidget(w);
    w->mManager->DropRemovedWidget(w);
}

void WidgetContainer::MoveChild(Widget* w, ChildList::iterator position) {
    auto it = std::find(mChildren.begin(), mChildren.end(), w);
    if (it == mIterator) {
        // The update pass is visiting w: it goes on with the child that followed w, wherever
        // w moves to.
        mIterator = std::next(it);
        mChildListChanged = true;
    }
    mChildren.splice(position, mChildren, it);
    w->OnReordered();
}

void WidgetContainer::MarkDirtyAbove(ChildList::iterator from) {
    if (from == mChildren.end()) {
        return;
    }
    const Widget* child = *from;
    for (auto above = std::next(from); above != mChildren.end(); ++above) {
        if ((*above)->mVisible && (*above)->Intersects(*child)) {
            (*above)->mDirty = true;
        }
    }
}

} // namespace ravix
