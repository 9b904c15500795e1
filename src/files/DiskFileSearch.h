#pragma once

#include "files/PakInterfaceBase.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravix {

// The disk half of a file search: the files of one folder whose names match a pattern with
// "*" and "?" (case-sensitive), reported in byte order of their names. "*.*" matches every
// name, as it does in game data written for other systems.
class DiskFileSearch {
public:
    // The path of an existing file or folder whose "/"-separated path differs from path only in
    // the case of its components, as game data made on systems that ignore case expects. Each
    // component is taken as written when it exists, else the first name of its folder (in byte
    // order) that equals it without regard to ASCII case. Nothing when a component has no match.
    static std::optional<std::string> FindIgnoringCase(std::string_view path);

    // Starts a search for pattern (folders separated by "/" or "\") and reports the first
    // match. False when the folder cannot be read or nothing matches.
    bool Start(std::string_view pattern, FindFileData* data);
    // Reports the next match; false when there is none left.
    bool Next(FindFileData* data);

private:
    std::string mFolder; // ends in "/", empty for the working directory
    std::vector<std::string> mNames;
    size_t mNext = 0;
};

} // namespace ravix
