#pragma once

#include "graphics/Color.h"
#include "widgets/WidgetContainer.h"

#include <string_view>
#include <vector>

namespace ravix {

class Image;

// Shrinks a widget's hit rectangle on each side.
struct Insets {
    int mLeft = 0;
    int mTop = 0;
    int mRight = 0;
    int mBottom = 0;
};

// A screen element: a container that can be shown, disabled, focused and coloured, with the
// mouse and keyboard hooks the widget manager calls and a few text-drawing helpers. Mouse
// coordinates handed to the hooks are in the widget's own coordinates.
class Widget : public WidgetContainer {
public:
    // Mouse buttons of the four-argument MouseDown and MouseUp.
    static constexpr int kButtonLeft = 0;
    static constexpr int kButtonRight = 1;
    static constexpr int kButtonMiddle = 2;

    Widget() = default;
    // A widget still in a tree leaves it, and its children are left without a parent.
    ~Widget() override;

    // Virtual operations, in slot order (after the container's).
    virtual void SetVisible(bool visible);
    // Replaces the colour table with count {r, g, b, a} entries.
    virtual void SetColors(const int (*table)[4], int count);
    // Replaces the colour table with count {r, g, b} entries, alpha 255.
    virtual void SetColors(const int (*table)[3], int count);
    // Grows the table with opaque black as needed.
    virtual void SetColor(int index, const Color& color);
    [[nodiscard]] virtual Color GetColor(int index, const Color& fallback) const;
    [[nodiscard]] virtual Color GetColor(int index) const;
    virtual void SetDisabled(bool disabled);
    // Asks the application for the hand cursor (true) or the normal one.
    virtual void SetHandCursor(bool hand);
    virtual void Resize(const Rect& rect);
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    [[nodiscard]] virtual bool AcceptsFocus();
    virtual void DrawOnTop(Graphics& g, int priority);
    virtual void DrawOnTop(Graphics& g);
    virtual void OnFocusGained();
    virtual void OnFocusLost();
    virtual void CharTyped(char c);
    // Tab moves the focus to the next tab stop, Shift+Tab to the previous one; other keys go
    // on to mKeyFallback when it is set.
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    virtual void PointerEntered();
    virtual void PointerLeft();
    virtual void MouseMove(int x, int y);
    virtual void MouseDown(int x, int y, int button, int clicks);
    // Click codes: 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    virtual void MouseDown(int x, int y, int clickCode);
    virtual void MouseUp(int x, int y, int button, int clicks);
    // Calls MouseUp (x, y), then the four-argument form.
    virtual void MouseUp(int x, int y, int clickCode);
    virtual void MouseUp(int x, int y);
    virtual void MouseDrag(int x, int y);
    virtual void MouseWheel(int delta);
    [[nodiscard]] virtual bool IsOpaqueAt(int x, int y);
    // Draws the shadow, then the text, centred on the widget's width with the baseline at y;
    // returns the rectangle both cover.
    virtual Rect DrawCenteredText(Graphics& g, int y, std::string_view text, const Color& color,
                                  const Color& shadowColor, int shadowOffset);
    // Draws the text centred on the widget's width in the context's font and colour; returns
    // its rectangle (top = y - ascent, height = font height).
    virtual Rect DrawCenteredText(Graphics& g, int y, std::string_view text);
    // Graphics::DrawCodedLine with colour codes on for the call; returns the width.
    virtual int DrawCodedLine(Graphics& g, std::string_view text, int x, int y, int width,
                              int justification, bool draw, int offset, int length);
    // Graphics::DrawWrappedText with colour codes on for the call; returns the height used.
    virtual int DrawWrappedText(Graphics& g, const Rect& rect, std::string_view text,
                                int lineSpacing, int justification);
    [[nodiscard]] virtual int MeasureWrappedText(Graphics& g, int width, std::string_view text,
                                                 int lineSpacing);
    // The number of decimal digits of n (1 for n <= 9).
    [[nodiscard]] virtual int CountDigits(int n);
    // Draws n with digits cut from strip, which holds the digits 0-9 side by side in equal
    // widths; spacing pixels go between two digits.
    virtual void DrawDigitsFromStrip(Graphics& g, int n, int x, int y, Image* strip, int spacing);
    // x, y in the parent's coordinates.
    [[nodiscard]] virtual bool Contains(int x, int y);
    // The rectangle shrunk by mHitInsets, in the parent's coordinates.
    [[nodiscard]] virtual Rect HitRect();

    // Draws the keyboard focus ring inside the widget's edge while it has the focus and the
    // manager shows the ring (the focus was last moved by a key).
    void DrawFocusRing(Graphics& g) const;

    bool mVisible = true;
    bool mReceivesMouse = true;
    bool mDisabled = false;
    bool mFocused = false;
    bool mPressed = false; // a mouse button went down on it and is still down
    bool mHovered = false;
    bool mHasHoles = false; // some pixels are fully transparent
    std::vector<Color> mColors;
    Insets mHitInsets;
    bool mShowHandCursor = false;
    bool mAcceptsFocus = false; // takes the focus when clicked
    Widget* mPrevTabStop = nullptr;
    Widget* mNextTabStop = nullptr;
    // Keyboard traversal: Tab visits the focusable widgets of the top modal layer by ascending
    // mTabOrder, then in reading order (top to bottom, left to right).
    int mTabOrder = 0;
    // The arrow keys move the focus among the widgets of one non-zero group, wrapping.
    int mFocusGroup = 0;
    // Hovering the widget gives it the keyboard focus (when it accepts the focus).
    bool mFocusOnHover = false;
    // Receives the keys this widget does not use (a dialog for its buttons, a board for its).
    Widget* mKeyFallback = nullptr;

private:
    // The pointer lies inside the widget's rectangle, in manager coordinates.
    [[nodiscard]] bool HasPointerInside() const;
};

} // namespace ravix
