#include "game/SaveFiles.h"

#include "app/RavixAppBase.h"
#include "files/AtomicFile.h"
#include "files/PrivateFolder.h"
#include "files/WholeFile.h"
#include "game/PlayMode.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <locale>
#include <sstream>
#include <system_error>

namespace tarnwick {

namespace {

// Three lines of two numbers; anything much larger is not a top-scores file.
constexpr std::size_t kMaxTopScoresBytes = 4096;

enum Record { kBestBalance = 0, kHighestScore = 1, kFastestGame = 2 };

// The shortest card line: a line end before it, six one-digit values and five spaces.
constexpr std::size_t kMinCardLineBytes = 12;

bool ReadCard(std::istream& in, SavedCard& card) {
    int solved = 0;
    if (!(in >> solved >> card.mSymbol >> card.mColor >> card.mShape >> card.mX >> card.mY)) {
        return false;
    }
    card.mSolved = solved == 1;
    return (solved == 0 || solved == 1) && std::isfinite(card.mX) && std::isfinite(card.mY);
}

// Saving fails silently for the player, but whoever runs the program from a shell learns once
// that nothing is being kept, and why.
void NoteSaveFailure(const std::string& path, int error) {
    static std::atomic<bool> noted = false;
    if (!noted.exchange(true)) {
        std::fprintf(stderr, "tarnwick: cannot save the game in %s: %s\n", path.c_str(),
                     std::strerror(error != 0 ? error : EIO));
    }
}

// Makes the save folder and replaces the file there with contents.
bool WriteSaveFile(const std::string& path, const std::string& contents) {
    errno = 0;
    if (MakeSaveFolder() && ravix::WriteFileAtomically(path, contents)) {
        return true;
    }
    NoteSaveFailure(path, errno);
    return false;
}

} // namespace

std::string FormatSavedGame(const SavedGame& game) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << game.mScore << ' ' << game.mPendingScore << '\n'
        << game.mTicks << '\n'
        << game.mMode << '\n'
        << game.mLevelIndex << '\n'
        << game.mCardScale << '\n'
        << game.mCards.size() << '\n';
    for (const SavedCard& card : game.mCards) {
        out << (card.mSolved ? 1 : 0) << ' ' << card.mSymbol << ' ' << card.mColor << ' '
            << card.mShape << ' ' << card.mX << ' ' << card.mY << '\n';
    }
    return out.str();
}

bool IsPlayableSavedGame(const SavedGame& game) {
    return IsDifficulty(game.mMode) && game.mLevelIndex >= 0 && game.mTicks >= 0 &&
           std::isfinite(game.mCardScale) && game.mCardScale > 0.0f && game.mCardScale <= 1.0f;
}

std::optional<SavedGame> ParseSavedGame(std::string_view text, std::size_t maxCards) {
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    SavedGame game;
    long long count = 0;
    if (!(in >> game.mScore >> game.mPendingScore >> game.mTicks >> game.mMode >>
          game.mLevelIndex >> game.mCardScale >> count)) {
        return std::nullopt;
    }
    if (!IsPlayableSavedGame(game) || count <= 0) {
        return std::nullopt;
    }
    const std::streamoff position = in.tellg();
    const std::size_t remaining =
        position < 0 ? 0 : text.size() - static_cast<std::size_t>(position);
    const auto cards = static_cast<unsigned long long>(count);
    if (cards > maxCards || cards > remaining / kMinCardLineBytes) {
        return std::nullopt;
    }
    game.mCards.resize(static_cast<std::size_t>(cards));
    for (SavedCard& card : game.mCards) {
        if (!ReadCard(in, card)) {
            return std::nullopt;
        }
    }
    return game;
}

std::string SaveFolder() {
    return ravix::RavixAppBase::mDataFolder + "Save/";
}

std::string SavedGamePath() {
    return SaveFolder() + "autosave";
}

std::string TopScoresPath() {
    return SaveFolder() + "topscores";
}

bool MakeSaveFolder() {
    return ravix::MakePrivateFolder(SaveFolder());
}

bool WriteSavedGame(const std::string& text) {
    return WriteSaveFile(SavedGamePath(), text);
}

bool SavedGameExists() {
    std::error_code error;
    return std::filesystem::exists(SavedGamePath(), error);
}

void DeleteSavedGame() {
    std::error_code error;
    std::filesystem::remove(SavedGamePath(), error);
}

std::array<TopScore, 3> MergeTopScore(std::array<TopScore, 3> records, int seconds, int score) {
    TopScore& balance = records[kBestBalance];
    if (score - seconds > balance.mScore - balance.mTime) {
        balance = {score, seconds};
    }
    TopScore& highest = records[kHighestScore];
    if (score > highest.mScore) {
        highest = {score, seconds};
    }
    TopScore& fastest = records[kFastestGame];
    if (seconds < fastest.mTime || fastest.mTime == 0) {
        fastest = {score, seconds};
    }
    return records;
}

std::array<TopScore, 3> ReadTopScores() {
    std::array<TopScore, 3> records{};
    std::string contents;
    if (ravix::ReadWholeFile(TopScoresPath(), kMaxTopScoresBytes, contents) !=
        ravix::WholeFileResult::kRead) {
        return records;
    }
    std::istringstream in(contents);
    in.imbue(std::locale::classic());
    // A failed read leaves its record as it was and stops the rest.
    for (TopScore& record : records) {
        int score = 0;
        int time = 0;
        if (!(in >> score >> time)) {
            break;
        }
        record = {score, time};
    }
    return records;
}

void RecordTopScore(int seconds, int score) {
    const std::array<TopScore, 3> records = MergeTopScore(ReadTopScores(), seconds, score);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    for (const TopScore& record : records) {
        out << record.mScore << ' ' << record.mTime << '\n';
    }
    (void)WriteSaveFile(TopScoresPath(), out.str());
}

} // namespace tarnwick
