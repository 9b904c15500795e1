#include "app/DataLocation.h"

#include <filesystem>

namespace ravix {

std::vector<std::string> DataFolderCandidates(const std::string& programFolder,
                                              const std::string& installedName,
                                              const std::string& buildDataFolder) {
    std::vector<std::string> candidates;
    // An unknown program folder gives no candidates of its own: a relative "../share" would
    // depend on the working folder.
    if (!programFolder.empty()) {
        std::filesystem::path program = std::filesystem::path(programFolder).lexically_normal();
        if (!program.has_filename()) {
            program = program.parent_path(); // "/usr/bin/" names the folder "/usr/bin"
        }
        candidates.push_back(programFolder);
        candidates.push_back(
            (program.parent_path() / "share" / installedName).lexically_normal().string());
    }
    if (!buildDataFolder.empty()) {
        candidates.push_back(buildDataFolder);
    }
    return candidates;
}

bool HoldsGameData(const std::string& folder) {
    const std::filesystem::path base(folder);
    std::error_code error;
    for (const char* marker :
         {"main.pak", "Properties/resources.xml", "properties/resources.xml"}) {
        if (std::filesystem::is_regular_file(base / marker, error)) {
            return true;
        }
    }
    return false;
}

std::string FindDataFolder(const std::string& programFolder, const std::string& installedName,
                           const std::string& buildDataFolder) {
    for (const std::string& candidate :
         DataFolderCandidates(programFolder, installedName, buildDataFolder)) {
        if (HoldsGameData(candidate)) {
            return candidate;
        }
    }
    return programFolder;
}

} // namespace ravix
