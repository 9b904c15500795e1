#pragma once

#include <string>

namespace ravix {

// The per-user base folders of the XDG base directory rules, without a trailing "/". A variable
// that is unset, empty or not an absolute path is ignored in favour of the default below $HOME.
std::string XdgConfigHome(); // $XDG_CONFIG_HOME, else ~/.config
std::string XdgDataHome();   // $XDG_DATA_HOME, else ~/.local/share
std::string XdgRuntimeDir(); // $XDG_RUNTIME_DIR, else /tmp

} // namespace ravix
