#pragma once

namespace ravix {

// What a slider tells its owner: the value, 0..1, while the thumb moves and on release.
class SliderListener {
public:
    virtual ~SliderListener() = default;
    virtual void OnSliderMoved(int /*id*/, double /*value*/) {}
};

} // namespace ravix
