#pragma once

#include "graphics/Font.h"
#include "widgets/ScrollBar.h"
#include "widgets/Widget.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

class ListListener;

// A list of text rows with one selected row. A click selects a row and reports it with its
// click count (2 for a double click); Up, Down, Home, End, Page Up and Page Down move the
// selection, and Enter ('\r' through CharTyped) reports the selected row as a double click, so
// that keyboard users can pick. The wheel scrolls without moving the selection. While the rows
// are longer than the box a thin scroll bar at the right shows the position; its thumb can be
// dragged and a click beside it moves by a page. The row under the mouse is highlighted when
// its colour is not transparent. Without a font the list makes the default system font.
class ListWidget : public Widget {
public:
    // Colour table indices.
    static constexpr int kColorBackground = 0;
    static constexpr int kColorText = 1;
    static constexpr int kColorSelection = 2;
    static constexpr int kColorSelectedText = 3;
    static constexpr int kColorHover = 4;
    static constexpr int kColorFrame = 5;
    static constexpr int kColorScrollTrack = 6;
    static constexpr int kColorScrollThumb = 7;

    static constexpr int kInset = 1;          // the frame
    static constexpr int kTextIndent = 4;     // from the row's left edge to its text
    static constexpr int kRowPadding = 4;     // added to the font's height for the row height
    static constexpr int kScrollBarWidth = 6; // taken from the rows' width while it shows
    static constexpr int kWheelRows = 3;      // rows scrolled per wheel notch
    static constexpr int kDefaultPointSize = 10;

    ListWidget(int id, ListListener* listener);

    void Draw(Graphics& g) override;
    using Widget::Resize;
    void Resize(int x, int y, int width, int height) override;
    void CharTyped(char c) override;
    void KeyDown(int key) override;
    void PointerLeft() override;
    void MouseMove(int x, int y) override;
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clicks) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y) override;
    void MouseWheel(int delta) override;

    // The list keeps its own copy of font.
    void SetFont(const Font* font);
    [[nodiscard]] Font* GetFont() const { return mFont.get(); }
    // Rows are replaced or added by the program; the selection is cleared by SetRows.
    void SetRows(std::vector<std::string> rows);
    // Returns the index of the new row.
    int AddRow(std::string text);
    void Clear() { SetRows({}); }
    [[nodiscard]] int GetRowCount() const { return static_cast<int>(mRows.size()); }
    [[nodiscard]] const std::string& GetRow(int index) const;
    // -1 for no selection; other values are clamped to the rows. The row is scrolled into view;
    // the listener is not told.
    void SetSelected(int index);
    [[nodiscard]] int GetSelected() const { return mSelected; }
    // The height of a row: the font's height plus kRowPadding, unless set (0: automatic).
    void SetRowHeight(int height);
    [[nodiscard]] int GetRowHeight();
    [[nodiscard]] int GetFirstRow();
    void ScrollToRow(int row);

    int mId = 0;
    ListListener* mListener = nullptr;

private:
    Font& TheFont();
    void UpdateScrollCounts();
    // The row at y (widget coordinates), or -1 below the last row.
    [[nodiscard]] int RowAt(int y);
    [[nodiscard]] Rect RowRect(int row);
    [[nodiscard]] Rect ScrollTrack() const;
    [[nodiscard]] bool IsOnScrollBar(int x);
    void SelectByUser(int index);
    void SetHover(int row);

    std::vector<std::string> mRows;
    int mSelected = -1;
    int mHover = -1;
    int mRowHeight = 0; // 0: from the font
    std::unique_ptr<Font> mFont;
    ScrollBar mScroll;
};

} // namespace ravix
