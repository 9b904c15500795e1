#pragma once

#include "game/PlayMode.h"
#include "game/SaveFiles.h"

#include <deque>
#include <memory>
#include <optional>
#include <utility>

namespace tarnwick {

class Card;
class Level;
class Renderer;

// What the rules need to know of the card pictures: the size of a tile cell, from which the
// grid's geometry follows, and how many cells the pictures hold, which a saved game's faces
// must lie within.
struct CardPictureCells {
    float mCellWidth = 0.0f;
    float mCellHeight = 0.0f;
    int mTileColumns = 0; // the colours
    int mTileRows = 0;    // the shapes
    int mSymbolCells = 0;
};

// The rules of the memory game, with no widget, drawing or sound in it: deals a game from a
// level, turns the picked cards, judges and scores triples, counts the pending points into the
// score, runs the clock and the idle hints, advances to the next game, and reads and writes the
// saved game. Games follow one another inside one model (won game -> click -> NextGame).
//
// The Board is its view and controller: it feeds the model the pointer position, the clicks and
// the keys, plays the sounds the results call for and draws the level and the cards, which queue
// themselves on the renderer the board hands in (the model never draws).
class BoardModel {
public:
    // Updates after a judged triple during which clicks are ignored.
    static constexpr int kResultDelay = 50;
    // Updates of idleness before a hint (beginner mode).
    static constexpr int kIdleHintDelay = 500;
    static constexpr int kStartScore = 100;
    static constexpr int kFailPenalty = 3;
    // A level beyond these cannot be dealt (the file changed under a running game): the deck is
    // built whole and the cards are drawn out of it one by one.
    static constexpr long long kMaxDeckSize = 1 << 20;
    static constexpr long long kMaxCards = 4096;

    enum class Judgement { None, Scored, Failed };
    // What the picks of one click did.
    struct PickResult {
        // Picks that turned a card as the first or second of a triple (each plays a click).
        int mTurned = 0;
        Judgement mJudgement = Judgement::None;
        // What the triple changed the score by: +N scored, -3 failed.
        int mPoints = 0;
        // Where the "+N" or "-3" rises from: the card clicked in this event.
        bool mShowBonus = false;
        int mBonusX = 0;
        int mBonusY = 0;
    };
    // The mouse button released: only the left one picks cards.
    enum class MouseButton { Left, Other };
    enum class ClickAction { Ignored, Resumed, NextGame, HelpClosed, Picked };
    struct ClickResult {
        ClickAction mAction = ClickAction::Ignored;
        PickResult mPick;
    };

    // Starts the first game: level 0 in the mode, or the saved game (always for resume).
    // The cards and the level's background queue themselves on renderer.
    BoardModel(Renderer* renderer, PlayMode mode, const CardPictureCells& pictures);
    ~BoardModel();
    BoardModel(const BoardModel&) = delete;
    BoardModel& operator=(const BoardModel&) = delete;

    // The points of a triple: 8 for colour and shape shared, 15 for colour and symbol, 21 for
    // shape and symbol (44 for all three), 0 for fewer than two shared attributes.
    [[nodiscard]] static int ScoreTriple(const Card& a, const Card& b, const Card& c);
    // The pre-solve interval of a mode: every N-th dealt card starts solved.
    [[nodiscard]] static int PreSolveInterval(PlayMode mode);
    // How many cards a level deals: one per grid cell, but never more than its deck holds; 0
    // when it has no cards or is too large to deal.
    [[nodiscard]] static long long DealtCardCount(const Level& level);

    // What the saved-game file holds for a board that starts.
    enum class SavedGameState { None, Usable, Unusable };
    // Checks the saved-game file as a resumed board would take it: None without a file,
    // Unusable for a file the board refuses. Reads the file and the levels file once each.
    [[nodiscard]] static SavedGameState InspectSavedGame(const CardPictureCells& pictures);
    // There is a saved game a board would resume.
    [[nodiscard]] static bool SavedGameExists(const CardPictureCells& pictures);

    // A release of a mouse button over the board: resumes a paused game, starts the next game
    // after a won one, closes the help picture, or (the left button) picks the cards under the
    // pointer and judges a third pick.
    ClickResult Click(MouseButton button);
    // One update (100 per second): turns failed picks back, finds the cards under the pointer,
    // ends a won game (deletes the saved game, records the top scores, lets the cards vanish),
    // animates the cards, counts one pending point, advances the clock and runs the hints.
    // Nothing runs while the game is paused. True when the game was won in this update.
    bool Update(int pointerX, int pointerY);
    // The hover test of the cards for a pointer at (x, y), run now as the next update would run
    // it (nothing while the picks of a triple are judged or the help picture is shown).
    void PointAt(int pointerX, int pointerY);
    void Pause() { mPaused = true; }
    void Resume() { mPaused = false; }
    void ToggleHelp() { mShowHelp = !mShowHelp; }
    void CloseHelp() { mShowHelp = false; }
    // The next level (after the last one, level 0); a beginner continues as easy.
    void NextGame();
    // The level and mode NextGame will play.
    [[nodiscard]] int NextLevelIndex() const;
    [[nodiscard]] PlayMode NextMode() const;
    // Ends the game and starts one on the level (a saved game, if there is one, is resumed).
    void RestartAt(int levelIndex);

    // The game as the saved-game file holds it.
    [[nodiscard]] SavedGame State() const;
    // Continues from a saved state; false (and the game unchanged) when it does not fit the
    // levels file and the pictures: a mode other than the four difficulties, a level beyond
    // the last, a number of cards other than the level deals, or a face the level or the
    // pictures lack.
    bool Restore(const SavedGame& game);
    // Writes State() to the saved-game file (through a temporary file); false when it fails
    // (TakeSaveFailure then tells why).
    bool SaveGame();
    // The player leaves the board (menu or closing the program): a won game gives way to the
    // next one, as the click for the next game would start it, so that the progress is kept;
    // then the game is saved. False when the save fails.
    bool SaveOnLeaving();

    // Why the last write of the saved game or the top scores failed, once: the view tells the
    // player.
    [[nodiscard]] std::optional<SaveFailure> TakeSaveFailure() { return std::exchange(mSaveFailure, {}); }
    // The won game entered the top scores.
    [[nodiscard]] bool IsNewBest() const { return mNewBest; }

    [[nodiscard]] PlayMode Mode() const { return mMode; }
    [[nodiscard]] int Score() const { return mScore; }
    [[nodiscard]] int PendingScore() const { return mPendingScore; }
    // Updates played in this game while not every card was solved.
    [[nodiscard]] int Ticks() const { return mTicks; }
    [[nodiscard]] int LevelIndex() const { return mLevelIndex; }
    [[nodiscard]] float CardScale() const { return mCardScale; }
    // Updates left before the picks of the last triple turn back; clicks wait for 0.
    [[nodiscard]] int ResultDelay() const { return mResultDelay; }
    [[nodiscard]] int IdleTimer() const { return mIdleTimer; }
    [[nodiscard]] bool IsAllSolved() const { return mAllSolved; }
    // The end of the game has been recorded (saved game deleted, top scores written).
    [[nodiscard]] bool IsGameEnded() const { return mGameEnded; }
    [[nodiscard]] bool IsHelpShown() const { return mShowHelp; }
    [[nodiscard]] bool IsHintActive() const { return mHintActive; }
    [[nodiscard]] bool IsPaused() const { return mPaused; }
    // The cards in dealing order (row by row); the view queues them for drawing.
    [[nodiscard]] const std::deque<std::unique_ptr<Card>>& Cards() const { return mCards; }
    // The current level, which also draws the background.
    [[nodiscard]] Level& GetLevel() { return *mLevel; }
    [[nodiscard]] const Level& GetLevel() const { return *mLevel; }

private:
    // Start of a game: a fresh level, then the saved game or a new deal.
    void StartGame();
    // End of a game: the cards and the level go.
    void Clear();
    void Deal();
    bool LoadSavedGame();
    // The saved-game file's game when a board can continue it: values a game can reach, cards
    // on the places the level deals, and what Restore requires. Found tells whether a file was
    // there.
    static std::optional<SavedGame> ReadUsableSavedGame(const CardPictureCells& pictures,
                                                        bool& found);
    // The level the game plays, loaded on renderer, when the game fits that level and the
    // pictures (the checks of Restore); else null.
    static std::unique_ptr<Level> LevelFitting(const SavedGame& game,
                                               const CardPictureCells& pictures,
                                               Renderer* renderer);
    void PickCards(PickResult& result);
    void JudgeTriple(Card& a, Card& b, Card& c, const Card* lastClicked, PickResult& result);
    void TurnBackFailedPicks();
    // Runs the pointer's hit test over the cards and recomputes mAllSolved.
    void FindHoverAndSolved(int pointerX, int pointerY);
    void EndGame();
    // Adds points (negative for a penalty) to the pending points.
    void AddPoints(int points);
    void CountOnePoint();
    void RunHints();
    void ShowHint();
    void CheckHint();

    Renderer* mRenderer = nullptr;
    CardPictureCells mPictures;
    std::deque<std::unique_ptr<Card>> mCards;
    std::unique_ptr<Level> mLevel;
    PlayMode mMode = PlayMode::Beginner;
    int mScore = kStartScore;
    int mPendingScore = 0;
    int mTicks = 0;
    int mLevelIndex = 0;
    int mResultDelay = 0;
    float mCardScale = 1.0f;
    int mIdleTimer = kIdleHintDelay;
    bool mAllSolved = false;
    bool mGameEnded = false;
    bool mShowHelp = false;
    bool mHintActive = false;
    bool mPaused = false;
    bool mNewBest = false;
    std::optional<SaveFailure> mSaveFailure;
};

} // namespace tarnwick
