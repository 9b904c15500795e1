#pragma once

namespace tarnwick {

// The keyboard's place on the board: a cell of the grid the cards were dealt into, row by row.
// The arrow keys move it one cell at a time and it stops at the edges (and before the empty
// cells of a short last row). It knows nothing of cards or drawing: the board asks it for the
// index of the card under it and draws it.
class CardCursor {
public:
    // A new grid of columns x whatever rows count cards fill; the cursor goes to the top-left
    // cell and shows.
    void Reset(int columns, int count);
    // One cell in the direction (dx, dy), each -1, 0 or 1; shows the cursor. False when it
    // stayed (an edge).
    bool Move(int dx, int dy);
    void Hide() { mShown = false; }
    void Show() { mShown = true; }

    [[nodiscard]] bool IsShown() const { return mShown && mCount > 0; }
    // The card under the cursor, in dealing order; -1 when there are no cards.
    [[nodiscard]] int CardIndex() const { return mCount > 0 ? mRow * mColumns + mColumn : -1; }
    [[nodiscard]] int Row() const { return mRow; }
    [[nodiscard]] int Column() const { return mColumn; }

private:
    int mColumns = 0;
    int mCount = 0;
    int mRow = 0;
    int mColumn = 0;
    bool mShown = false;
};

} // namespace tarnwick
