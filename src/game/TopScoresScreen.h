#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/OwnedWidget.h"
#include "widgets/Widget.h"

#include <string>

namespace ravix {
class HyperlinkWidget;
}

namespace tarnwick {

class GameApp;

// The three top-score records over the title screen. It closes on the first mouse button
// released anywhere on it; its return link is made and placed but stays hidden.
class TopScoresScreen : public ravix::Widget, public ravix::ButtonListener {
public:
    // Reads the records and formats the three lines.
    explicit TopScoresScreen(GameApp* app);
    ~TopScoresScreen() override;

    // Makes the return link (the title screen calls it right after construction).
    void CreateLink();

    void OnAttached(ravix::WidgetManager* manager) override;
    void OnDetached(ravix::WidgetManager* manager) override;
    void Update() override;
    void Draw(ravix::Graphics& g) override;
    using ravix::Widget::MouseUp;
    void MouseUp(int x, int y, int button, int clicks) override;
    // Escape closes the screen as a click does.
    void KeyDown(int key) override;
    // Any id: the screen and its link leave and are deleted after the pass (the application
    // owns the screen).
    void OnButtonClick(int id) override;

    GameApp* mApp = nullptr;
    ravix::OwnedWidget<ravix::HyperlinkWidget> mReturnLink;
    std::string mLine1;
    std::string mLine2;
    std::string mLine3;
};

} // namespace tarnwick
