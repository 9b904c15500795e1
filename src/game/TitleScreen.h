#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace tarnwick {

class FlickeringButtonWidget;
class GameApp;

// The full-screen title picture with the menu buttons, which it keeps in the widget manager next
// to itself and shows or hides as the main, resume and difficulty menus.
class TitleScreen : public ravix::Widget, public ravix::ButtonListener {
public:
    // Button ids.
    static constexpr int kBeginner = 0;
    static constexpr int kEasy = 1;
    static constexpr int kNormal = 2;
    static constexpr int kHard = 3;
    static constexpr int kPlay = 4;
    static constexpr int kScores = 5;
    static constexpr int kExit = 6;
    static constexpr int kLogo = 7;
    static constexpr int kResume = 8;
    static constexpr int kNew = 9;
    static constexpr int kOptions = 10;

    explicit TitleScreen(GameApp* app);
    ~TitleScreen() override;

    void OnAttached(ravix::WidgetManager* manager) override;
    void OnDetached(ravix::WidgetManager* manager) override;
    void Update() override;
    void Draw(ravix::Graphics& g) override;
    void OnButtonClick(int id) override;

    void ShowMainMenu();
    // Discards the saved game and shows the four difficulties.
    void ShowDifficultyMenu();

    GameApp* mApp = nullptr;
    bool mMenuShown = false;
    FlickeringButtonWidget* mPlayButton = nullptr;
    FlickeringButtonWidget* mScoresButton = nullptr;
    FlickeringButtonWidget* mExitButton = nullptr;
    FlickeringButtonWidget* mBeginnerButton = nullptr;
    FlickeringButtonWidget* mEasyButton = nullptr;
    FlickeringButtonWidget* mNormalButton = nullptr;
    FlickeringButtonWidget* mHardButton = nullptr;
    FlickeringButtonWidget* mLogoButton = nullptr;
    FlickeringButtonWidget* mResumeButton = nullptr;
    FlickeringButtonWidget* mNewButton = nullptr;
    FlickeringButtonWidget* mOptionsButton = nullptr;
};

} // namespace tarnwick
