#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// One top-score record: the score and the time in seconds of a won game.
struct TopScore {
    int mScore = 0;
    int mTime = 0;

    bool operator==(const TopScore&) const = default;
};

// One card of a saved game: its state, face and position.
struct SavedCard {
    bool mSolved = false;
    int mSymbol = 0;
    int mColor = 0;
    int mShape = 0;
    float mX = 0.0f;
    float mY = 0.0f;

    bool operator==(const SavedCard&) const = default;
};

// A game in progress as the saved-game file holds it.
struct SavedGame {
    int mScore = 0;
    int mPendingScore = 0;
    int mTicks = 0;
    int mMode = 0;
    int mLevelIndex = 0;
    float mCardScale = 1.0f;
    std::vector<SavedCard> mCards;

    bool operator==(const SavedGame&) const = default;
};

// What a game can reach. The score, and the score with its pending points, stay within
// -kScoreLimit..kScoreLimit (scoring saturates there); the clock stops at kMaxTicks, 1000 hours
// of play. A saved game beyond them was edited by hand.
inline constexpr int kScoreLimit = 99'999'999;
inline constexpr int kMaxTicks = 360'000'000;

// The saved game's text: score and pending points, the clock, mode, level, card scale, the
// number of cards, then one line per card (solved, symbol, colour, shape, x, y); numbers in the
// C locale, floating-point values with 6 significant digits.
std::string FormatSavedGame(const SavedGame& game);
// Whether the game's values before its cards can be right whatever the levels file says: a mode
// of the four difficulties, a level of 0 or more, a clock in 0..kMaxTicks, a score and a score
// with pending points within kScoreLimit, a card scale in (0, 1].
[[nodiscard]] bool IsPlayableSavedGame(const SavedGame& game);
// Reads a saved game's text. Empty when a value cannot be read or cannot be right whatever the
// levels file says: values IsPlayableSavedGame refuses, a solved flag other than 0 or 1, a
// position that is not finite, no cards, or more cards than maxCards or than the text can hold.
// Nothing is allocated for the cards before the count has passed those checks.
std::optional<SavedGame> ParseSavedGame(std::string_view text, std::size_t maxCards);

// Why a save file could not be written: the folder it belongs in and the system's reason.
struct SaveFailure {
    std::string mFolder;
    std::string mReason;
};

// What putting a won game into the top scores did.
struct TopScoreOutcome {
    // The game entered at least one of the three records.
    bool mEnteredRecords = false;
    std::optional<SaveFailure> mFailure;
};

// The folder of the saved game and the top scores: the data folder + "Save/".
std::string SaveFolder();
// The saved game ("autosave") and the top scores ("topscores") in it.
std::string SavedGamePath();
std::string TopScoresPath();
// Creates the save folder and every missing folder above it; false when it cannot.
bool MakeSaveFolder();

// Replaces the saved game with text (FormatSavedGame's), atomically; nothing when it worked,
// else why it failed (the game shows that to the player).
std::optional<SaveFailure> WriteSavedGame(const std::string& text);

// The saved-game file is there (whether or not a board can use it).
bool SavedGameFileExists();
// Moves a saved game the game cannot use out of the way, to "autosave.bad" beside it (replacing
// an older one), so that the player's file is not lost; returns that path, or "" when it could
// not be moved (the file is then deleted, so that it is not offered again).
std::string SetAsideSavedGame();
// Deletes the saved game; no error when there is none.
void DeleteSavedGame();
// Puts a won game into the three records (best balance, highest score, fastest game) and writes
// them back; ties keep the older record. A failure to write is reported as WriteSavedGame's.
TopScoreOutcome RecordTopScore(int seconds, int score);
// The three records; zeros for a missing file or for what cannot be read.
std::array<TopScore, 3> ReadTopScores();

// The records a won game leaves, by the rules of RecordTopScore.
std::array<TopScore, 3> MergeTopScore(std::array<TopScore, 3> records, int seconds, int score);

} // namespace tarnwick
