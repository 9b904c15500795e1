#include "ToolCommands.h"

namespace tarnwick::tool {

int RunXmlCommand(const Args&) { return UsageError(); }

} // namespace tarnwick::tool
