#pragma once

namespace ravix {

// How a drawing operation combines its colour with the destination.
enum class DrawMode : int {
    Normal = 0,   // alpha blending
    Additive = 1, // saturating add
};

} // namespace ravix
