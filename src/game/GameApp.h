#pragma once

#include "app/RavixAppBase.h"

#include <memory>

namespace tarnwick {

class Board;
class TitleScreen;

// The game's application: its identity and window, the three resource groups ("Init" and
// "TitleScreen" on the main thread, "Game" on the loading thread), the music, and the switch
// between the two screens of the game, the title screen and the board.
class GameApp : public ravix::RavixAppBase {
public:
    explicit GameApp(std::unique_ptr<ravix::Platform> platform);
    ~GameApp() override;

    void Initialize() override;
    void LoadingThreadBody() override;
    void OnLoadingComplete() override;
    void PlayEffect(int id) override;

    // Makes a title screen (buttons hidden) over the whole screen and adds it to the widgets.
    void CreateTitleScreen();
    // The board's menu button: forgets the board (which took itself down) and shows a new title
    // screen with its main menu at once.
    void ShowTitleScreen();
    // The title screen's difficulty and resume buttons (after it took itself down): a board in
    // the mode, over the whole screen, with the keyboard focus.
    void CreateBoard(int mode);

    Board* mBoard = nullptr;
    TitleScreen* mTitleScreen = nullptr;
};

} // namespace tarnwick
