#pragma once

#include "game/BoardModel.h"
#include "game/CardCursor.h"
#include "game/PlayMode.h"
#include "widgets/ButtonListener.h"
#include "widgets/OwnedWidget.h"
#include "widgets/Widget.h"

#include <array>
#include <memory>
#include <string>

namespace ravix {
class ButtonWidget;
class Image;
} // namespace ravix

namespace tarnwick {

class GameApp;
class Renderer;

// The play screen: the view and controller over the game's rules (BoardModel). It turns the
// player's pointer, clicks and keys into the model's operations, plays the sounds the results
// call for, draws the level, the cards, the score, the clock and the rising "+N" of a scored
// triple, and keeps the five buttons (help, menu, options, minimise, close) above itself.
class Board : public ravix::Widget, public ravix::ButtonListener {
public:
    // Button ids.
    static constexpr int kHelpButton = 0;
    static constexpr int kMenuButton = 1;
    static constexpr int kOptionsButton = 2;
    static constexpr int kMinimizeButton = 3;
    static constexpr int kCloseButton = 4;
    // The message shown when a level has no cards to deal.
    static constexpr int kNoCardsDialogId = 7;
    // Frames the "+N" text rises.
    static constexpr int kBonusFrames = 100;

    Board(GameApp* app, PlayMode mode);
    // What the rules need of the card pictures loaded now.
    [[nodiscard]] static CardPictureCells CurrentCardPictures();
    ~Board() override;

    [[nodiscard]] BoardModel& Model() { return *mModel; }
    [[nodiscard]] const BoardModel& Model() const { return *mModel; }
    // Shows the points ("+N", or "-3" for a failed triple) rising from (x, y) for the next
    // kBonusFrames frames.
    void ShowBonus(int points, int x, int y);

    void OnAttached(ravix::WidgetManager* manager) override;
    void OnDetached(ravix::WidgetManager* manager) override;
    void Update() override;
    void Draw(ravix::Graphics& g) override;
    // The keyboard's play: the arrows move the card cursor, Enter and Space pick the card under
    // it (or do what a click does on the help picture, a won board or a paused game), Escape
    // resumes a paused game.
    void KeyDown(int key) override;
    void KeyUp(int key) override;
    void MouseMove(int x, int y) override;
    using ravix::Widget::MouseUp;
    void MouseUp(int x, int y, int button, int clicks) override;
    void OnButtonClick(int id) override;

    [[nodiscard]] const CardCursor& Cursor() const { return mCursor; }
    // The board or one of its buttons has the keyboard focus: the game runs.
    [[nodiscard]] bool HasGameFocus() const;

private:
    // What a release of the mouse button over the board does, with its sounds.
    void HandleClick(BoardModel::MouseButton button);
    // A game was dealt: the cursor goes to the top-left card, shown when the keyboard was used
    // last.
    void ResetCursor();
    // The pointer the rules see is the centre of the card under the cursor.
    void PointAtCursor();
    void DrawCardCursor(ravix::Graphics& g);
    // The keys of the game, under the help picture.
    void DrawKeysLines(ravix::Graphics& g);
    // A button of the board's recipe: normal look the lower cell, over look the upper one,
    // centred on (centreX, centreY).
    ravix::OwnedWidget<ravix::ButtonWidget> MakeButton(int id, ravix::Image* image, int centreX,
                                                       int centreY);
    // The five buttons in the order they are made.
    std::array<ravix::OwnedWidget<ravix::ButtonWidget>*, 5> Buttons();
    // Takes the board down (its buttons with it, deleted after the pass) and shows the title.
    void ReturnToTitle();
    // A level without cards: back to the title with a message instead of a won game.
    void LeaveEmptyLevel();
    // The pointer as the widget manager last saw it, for a game that starts.
    void TakePointerPosition();
    // Warns the player (once per run) when the model failed to save the game or the scores.
    void ReportSaveFailure();
    // The sounds of a click's picks: a click for the first and second, then the judgement.
    void PlayPickSounds(const BoardModel::PickResult& pick);
    void DrawShadowedText(ravix::Graphics& g, const std::string& text, int x, int y);
    void DrawScoreAndClock(ravix::Graphics& g);
    // "Level 3 - Normal" under the game's name.
    void DrawLevelLabel(ravix::Graphics& g);
    // A won game: "Click for next game", the next level and difficulty, and "New best!" when the
    // game entered the top scores.
    void DrawWonLines(ravix::Graphics& g);
    // "3 - Normal" for level index 2 played normal.
    static std::string LevelText(int levelIndex, PlayMode mode);

    GameApp* mApp = nullptr;
    // The draw queue the level and the cards queue themselves on.
    std::unique_ptr<Renderer> mRenderer;
    std::unique_ptr<BoardModel> mModel;
    // The last pointer position seen by the board, in board coordinates.
    int mMouseX = 0;
    int mMouseY = 0;
    // The pointer as the mouse last put it, while the cursor stands in for it.
    int mRealMouseX = 0;
    int mRealMouseY = 0;
    CardCursor mCursor;
    // A key whose press resumed the game or closed the help: its release must not pause.
    int mReleaseToIgnore = 0;
    int mBonusTimer = 0;
    int mBonusX = 0;
    int mBonusY = 0;
    int mBonusValue = 0;
    ravix::OwnedWidget<ravix::ButtonWidget> mMenuButton;
    ravix::OwnedWidget<ravix::ButtonWidget> mHelpButton;
    ravix::OwnedWidget<ravix::ButtonWidget> mOptionsButton;
    ravix::OwnedWidget<ravix::ButtonWidget> mMinimizeButton;
    ravix::OwnedWidget<ravix::ButtonWidget> mCloseButton;
};

} // namespace tarnwick
