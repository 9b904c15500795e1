#pragma once

#include <array>
#include <string>

namespace tarnwick {

// One top-score record: the score and the time in seconds of a won game.
struct TopScore {
    int mScore = 0;
    int mTime = 0;
};

// The folder of the saved game and the top scores: the data folder + "Save/".
std::string SaveFolder();
// The saved game ("autosave") and the top scores ("topscores") in it.
std::string SavedGamePath();
std::string TopScoresPath();
// Creates the save folder and every missing folder above it; false when it cannot.
bool MakeSaveFolder();

bool SavedGameExists();
// Deletes the saved game; no error when there is none.
void DeleteSavedGame();
// Puts a won game into the three records (best balance, highest score, fastest game) and writes
// them back; ties keep the older record.
void RecordTopScore(int seconds, int score);
// The three records; zeros for a missing file or for what cannot be read.
std::array<TopScore, 3> ReadTopScores();

// The records a won game leaves, by the rules of RecordTopScore.
std::array<TopScore, 3> MergeTopScore(std::array<TopScore, 3> records, int seconds, int score);

} // namespace tarnwick
