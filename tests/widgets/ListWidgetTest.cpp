// List boxes: clicks and double clicks, Enter as a double click, keys that move the selection
// into view, the wheel and the scroll bar clamped at both ends, and where rows are drawn.

#include "widgets/ListWidget.h"
#include "ControlTestSupport.h"
#include "graphics/Graphics.h"
#include "graphics/RecordingImage.h"
#include "graphics/TestFont.h"
#include "platform/KeyCodes.h"
#include "widgets/ListListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ravix::test {
namespace {

// Logs "clicked <id> <row> c<count>" and "selected <id> <row>".
class ListRecorder : public ListListener {
public:
    void ListClicked(int id, int index, int clickCount) override {
        mLog.push_back("clicked " + std::to_string(id) + " " + std::to_string(index) + " c" +
                       std::to_string(clickCount));
    }
    void ListSelectionChanged(int id, int index) override {
        mLog.push_back("selected " + std::to_string(id) + " " + std::to_string(index));
    }
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;
};

// Ten rows, 16 pixels high (the test font's 12 and 4 of padding), four of which fit in a list
// of 66 pixels with its one-pixel frame, at (10, 10).
class ListWidgetTest : public ::testing::Test {
protected:
    ListWidgetTest() {
        mList.SetFont(&mFont);
        mList.Resize(10, 10, 100, 66);
        for (int i = 0; i < 10; ++i) {
            mList.AddRow("row " + std::to_string(i));
        }
        mManager.InsertChild(&mList);
        mManager.FocusWidget(&mList);
    }
    // The screen y of the middle of a shown row.
    static int RowY(int shownRow) { return 10 + 1 + shownRow * 16 + 8; }
    void Key(int key) {
        mManager.KeyDown(key);
        mManager.KeyUp(key);
    }

    TestFont mFont;
    ListRecorder mListener;
    ListWidget mList{7, &mListener};
    ScreenManager mManager;
};

TEST_F(ListWidgetTest, ClicksReportTheirCountAndEnterReportsADoubleClick) {
    mManager.Click(20, RowY(2));
    mManager.MouseDown(20, RowY(2), 2); // the second press of a double click
    mManager.MouseUp(20, RowY(2), 2);
    mManager.CharTyped('\r');
    mManager.MouseDown(20, RowY(3), -1); // the right button picks nothing
    mManager.MouseUp(20, RowY(3), -1);
    EXPECT_EQ(mList.GetSelected(), 2);
    EXPECT_EQ(mListener.Take(),
              (Log{"selected 7 2", "clicked 7 2 c1", "clicked 7 2 c2", "clicked 7 2 c2"}));

    mList.SetRows({"a", "b"}); // no selection, and room below the rows
    mManager.Click(20, RowY(3));
    mManager.CharTyped('\r');
    EXPECT_EQ(mList.GetSelected(), -1);
    EXPECT_EQ(mListener.Take(), Log{});
}

TEST_F(ListWidgetTest, KeysMoveTheSelectionIntoViewAndTheWheelOnlyScrolls) {
    const struct {
        int mKey;
        int mSelected;
        int mFirst;
    } steps[] = {
        {kKeyDown, 0, 0}, {kKeyEnd, 9, 6}, {kKeyDown, 9, 6},     {kKeyPageUp, 5, 5},
        {kKeyHome, 0, 0}, {kKeyUp, 0, 0},  {kKeyPageDown, 4, 1},
    };
    for (const auto& step : steps) {
        Key(step.mKey);
        EXPECT_EQ(mList.GetSelected(), step.mSelected) << step.mKey;
        EXPECT_EQ(mList.GetFirstRow(), step.mFirst) << step.mKey;
    }
    EXPECT_EQ(mListener.Take(), (Log{"selected 7 0", "selected 7 9", "selected 7 5", "selected 7 0",
                                     "selected 7 4"}));

    const int wheel[][2] = {{-1, 4}, {-5, 6}, {10, 0}};
    for (const auto& [notches, first] : wheel) {
        mManager.MouseWheel(notches);
        EXPECT_EQ(mList.GetFirstRow(), first) << notches;
    }
    EXPECT_EQ(mList.GetSelected(), 4);
    EXPECT_EQ(mListener.Take(), Log{});
}

TEST_F(ListWidgetTest, TheScrollBarThumbDragsToTheEndAndAClickBesideItPages) {
    // Track 64 high: thumb 25 (64 * 4 / 10), travel 39.
    int barX = 10 + 95;
    mManager.MouseMove(barX, 15);
    mManager.Press(barX, 15); // 4 pixels into the thumb
    mManager.MouseMove(barX, 35);
    EXPECT_EQ(mList.GetFirstRow(), 3); // thumb top at 20 of 39: row 3.08
    mManager.MouseMove(barX, 500);
    mManager.Release(barX, 500);
    EXPECT_EQ(mList.GetFirstRow(), 6);
    mManager.Click(barX, 15);
    EXPECT_EQ(mList.GetFirstRow(), 2);
    EXPECT_EQ(mList.GetSelected(), -1);
    EXPECT_EQ(mListener.Take(), Log{});
}

TEST_F(ListWidgetTest, DrawsTheShownRowsWithTheSelectionAndHoverBesideTheBar) {
    mList.SetSelected(1);
    mManager.MouseMove(20, RowY(2));
    RecordingImage image(100, 66);
    Graphics g(&image);
    mList.Draw(g);
    auto* font = static_cast<TestFont*>(mList.GetFont());
    EXPECT_EQ(font->mDrawn, (Log{"row 0@5,11#000000FF", "row 1@5,27#FFFFFFFF",
                                 "row 2@5,43#000000FF", "row 3@5,59#000000FF"}));
    // Rows are 92 wide: the bar takes 6 of the 98 inside the frame.
    auto drew = [&](const std::string& call) {
        return std::find(image.mCalls.begin(), image.mCalls.end(), call) != image.mCalls.end();
    };
    EXPECT_TRUE(drew("FillRect (1,17 92x16) #FF325AAA")); // the selection
    EXPECT_TRUE(drew("FillRect (1,33 92x16) #FFDCE6F5")); // under the mouse
    EXPECT_TRUE(drew("FillRect (93,1 6x25) #FF8C8C8C"));  // the thumb
}

} // namespace
} // namespace ravix::test
