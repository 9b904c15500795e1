#include "game/SaveFiles.h"

#include "app/RavixAppBase.h"
#include "resources/AtomicFile.h"
#include "resources/WholeFile.h"

#include <filesystem>
#include <locale>
#include <sstream>
#include <system_error>

namespace tarnwick {

namespace {

// Three lines of two numbers; anything much larger is not a top-scores file.
constexpr std::size_t kMaxTopScoresBytes = 4096;

enum Record { kBestBalance = 0, kHighestScore = 1, kFastestGame = 2 };

} // namespace

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
    std::error_code error;
    std::filesystem::create_directories(SaveFolder(), error);
    return std::filesystem::is_directory(SaveFolder(), error);
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
    if (!MakeSaveFolder()) {
        return;
    }
    std::ostringstream out;
    out.imbue(std::locale::classic());
    for (const TopScore& record : records) {
        out << record.mScore << ' ' << record.mTime << '\n';
    }
    (void)ravix::WriteFileAtomically(TopScoresPath(), out.str());
}

} // namespace tarnwick
