#pragma once

#include "game/MultiSprite.h"

namespace tarnwick {

// A card of the board: four layers (tile, highlighted tile, symbol, back) and the animations of
// the game: turning over, hover enlargement, hint blinking and vanishing at the end of a game.
// A card is face up while it is picked or solved.
class Card : public MultiSprite {
public:
    // Layer indices, in creation order.
    static constexpr int kTileLayer = 0;
    static constexpr int kSelectedTileLayer = 1;
    static constexpr int kSymbolLayer = 2;
    static constexpr int kBackLayer = 3;
    // Alpha of a face-down face seen while peeking.
    static constexpr int kPeekAlpha = 100;

    Card(Renderer* renderer, float x, float y, float scale);

    void Update() override;

    // Creates the four layers for the face and shows the right side at once.
    void SetFace(int shape, int symbol, int color);
    // Picks or unpicks; an unsolved card turns over, a solved one only changes its highlight.
    void Flip();
    void MarkSolved();
    void StartVanish();
    void SetDelay(int updates);
    void StartBlink();
    // Sets mHover: the mouse lies inside the card at its current (possibly enlarged) scale.
    void HitTest(int mouseX, int mouseY);
    [[nodiscard]] bool IsFaceUp() const { return mSelected || mSolved; }

    bool mBlink = false;
    bool mPeek = false;
    bool mHover = false;
    bool mSelected = false;
    bool mSolved = false;
    bool mGone = false;
    int mSymbol = -1;
    int mColor = 0;
    int mShape = 0;
    float mBaseScale = 1.0f;
    int mFlipTimer = 0;
    int mVanishTimer = 0;
    int mDelay = 0;
    int mBlinkCounter = 0;

private:
    // The scale of the delay, vanish or turn; returns the side to show, which changes half-way
    // through a turn.
    bool UpdateScale(bool faceUp);
    void UpdateVisibility(bool faceUp);
    void UpdateBlink();
    void ShowLayer(int index, bool visible, int alpha);
};

} // namespace tarnwick
