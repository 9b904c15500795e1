#pragma once

namespace tarnwick {

// How a board plays: the four difficulties, and resume, which asks for the saved game and then
// plays in the saved game's difficulty. The values are the numbers the saved-game file holds and
// the title screen's buttons carry as their ids.
enum class PlayMode : int {
    Beginner = 0,
    Easy = 1,
    Normal = 2,
    Hard = 3,
    Resume = 8,
};

[[nodiscard]] constexpr int ModeNumber(PlayMode mode) {
    return static_cast<int>(mode);
}

// The name the player knows a difficulty by ("Beginner", "Easy", "Normal", "Hard").
[[nodiscard]] constexpr const char* ModeName(PlayMode mode) {
    switch (mode) {
    case PlayMode::Beginner:
        return "Beginner";
    case PlayMode::Easy:
        return "Easy";
    case PlayMode::Normal:
        return "Normal";
    case PlayMode::Hard:
        return "Hard";
    default:
        return "Resume";
    }
}

// Whether a number (from a saved game) is one of the four difficulties a game is played in.
[[nodiscard]] constexpr bool IsDifficulty(int number) {
    return number >= ModeNumber(PlayMode::Beginner) && number <= ModeNumber(PlayMode::Hard);
}

} // namespace tarnwick
