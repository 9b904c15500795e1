#include "resources/FontRes.h"

#include "graphics/Font.h"
#include "graphics/MemoryImage.h"

namespace ravix {

FontRes::FontRes() : BaseRes(ResType::Font) {}

FontRes::~FontRes() = default;

void FontRes::ReleaseLoaded() {
    mFont.reset();
    mImage.reset();
}

} // namespace ravix
