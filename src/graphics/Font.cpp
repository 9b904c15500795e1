#include "graphics/Font.h"

namespace ravix {

int Font::StringWidth(std::string_view) {
    return 0;
}

int Font::CharWidth(char c) {
    return StringWidth(std::string_view(&c, 1));
}

int Font::CharAdvance(char c, char) {
    return CharWidth(c);
}

void Font::DrawString(Graphics&, int, int, std::string_view, const Color&, const Rect&) {}

} // namespace ravix
