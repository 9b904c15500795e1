#include "game/SaveFiles.h"

#include "app/RavixAppBase.h"
#include "files/AtomicFile.h"
#include "files/PrivateFolder.h"
#include "files/WholeFile.h"
#include "game/PlayMode.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// Makes the save folder and replaces the file there with contents.
std::optional<SaveFailure> WriteSaveFile(const std::string& path, const std::string& contents) {
    errno = 0;
    if (MakeSaveFolder() && ravix::WriteFileAtomically(path, contents)) {
        return std::nullopt;
    }
    const int error = errno;
    return SaveFailure{SaveFolder(), std::strerror(error != 0 ? error : EIO)};
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
    const long long total = static_cast<long long>(game.mScore) + game.mPendingScore;
    return IsDifficulty(game.mMode) && game.mLevelIndex >= 0 && game.mTicks >= 0 &&
           game.mTicks <= kMaxTicks &&
           std::llabs(static_cast<long long>(game.mScore)) <= kScoreLimit &&
           std::llabs(total) <= kScoreLimit && std::isfinite(game.mCardScale) &&
           game.mCardScale > 0.0f && game.mCardScale <= 1.0f;
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

std::optional<SaveFailure> WriteSavedGame(const std::string& text) {
    return WriteSaveFile(SavedGamePath(), text);
}

bool SavedGameFileExists() {
    std::error_code error;
    return std::filesystem::exists(SavedGamePath(), error);
}

std::string SetAsideSavedGame() {
    const std::string kept = SavedGamePath() + ".bad";
    std::error_code error;
    std::filesystem::rename(SavedGamePath(), kept, error);
    if (error) {
        DeleteSavedGame();
        return "";
    }
    return kept;
}

void DeleteSavedGame() {
    std::error_code error;
    std::filesystem::remove(SavedGamePath(), error);
}

std::array<TopScore, 3> MergeTopScore(std::array<TopScore, 3> records, int seconds, int score) {
    // In 64 bits: the records come from a file and may hold any two ints.
    TopScore& balance = records[kBestBalance];
    if (static_cast<long long>(score) - seconds >
        static_cast<long long>(balance.mScore) - balance.mTime) {
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

TopScoreOutcome RecordTopScore(int seconds, int score) {
    const std::array<TopScore, 3> before = ReadTopScores();
    const std::array<TopScore, 3> records = MergeTopScore(before, seconds, score);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    for (const TopScore& record : records) {
        out << record.mScore << ' ' << record.mTime << '\n';
    }
    TopScoreOutcome outcome;
    outcome.mEnteredRecords = records != before;
    outcome.mFailure = WriteSaveFile(TopScoresPath(), out.str());
    return outcome;
}

} // namespace tarnwick
