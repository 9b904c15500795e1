#include "widgets/Widget.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/KeyCodes.h"
#include "widgets/WidgetHost.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdint>

namespace ravix {

namespace {

struct ButtonAndClicks {
    int mButton;
    int mClicks;
};

// Click codes: 3 middle; positive left with that many clicks; negative right likewise.
ButtonAndClicks DecodeClick(int clickCode) {
    if (clickCode == 3) {
        return {Widget::kButtonMiddle, 1};
    }
    if (clickCode >= 0) {
        return {Widget::kButtonLeft, clickCode};
    }
    return {Widget::kButtonRight, -clickCode};
}

// Switches a context's inline colour codes on for the lifetime of the object.
class ScopedColorCodes {
public:
    explicit ScopedColorCodes(Graphics& g) : mGraphics(g), mSaved(g.GetInlineColorCodes()) {
        g.SetInlineColorCodes(true);
    }
    ~ScopedColorCodes() { mGraphics.SetInlineColorCodes(mSaved); }
    ScopedColorCodes(const ScopedColorCodes&) = delete;
    ScopedColorCodes& operator=(const ScopedColorCodes&) = delete;

private:
    Graphics& mGraphics;
    bool mSaved;
};

// The smallest rectangle holding both; an empty one adds nothing.
Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) {
        return b;
    }
    if (b.IsEmpty()) {
        return a;
    }
    int left = std::min(a.mX, b.mX);
    int top = std::min(a.mY, b.mY);
    int right = std::max(a.mX + a.mWidth, b.mX + b.mWidth);
    int bottom = std::max(a.mY + a.mHeight, b.mY + b.mHeight);
    return Rect(left, top, right - left, bottom - top);
}

} // namespace

Widget::~Widget() {
    if (mParent != nullptr) {
        mParent->DetachChild(this);
    }
    DetachAllChildren(false, false);
}

void Widget::SetVisible(bool visible) {
    if (visible == mVisible) {
        return;
    }
    mVisible = visible;
    if (visible) {
        Invalidate();
    } else {
        InvalidateArea();
    }
    if (mManager != nullptr) {
        mManager->RecheckPointer();
    }
}

void Widget::SetColors(const int (*table)[4], int count) {
    mColors.clear();
    for (int i = 0; i < count; ++i) {
        SetColor(i, Color(table[i][0], table[i][1], table[i][2], table[i][3]));
    }
}

void Widget::SetColors(const int (*table)[3], int count) {
    mColors.clear();
    for (int i = 0; i < count; ++i) {
        SetColor(i, Color(table[i][0], table[i][1], table[i][2]));
    }
}

void Widget::SetColor(int index, const Color& color) {
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) >= mColors.size()) {
        mColors.resize(static_cast<size_t>(index) + 1, kOpaqueBlack);
    }
    mColors[static_cast<size_t>(index)] = color;
    Invalidate();
}

Color Widget::GetColor(int index, const Color& fallback) const {
    if (index < 0 || static_cast<size_t>(index) >= mColors.size()) {
        return fallback;
    }
    return mColors[static_cast<size_t>(index)];
}

Color Widget::GetColor(int index) const {
    return GetColor(index, kOpaqueBlack);
}

void Widget::SetDisabled(bool disabled) {
    if (disabled == mDisabled) {
        return;
    }
    mDisabled = disabled;
    if (disabled && mManager != nullptr) {
        mManager->ForgetWidget(this);
    }
    Invalidate();
    if (!disabled && mManager != nullptr && HasPointerInside()) {
        mManager->RecheckPointer();
    }
}

void Widget::SetHandCursor(bool hand) {
    RequestHandCursor(HostOf(mManager), hand);
}

void Widget::Resize(const Rect& rect) {
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int x, int y, int width, int height) {
    if (x == mX && y == mY && width == mWidth && height == mHeight) {
        return;
    }
    InvalidateArea();
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    Invalidate();
    if (mManager != nullptr) {
        mManager->RecheckPointer();
    }
}

void Widget::Move(int x, int y) {
    Resize(x, y, mWidth, mHeight);
}

bool Widget::AcceptsFocus() {
    return mAcceptsFocus;
}

void Widget::DrawOnTop(Graphics& g, int) {
    DrawOnTop(g);
}

void Widget::DrawOnTop(Graphics&) {}

void Widget::OnFocusGained() {
    mFocused = true;
}

void Widget::OnFocusLost() {
    mFocused = false;
}

void Widget::CharTyped(char) {}

void Widget::KeyDown(int key) {
    if (key == kKeyTab && mManager != nullptr &&
        (mPrevTabStop != nullptr || mNextTabStop != nullptr)) {
        Widget* target = mManager->IsKeyDown(kKeyShift) ? mPrevTabStop : mNextTabStop;
        if (target != nullptr) {
            mManager->FocusWidget(target);
        }
        return;
    }
    if (mKeyFallback != nullptr) {
        mKeyFallback->KeyDown(key);
    }
}

void Widget::KeyUp(int key) {
    if (mKeyFallback != nullptr) {
        mKeyFallback->KeyUp(key);
    }
}

void Widget::DrawFocusRing(Graphics& g) const {
    if (!mFocused || mManager == nullptr || !mManager->mFocusRingShown || mWidth < 4 ||
        mHeight < 4) {
        return;
    }
    g.SetColor(mManager->mFocusRingColor);
    g.DrawRect(0, 0, mWidth - 1, mHeight - 1);
    g.DrawRect(1, 1, mWidth - 3, mHeight - 3);
}

void Widget::PointerEntered() {}

void Widget::PointerLeft() {}

void Widget::MouseMove(int, int) {}

void Widget::MouseDown(int, int, int, int) {}

void Widget::MouseDown(int x, int y, int clickCode) {
    ButtonAndClicks decoded = DecodeClick(clickCode);
    MouseDown(x, y, decoded.mButton, decoded.mClicks);
}

void Widget::MouseUp(int, int, int, int) {}

void Widget::MouseUp(int x, int y, int clickCode) {
    MouseUp(x, y);
    ButtonAndClicks decoded = DecodeClick(clickCode);
    MouseUp(x, y, decoded.mButton, decoded.mClicks);
}

void Widget::MouseUp(int, int) {}

void Widget::MouseDrag(int, int) {}

void Widget::MouseWheel(int) {}

bool Widget::IsOpaqueAt(int, int) {
    return true;
}

Rect Widget::DrawCenteredText(Graphics& g, int y, std::string_view text, const Color& color,
                              const Color& shadowColor, int shadowOffset) {
    Graphics shadowGraphics(g);
    shadowGraphics.SetColor(shadowColor);
    shadowGraphics.Translate(static_cast<float>(shadowOffset), static_cast<float>(shadowOffset));
    Rect shadow = DrawCenteredText(shadowGraphics, y, text);
    shadow.mX += shadowOffset;
    shadow.mY += shadowOffset;
    g.SetColor(color);
    Rect front = DrawCenteredText(g, y, text);
    return Union(shadow, front);
}

Rect Widget::DrawCenteredText(Graphics& g, int y, std::string_view text) {
    Font* font = g.LookupFont();
    if (font == nullptr) {
        return Rect();
    }
    int width = font->StringWidth(text);
    int x = (mWidth - width) / 2;
    g.DrawString(text, x, y);
    return Rect(x, y - font->GetAscent(), width, font->GetHeight());
}

int Widget::DrawCodedLine(Graphics& g, std::string_view text, int x, int y, int width,
                          int justification, bool draw, int offset, int length) {
    ScopedColorCodes codes(g);
    return g.DrawCodedLine(text, x, y, width, justification, draw, offset, length, -1);
}

int Widget::DrawWrappedText(Graphics& g, const Rect& rect, std::string_view text, int lineSpacing,
                            int justification) {
    ScopedColorCodes codes(g);
    return g.DrawWrappedText(rect, text, lineSpacing, justification);
}

int Widget::MeasureWrappedText(Graphics& g, int width, std::string_view text, int lineSpacing) {
    return g.MeasureWrappedText(width, text, lineSpacing);
}

int Widget::CountDigits(int n) {
    int count = 1;
    for (int64_t power = 10; power <= n; power *= 10) {
        ++count;
    }
    return count;
}

void Widget::DrawDigitsFromStrip(Graphics& g, int n, int x, int y, Image* strip, int spacing) {
    if (strip == nullptr) {
        return;
    }
    int digitWidth = strip->GetWidth() / 10;
    int count = CountDigits(n);
    int64_t power = 1;
    for (int i = 1; i < count; ++i) {
        power *= 10;
    }
    int offset = 0;
    for (; power > 0; power /= 10) {
        int digit = static_cast<int>(n / power % 10);
        Graphics digitGraphics(g);
        digitGraphics.ClipRect(x + offset, y, digitWidth, strip->GetHeight());
        digitGraphics.DrawImage(strip, x + offset - digitWidth * digit, y);
        offset += digitWidth + spacing;
    }
}

bool Widget::Contains(int x, int y) {
    return GetRect().Contains(x, y);
}

Rect Widget::HitRect() {
    return Rect(mX + mHitInsets.mLeft, mY + mHitInsets.mTop,
                mWidth - mHitInsets.mLeft - mHitInsets.mRight,
                mHeight - mHitInsets.mTop - mHitInsets.mBottom);
}

bool Widget::HasPointerInside() const {
    Point origin = AbsolutePosition();
    return Rect(origin.mX, origin.mY, mWidth, mHeight)
        .Contains(mManager->mPointerX, mManager->mPointerY);
}

} // namespace ravix
