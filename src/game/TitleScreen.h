#pragma once

#include "game/PlayMode.h"
#include "widgets/ButtonListener.h"
#include "widgets/OwnedWidget.h"
#include "widgets/Widget.h"

#include <array>
#include <initializer_list>

namespace tarnwick {

class FlickeringButtonWidget;
class GameApp;

// The full-screen title picture with the menu buttons, which it keeps in the widget manager next
// to itself and shows or hides as the main, resume and difficulty menus.
class TitleScreen : public ravix::Widget, public ravix::ButtonListener {
public:
    // Button ids. The difficulty and resume buttons carry the play mode they start.
    static constexpr int kBeginner = ModeNumber(PlayMode::Beginner);
    static constexpr int kEasy = ModeNumber(PlayMode::Easy);
    static constexpr int kNormal = ModeNumber(PlayMode::Normal);
    static constexpr int kHard = ModeNumber(PlayMode::Hard);
    static constexpr int kPlay = 4;
    static constexpr int kScores = 5;
    static constexpr int kExit = 6;
    static constexpr int kLogo = 7;
    static constexpr int kResume = ModeNumber(PlayMode::Resume);
    static constexpr int kNew = 9;
    static constexpr int kOptions = 10;
    static constexpr int kButtonCount = 11;

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
    // The menu button with the id; null before the screen is added to the widgets.
    [[nodiscard]] FlickeringButtonWidget* GetButton(int id) const;
    // Gives the keyboard focus to a menu button (the top choice when a menu shows).
    void FocusButton(int id);

private:
    void ShowButtons(std::initializer_list<int> ids, bool visible);
    void ShowResumeMenu();
    // Play: the resume menu for a saved game a board can continue; else the difficulties, after
    // setting an unusable saved game aside and telling the player so.
    void PlayFromSavedGame();
    void SetAsideUnusableSave();
    // The game's information page, about.html of the data folder, in the user's browser.
    void OpenAboutPage();

    GameApp* mApp = nullptr;
    bool mMenuShown = false;
    // The menu buttons by id.
    std::array<ravix::OwnedWidget<FlickeringButtonWidget>, kButtonCount> mButtons;
};

} // namespace tarnwick
