#include "graphics/GlyphLayer.h"

#include <algorithm>

namespace ravix {

bool GlyphLayer::TakesPart(int pointSize, const std::vector<std::string>& tags) const {
    if (pointSize < mMinPointSize || (mMaxPointSize != -1 && mMaxPointSize < pointSize)) {
        return false;
    }
    auto present = [&tags](const std::string& tag) {
        return std::find(tags.begin(), tags.end(), tag) != tags.end();
    };
    return std::all_of(mRequiredTags.begin(), mRequiredTags.end(), present) &&
           std::none_of(mExcludedTags.begin(), mExcludedTags.end(), present);
}

} // namespace ravix
