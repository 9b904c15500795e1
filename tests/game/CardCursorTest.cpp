// The card cursor: one cell per arrow, stopping at the edges and before the empty cells of a
// short last row.

#include "game/CardCursor.h"

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

struct CursorCase {
    const char* mName;
    int mColumns;
    int mCount;
    std::vector<std::pair<int, int>> mMoves;
    int mIndex;
};

TEST(CardCursor, MovesOneCellAndStaysAtTheEdges) {
    const CursorCase cases[] = {
        {"starts top left", 4, 12, {}, 0},
        {"left and up stay", 4, 12, {{-1, 0}, {0, -1}}, 0},
        {"right edge", 4, 12, {{1, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 0}}, 3},
        {"bottom edge", 4, 12, {{0, 1}, {0, 1}, {0, 1}}, 8},
        {"short last row", 4, 10, {{1, 0}, {1, 0}, {1, 0}, {0, 1}, {0, 1}}, 7},
        {"into the short row", 4, 10, {{1, 0}, {0, 1}, {0, 1}}, 9},
    };
    for (const CursorCase& c : cases) {
        SCOPED_TRACE(c.mName);
        CardCursor cursor;
        cursor.Reset(c.mColumns, c.mCount);
        for (const auto& [dx, dy] : c.mMoves) {
            cursor.Move(dx, dy);
        }
        EXPECT_EQ(cursor.CardIndex(), c.mIndex);
    }
}

TEST(CardCursor, HidesUntilTheNextMoveAndHasNoCardOnAnEmptyBoard) {
    CardCursor cursor;
    cursor.Reset(3, 9);
    cursor.Hide();
    EXPECT_FALSE(cursor.IsShown());
    EXPECT_FALSE(cursor.Move(-1, 0));
    EXPECT_TRUE(cursor.IsShown());
    cursor.Reset(3, 0);
    EXPECT_EQ(cursor.CardIndex(), -1);
    EXPECT_FALSE(cursor.IsShown());
}

} // namespace
} // namespace tarnwick
