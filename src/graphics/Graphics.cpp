#include "graphics/Graphics.h"

#include "base/AsciiText.h"
#include "graphics/Font.h"
#include "graphics/Image.h"
#include "graphics/Transform.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace ravix {

namespace {

// The destination of contexts made without an image: 0 x 0, so every request is clipped away.
Image& SharedEmptyImage() {
    static Image empty;
    return empty;
}

// Source rectangles must lie inside their image: the blitters read them without checks.
bool IsSourceInside(const Image& image, const Rect& src) {
    return src.mX >= 0 && src.mY >= 0 && src.mWidth > 0 && src.mHeight > 0 &&
           src.mWidth <= image.GetWidth() - src.mX && src.mHeight <= image.GetHeight() - src.mY;
}

// Characters that are not hexadecimal digits count as 0.
int HexDigit(char c) {
    return std::max(0, HexDigitValue(c));
}

// The colour of the six characters of a code: "oldclr", another word starting with 'o'
// (black), or RRGGBB in hexadecimal. The alpha is kept from the current colour.
Color CodeColor(std::string_view code, int32_t oldColor, int alpha) {
    if (code[0] == 'o') {
        uint32_t rgb = code == "oldclr" ? static_cast<uint32_t>(oldColor) : 0;
        return Color((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alpha);
    }
    return Color(HexDigit(code[0]) * 16 + HexDigit(code[1]),
                 HexDigit(code[2]) * 16 + HexDigit(code[3]),
                 HexDigit(code[4]) * 16 + HexDigit(code[5]), alpha);
}

// Moves the end points of a line into the clip rectangle (x then y, each axis ordered so that
// the first point has the smaller coordinate). False when nothing of the line is inside.
bool ClipLineAxis(double& a1, double& b1, double& a2, double& b2, int low, int size) {
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    int high = low + size;
    if (a1 < low) {
        if (a2 < low) {
            return false;
        }
        b1 += (b2 - b1) / (a2 - a1) * (low - a1);
        a1 = low;
    }
    if (a2 >= high) {
        if (a1 >= high) {
            return false;
        }
        b2 += (b2 - b1) / (a2 - a1) * (high - 1 - a2);
        a2 = high - 1;
    }
    return true;
}

bool ClipLine(double& x1, double& y1, double& x2, double& y2, const Rect& clip) {
    if (!ClipLineAxis(x1, y1, x2, y2, clip.mX, clip.mWidth) ||
        !ClipLineAxis(y1, x1, y2, x2, clip.mY, clip.mHeight)) {
        return false;
    }
    // The second axis can move the first by a rounding error; NaN fails every comparison.
    double right = clip.mX + clip.mWidth - 1;
    double bottom = clip.mY + clip.mHeight - 1;
    for (double* v : {&x1, &x2}) {
        if (!(*v >= clip.mX - 0.5 && *v <= right + 0.5)) {
            return false;
        }
        *v = std::clamp<double>(*v, clip.mX, right);
    }
    for (double* v : {&y1, &y2}) {
        if (!(*v >= clip.mY - 0.5 && *v <= bottom + 0.5)) {
            return false;
        }
        *v = std::clamp<double>(*v, clip.mY, bottom);
    }
    return true;
}

int CeilDiv(int value, int divisor) {
    return value <= 0 ? 0 : (value + divisor - 1) / divisor;
}

} // namespace

Graphics::Graphics(Image* target) {
    mTarget = target != nullptr ? target : &SharedEmptyImage();
    mClipRect = Rect(0, 0, mTarget->GetWidth(), mTarget->GetHeight());
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

std::unique_ptr<Graphics> Graphics::Create() const {
    return std::make_unique<Graphics>(*this);
}

void Graphics::SaveState() {
    mSavedStates.push_back(*this);
}

void Graphics::RestoreState() {
    if (mSavedStates.empty()) {
        return;
    }
    static_cast<GraphicsState&>(*this) = mSavedStates.back();
    mSavedStates.pop_back();
}

void Graphics::SetScale(float scaleX, float scaleY, float pivotX, float pivotY) {
    mScaleX = scaleX;
    mScaleY = scaleY;
    mScalePivotX = pivotX;
    mScalePivotY = pivotY;
}

void Graphics::Translate(float x, float y) {
    mShiftX += x;
    mShiftY += y;
}

void Graphics::ClipRect(int x, int y, int width, int height) {
    mClipRect = mClipRect.Intersection(Rect(ShiftedX(x), ShiftedY(y), width, height));
}

const Color& Graphics::ImageColor() const {
    return mTintImages ? mColor : kOpaqueWhite;
}

void Graphics::FillRect(int x, int y, int width, int height) {
    if (mColor.mAlpha == 0) {
        return;
    }
    Rect rect = Rect(ShiftedX(x), ShiftedY(y), width, height).Intersection(mClipRect);
    if (rect.IsEmpty()) {
        return;
    }
    mTarget->FillRect(rect, mColor, mDrawMode);
}

void Graphics::DrawRect(int x, int y, int width, int height) {
    if (mColor.mAlpha == 0) {
        return;
    }
    Rect outline(ShiftedX(x), ShiftedY(y), width + 1, height + 1);
    if (width >= 0 && height >= 0 && outline.Intersection(mClipRect) == outline) {
        mTarget->DrawRect(Rect(outline.mX, outline.mY, width, height), mColor, mDrawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

void Graphics::DrawLine(int x1, int y1, int x2, int y2) {
    double fx1 = x1 + static_cast<double>(mShiftX);
    double fy1 = y1 + static_cast<double>(mShiftY);
    double fx2 = x2 + static_cast<double>(mShiftX);
    double fy2 = y2 + static_cast<double>(mShiftY);
    if (!ClipLine(fx1, fy1, fx2, fy2, mClipRect)) {
        return;
    }
    mTarget->DrawLine(fx1, fy1, fx2, fy2, mColor, mDrawMode);
}

void Graphics::DrawImage(Image* image, int x, int y) {
    if (image != nullptr) {
        DrawImage(image, x, y, Rect(0, 0, image->GetWidth(), image->GetHeight()));
    }
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& srcRect) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    int fx = ShiftedX(x);
    int fy = ShiftedY(y);
    if (mScaleX != 1.0f || mScaleY != 1.0f) {
        Rect dest(static_cast<int>(std::floor((fx - mScalePivotX) * mScaleX) + mScalePivotX),
                  static_cast<int>(std::floor((fy - mScalePivotY) * mScaleY) + mScalePivotY),
                  static_cast<int>(std::ceil(srcRect.mWidth * mScaleX)),
                  static_cast<int>(std::ceil(srcRect.mHeight * mScaleY)));
        mTarget->BlitScaled(image, dest, srcRect, mClipRect, ImageColor(), mDrawMode,
                            mQuickScaling);
        return;
    }
    Rect dest = Rect(fx, fy, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
    if (dest.IsEmpty()) {
        return;
    }
    Rect src(srcRect.mX + dest.mX - fx, srcRect.mY + dest.mY - fy, dest.mWidth, dest.mHeight);
    mTarget->BlitImage(image, dest.mX, dest.mY, src, ImageColor(), mDrawMode);
}

void Graphics::DrawImage(Image* image, const Rect& destRect, const Rect& srcRect) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    Rect dest(ShiftedX(destRect.mX), ShiftedY(destRect.mY), destRect.mWidth, destRect.mHeight);
    mTarget->BlitScaled(image, dest, srcRect, mClipRect, ImageColor(), mDrawMode, mQuickScaling);
}

void Graphics::DrawImageSubpixel(Image* image, float x, float y, const Rect& srcRect) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    mTarget->BlitImageSubpixel(image, x + mShiftX, y + mShiftY, srcRect, mClipRect, ImageColor(),
                               mDrawMode);
}

void Graphics::DrawImageFlipped(Image* image, int x, int y, const Rect& srcRect) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    int fx = ShiftedX(x);
    int fy = ShiftedY(y);
    Rect dest = Rect(fx, fy, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
    if (dest.IsEmpty()) {
        return;
    }
    // Mirrored, the part the clip cuts from the left comes from the right of the source.
    Rect src(srcRect.mX + srcRect.mWidth + fx - dest.mX - dest.mWidth, srcRect.mY + dest.mY - fy,
             dest.mWidth, dest.mHeight);
    mTarget->BlitFlipped(image, dest.mX, dest.mY, src, ImageColor(), mDrawMode);
}

void Graphics::DrawImageFlipped(Image* image, const Rect& destRect, const Rect& srcRect,
                                bool mirror) {
    if (!mirror) {
        DrawImage(image, destRect, srcRect);
        return;
    }
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    Rect dest(ShiftedX(destRect.mX), ShiftedY(destRect.mY), destRect.mWidth, destRect.mHeight);
    mTarget->BlitScaledFlipped(image, dest, srcRect, mClipRect, ImageColor(), mDrawMode,
                               mQuickScaling);
}

void Graphics::DrawImageRotated(Image* image, float x, float y, double angle, float centerX,
                                float centerY) {
    if (image != nullptr) {
        DrawImageRotated(image, x, y, angle, centerX, centerY,
                         Rect(0, 0, image->GetWidth(), image->GetHeight()));
    }
}

void Graphics::DrawImageRotated(Image* image, float x, float y, double angle, float centerX,
                                float centerY, const Rect& srcRect) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    mTarget->BlitRotated(image, x + mShiftX, y + mShiftY, srcRect, mClipRect, ImageColor(),
                         mDrawMode, angle, centerX, centerY);
}

void Graphics::DrawImageWithMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect,
                                   float x, float y) {
    if (image == nullptr || !IsSourceInside(*image, srcRect)) {
        return;
    }
    mTarget->BlitMatrix(image, x + mShiftX, y + mShiftY, matrix, mClipRect, ImageColor(), mDrawMode,
                        srcRect, mSmoothSampling);
}

void Graphics::DrawImageTransformed(Image* image, const Transform& transform, float x, float y) {
    if (image != nullptr) {
        DrawImageTransformed(image, transform, Rect(0, 0, image->GetWidth(), image->GetHeight()), x,
                             y);
    }
}

void Graphics::DrawImageTransformed(Image* image, const Transform& transform, const Rect& srcRect,
                                    float x, float y) {
    if (transform.IsComplex() || mUses3D) {
        DrawImageWithMatrix(image, transform.GetMatrix(), srcRect, x, y);
        return;
    }
    // Positions are those of the image's top left corner, as for DrawImage: a picture centred
    // on whole pixels lands on whole pixels on every path, simple or matrix.
    float halfWidth = srcRect.mWidth / 2.0f;
    float halfHeight = srcRect.mHeight / 2.0f;
    float postX = x + transform.GetPostTransX();
    float postY = y + transform.GetPostTransY();
    if (transform.HasRotation()) {
        float centerX = halfWidth - transform.GetPreTransX();
        float centerY = halfHeight - transform.GetPreTransY();
        DrawImageRotated(image, postX - centerX, postY - centerY, transform.GetRotation(), centerX,
                         centerY, srcRect);
        return;
    }
    float left = postX + transform.GetPreTransX() - halfWidth;
    float top = postY + transform.GetPreTransY() - halfHeight;
    if (!transform.HasScale()) {
        DrawImageSubpixel(image, left, top, srcRect);
        return;
    }
    float scaleX = transform.GetScaleX();
    float scaleY = transform.GetScaleY();
    if (scaleX == -1.0f && scaleY == 1.0f) {
        DrawImageFlipped(image, static_cast<int>(std::floor(left + 0.5f)),
                         static_cast<int>(std::floor(top + 0.5f)), srcRect);
        return;
    }
    // A mirror with another vertical scale is stretched to the mirrored size.
    float width = halfWidth * std::fabs(scaleX);
    float height = halfHeight * scaleY;
    Rect dest(static_cast<int>(postX - width), static_cast<int>(postY - height),
              static_cast<int>(2 * width), static_cast<int>(2 * height));
    DrawImageFlipped(image, dest, srcRect, scaleX < 0.0f);
}

void Graphics::DrawNinePatch(const Rect& destRect, Image* image) {
    if (image != nullptr) {
        DrawNinePatch(destRect, image, Rect(0, 0, image->GetWidth(), image->GetHeight()));
    }
}

void Graphics::DrawNinePatch(const Rect& destRect, Image* image, const Rect& srcRect) {
    if (image == nullptr || srcRect.mWidth <= 0 || srcRect.mHeight <= 0) {
        return;
    }
    const Rect& d = destRect;
    const Rect& s = srcRect;
    int cornerW = s.mWidth / 3;
    int cornerH = s.mHeight / 3;
    int midW = s.mWidth - 2 * cornerW; // at least 1
    int midH = s.mHeight - 2 * cornerH;
    int rightSrc = s.mX + cornerW + midW;
    int bottomSrc = s.mY + cornerH + midH;
    int rightDest = d.mX + d.mWidth - cornerW;
    int bottomDest = d.mY + d.mHeight - cornerH;

    DrawImage(image, d.mX, d.mY, Rect(s.mX, s.mY, cornerW, cornerH));
    DrawImage(image, rightDest, d.mY, Rect(rightSrc, s.mY, cornerW, cornerH));
    DrawImage(image, d.mX, bottomDest, Rect(s.mX, bottomSrc, cornerW, cornerH));
    DrawImage(image, rightDest, bottomDest, Rect(rightSrc, bottomSrc, cornerW, cornerH));

    // Edges and centre repeat their middle pieces; the clip cuts the last tile of each run.
    int columns = CeilDiv(d.mWidth - 2 * cornerW, midW);
    int rows = CeilDiv(d.mHeight - 2 * cornerH, midH);
    {
        Graphics g(*this);
        g.ClipRect(d.mX + cornerW, d.mY, d.mWidth - 2 * cornerW, d.mHeight);
        for (int i = 0; i < columns; ++i) {
            int x = d.mX + cornerW + i * midW;
            g.DrawImage(image, x, d.mY, Rect(s.mX + cornerW, s.mY, midW, cornerH));
            g.DrawImage(image, x, bottomDest, Rect(s.mX + cornerW, bottomSrc, midW, cornerH));
        }
    }
    {
        Graphics g(*this);
        g.ClipRect(d.mX, d.mY + cornerH, d.mWidth, d.mHeight - 2 * cornerH);
        for (int j = 0; j < rows; ++j) {
            int y = d.mY + cornerH + j * midH;
            g.DrawImage(image, d.mX, y, Rect(s.mX, s.mY + cornerH, cornerW, midH));
            g.DrawImage(image, rightDest, y, Rect(rightSrc, s.mY + cornerH, cornerW, midH));
        }
    }
    Graphics g(*this);
    g.ClipRect(d.mX + cornerW, d.mY + cornerH, d.mWidth - 2 * cornerW, d.mHeight - 2 * cornerH);
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            g.DrawImage(image, d.mX + cornerW + i * midW, d.mY + cornerH + j * midH,
                        Rect(s.mX + cornerW, s.mY + cornerH, midW, midH));
        }
    }
}

void Graphics::DrawString(std::string_view text, int x, int y) {
    // With an empty clip (a measuring context) nothing could appear: spare the font the work.
    if (mFont != nullptr && !mClipRect.IsEmpty()) {
        mFont->DrawString(*this, x, y, text, mColor, mClipRect);
    }
}

int Graphics::DrawCodedLine(std::string_view text, int x, int y, int width, int justification,
                            bool draw, int offset, int length, int32_t oldColor) {
    if (mFont == nullptr) {
        return 0;
    }
    if (oldColor == -1) {
        oldColor = static_cast<int32_t>(mColor.ToPacked());
    }
    if (draw && (justification == kJustifyCenter || justification == kJustifyRight)) {
        // Measuring passes the same codes; the drawing must start from the same colour.
        Color color = mColor;
        int textWidth =
            DrawCodedLine(text, x, y, width, kJustifyLeft, false, offset, length, oldColor);
        mColor = color;
        x += justification == kJustifyCenter ? (width - textWidth) / 2 : width - textWidth;
    }
    int size = static_cast<int>(text.size());
    int begin = std::clamp(offset, 0, size);
    int end = length < 0 || length > size - begin ? size : begin + length;

    std::string segment;
    int lineWidth = 0;
    auto flushSegment = [&] {
        if (segment.empty()) {
            return;
        }
        if (draw) {
            DrawString(segment, x + lineWidth, y);
        }
        lineWidth += mFont->StringWidth(segment);
        segment.clear();
    };
    for (int i = begin; i < end; ++i) {
        char c = text[i];
        if (c != '^' || !mInlineColorCodes) {
            segment += c;
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^') {
            segment += '^';
            ++i;
            continue;
        }
        if (end - i < 8) {
            break; // an incomplete code: the rest is dropped
        }
        flushSegment();
        mColor = CodeColor(text.substr(i + 1, 6), oldColor, mColor.mAlpha);
        i += 7; // the closing character is skipped unchecked
    }
    flushSegment();
    return lineWidth;
}

int Graphics::DrawWrappedText(const Rect& rect, std::string_view text, int lineSpacing,
                              int justification) {
    if (mFont == nullptr) {
        return 0;
    }
    Font& font = *mFont;
    Color savedColor = mColor;
    // Opaque colours drop their alpha byte so that packed white cannot read as -1 ("current").
    uint32_t packed = mColor.ToPacked();
    int32_t oldColor = static_cast<int32_t>(mColor.mAlpha == 255 ? packed & 0xFFFFFF : packed);
    if (lineSpacing == -1) {
        lineSpacing = font.GetLineSpacing();
    }
    int penY = font.GetAscent() - font.GetAscentPadding();
    int size = static_cast<int>(text.size());
    int lineStart = 0;
    int breakAt = -1; // the last space or newline of the line
    int lineWidth = 0;
    char previous = 0;
    auto writeLine = [&](int end) {
        DrawCodedLine(text, rect.mX, rect.mY + penY, rect.mWidth, justification, true, lineStart,
                      end - lineStart, oldColor);
    };

    int i = 0;
    while (i < size) {
        int charStart = i;
        char c = text[i];
        if (mInlineColorCodes && c == '^') {
            if (i + 1 < size && text[i + 1] == '^') {
                ++i; // a doubled '^' is one character
            } else {
                i += 8; // a colour code takes no room
                continue;
            }
        }
        bool newline = c == '\n';
        // A space at the line start would only break into an empty line.
        if (newline || (c == ' ' && charStart > lineStart)) {
            breakAt = charStart;
        }
        lineWidth += font.CharAdvance(c, previous);
        previous = c;
        if (!newline && lineWidth <= rect.mWidth) {
            ++i;
            continue;
        }
        if (breakAt < 0) {
            // No place to break: split the word before this character, keeping at least one.
            int end = charStart > lineStart ? charStart : i + 1;
            writeLine(end);
            lineStart = end;
        } else {
            int baseline = ShiftedY(rect.mY + penY);
            if (baseline >= mClipRect.mY &&
                baseline < mClipRect.mY + mClipRect.mHeight + lineSpacing) {
                writeLine(breakAt);
            }
            lineStart = breakAt + 1;
            if (text[breakAt] != '\n') {
                while (lineStart < size && text[lineStart] == ' ') {
                    ++lineStart;
                }
            }
        }
        penY += lineSpacing;
        i = lineStart;
        breakAt = -1;
        lineWidth = 0;
        previous = 0;
    }
    if (lineStart < size) {
        writeLine(size);
        penY += lineSpacing;
    } else if (size > 0 && text[size - 1] == '\n') {
        penY += lineSpacing;
    }
    mColor = savedColor;
    return penY + font.GetDescent() - lineSpacing;
}

int Graphics::MeasureWrappedText(int width, std::string_view text, int lineSpacing) const {
    Graphics measure(nullptr);
    measure.SetFont(mFont);
    return measure.DrawWrappedText(Rect(0, 0, width, 0), text, lineSpacing, kJustifyLeft);
}

} // namespace ravix
