#include "game/Sprite.h"

#include "game/Renderer.h"

namespace tarnwick {

Sprite::Sprite(Renderer* renderer, float x, float y) : mX(x), mY(y), mRenderer(renderer) {}

void Sprite::Update() {
    if (!mVisible) {
        return;
    }
    mTransform.Reset();
    mTransform.Scale(mScaleX, mScaleY);
    // A rotation by 0 changes nothing, but after a scale it would turn the transform into a
    // matrix and every sprite would take the slow general blit.
    if (mRotation != 0.0f) {
        mTransform.Rotate(mRotation);
    }
}

void Sprite::Draw() {
    if (mVisible && mRenderer != nullptr) {
        mRenderer->mQueue.push_back(this);
    }
}

} // namespace tarnwick
