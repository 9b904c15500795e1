#pragma once

namespace ravix {

// What a list box tells its owner, by the box's id.
class ListListener {
public:
    virtual ~ListListener() = default;
    // A row was clicked (clickCount 1, or 2 for a double click); Enter reports the selected row
    // as a double click.
    virtual void ListClicked(int /*id*/, int /*index*/, int /*clickCount*/) {}
    // The user moved the selection with the mouse or the keys; not called for SetSelected.
    virtual void ListSelectionChanged(int /*id*/, int /*index*/) {}
};

} // namespace ravix
