#pragma once

#include "app/CommandLineHelp.h"

namespace tarnwick {

// The game's --help and --version: the framework's options and ours, the files the program
// reads and writes, the environment it honours.
ravix::CommandLineHelp ProgramHelp();

} // namespace tarnwick
