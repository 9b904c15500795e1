#pragma once

#include "graphics/Transform.h"

namespace ravix {
class Image;
} // namespace ravix

namespace tarnwick {

class Renderer;

// One image cell placed by its centre, scaled, rotated and faded. Draw only queues the sprite
// on its renderer, which draws the whole frame sorted by layer.
class Sprite {
public:
    Sprite(Renderer* renderer, float x, float y);
    Sprite(const Sprite&) = delete;
    Sprite& operator=(const Sprite&) = delete;

    virtual ~Sprite() = default;
    // Rebuilds the transform from the scale and the rotation.
    virtual void Update();
    // Queues the sprite on its renderer.
    virtual void Draw();

    float mX = 0.0f;
    float mY = 0.0f;
    float mOffsetX = 0.0f;
    float mOffsetY = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mRotation = 0.0f;
    int mLayer = 0;
    bool mVisible = true;
    int mCel = 0;
    int mAlpha = 255;
    ravix::Transform mTransform;
    ravix::Image* mImage = nullptr;
    Renderer* mRenderer = nullptr;
};

} // namespace tarnwick
