#pragma once

#include "graphics/Font.h"
#include "widgets/ScrollBar.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

class EditListener;

// A text entry box. Characters arrive through CharTyped as bytes (the framework's text is
// 8-bit): printable ones are inserted at the caret, Backspace ('\b') deletes before it, Enter
// ('\r') reports the text to the listener (single-line) or starts a new line (multi-line), and
// Ctrl+V ('\x16') pastes the clipboard. KeyDown moves the caret (Left, Right, Home, End,
// Ctrl+Home, Ctrl+End; Up, Down, Page Up, Page Down in multi-line mode) and Delete deletes
// after it. The caret blinks while the box has the keyboard focus and is hidden otherwise.
//
// A single-line box scrolls sideways to keep the caret in view. A multi-line box wraps words to
// its width, scrolls by lines (keys, wheel, a thin bar at the right while the text is longer
// than the box). A read-only box refuses every edit but still scrolls, and Ctrl+C copies its
// whole text. Without a font the box makes the default system font on first use.
class EditWidget : public Widget {
public:
    // Colour table indices.
    static constexpr int kColorBackground = 0;
    static constexpr int kColorText = 1;
    static constexpr int kColorCaret = 2;
    static constexpr int kColorFrame = 3;
    static constexpr int kColorScrollTrack = 4;
    static constexpr int kColorScrollThumb = 5;

    static constexpr int kInset = 3;          // frame and padding around the text
    static constexpr int kScrollBarWidth = 6; // kept free at the right in multi-line mode
    static constexpr int kBlinkUpdates = 50;  // updates between two blinks of the caret
    static constexpr int kWheelLines = 3;     // lines scrolled per wheel notch
    static constexpr int kDefaultPointSize = 10;

    EditWidget(int id, EditListener* listener);

    void Update() override;
    void Draw(Graphics& g) override;
    using Widget::Resize;
    void Resize(int x, int y, int width, int height) override;
    void OnFocusGained() override;
    void OnFocusLost() override;
    void CharTyped(char c) override;
    void KeyDown(int key) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseWheel(int delta) override;

    // The box keeps its own copy of font.
    void SetFont(const Font* font);
    [[nodiscard]] Font* GetFont() const { return mFont.get(); }
    // Replaces the text (cut to the maximum length; line breaks become spaces in a single-line
    // box) and puts the caret at its end (a read-only box shows its start). The listener is
    // neither asked nor told.
    void SetText(std::string_view text);
    [[nodiscard]] const std::string& GetText() const { return mText; }
    // The most characters the text may hold; 0 or less: no limit. A longer text is cut.
    void SetMaxChars(int count);
    void SetMultiLine(bool multiLine);
    // A box made read-only shows the start of its text.
    void SetReadOnly(bool readOnly);
    [[nodiscard]] bool IsMultiLine() const { return mMultiLine; }
    [[nodiscard]] bool IsReadOnly() const { return mReadOnly; }

    // The caret as a byte index into the text, 0 .. size.
    [[nodiscard]] int GetCaret() const { return mCaret; }
    void SetCaret(int position);

    // The text as laid out: one line for a single-line box, else the wrapped lines (soft-wrapped
    // lines keep the spaces they were broken at).
    [[nodiscard]] int GetLineCount();
    [[nodiscard]] std::string_view GetLine(int index);
    // The first line shown (multi-line) and the sideways scroll in pixels (single-line).
    [[nodiscard]] int GetFirstLine();
    [[nodiscard]] int GetScrollX() const { return mScrollX; }
    void ScrollToLine(int line);

    int mId = 0;
    EditListener* mListener = nullptr;

private:
    // A laid-out line: bytes mStart .. mEnd of the text. The next line starts at mEnd after a
    // soft wrap and at mEnd + 1 after a line break ('\n' at mEnd).
    struct Line {
        int mStart = 0;
        int mEnd = 0;
    };

    Font& TheFont();
    void EnsureLayout();
    void WrapLines();
    void WrapParagraph(int start, int end);
    [[nodiscard]] bool IsSoftWrapped(int line) const;
    // The last caret position that shows on the line.
    [[nodiscard]] int LineLimit(int line) const;
    [[nodiscard]] int LineOf(int position);
    // Pixels from the start of its line to position.
    [[nodiscard]] int XOf(int position);
    // The caret position on line nearest to x pixels from its start.
    [[nodiscard]] int PositionAt(int line, int x);
    [[nodiscard]] int RowHeight();
    [[nodiscard]] Rect TextArea() const;
    [[nodiscard]] Rect ScrollTrack() const;
    [[nodiscard]] int Baseline(int line);
    [[nodiscard]] bool ShowsCaret() const;
    [[nodiscard]] bool IsControlDown() const;

    void InsertText(std::string_view text);
    void EraseRange(int begin, int end);
    void TextChanged();
    void MoveCaret(int position);
    void MoveCaretByLines(int lines);
    void ScrollViewKey(int key);
    void KeepCaretVisible();
    void RestartBlink();
    void Paste();

    std::string mText;
    int mCaret = 0;
    int mMaxChars = 0;
    bool mMultiLine = false;
    bool mReadOnly = false;
    std::unique_ptr<Font> mFont;
    std::vector<Line> mLines;
    bool mLayoutValid = false;
    ScrollBar mScroll;
    int mScrollX = 0;
    int mWantedX = -1; // the column Up and Down aim for; -1: the caret's own
    int mBlinkTicks = 0;
    bool mCaretOn = true;
};

} // namespace ravix
