#include "game/Sprite.h"

#include "game/Renderer.h"

namespace tarnwick {

Sprite::Sprite(Renderer* renderer, float x, float y) : mX(x), mY(y), mRenderer(renderer) {}

void Sprite::Update() {
    if (!mVisible) {
        return;
    }
    // A scale of 1 x 1 and a rotation by 0 change nothing, but they would send the sprite
    // through the stretched or the general matrix blit instead of the plain one; most sprites
    // (the background, cards at rest on the largest grids) are drawn unscaled.
    mTransform.Reset();
    if (mScaleX != 1.0f || mScaleY != 1.0f) {
        mTransform.Scale(mScaleX, mScaleY);
    }
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
