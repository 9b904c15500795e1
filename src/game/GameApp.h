#pragma once

#include "app/RavixAppBase.h"
#include "game/PlayMode.h"
#include "widgets/OwnedWidget.h"

#include <atomic>
#include <memory>
#include <string>

namespace tarnwick {

class Board;
struct SaveFailure;
class TitleScreen;
class TopScoresScreen;

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
    // The board's menu button: takes the board (which left the widgets) to deletion after the
    // pass and shows a new title screen with its main menu at once.
    void ShowTitleScreen();
    // The title screen's difficulty and resume buttons: takes the title screen down (deleted
    // after the pass) and starts a board in the mode, over the whole screen, with the focus.
    void CreateBoard(PlayMode mode);
    // The title screen's scores button: the top scores over the whole screen, with the focus.
    void ShowTopScores();
    // The top scores' click (after the screen left the widgets): deleted after the pass.
    void CloseTopScores();

    // A save of the game or of the top scores failed: the player is warned once per run, in a
    // message box and on the standard error stream, and the game goes on.
    void ReportSaveFailure(const SaveFailure& failure);

    // "-headless" (the program entry chose the headless platform): with -play the replay runs
    // to the end of the demo as fast as it goes, and the program ends there.
    void HandleCommandLineOption(const std::string& name, const std::string& value) override;
    // Saves the game on the board (a won one as the next game) whenever the program ends.
    void OnShutdownBegins() override;
    bool RunFrame(bool allowSleep) override;
    // F1 help on the board, F11 full screen, Ctrl+Q quit (saving a game in progress), M mute.
    bool OnShortcutKey(int key) override;
    void ReadSettings() override;
    void WriteSettings() override;
    // The "Muted" setting: every sound and the music silenced until M is pressed again.
    void SetMuted(bool muted);
    [[nodiscard]] bool IsMuted() const { return mMuted; }

    // The screen shown: the title screen (with the top scores over it at times) or a board.
    ravix::OwnedWidget<Board> mBoard;
    ravix::OwnedWidget<TitleScreen> mTitleScreen;

private:
    // Marks the loading failed, shows the text as a fatal error and ends the program.
    [[noreturn]] void FailStart(const std::string& text);
    // The data folder (the start folder, -changedir's) must exist and hold the game's data;
    // else the start ends naming the folder and how to name another.
    void CheckDataFolder();
    // The levels file is checked as tarnwick-tool levels check checks it: a file that cannot be
    // read, a missing level, a count below 1, a grid larger than its deck (every problem that
    // keeps a level from being dealt and won) ends the start with the file, level and problem.
    void CheckLevelsFile();
    ravix::OwnedWidget<TopScoresScreen> mTopScores;
    bool mEndWithDemo = false;
    bool mSaveFailureReported = false;
    // Set at most once: the resources could not be loaded, and the menu never shows.
    std::atomic<bool> mLoadingFailed = false;
    bool mMuted = false;
    std::string mLoadingError; // written by the loading thread before it finishes
};

} // namespace tarnwick
