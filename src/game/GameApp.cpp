#include "game/GameApp.h"

namespace tarnwick {

GameApp::GameApp(std::unique_ptr<ravix::Platform> platform)
    : RavixAppBase(std::move(platform)) {
    mProductName = "Tarnwick";
    mVersionText = "1.0";
    mWindowCaption = mProductName;
    mRegistryKey = "Brannel\\Tarnwick";
    mScreenWidth = 800;
    mScreenHeight = 600;
    mWantWindowed = true;
    mRefreshPacing = true;
}

GameApp::~GameApp() = default;

void GameApp::Initialize() { RavixAppBase::Initialize(); }

void GameApp::LoadingThreadBody() {}

void GameApp::OnLoadingComplete() {}

void GameApp::PlayEffect(int id) { RavixAppBase::PlayEffect(id); }

void GameApp::CreateTitleScreen() {}

void GameApp::ShowTitleScreen() { mBoard = nullptr; }

void GameApp::CreateBoard(int /*mode*/) { mTitleScreen = nullptr; }

} // namespace tarnwick
