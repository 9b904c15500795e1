#include "game/Renderer.h"

#include "game/Sprite.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

namespace {

// Draws the cell centred on the sprite's position through its transform. An untransformed cell
// that lands on whole pixels is the same picture as the plain blit, which is several times
// faster than the sub-pixel one: the background and the cards at rest are drawn that way.
void DrawSprite(ravix::Graphics& g, const Sprite& sprite, const ravix::Rect& source) {
    const float x = sprite.mX + sprite.mOffsetX;
    const float y = sprite.mY + sprite.mOffsetY;
    const ravix::Transform& transform = sprite.mTransform;
    if (!transform.IsComplex() && !transform.HasScale() && !transform.HasRotation() &&
        transform.GetPreTransX() == 0.0f && transform.GetPreTransY() == 0.0f &&
        transform.GetPostTransX() == 0.0f && transform.GetPostTransY() == 0.0f) {
        const float left = x - source.mWidth / 2.0f;
        const float top = y - source.mHeight / 2.0f;
        if (left == std::floor(left) && top == std::floor(top) && std::fabs(left) < 1e6f &&
            std::fabs(top) < 1e6f) {
            g.DrawImage(sprite.mImage, static_cast<int>(left), static_cast<int>(top), source);
            return;
        }
    }
    g.DrawImageTransformed(sprite.mImage, transform, source, x, y);
}

} // namespace

void Renderer::Draw(ravix::Graphics& g) {
    std::stable_sort(mQueue.begin(), mQueue.end(),
                     [](const Sprite* a, const Sprite* b) { return a->mLayer < b->mLayer; });
    for (Sprite* sprite : mQueue) {
        if (sprite->mImage == nullptr) {
            continue;
        }
        ravix::Rect source = sprite->mImage->GetCellRect(sprite->mCel);
        if (sprite->mAlpha < 255) {
            g.SetTintImages(true);
            g.SetColor(ravix::Color(255, 255, 255, sprite->mAlpha));
        } else {
            g.SetTintImages(false);
        }
        DrawSprite(g, *sprite, source);
    }
    mQueue.clear();
}

} // namespace tarnwick
