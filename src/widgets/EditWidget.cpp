#include "widgets/EditWidget.h"

#include "base/Verify.h"
#include "graphics/Graphics.h"
#include "platform/KeyCodes.h"
#include "widgets/EditListener.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <utility>

namespace ravix {

namespace {

constexpr int kDefaultColors[][3] = {
    {255, 255, 255}, // background
    {0, 0, 0},       // text
    {0, 0, 0},       // caret
    {100, 100, 100}, // frame
    {225, 225, 225}, // scroll bar track
    {140, 140, 140}, // scroll bar thumb
};

constexpr char kCharBackspace = '\b';
constexpr char kCharEnter = '\r';
constexpr char kCharCopy = '\x03';  // Ctrl+C
constexpr char kCharPaste = '\x16'; // Ctrl+V

bool IsPrintable(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte != 0x7F;
}

} // namespace

EditWidget::EditWidget(int id, EditListener* listener) : mId(id), mListener(listener) {
    mAcceptsFocus = true;
    SetColors(kDefaultColors, static_cast<int>(std::size(kDefaultColors)));
}

void EditWidget::Update() {
    Widget::Update();
    if (mFocused && !mReadOnly && ++mBlinkTicks >= kBlinkUpdates) {
        mBlinkTicks = 0;
        mCaretOn = !mCaretOn;
        Invalidate();
    }
}

void EditWidget::Draw(Graphics& g) {
    EnsureLayout();
    Font& font = TheFont();
    g.SetColor(GetColor(kColorBackground));
    g.FillRect(0, 0, mWidth, mHeight);
    g.SetColor(GetColor(kColorFrame));
    g.DrawRect(0, 0, mWidth - 1, mHeight - 1);

    Rect area = TextArea();
    Graphics text(g);
    text.ClipRect(area);
    text.SetFont(&font);
    text.SetColor(GetColor(kColorText));
    // One line more than fits, so that a partly shown line shows at the bottom.
    int last = std::min(GetLineCount(), mScroll.First() + mScroll.Visible() + 1);
    for (int line = mMultiLine ? mScroll.First() : 0; line < last; ++line) {
        text.DrawString(GetLine(line), area.mX - mScrollX, Baseline(line));
    }
    int caretLine = LineOf(mCaret);
    if (ShowsCaret() && (!mMultiLine || (caretLine >= mScroll.First() && caretLine < last))) {
        text.SetColor(GetColor(kColorCaret));
        text.FillRect(area.mX + XOf(mCaret) - mScrollX, Baseline(caretLine) - font.GetAscent(), 1,
                      font.GetHeight());
    }
    if (mMultiLine) {
        mScroll.Draw(g, ScrollTrack(), GetColor(kColorScrollTrack), GetColor(kColorScrollThumb));
    }
}

void EditWidget::Resize(int x, int y, int width, int height) {
    if (width != mWidth || height != mHeight) {
        mLayoutValid = false;
    }
    Widget::Resize(x, y, width, height);
}

void EditWidget::OnFocusGained() {
    Widget::OnFocusGained();
    RestartBlink();
}

void EditWidget::OnFocusLost() {
    Widget::OnFocusLost();
    Invalidate();
}

void EditWidget::CharTyped(char c) {
    if (c == kCharEnter && !mMultiLine) {
        if (mListener != nullptr) {
            mListener->EditWidgetText(mId, mText);
        }
    } else if (c == kCharCopy) {
        WriteClipboardText(HostOf(mManager), mText);
    } else if (mReadOnly) {
        return;
    } else if (c == kCharEnter) {
        InsertText("\n");
    } else if (c == kCharBackspace) {
        if (mCaret > 0) {
            EraseRange(mCaret - 1, mCaret);
        }
    } else if (c == kCharPaste) {
        Paste();
    } else if (IsPrintable(c)) {
        InsertText(std::string_view(&c, 1));
    }
}

void EditWidget::KeyDown(int key) {
    Widget::KeyDown(key);
    if (mReadOnly) {
        ScrollViewKey(key);
        return;
    }
    EnsureLayout();
    int line = LineOf(mCaret);
    switch (key) {
    case kKeyLeft:
        MoveCaret(mCaret - 1);
        break;
    case kKeyRight:
        MoveCaret(mCaret + 1);
        break;
    case kKeyHome:
        MoveCaret(IsControlDown() ? 0 : mLines[line].mStart);
        break;
    case kKeyEnd:
        MoveCaret(IsControlDown() ? static_cast<int>(mText.size()) : LineLimit(line));
        break;
    case kKeyUp:
        MoveCaretByLines(-1);
        break;
    case kKeyDown:
        MoveCaretByLines(1);
        break;
    case kKeyPageUp:
        MoveCaretByLines(-mScroll.Visible());
        break;
    case kKeyPageDown:
        MoveCaretByLines(mScroll.Visible());
        break;
    case kKeyDelete:
        if (mCaret < static_cast<int>(mText.size())) {
            EraseRange(mCaret, mCaret + 1);
        }
        break;
    default:
        break;
    }
}

void EditWidget::MouseDown(int x, int y, int, int) {
    EnsureLayout();
    if (mMultiLine && mScroll.IsNeeded() && x >= ScrollTrack().mX) {
        if (mScroll.Press(ScrollTrack(), y)) {
            Invalidate();
        }
        return;
    }
    if (mReadOnly) {
        return;
    }
    int row = mMultiLine ? mScroll.First() + (y - kInset) / RowHeight() : 0;
    row = std::clamp(row, 0, GetLineCount() - 1);
    MoveCaret(PositionAt(row, x - TextArea().mX + mScrollX));
}

void EditWidget::MouseDrag(int, int y) {
    if (mScroll.Drag(ScrollTrack(), y)) {
        Invalidate();
    }
}

void EditWidget::MouseUp(int, int) {
    mScroll.Release();
}

void EditWidget::MouseWheel(int delta) {
    if (mMultiLine) {
        EnsureLayout();
        if (mScroll.ScrollBy(-delta * kWheelLines)) {
            Invalidate();
        }
    }
}

void EditWidget::SetFont(const Font* font) {
    mFont = font != nullptr ? font->Duplicate() : nullptr;
    mLayoutValid = false;
    KeepCaretVisible();
}

void EditWidget::SetText(std::string_view text) {
    mText.clear();
    mCaret = 0;
    mScrollX = 0;
    mLayoutValid = false;
    // The listener neither filters nor hears text the program sets.
    EditListener* listener = std::exchange(mListener, nullptr);
    InsertText(text);
    mListener = listener;
    if (mReadOnly) {
        mCaret = 0; // read from the top
    }
    KeepCaretVisible();
}

void EditWidget::SetMaxChars(int count) {
    mMaxChars = count;
    if (count > 0 && static_cast<int>(mText.size()) > count) {
        mText.resize(count);
        mCaret = std::min(mCaret, count);
        mLayoutValid = false;
        KeepCaretVisible();
    }
}

void EditWidget::SetMultiLine(bool multiLine) {
    mMultiLine = multiLine;
    if (!multiLine) {
        std::replace(mText.begin(), mText.end(), '\n', ' ');
    }
    mScrollX = 0;
    mLayoutValid = false;
    KeepCaretVisible();
}

void EditWidget::SetReadOnly(bool readOnly) {
    mReadOnly = readOnly;
    if (readOnly) {
        mCaret = 0;
        EnsureLayout();
        mScroll.ScrollTo(0);
    }
    Invalidate();
}

void EditWidget::SetCaret(int position) {
    MoveCaret(position);
}

int EditWidget::GetLineCount() {
    EnsureLayout();
    return static_cast<int>(mLines.size());
}

std::string_view EditWidget::GetLine(int index) {
    EnsureLayout();
    RAVIX_VERIFY(index >= 0 && index < static_cast<int>(mLines.size()), "line index out of range");
    const Line& line = mLines[index];
    return std::string_view(mText).substr(line.mStart, line.mEnd - line.mStart);
}

int EditWidget::GetFirstLine() {
    EnsureLayout();
    return mScroll.First();
}

void EditWidget::ScrollToLine(int line) {
    EnsureLayout();
    if (mScroll.ScrollTo(line)) {
        Invalidate();
    }
}

Font& EditWidget::TheFont() {
    if (mFont == nullptr) {
        mFont = CreateDefaultFont(kDefaultPointSize);
    }
    return *mFont;
}

void EditWidget::EnsureLayout() {
    if (mLayoutValid) {
        return;
    }
    mLayoutValid = true;
    mLines.clear();
    if (mMultiLine) {
        WrapLines();
    } else {
        mLines.push_back(Line{0, static_cast<int>(mText.size())});
    }
    int visible = mMultiLine ? TextArea().mHeight / RowHeight() : 1;
    mScroll.SetCounts(static_cast<int>(mLines.size()), visible);
}

void EditWidget::WrapLines() {
    int size = static_cast<int>(mText.size());
    int start = 0;
    while (true) {
        auto newline = mText.find('\n', start);
        int end = newline == std::string::npos ? size : static_cast<int>(newline);
        WrapParagraph(start, end);
        if (end == size) {
            return;
        }
        start = end + 1;
    }
}

// Greedy word wrap: a line breaks after the last run of spaces that fits (the spaces stay at
// its end, where they take no visible room); a word wider than the box is split where it
// reaches the edge. Every line holds at least one character, so the loop always advances.
void EditWidget::WrapParagraph(int start, int end) {
    Font& font = TheFont();
    int width = TextArea().mWidth;
    int lineStart = start;
    while (true) {
        int lineWidth = 0;
        int breakAt = -1; // where the next line would start after a run of spaces
        char previous = 0;
        int i = lineStart;
        for (; i < end; ++i) {
            char c = mText[i];
            int advance = font.CharAdvance(c, previous);
            if (c != ' ' && i > lineStart && lineWidth + advance > width) {
                break;
            }
            lineWidth += advance;
            previous = c;
            if (c == ' ' && (i + 1 == end || mText[i + 1] != ' ')) {
                breakAt = i + 1;
            }
        }
        if (i == end) {
            mLines.push_back(Line{lineStart, end});
            return;
        }
        int lineEnd = breakAt > lineStart ? breakAt : i;
        mLines.push_back(Line{lineStart, lineEnd});
        lineStart = lineEnd;
    }
}

bool EditWidget::IsSoftWrapped(int line) const {
    return line + 1 < static_cast<int>(mLines.size()) &&
           mLines[line + 1].mStart == mLines[line].mEnd;
}

int EditWidget::LineLimit(int line) const {
    const Line& l = mLines[line];
    // The caret after a hanging space would show at the start of the next line.
    if (IsSoftWrapped(line) && l.mEnd > l.mStart && mText[l.mEnd - 1] == ' ') {
        return l.mEnd - 1;
    }
    return l.mEnd;
}

int EditWidget::LineOf(int position) {
    EnsureLayout();
    auto after = std::upper_bound(mLines.begin(), mLines.end(), position,
                                  [](int p, const Line& line) { return p < line.mStart; });
    return std::max(static_cast<int>(after - mLines.begin()) - 1, 0);
}

int EditWidget::XOf(int position) {
    int start = mLines[LineOf(position)].mStart;
    return TheFont().StringWidth(std::string_view(mText).substr(start, position - start));
}

int EditWidget::PositionAt(int line, int x) {
    Font& font = TheFont();
    int limit = LineLimit(line);
    int left = 0;
    char previous = 0;
    for (int i = mLines[line].mStart; i < limit; ++i) {
        int advance = font.CharAdvance(mText[i], previous);
        if (x < left + advance / 2) {
            return i;
        }
        left += advance;
        previous = mText[i];
    }
    return limit;
}

int EditWidget::RowHeight() {
    return std::max(TheFont().GetLineSpacing(), 1);
}

Rect EditWidget::TextArea() const {
    int barRoom = mMultiLine ? kScrollBarWidth : 0;
    return Rect(kInset, kInset, std::max(mWidth - 2 * kInset - barRoom, 0),
                std::max(mHeight - 2 * kInset, 0));
}

Rect EditWidget::ScrollTrack() const {
    return Rect(mWidth - 1 - kScrollBarWidth, 1, kScrollBarWidth, std::max(mHeight - 2, 0));
}

int EditWidget::Baseline(int line) {
    Font& font = TheFont();
    if (!mMultiLine) {
        return (mHeight - font.GetHeight()) / 2 + font.GetAscent();
    }
    return kInset + (line - mScroll.First()) * RowHeight() + font.GetAscent();
}

bool EditWidget::ShowsCaret() const {
    return mFocused && !mReadOnly && mCaretOn;
}

bool EditWidget::IsControlDown() const {
    return mManager != nullptr && mManager->IsKeyDown(kKeyControl);
}

// Every edit goes through here: line breaks are kept only in a multi-line box, other control
// characters are dropped, the listener may refuse characters and the maximum length cuts the
// rest.
void EditWidget::InsertText(std::string_view text) {
    std::string accepted;
    for (char c : text) {
        if (c == '\n' && !mMultiLine) {
            c = ' ';
        } else if (c == '\t') {
            c = ' ';
        }
        if (c != '\n' && !IsPrintable(c)) {
            continue;
        }
        if (mListener != nullptr && !mListener->AllowChar(mId, c)) {
            continue;
        }
        accepted += c;
    }
    if (mMaxChars > 0) {
        int room = std::max(mMaxChars - static_cast<int>(mText.size()), 0);
        accepted.resize(std::min(static_cast<int>(accepted.size()), room));
    }
    if (accepted.empty()) {
        return;
    }
    mText.insert(static_cast<size_t>(mCaret), accepted);
    mCaret += static_cast<int>(accepted.size());
    TextChanged();
}

void EditWidget::EraseRange(int begin, int end) {
    mText.erase(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
    mCaret = begin;
    TextChanged();
}

void EditWidget::TextChanged() {
    mLayoutValid = false;
    mWantedX = -1;
    KeepCaretVisible();
    RestartBlink();
    if (mListener != nullptr) {
        mListener->EditTextChanged(mId, mText);
    }
}

void EditWidget::MoveCaret(int position) {
    mCaret = std::clamp(position, 0, static_cast<int>(mText.size()));
    mWantedX = -1;
    KeepCaretVisible();
    RestartBlink();
}

void EditWidget::MoveCaretByLines(int lines) {
    if (!mMultiLine) {
        return;
    }
    int wantedX = mWantedX >= 0 ? mWantedX : XOf(mCaret);
    int line = std::clamp(LineOf(mCaret) + lines, 0, GetLineCount() - 1);
    MoveCaret(PositionAt(line, wantedX));
    mWantedX = wantedX;
}

void EditWidget::ScrollViewKey(int key) {
    EnsureLayout();
    int page = mScroll.Visible();
    bool changed = false;
    switch (key) {
    case kKeyUp:
        changed = mScroll.ScrollBy(-1);
        break;
    case kKeyDown:
        changed = mScroll.ScrollBy(1);
        break;
    case kKeyPageUp:
        changed = mScroll.ScrollBy(-page);
        break;
    case kKeyPageDown:
        changed = mScroll.ScrollBy(page);
        break;
    case kKeyHome:
        changed = mScroll.ScrollTo(0);
        break;
    case kKeyEnd:
        changed = mScroll.ScrollTo(mScroll.MaxFirst());
        break;
    default:
        break;
    }
    if (changed) {
        Invalidate();
    }
}

void EditWidget::KeepCaretVisible() {
    EnsureLayout();
    if (mMultiLine) {
        mScroll.ShowRow(LineOf(mCaret));
    } else {
        int width = std::max(TextArea().mWidth, 1);
        int caretX = XOf(mCaret);
        mScrollX = std::clamp(mScrollX, caretX - width + 1, caretX);
        // No empty room at the right while the text is scrolled.
        int textWidth = TheFont().StringWidth(mText);
        mScrollX = std::max(std::min(mScrollX, textWidth - width + 1), 0);
    }
    Invalidate();
}

void EditWidget::RestartBlink() {
    mCaretOn = true;
    mBlinkTicks = 0;
    Invalidate();
}

void EditWidget::Paste() {
    std::string text = ReadClipboardText(HostOf(mManager));
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    InsertText(text);
}

} // namespace ravix
