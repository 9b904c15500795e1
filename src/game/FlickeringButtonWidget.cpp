#include "game/FlickeringButtonWidget.h"

#include "game/GameResources.h"
#include "graphics/Graphics.h"

#include <cmath>

namespace tarnwick {

FlickeringButtonWidget::FlickeringButtonWidget(int id, ravix::ButtonListener* listener)
    : ButtonWidget(id, listener) {}

int FlickeringButtonWidget::GlowAlpha(double phase) {
    return static_cast<int>((std::sin(phase) + 1) * 255 * 0.5);
}

void FlickeringButtonWidget::Update() {
    ButtonWidget::Update();
    mPhase += 0.1;
    if (mFlicker) {
        Invalidate();
    }
}

void FlickeringButtonWidget::Draw(ravix::Graphics& g) {
    ButtonWidget::Draw(g);
    if (!mFlicker || IMAGE_MENU_LOGO2 == nullptr) {
        return;
    }
    g.SetTintImages(true);
    g.SetColor(ravix::Color(255, 255, 255, GlowAlpha(mPhase)));
    g.DrawImage(IMAGE_MENU_LOGO2, 0, 0);
    g.SetTintImages(false);
    mPhase += 0.01;
}

} // namespace tarnwick
