#include "game/Card.h"

#include "game/GameResources.h"
#include "game/Sprite.h"
#include "graphics/Image.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnwick {

namespace {

constexpr int kTimerStart = 100;
constexpr int kTimerStep = 5;
constexpr float kHoverScale = 1.1f;

} // namespace

Card::Card(Renderer* renderer, float x, float y, float scale)
    : MultiSprite(renderer, x, y, scale), mBaseScale(scale) {}

void Card::SetFace(int shape, int symbol, int color) {
    const int tileCell = color + 3 * shape;
    AddLayer(IMAGE_TILES, 2, tileCell);
    AddLayer(IMAGE_TILES_SEL, 2, tileCell);
    AddLayer(IMAGE_SYMBOLS, 3, symbol);
    AddLayer(IMAGE_UNKNOWN, 1, 0);
    mSymbol = symbol;
    mColor = color;
    mShape = shape;
    Update();
}

void Card::Flip() {
    mBlink = false;
    mSelected = !mSelected;
    if (!mSolved) {
        mFlipTimer = kTimerStart;
    }
}

void Card::MarkSolved() {
    mSolved = true;
    mHover = false;
    mSelected = false;
}

void Card::StartVanish() {
    mVanishTimer = kTimerStart;
}

void Card::SetDelay(int updates) {
    mDelay = updates;
}

void Card::StartBlink() {
    mBlink = true;
    mBlinkCounter = kTimerStart;
}

void Card::HitTest(int mouseX, int mouseY) {
    const float cellWidth = IMAGE_TILES != nullptr ? IMAGE_TILES->GetCellWidth() : 0.0f;
    const float cellHeight = IMAGE_TILES != nullptr ? IMAGE_TILES->GetCellHeight() : 0.0f;
    mHover = std::fabs(mouseX - mX) < cellWidth * mScaleX * 0.5f &&
             std::fabs(mouseY - mY) < cellHeight * mScaleY * 0.5f;
}

void Card::Update() {
    const bool faceUp = UpdateScale(IsFaceUp());
    if (mHover && mVanishTimer == 0) {
        mScaleX *= kHoverScale;
        mScaleY *= kHoverScale;
    }
    UpdateVisibility(faceUp);
    UpdateBlink();
    MultiSprite::Update();
}

bool Card::UpdateScale(bool faceUp) {
    if (mDelay > 0) {
        --mDelay;
    } else if (mVanishTimer > 0) {
        mVanishTimer -= kTimerStep;
        const float f = std::max(0.0f, mVanishTimer / 100.0f);
        mScaleX = mScaleY = mBaseScale * f;
        if (mVanishTimer <= 0) {
            mGone = true;
        }
    } else if (mFlipTimer > 0) {
        mFlipTimer -= kTimerStep;
        const int v = mFlipTimer;
        mScaleY = std::fabs(std::cos(v / 100.0f * std::numbers::pi_v<float>) * mBaseScale);
        mScaleX = mBaseScale;
        // A card turning up shows its back until the middle, one turning down its face.
        return faceUp ? v < 50 : v > 50;
    } else {
        mScaleX = mScaleY = mBaseScale;
    }
    return faceUp;
}

void Card::UpdateVisibility(bool faceUp) {
    if (mLayers.size() < 4) {
        return; // no face yet
    }
    if (mGone) {
        for (auto& layer : mLayers) {
            layer->mVisible = false;
        }
        return;
    }
    if (mDelay > 0) {
        return; // the layers keep what they showed
    }
    if (mPeek && !faceUp) {
        ShowLayer(kTileLayer, !mSelected, kPeekAlpha);
        ShowLayer(kSelectedTileLayer, mSelected, kPeekAlpha);
        ShowLayer(kSymbolLayer, true, kPeekAlpha);
        mLayers[kBackLayer]->mVisible = false;
        return;
    }
    ShowLayer(kTileLayer, faceUp && !mSelected, 255);
    ShowLayer(kSelectedTileLayer, faceUp && mSelected, 255);
    ShowLayer(kSymbolLayer, faceUp, 255);
    mLayers[kBackLayer]->mVisible = !faceUp;
}

void Card::UpdateBlink() {
    // The highlighted tile of a hint blinks in a look of its own, so that a hinted card never
    // looks picked; a picked card shows the picked frame.
    if (mLayers.size() > kSelectedTileLayer) {
        ravix::Image* hint = IMAGE_TILES_HINT != nullptr ? IMAGE_TILES_HINT : IMAGE_TILES_SEL;
        mLayers[kSelectedTileLayer]->mImage = mBlink && !mSelected ? hint : IMAGE_TILES_SEL;
    }
    if (!mBlink) {
        return;
    }
    if (--mBlinkCounter <= 0) {
        mBlinkCounter = kTimerStart;
    }
    if (!mSelected && mLayers.size() > kSelectedTileLayer) {
        mLayers[kSelectedTileLayer]->mVisible = mBlinkCounter < 50;
    }
}

void Card::ShowLayer(int index, bool visible, int alpha) {
    Sprite& layer = *mLayers[static_cast<size_t>(index)];
    layer.mVisible = visible;
    layer.mAlpha = alpha;
}

} // namespace tarnwick
