#include "widgets/FocusTraversal.h"

#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <tuple>

namespace ravix {

namespace {

bool IsFocusable(Widget& w) {
    return w.mVisible && !w.mDisabled && w.AcceptsFocus();
}

// The top-level child that w belongs to.
const WidgetContainer* TopLevelOf(const Widget* w, const WidgetManager& manager) {
    const WidgetContainer* node = w;
    while (node != nullptr && node->mParent != &manager) {
        node = node->mParent;
    }
    return node;
}

} // namespace

FocusTraversal::FocusTraversal(const WidgetManager& manager) {
    // Widgets beneath the modal widget cannot take the focus, so the walk starts at it.
    const WidgetContainer* modal = TopLevelOf(manager.mModalWidget, manager);
    bool inTopLayer = modal == nullptr;
    for (Widget* child : manager.GetChildren()) {
        inTopLayer = inTopLayer || child == modal;
        if (!inTopLayer || !child->mVisible) {
            continue;
        }
        if (IsFocusable(*child)) {
            mOrder.push_back(child);
        }
        Collect(*child);
    }
    std::stable_sort(mOrder.begin(), mOrder.end(), [](const Widget* a, const Widget* b) {
        const Point pa = a->AbsolutePosition();
        const Point pb = b->AbsolutePosition();
        return std::tie(a->mTabOrder, pa.mY, pa.mX) < std::tie(b->mTabOrder, pb.mY, pb.mX);
    });
}

void FocusTraversal::Collect(const Widget& parent) {
    for (Widget* child : parent.GetChildren()) {
        if (!child->mVisible) {
            continue;
        }
        if (IsFocusable(*child)) {
            mOrder.push_back(child);
        }
        Collect(*child);
    }
}

Widget* FocusTraversal::Neighbour(const Widget* from, int step, int group) const {
    std::vector<Widget*> candidates;
    std::copy_if(mOrder.begin(), mOrder.end(), std::back_inserter(candidates),
                 [group](const Widget* w) { return group == 0 || w->mFocusGroup == group; });
    if (candidates.empty()) {
        return nullptr;
    }
    const auto count = static_cast<long>(candidates.size());
    const auto found = std::find(candidates.begin(), candidates.end(), from);
    if (found == candidates.end()) {
        return step > 0 ? candidates.front() : candidates.back();
    }
    const long index = ((found - candidates.begin() + step) % count + count) % count;
    return candidates[static_cast<size_t>(index)];
}

} // namespace ravix
