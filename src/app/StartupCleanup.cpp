#include "app/StartupCleanup.h"

#include "files/StaleTemporaryFiles.h"

namespace ravix {

int RemoveTemporaryFilesOfKilledRuns(const std::string& dataFolder,
                                     const std::string& settingsFile) {
    int removed = dataFolder.empty() ? 0 : RemoveStaleTemporaryFiles(dataFolder);
    if (!settingsFile.empty())
        removed += RemoveStaleTemporaryFilesOf(settingsFile);
    return removed;
}

} // namespace ravix
