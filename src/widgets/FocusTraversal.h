#pragma once

#include <vector>

namespace ravix {

class Widget;
class WidgetManager;

// The order in which the keyboard visits the widgets of a manager's tree: the visible, enabled
// widgets that accept the focus, from the top modal layer only (the modal widget and what lies
// above it; the whole tree when nothing is modal), sorted by their tab order and then in
// reading order, top to bottom and left to right. Built on demand from the tree as it is, so
// widgets that come, go, hide or move need no bookkeeping.
class FocusTraversal {
public:
    explicit FocusTraversal(const WidgetManager& manager);

    [[nodiscard]] const std::vector<Widget*>& Order() const { return mOrder; }
    // The widget step places after from in the order (before it for a negative step),
    // wrapping; only widgets of the focus group count when group is non-zero. A from outside the
    // order starts from the first (or, going back, the last) widget. Null when none qualifies.
    [[nodiscard]] Widget* Neighbour(const Widget* from, int step, int group = 0) const;

private:
    void Collect(const Widget& parent);

    std::vector<Widget*> mOrder;
};

} // namespace ravix
