#pragma once

#include <string>

namespace ravix {

// At start-up, with the single-instance lock held, the program removes the temporary files its
// atomic writer left when an earlier run was killed during a write: everywhere below the data
// folder (saved game, top scores, demos, screenshots, sound cache) and, beside the
// settings file, only the settings file's own (that folder is the maker's, shared by its other
// products). Returns how many files it removed.
int RemoveTemporaryFilesOfKilledRuns(const std::string& dataFolder,
                                     const std::string& settingsFile);

} // namespace ravix
