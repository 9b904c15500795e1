#pragma once

#include <memory>
#include <vector>

namespace ravix {
class Image;
} // namespace ravix

namespace tarnwick {

class Renderer;
class Sprite;

// An object drawn as several sprites (its layers) that move and scale together.
class MultiSprite {
public:
    MultiSprite(Renderer* renderer, float x, float y, float scale);
    MultiSprite(const MultiSprite&) = delete;
    MultiSprite& operator=(const MultiSprite&) = delete;

    virtual ~MultiSprite();
    [[nodiscard]] virtual float GetX() const { return mX; }
    [[nodiscard]] virtual float GetY() const { return mY; }
    [[nodiscard]] virtual float GetScaleX() const { return mScaleX; }
    [[nodiscard]] virtual float GetScaleY() const { return mScaleY; }
    [[nodiscard]] virtual float GetScale() const { return mScaleY; }
    // Copies the position and scale to every layer, then updates the layers in order.
    virtual void Update();
    // Queues every layer in order.
    virtual void Draw();

    // A new layer at (0, 0) on this object's renderer showing cell of image; owned here.
    Sprite* AddLayer(ravix::Image* image, int layer, int cell);

    float mX = 0.0f;
    float mY = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    std::vector<std::unique_ptr<Sprite>> mLayers;
    Renderer* mRenderer = nullptr;
};

} // namespace tarnwick
