#include "files/WholeFile.h"

#include <filesystem>
#include <fstream>

namespace ravix {

WholeFileResult ReadWholeFile(const std::string& path, std::size_t maxBytes,
                              std::string& contents) {
    contents.clear();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return WholeFileResult::kMissing; // a folder or a device is not a file to read whole
    }
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return WholeFileResult::kMissing;
    }
    const std::streamoff size = file.tellg();
    if (size < 0) {
        return WholeFileResult::kMissing;
    }
    if (static_cast<unsigned long long>(size) > maxBytes) {
        return WholeFileResult::kTooLarge;
    }
    contents.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(contents.data(), size)) {
        contents.clear();
        return WholeFileResult::kMissing;
    }
    return WholeFileResult::kRead;
}

} // namespace ravix
