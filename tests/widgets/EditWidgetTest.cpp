// Edit boxes: typing and deleting at the caret's edges, the maximum length and refused
// characters, Enter in both modes, sideways scrolling with the text clipped to the box, word
// wrap, a read-only report that scrolls, clicks that place the caret, and the blinking caret.

#include "widgets/EditWidget.h"
#include "ControlTestSupport.h"
#include "graphics/TestFont.h"
#include "platform/KeyCodes.h"
#include "widgets/EditListener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ravix::test {
namespace {

// Logs "enter <text>" and "changed <text>"; refuses the characters in mRefused.
class EditRecorder : public EditListener {
public:
    void EditWidgetText(int id, const std::string& text) override {
        mLog.push_back("enter " + std::to_string(id) + " " + text);
    }
    bool AllowChar(int, char c) override { return mRefused.find(c) == std::string::npos; }
    void EditTextChanged(int, const std::string& text) override {
        mLog.push_back("changed " + text);
    }
    Log Take() { return std::exchange(mLog, {}); }

    Log mLog;
    std::string mRefused;
};

using Lines = std::vector<std::string>;

// The test font's characters are 10 pixels wide ('i' 4) and its lines 15 apart. The boxes
// leave 3 pixels around the text and 6 for the scroll bar of a multi-line box, so a text area
// 100 wide holds 10 characters.
class EditWidgetTest : public ::testing::Test {
protected:
    EditWidgetTest() {
        mEdit.SetFont(&mFont);
        mEdit.Resize(10, 10, 106, 21);
        mManager.InsertChild(&mEdit);
        mManager.FocusWidget(&mEdit);
    }
    void MakeMultiLine(int visibleLines) {
        mEdit.SetMultiLine(true);
        mEdit.Resize(10, 10, 112, visibleLines * 15 + 6);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            mManager.CharTyped(c);
        }
    }
    void Key(int key) {
        mManager.KeyDown(key);
        mManager.KeyUp(key);
    }
    Lines AllLines() {
        Lines lines;
        for (int i = 0; i < mEdit.GetLineCount(); ++i) {
            lines.emplace_back(mEdit.GetLine(i));
        }
        return lines;
    }

    TestFont mFont;
    EditRecorder mListener;
    EditWidget mEdit{5, &mListener};
    ScreenManager mManager;
};

TEST_F(EditWidgetTest, TypingAndDeletingAtTheCaretStopAtTheEdges) {
    Type("abc\x1b\t\x7f"); // Escape, Tab and DEL are not text
    EXPECT_EQ(mEdit.GetText(), "abc");
    for (int i = 0; i < 5; ++i) {
        Key(kKeyLeft);
    }
    EXPECT_EQ(mEdit.GetCaret(), 0);
    Type("\b"); // nothing before the caret
    Key(kKeyDelete);
    Key(kKeyEnd);
    Key(kKeyRight);
    EXPECT_EQ(mEdit.GetCaret(), 2);
    Key(kKeyDelete); // nothing after the caret
    Type("\b");
    Key(kKeyHome);
    Type("\xe9"); // bytes above 127 are characters of the 8-bit set
    EXPECT_EQ(mEdit.GetText(), "\xe9"
                               "b");
    EXPECT_EQ(mEdit.GetCaret(), 1);
    EXPECT_EQ(mListener.Take(),
              (Log{"changed a", "changed ab", "changed abc", "changed bc", "changed b",
                   "changed \xe9"
                   "b"}));
}

TEST_F(EditWidgetTest, MaximumLengthAndRefusedCharacters) {
    mListener.mRefused = "0123456789";
    mEdit.SetMaxChars(4);
    Type("ab1cdef");
    EXPECT_EQ(mEdit.GetText(), "abcd");
    mEdit.SetText("longer text 42"); // the program's text is cut but not filtered
    EXPECT_EQ(mEdit.GetText(), "long");
    mEdit.SetMaxChars(0);
    mEdit.SetText("a\nb 42");
    EXPECT_EQ(mEdit.GetText(), "a b 42"); // one line
    mEdit.SetMaxChars(2);
    EXPECT_EQ(mEdit.GetText(), "a ");
    EXPECT_EQ(mEdit.GetCaret(), 2);
    EXPECT_EQ(mListener.Take(), (Log{"changed a", "changed ab", "changed abc", "changed abcd"}));
}

TEST_F(EditWidgetTest, EnterReportsInOneLineAndBreaksTheLineInMany) {
    Type("hi\r");
    EXPECT_EQ(mEdit.GetText(), "hi");
    EXPECT_EQ(mListener.Take(), (Log{"changed h", "changed hi", "enter 5 hi"}));

    MakeMultiLine(3);
    Type("\rthere");
    EXPECT_EQ(mEdit.GetText(), "hi\nthere");
    EXPECT_EQ(AllLines(), (Lines{"hi", "there"}));
    Key(kKeyUp); // from the end of "there" to the end of "hi"
    EXPECT_EQ(mEdit.GetCaret(), 2);
    Key(kKeyDown);
    Key(kKeyHome);
    EXPECT_EQ(mEdit.GetCaret(), 3);
    Type("\b"); // joins the lines
    EXPECT_EQ(mEdit.GetText(), "hithere");
    EXPECT_EQ(mListener.mLog.back(), "changed hithere");
}

TEST_F(EditWidgetTest, WordsWrapAtTheWidth) {
    MakeMultiLine(3);
    const struct {
        const char* mText;
        Lines mLines;
    } cases[] = {
        // "hello world" is 110 wide; 'i' is narrow, so "again and " fits in 94.
        {"hello world again and again", {"hello ", "world ", "again and ", "again"}},
        {"abcdefghijklmn", {"abcdefghij", "klmn"}}, // no space: split at the edge
        {"x\n\ny", {"x", "", "y"}},
        {"tenletters two", {"tenletters ", "two"}}, // spaces hang past the edge
        {"", {""}},
    };
    for (const auto& c : cases) {
        mEdit.SetText(c.mText);
        EXPECT_EQ(AllLines(), c.mLines) << c.mText;
    }
    // The caret ends on the fourth line, so three lines fit from the second.
    mEdit.SetText("hello world again and again");
    EXPECT_EQ(mEdit.GetFirstLine(), 1);
    Key(kKeyUp); // "again" ends at 44: the nearest place in "again and " is after "n"
    EXPECT_EQ(mEdit.GetCaret(), 17);
    Key(kKeyUp);
    EXPECT_EQ(mEdit.GetCaret(), 10); // "world": before the "d", at 40
    Key(kKeyUp);
    Key(kKeyEnd); // before the hanging space, which would show on the next line
    EXPECT_EQ(mEdit.GetCaret(), 5);
    EXPECT_EQ(mEdit.GetFirstLine(), 0);
}

TEST_F(EditWidgetTest, ReadOnlyRefusesEditsButScrolls) {
    MakeMultiLine(3);
    mEdit.SetReadOnly(true);
    mEdit.SetText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
    EXPECT_EQ(mEdit.GetFirstLine(), 0);
    Type("x\b\r");
    Key(kKeyDelete);
    EXPECT_EQ(mEdit.GetText(), "1\n2\n3\n4\n5\n6\n7\n8\n9\n10");
    EXPECT_EQ(mListener.Take(), Log{});

    const struct {
        int mKey;
        int mWheel;
        int mFirst;
    } steps[] = {
        {kKeyDown, 0, 1}, {kKeyPageDown, 0, 4}, {kKeyEnd, 0, 7}, {kKeyDown, 0, 7}, {0, 1, 4},
        {0, -5, 7},       {kKeyHome, 0, 0},     {kKeyUp, 0, 0},  {0, 1, 0},
    };
    for (const auto& step : steps) {
        if (step.mKey != 0) {
            Key(step.mKey);
        } else {
            mManager.MouseWheel(step.mWheel);
        }
        EXPECT_EQ(mEdit.GetFirstLine(), step.mFirst) << step.mKey << " " << step.mWheel;
    }
    // The bar's track is 49 high: thumb 14 (49 * 3 / 10), travel 35. Dragging the thumb to
    // the bottom shows the last lines; a press above it goes back a page.
    int barX = 10 + 112 - 1 - 3;
    mManager.MouseMove(barX, 12);
    mManager.Press(barX, 12);
    mManager.MouseMove(barX, 200);
    mManager.Release(barX, 200);
    EXPECT_EQ(mEdit.GetFirstLine(), 7);
    mManager.Click(barX, 12);
    EXPECT_EQ(mEdit.GetFirstLine(), 4);
}

TEST_F(EditWidgetTest, ClickPlacesTheCaretAtTheNearestGap) {
    mEdit.SetText("abcdef");
    const struct {
        int mX; // from the text's left edge
        int mY;
        int mCaret;
    } clicks[] = {{24, 5, 2}, {25, 5, 3}, {-3, 5, 0}, {90, 5, 6}};
    for (const auto& click : clicks) {
        mManager.Click(10 + 3 + click.mX, 10 + click.mY);
        EXPECT_EQ(mEdit.GetCaret(), click.mCaret) << click.mX;
    }
    MakeMultiLine(3);
    mEdit.SetText("one\ntwo\nthree");
    mManager.Click(10 + 3 + 12, 10 + 3 + 15 + 7); // second line, after "t"
    EXPECT_EQ(mEdit.GetCaret(), 5);
    mManager.Click(10 + 3 + 12, 10 + 40); // below the last line: the last line
    EXPECT_EQ(mEdit.GetCaret(), 9);
}

constexpr uint32_t kBackground = 0xFFFFFFFF;
constexpr uint32_t kFrame = 0xFF646464;
constexpr uint32_t kText = 0xFFFF0000;
constexpr uint32_t kCaret = 0xFF00FF00;
const Legend kEditLegend = {{kBackground, '.'}, {kFrame, 'F'}, {kText, 'T'}, {kCaret, 'C'}};

std::string DrawnRow(EditWidget& edit, int y) {
    auto screen = MakeScreen(edit.mWidth, edit.mHeight);
    Graphics g(screen.get());
    edit.Draw(g);
    return Picture(*screen, kEditLegend)[y];
}

TEST_F(EditWidgetTest, LongTextScrollsSidewaysAndIsClippedToTheBox) {
    mEdit.SetColor(EditWidget::kColorText, Color::FromPacked(kText));
    mEdit.SetColor(EditWidget::kColorCaret, Color::FromPacked(kCaret));
    Type("abcdefghjklm"); // 120 wide in 100: the caret at 120 shows in the last column
    EXPECT_EQ(mEdit.GetScrollX(), 21);
    // The text starts at 3 - 21: glyphs of 9 pixels every 10, cut at the text area's edges.
    std::string row = DrawnRow(mEdit, 10);
    EXPECT_EQ(row.substr(0, 13), "F..TTTTTTTT.T");
    EXPECT_EQ(row.substr(99), "TT.C..F");

    Key(kKeyHome);
    EXPECT_EQ(mEdit.GetScrollX(), 0);
    EXPECT_EQ(DrawnRow(mEdit, 10).substr(0, 14), "F..CTTTTTTTT.T");
    Key(kKeyEnd);
    EXPECT_EQ(mEdit.GetScrollX(), 21);
    Type("\b\b\b"); // the text fits again: no room is left empty on the right
    EXPECT_EQ(mEdit.GetScrollX(), 0);

    // The caret shows only while the box has the focus, and blinks with the updates.
    // "abcdefghj" ends at 90: the caret in column 3 + 90.
    mManager.FocusWidget(nullptr);
    EXPECT_EQ(DrawnRow(mEdit, 10).substr(91, 3), "T..");
    mManager.FocusWidget(&mEdit);
    EXPECT_EQ(DrawnRow(mEdit, 10).substr(91, 3), "T.C");
    for (int i = 0; i < EditWidget::kBlinkUpdates; ++i) {
        mManager.RunUpdate();
    }
    EXPECT_EQ(DrawnRow(mEdit, 10).substr(91, 3), "T..");
    Key(kKeyLeft); // moving the caret shows it at once, over the "j"
    EXPECT_EQ(DrawnRow(mEdit, 10).substr(81, 3), "T.C");
}

} // namespace
} // namespace ravix::test
