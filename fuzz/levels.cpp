// Parses the input as a levels file and checks it, as the data build and the game's start-up do.
// Counts in the file must never make the parser hold more values than the text has numbers.
#include "game/LevelsFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarnwick;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const LevelsFile levels = ParseLevels(text);
    // A value or a block takes at least one character and a separator.
    size_t held = levels.mLevels.size();
    for (const auto& [number, level] : levels.mLevels) {
        if (level.mNumber != number)
            std::abort();
        for (const LevelValueList* list : {&level.mColors, &level.mShapes, &level.mSymbols}) {
            if (list->mValues.size() > static_cast<size_t>(std::max(list->mCount, 0)))
                std::abort();
            held += list->mValues.size();
        }
        (void)DescribeLevel(level);
    }
    if (held > size / 2 + 1)
        std::abort();
    for (const LevelPictureCells& cells : {LevelPictureCells{}, LevelPictureCells{3, 4, 8}})
        (void)CheckLevels(levels, cells);
    return 0;
}
