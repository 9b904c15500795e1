#pragma once

#include <string>

namespace ravix {

// Makes the folder at path, and each missing folder above it, with mode 0700: the player's
// folders hold the player's input (saved games, demos, crash reports) and stay the player's own.
// A folder that is there already is left as it is. True when path is a folder afterwards.
[[nodiscard]] bool MakePrivateFolder(const std::string& path);

} // namespace ravix
