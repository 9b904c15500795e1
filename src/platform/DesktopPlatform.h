#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>

namespace ravix {

// The platform of a desktop session (the SDL back-end), for the program entry. Null, with one
// line for the user in error, when no display can be opened.
std::unique_ptr<Platform> OpenDesktopPlatform(int argc, char** argv, std::string& error);

// The version of the window-system library the desktop platform runs on, "major.minor.patch".
std::string DesktopLibraryVersion();

} // namespace ravix
