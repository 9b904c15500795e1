#pragma once

#include <vector>

namespace ravix {
class Graphics;
} // namespace ravix

namespace tarnwick {

class Sprite;

// The draw queue of one game: sprites queue themselves during a frame and Draw draws them all,
// sorted by layer, so that the layers of different objects interleave (every card back under
// every tile under every symbol).
class Renderer {
public:
    Renderer() = default;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;
    virtual ~Renderer() = default;

    // Draws the queue sorted by layer (queue order among equal layers) and empties it.
    virtual void Draw(ravix::Graphics& g);
    // Not used by the game.
    virtual void Update() {}

    std::vector<Sprite*> mQueue;
};

} // namespace tarnwick
