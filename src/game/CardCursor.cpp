#include "game/CardCursor.h"

namespace tarnwick {

void CardCursor::Reset(int columns, int count) {
    mColumns = columns > 0 ? columns : 1;
    mCount = count > 0 ? count : 0;
    mRow = 0;
    mColumn = 0;
    mShown = true;
}

bool CardCursor::Move(int dx, int dy) {
    mShown = true;
    const int row = mRow + dy;
    const int column = mColumn + dx;
    if (row < 0 || column < 0 || column >= mColumns || row * mColumns + column >= mCount) {
        return false;
    }
    mRow = row;
    mColumn = column;
    return true;
}

} // namespace tarnwick
