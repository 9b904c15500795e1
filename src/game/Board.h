#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <array>
#include <deque>
#include <memory>
#include <string>

namespace ravix {
class ButtonWidget;
} // namespace ravix

namespace tarnwick {

class Card;
class GameApp;
class Level;
class Renderer;

// The play screen and the rules: deals a grid of cards from a level, takes the player's picks,
// scores triples, runs the clock and the animations, draws the cards, the score and the clock,
// saves the game when the player leaves for the menu and records the top scores of a won game.
// Games follow one another inside one board (won game -> click -> NextGame).
class Board : public ravix::Widget, public ravix::ButtonListener {
public:
    // Button ids.
    static constexpr int kHelpButton = 0;
    static constexpr int kMenuButton = 1;
    static constexpr int kOptionsButton = 2;
    static constexpr int kMinimizeButton = 3;
    static constexpr int kCloseButton = 4;
    // The play mode of the resume menu, replaced by the saved game's mode.
    static constexpr int kResumeMode = 8;
    // The message shown when a level has no cards to deal.
    static constexpr int kNoCardsDialogId = 7;
    // Updates after a judged triple during which clicks are ignored.
    static constexpr int kResultDelay = 50;
    // Updates of idleness before a hint (mode 0).
    static constexpr int kIdleHintDelay = 500;
    // Frames the "+N" text rises.
    static constexpr int kBonusFrames = 100;
    static constexpr int kStartScore = 100;
    static constexpr int kFailPenalty = 3;
    // A level beyond these cannot be dealt (the file changed under a running game): the deck is
    // built whole and the cards are drawn out of it one by one.
    static constexpr long long kMaxDeckSize = 1 << 20;
    static constexpr long long kMaxCards = 4096;

    Board(GameApp* app, int mode);
    ~Board() override;

    // The points of a triple: 8 for colour and shape shared, 15 for colour and symbol, 21 for
    // shape and symbol (44 for all three), 0 for fewer than two shared attributes.
    [[nodiscard]] static int ScoreTriple(const Card& a, const Card& b, const Card& c);
    // The pre-solve interval of a mode: every N-th dealt card starts solved.
    [[nodiscard]] static int PreSolveInterval(int mode);
    // How many cards a level deals: one per grid cell, but never more than its deck holds; 0
    // when it has no cards or is too large to deal.
    [[nodiscard]] static long long DealtCardCount(const Level& level);

    [[nodiscard]] bool IsAllSolved() const { return mAllSolved; }
    // Writes the game to the saved-game file (through a temporary file); the board is unchanged.
    void SaveGame();
    // Reads the saved game into the board; false (and the board unchanged) when there is none
    // or it does not fit the levels file and the pictures.
    bool LoadGame();

    // Start of a game: a fresh renderer and level, the saved game or a new deal.
    void Init();
    // End of a game: the cards, the level and the renderer go.
    void Clear();
    void NextGame();
    void Deal();
    void ShowHint();
    void CheckHint();

    void OnAttached(ravix::WidgetManager* manager) override;
    void OnDetached(ravix::WidgetManager* manager) override;
    void Update() override;
    void Draw(ravix::Graphics& g) override;
    void KeyUp(int key) override;
    void MouseMove(int x, int y) override;
    using ravix::Widget::MouseUp;
    void MouseUp(int x, int y, int button, int clicks) override;
    void OnButtonClick(int id) override;

    GameApp* mApp = nullptr;
    std::unique_ptr<Renderer> mRenderer;
    std::deque<std::unique_ptr<Card>> mCards;
    int mMouseX = 0;
    int mMouseY = 0;
    std::unique_ptr<Level> mLevel;
    bool mAllSolved = false;
    bool mGameEnded = false;
    int mMode = 0;
    int mScore = kStartScore;
    int mPendingScore = 0;
    int mTicks = 0;
    int mLevelIndex = 0;
    int mResultDelay = 0;
    bool mShowHelp = false;
    int mBonusTimer = 0;
    int mBonusX = 0;
    int mBonusY = 0;
    int mBonusValue = 0;
    float mCardScale = 1.0f;
    std::unique_ptr<ravix::ButtonWidget> mMenuButton;
    std::unique_ptr<ravix::ButtonWidget> mHelpButton;
    std::unique_ptr<ravix::ButtonWidget> mOptionsButton;
    std::unique_ptr<ravix::ButtonWidget> mMinimizeButton;
    std::unique_ptr<ravix::ButtonWidget> mCloseButton;
    int mIdleTimer = kIdleHintDelay;
    bool mHintActive = false;
    bool mPaused = false;

private:
    // A button of the board's recipe: normal look the lower cell, over look the upper one,
    // centred on (centreX, centreY).
    std::unique_ptr<ravix::ButtonWidget> MakeButton(int id, ravix::Image* image, int centreX,
                                                    int centreY);
    std::array<std::unique_ptr<ravix::ButtonWidget>*, 5> Buttons();
    // Takes the board and its buttons down (deferred deletion) and shows the title menu.
    void ReturnToTitle();
    // A level without cards: back to the title with a message instead of a won game.
    void LeaveEmptyLevel();
    // The picks of a MouseUp; lastClicked is the card clicked in this event, if any.
    void PickCards(Card*& lastClicked);
    void JudgeTriple(Card& a, Card& b, Card& c, const Card* lastClicked);
    void EndGame();
    void CountOnePoint();
    void RunHints();
    // The saved game's text.
    [[nodiscard]] std::string SavedGameText() const;
    void DrawShadowedText(ravix::Graphics& g, const std::string& text, int x, int y);
    void DrawScoreAndClock(ravix::Graphics& g);
};

} // namespace tarnwick
