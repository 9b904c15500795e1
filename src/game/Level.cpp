#include "game/Level.h"

#include "app/RavixAppBase.h"
#include "game/GameResources.h"
#include "game/Sprite.h"

namespace tarnwick {

Level::Level(Renderer* renderer) : MultiSprite(renderer, 0.0f, 0.0f, 1.0f) {}

void Level::Load(int levelNumber) {
    Sprite* background = AddLayer(IMAGE_BKG, kBackgroundLayer, 0);
    const int width = ravix::gApplication != nullptr ? ravix::gApplication->mScreenWidth : 800;
    const int height = ravix::gApplication != nullptr ? ravix::gApplication->mScreenHeight : 600;
    background->mOffsetX = width / 2.0f;
    background->mOffsetY = height / 2.0f;
    mLevelNumber = levelNumber;
    // The levels file is read by the shared parser once it is merged.
}

} // namespace tarnwick
