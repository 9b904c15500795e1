#pragma once

#include "base/Rect.h"
#include "graphics/Color.h"

#include <memory>
#include <string_view>

namespace ravix {

class Graphics;

// The abstract font behind every text operation of Graphics: four metrics, width measurement
// and string drawing. Characters are bytes (codes 0-255).
class Font {
public:
    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
    virtual ~Font() = default;

    [[nodiscard]] virtual int GetAscent() const { return mAscent; }
    [[nodiscard]] virtual int GetAscentPadding() const { return mAscentPadding; }
    [[nodiscard]] virtual int GetDescent() const { return mHeight - mAscent; }
    [[nodiscard]] virtual int GetHeight() const { return mHeight; }
    [[nodiscard]] virtual int GetLineSpacingOffset() const { return mLineSpacingOffset; }
    [[nodiscard]] virtual int GetLineSpacing() const { return mHeight + mLineSpacingOffset; }
    // Measuring is not const: fonts may prepare glyph data on first use.
    virtual int StringWidth(std::string_view text);
    virtual int CharWidth(char c);
    // The advance of c when it follows previous (0 at the start of a string).
    virtual int CharAdvance(char c, char previous);
    // Draws text with its baseline at y; image draws go through g, so its translation applies.
    virtual void DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                            const Rect& clip);
    [[nodiscard]] virtual std::unique_ptr<Font> Duplicate() const = 0;

protected:
    int mAscent = 0;
    int mAscentPadding = 0;
    int mHeight = 0;
    int mLineSpacingOffset = 0;
};

} // namespace ravix
