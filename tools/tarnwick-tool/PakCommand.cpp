#include "ToolCommands.h"

namespace tarnwick::tool {

int RunPakCommand(const Args&) { return UsageError(); }

} // namespace tarnwick::tool
