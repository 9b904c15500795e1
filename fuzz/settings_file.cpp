// Reads arbitrary bytes as a settings file. Whatever the reader takes from a file must come
// back unchanged when it is written out and read again.
#include "app/SettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr std::string_view kKeyPath = "Maker\\Game";
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string written =
        ravix::SettingsStore::Format(ravix::SettingsStore::Parse(text, kKeyPath), kKeyPath);
    std::string rewritten =
        ravix::SettingsStore::Format(ravix::SettingsStore::Parse(written, kKeyPath), kKeyPath);
    if (rewritten != written) {
        std::abort();
    }
    return 0;
}
