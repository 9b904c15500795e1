#include "files/StaleTemporaryFiles.h"

#include "files/AtomicFile.h"

#include <filesystem>
#include <optional>

namespace ravix {

namespace fs = std::filesystem;

namespace {

// Removes entry when it is a regular file whose name is a temporary file of target (of any
// file when target is empty).
bool RemoveIfTemporary(const fs::directory_entry& entry, const std::string& target) {
    std::error_code error;
    if (!fs::is_regular_file(entry.symlink_status(error)))
        return false;
    const std::string name = entry.path().filename().string();
    const std::optional<std::string_view> stands = AtomicFile::TemporaryTarget(name);
    if (!stands || (!target.empty() && *stands != target))
        return false;
    return fs::remove(entry.path(), error);
}

} // namespace

int RemoveStaleTemporaryFiles(const std::string& folder) {
    int removed = 0;
    std::error_code error;
    fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied,
                                           error);
    for (; !error && entry != fs::recursive_directory_iterator(); entry.increment(error))
        removed += RemoveIfTemporary(*entry, "");
    return removed;
}

int RemoveStaleTemporaryFilesOf(const std::string& path) {
    const fs::path file(path);
    const std::string target = file.filename().string();
    if (target.empty())
        return 0;
    int removed = 0;
    std::error_code error;
    fs::directory_iterator entry(file.parent_path(), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error))
        removed += RemoveIfTemporary(*entry, target);
    return removed;
}

} // namespace ravix
