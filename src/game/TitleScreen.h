#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <array>
#include <initializer_list>

namespace ravix {
class Image;
}

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

private:
    // The buttons in the order they are made.
    [[nodiscard]] std::array<FlickeringButtonWidget*, 11> Buttons() const;
    // A menu button of the image's normal (top) and highlighted (bottom) looks, centred on
    // (400, centreY), added to the manager and hidden.
    FlickeringButtonWidget* MakeMenuButton(ravix::WidgetManager* manager, ravix::Image* image,
                                           int id, int centreY);
    static void ShowButtons(std::initializer_list<FlickeringButtonWidget*> buttons, bool visible);
    void ShowResumeMenu();
    void ShowTopScores();
    // The game's information page, about.html of the data folder, in the user's browser.
    void OpenAboutPage();
    // Takes the title screen down (deleted after the pass) and starts a board in the mode.
    void StartBoard(int mode);
};

} // namespace tarnwick
