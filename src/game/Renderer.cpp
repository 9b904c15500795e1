#include "game/Renderer.h"

#include "game/Sprite.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>

namespace tarnwick {

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
        g.DrawImageTransformed(sprite->mImage, sprite->mTransform, source,
                               sprite->mX + sprite->mOffsetX, sprite->mY + sprite->mOffsetY);
    }
    mQueue.clear();
}

} // namespace tarnwick
