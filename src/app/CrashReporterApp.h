#pragma once

namespace ravix {

// The crash reporter: this program started again by the crash handler, with the report's
// location and what goes with it in the environment (see CrashHandler.h). It shows the report
// in the "Fatal Error!" window, copies it to the clipboard and, when submission is enabled,
// sends it with the user's comment. Without a display it prints where the report is and ends.
// Returns the process's exit code.
int RunCrashReporter(int argc, char** argv);

} // namespace ravix
