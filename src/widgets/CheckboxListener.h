#pragma once

namespace ravix {

// What a check box tells its owner when the user toggles it.
class CheckboxListener {
public:
    virtual ~CheckboxListener() = default;
    virtual void OnCheckChanged(int /*id*/, bool /*checked*/) {}
};

} // namespace ravix
