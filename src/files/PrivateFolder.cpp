#include "files/PrivateFolder.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace ravix {

bool MakePrivateFolder(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path folder(path);
    if (folder.empty() || fs::is_directory(folder, error))
        return !folder.empty();
    const fs::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !MakePrivateFolder(parent.string()))
        return false;
    // EEXIST: made at the same time by another thread, or a file in the way.
    return mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && fs::is_directory(folder, error));
}

} // namespace ravix
