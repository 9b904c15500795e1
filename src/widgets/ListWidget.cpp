#include "widgets/ListWidget.h"

#include "base/Verify.h"
#include "graphics/Graphics.h"
#include "platform/KeyCodes.h"
#include "widgets/ListListener.h"
#include "widgets/WidgetHost.h"

#include <algorithm>
#include <utility>

namespace ravix {

namespace {

constexpr int kDefaultColors[][4] = {
    {255, 255, 255, 255}, // background
    {0, 0, 0, 255},       // text
    {50, 90, 170, 255},   // selected row
    {255, 255, 255, 255}, // selected text
    {220, 230, 245, 255}, // row under the mouse
    {100, 100, 100, 255}, // frame
    {225, 225, 225, 255}, // scroll bar track
    {140, 140, 140, 255}, // scroll bar thumb
};

constexpr char kCharEnter = '\r';
constexpr int kDoubleClick = 2;

} // namespace

ListWidget::ListWidget(int id, ListListener* listener) : mId(id), mListener(listener) {
    mAcceptsFocus = true;
    SetColors(kDefaultColors, static_cast<int>(std::size(kDefaultColors)));
}

void ListWidget::Draw(Graphics& g) {
    UpdateScrollCounts();
    Font& font = TheFont();
    g.SetColor(GetColor(kColorBackground));
    g.FillRect(0, 0, mWidth, mHeight);
    g.SetColor(GetColor(kColorFrame));
    g.DrawRect(0, 0, mWidth - 1, mHeight - 1);

    Graphics rows(g);
    rows.ClipRect(kInset, kInset, mWidth - 2 * kInset, mHeight - 2 * kInset);
    rows.SetFont(&font);
    int textOffset = (GetRowHeight() - font.GetHeight()) / 2 + font.GetAscent();
    // One row more than fits, so that a partly shown row shows at the bottom.
    int last = std::min(GetRowCount(), mScroll.First() + mScroll.Visible() + 1);
    for (int row = mScroll.First(); row < last; ++row) {
        Rect rect = RowRect(row);
        bool selected = row == mSelected;
        if (selected || row == mHover) {
            rows.SetColor(GetColor(selected ? kColorSelection : kColorHover));
            rows.FillRect(rect);
        }
        rows.SetColor(GetColor(selected ? kColorSelectedText : kColorText));
        Graphics text(rows);
        text.ClipRect(rect);
        text.DrawString(mRows[row], rect.mX + kTextIndent, rect.mY + textOffset);
    }
    mScroll.Draw(g, ScrollTrack(), GetColor(kColorScrollTrack), GetColor(kColorScrollThumb));
}

void ListWidget::Resize(int x, int y, int width, int height) {
    Widget::Resize(x, y, width, height);
    UpdateScrollCounts();
}

void ListWidget::CharTyped(char c) {
    if (c == kCharEnter && mSelected >= 0 && mListener != nullptr) {
        mListener->ListClicked(mId, mSelected, kDoubleClick);
    }
}

void ListWidget::KeyDown(int key) {
    Widget::KeyDown(key);
    UpdateScrollCounts();
    int page = mScroll.Visible();
    switch (key) {
    case kKeyUp:
        SelectByUser(std::max(mSelected - 1, 0));
        break;
    case kKeyDown:
        SelectByUser(mSelected + 1);
        break;
    case kKeyPageUp:
        SelectByUser(std::max(mSelected - page, 0));
        break;
    case kKeyPageDown:
        SelectByUser(mSelected < 0 ? 0 : mSelected + page);
        break;
    case kKeyHome:
        SelectByUser(0);
        break;
    case kKeyEnd:
        SelectByUser(GetRowCount() - 1);
        break;
    default:
        break;
    }
}

void ListWidget::PointerLeft() {
    SetHover(-1);
}

void ListWidget::MouseMove(int x, int y) {
    SetHover(IsOnScrollBar(x) ? -1 : RowAt(y));
}

void ListWidget::MouseDown(int x, int y, int button, int clicks) {
    UpdateScrollCounts();
    if (IsOnScrollBar(x)) {
        if (mScroll.Press(ScrollTrack(), y)) {
            Invalidate();
        }
        return;
    }
    int row = RowAt(y);
    if (button != kButtonLeft || row < 0) {
        return;
    }
    SelectByUser(row);
    if (mListener != nullptr) {
        mListener->ListClicked(mId, row, clicks);
    }
}

void ListWidget::MouseDrag(int, int y) {
    if (mScroll.Drag(ScrollTrack(), y)) {
        Invalidate();
    }
}

void ListWidget::MouseUp(int, int) {
    mScroll.Release();
}

void ListWidget::MouseWheel(int delta) {
    UpdateScrollCounts();
    if (mScroll.ScrollBy(-delta * kWheelRows)) {
        mHover = -1;
        Invalidate();
    }
}

void ListWidget::SetFont(const Font* font) {
    mFont = font != nullptr ? font->Duplicate() : nullptr;
    Invalidate();
}

void ListWidget::SetRows(std::vector<std::string> rows) {
    mRows = std::move(rows);
    mSelected = -1;
    mHover = -1;
    mScroll.ScrollTo(0);
    Invalidate();
}

int ListWidget::AddRow(std::string text) {
    mRows.push_back(std::move(text));
    Invalidate();
    return GetRowCount() - 1;
}

const std::string& ListWidget::GetRow(int index) const {
    RAVIX_VERIFY(index >= 0 && index < GetRowCount(), "row index out of range");
    return mRows[index];
}

void ListWidget::SetSelected(int index) {
    mSelected = index < 0 || mRows.empty() ? -1 : std::min(index, GetRowCount() - 1);
    if (mSelected >= 0) {
        UpdateScrollCounts();
        mScroll.ShowRow(mSelected);
    }
    Invalidate();
}

void ListWidget::SetRowHeight(int height) {
    mRowHeight = std::max(height, 0);
    Invalidate();
}

int ListWidget::GetRowHeight() {
    int height = mRowHeight > 0 ? mRowHeight : TheFont().GetHeight() + kRowPadding;
    return std::max(height, 1);
}

int ListWidget::GetFirstRow() {
    UpdateScrollCounts();
    return mScroll.First();
}

void ListWidget::ScrollToRow(int row) {
    UpdateScrollCounts();
    if (mScroll.ScrollTo(row)) {
        Invalidate();
    }
}

Font& ListWidget::TheFont() {
    if (mFont == nullptr) {
        mFont = CreateDefaultFont(kDefaultPointSize);
    }
    return *mFont;
}

// The counts follow the rows, the size and the font; they are brought up to date before each
// use rather than by every operation that changes one of them.
void ListWidget::UpdateScrollCounts() {
    mScroll.SetCounts(GetRowCount(), (mHeight - 2 * kInset) / GetRowHeight());
}

int ListWidget::RowAt(int y) {
    if (y < kInset) {
        return -1;
    }
    int row = mScroll.First() + (y - kInset) / GetRowHeight();
    return row < GetRowCount() ? row : -1;
}

Rect ListWidget::RowRect(int row) {
    int barRoom = mScroll.IsNeeded() ? kScrollBarWidth : 0;
    return Rect(kInset, kInset + (row - mScroll.First()) * GetRowHeight(),
                mWidth - 2 * kInset - barRoom, GetRowHeight());
}

Rect ListWidget::ScrollTrack() const {
    return Rect(mWidth - kInset - kScrollBarWidth, kInset, kScrollBarWidth,
                std::max(mHeight - 2 * kInset, 0));
}

bool ListWidget::IsOnScrollBar(int x) {
    UpdateScrollCounts();
    return mScroll.IsNeeded() && x >= ScrollTrack().mX;
}

void ListWidget::SelectByUser(int index) {
    if (mRows.empty()) {
        return;
    }
    int previous = mSelected;
    SetSelected(index);
    if (mSelected != previous && mListener != nullptr) {
        mListener->ListSelectionChanged(mId, mSelected);
    }
}

void ListWidget::SetHover(int row) {
    if (row != mHover) {
        mHover = row;
        Invalidate();
    }
}

} // namespace ravix
