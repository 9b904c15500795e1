#include "game/TitleScreen.h"

#include "game/GameApp.h"

namespace tarnwick {

TitleScreen::TitleScreen(GameApp* app) : mApp(app) {}

TitleScreen::~TitleScreen() = default;

void TitleScreen::OnAttached(ravix::WidgetManager* manager) { Widget::OnAttached(manager); }

void TitleScreen::OnDetached(ravix::WidgetManager* manager) { Widget::OnDetached(manager); }

void TitleScreen::Update() { Widget::Update(); }

void TitleScreen::Draw(ravix::Graphics& /*g*/) {}

void TitleScreen::OnButtonClick(int /*id*/) {}

void TitleScreen::ShowMainMenu() { mMenuShown = true; }

void TitleScreen::ShowDifficultyMenu() {}

} // namespace tarnwick
