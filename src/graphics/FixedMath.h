#pragma once

// Integer helpers of the rasteriser's fixed-point loops.

#include <algorithm>
#include <cstdint>
#include <utility>

namespace ravix::fixed {

inline int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

inline int64_t CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

// Nearest integer (halves round up), without a library call.
inline int64_t RoundToInt64(double value) {
    double shifted = value + 0.5;
    int64_t truncated = static_cast<int64_t>(shifted);
    return truncated - (static_cast<double>(truncated) > shifted ? 1 : 0);
}

// The indices i in [0, count) with low <= start + i * step <= high, as a half-open range
// [first, last); first == last when there are none. Computed by division, so loops over the
// range need no per-pixel bounds checks.
inline std::pair<int, int> StepRange(int64_t start, int64_t step, int64_t low, int64_t high,
                                     int count) {
    int64_t first = 0;
    int64_t last = count - 1;
    if (step == 0) {
        if (start < low || start > high) {
            return {0, 0};
        }
    } else if (step > 0) {
        first = std::max(first, CeilDiv(low - start, step));
        last = std::min(last, FloorDiv(high - start, step));
    } else {
        first = std::max(first, CeilDiv(high - start, step));
        last = std::min(last, FloorDiv(low - start, step));
    }
    if (first > last) {
        return {0, 0};
    }
    return {static_cast<int>(first), static_cast<int>(last + 1)};
}

// The common part of two half-open ranges, empty as {0, 0}.
inline std::pair<int, int> Intersect(std::pair<int, int> a, std::pair<int, int> b) {
    int first = std::max(a.first, b.first);
    int last = std::min(a.second, b.second);
    return first < last ? std::pair<int, int>{first, last} : std::pair<int, int>{0, 0};
}

} // namespace ravix::fixed
