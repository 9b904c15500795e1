#pragma once

#include <array>
#include <cstdint>

namespace ravix {

// kSaturationTable[a + b] is the sum of two channel values clamped to 255.
inline constexpr std::array<uint8_t, 512> kSaturationTable = [] {
    std::array<uint8_t, 512> table{};
    for (int i = 0; i < 512; ++i) {
        table[i] = static_cast<uint8_t>(i < 255 ? i : 255);
    }
    return table;
}();

} // namespace ravix
