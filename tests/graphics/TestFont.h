#pragma once

#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <cstdio>
#include <string>
#include <vector>

namespace ravix::test {

// A font with fixed glyph widths: every character is 10 pixels wide except 'i' (4), and 'V'
// after 'A' is kerned by -2. Ascent 8, ascent padding 1, height 12, line spacing offset 3.
// DrawString logs "text@x,y#RRGGBBAA" and fills one rectangle per glyph through the context,
// so that its translation and clip apply as for a real font.
class TestFont : public Font {
public:
    TestFont() {
        mAscent = 8;
        mAscentPadding = 1;
        mHeight = 12;
        mLineSpacingOffset = 3;
    }

    int StringWidth(std::string_view text) override {
        int width = 0;
        char previous = 0;
        for (char c : text) {
            width += CharAdvance(c, previous);
            previous = c;
        }
        return width;
    }
    int CharAdvance(char c, char previous) override {
        return (c == 'i' ? 4 : 10) + (previous == 'A' && c == 'V' ? -2 : 0);
    }
    void DrawString(Graphics& g, int x, int y, std::string_view text, const Color& color,
                    const Rect&) override {
        char line[160];
        std::snprintf(line, sizeof line, "%.*s@%d,%d#%02X%02X%02X%02X",
                      static_cast<int>(text.size()), text.data(), x, y, color.mRed, color.mGreen,
                      color.mBlue, color.mAlpha);
        mDrawn.emplace_back(line);
        char previous = 0;
        for (char c : text) {
            int advance = CharAdvance(c, previous);
            g.FillRect(x, y - mAscent, advance - 1, mHeight);
            x += advance;
            previous = c;
        }
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<TestFont>(*this); }

    std::vector<std::string> mDrawn;
};

} // namespace ravix::test
