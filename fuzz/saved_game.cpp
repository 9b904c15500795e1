// Reads arbitrary bytes as a saved game. A game the reader accepts must come back unchanged when
// it is written out and read again.
#include "game/SaveFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::size_t kMaxCards = 4096;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<tarnwick::SavedGame> game = tarnwick::ParseSavedGame(text, kMaxCards);
    if (!game) {
        return 0;
    }
    const std::string written = tarnwick::FormatSavedGame(*game);
    const std::optional<tarnwick::SavedGame> again = tarnwick::ParseSavedGame(written, kMaxCards);
    if (!again || tarnwick::FormatSavedGame(*again) != written) {
        std::abort();
    }
    return 0;
}
