#include "app/CrashReporterApp.h"

#include "app/CrashHandler.h"
#include "platform/DesktopPlatform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace ravix {

int RunCrashReporter(int argc, char** argv) {
    const char* reportPath = std::getenv(kCrashReportVariable);
    std::string error;
    std::unique_ptr<Platform> platform = OpenDesktopPlatform(argc, argv, error);
    if (platform == nullptr) {
        std::fprintf(stderr, "%s: no display to show the crash report; it is in %s\n",
                     program_invocation_short_name, reportPath);
        return 0;
    }
    return 0;
}

} // namespace ravix
