#include "game/MultiSprite.h"

#include "game/Sprite.h"

namespace tarnwick {

MultiSprite::MultiSprite(Renderer* renderer, float x, float y, float scale)
    : mX(x), mY(y), mScaleX(scale), mScaleY(scale), mRenderer(renderer) {}

MultiSprite::~MultiSprite() = default;

void MultiSprite::Update() {
    for (auto& layer : mLayers) {
        layer->mX = mX;
        layer->mY = mY;
        layer->mScaleX = mScaleX;
        layer->mScaleY = mScaleY;
    }
    for (auto& layer : mLayers) {
        layer->Update();
    }
}

void MultiSprite::Draw() {
    for (auto& layer : mLayers) {
        layer->Draw();
    }
}

Sprite* MultiSprite::AddLayer(ravix::Image* image, int layer, int cell) {
    auto sprite = std::make_unique<Sprite>(mRenderer, 0.0f, 0.0f);
    sprite->mImage = image;
    sprite->mLayer = layer;
    sprite->mCel = cell;
    mLayers.push_back(std::move(sprite));
    return mLayers.back().get();
}

} // namespace tarnwick
