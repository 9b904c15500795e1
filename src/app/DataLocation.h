#pragma once

#include <string>
#include <vector>

namespace ravix {

// The folders that may hold a game's data, in the order they are tried:
// 1. the program's own folder, when the data lies beside the program;
// 2. "../share/<installedName>" from the program's folder, where an installation under any
//    prefix (or a package unpacked into any folder) keeps it;
// 3. the data folder of the build tree the program was built in (empty when there is none).
std::vector<std::string> DataFolderCandidates(const std::string& programFolder,
                                              const std::string& installedName,
                                              const std::string& buildDataFolder);

// True when the folder holds a game's data: the archive main.pak or the resource manifest.
bool HoldsGameData(const std::string& folder);

// The first candidate that holds the data, else the program's folder (where the data was
// looked for first, so that the error about a missing file names a sensible place).
std::string FindDataFolder(const std::string& programFolder, const std::string& installedName,
                           const std::string& buildDataFolder);

} // namespace ravix
