#pragma once

#include "widgets/ButtonWidget.h"

namespace tarnwick {

// A menu button: an image button whose image holds the normal look above the highlighted one.
// With mFlicker set it pulses the logo glow over itself, its alpha following a sine of mPhase.
class FlickeringButtonWidget : public ravix::ButtonWidget {
public:
    FlickeringButtonWidget(int id, ravix::ButtonListener* listener);

    void Update() override;
    void Draw(ravix::Graphics& g) override;

    // The glow's alpha for a phase: (sin(phase) + 1) * 127.5, truncated.
    [[nodiscard]] static int GlowAlpha(double phase);

    double mPhase = 0;
    bool mFlicker = false;
};

} // namespace tarnwick
