#include "app/CrashReporterApp.h"
#include "app/DataLocation.h"
#include "audio/ALDevice.h"
#include "crash/CrashHandler.h"
#include "game/GameApp.h"
#include "game/ProgramHelp.h"
#include "platform/DesktopPlatform.h"
#include "platform/headless/ConsoleHeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

bool HasArgument(int argc, char** argv, const std::string& wanted) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == wanted) {
            return true;
        }
    }
    return false;
}

} // namespace

// Starts Tarnwick in a window on the desktop and runs it until it is closed. Without a display
// it says so in one line and returns 1. With -headless (for replays: -play -demofile=FILE
// -headless) it runs on the headless platform without window or sound, as fast as it goes,
// and returns 0 when the demo has ended, non-zero after an error. Started by the crash handler
// (kCrashReportVariable set), it is the crash reporter instead.
int main(int argc, char** argv) {
    if (std::getenv(ravix::kCrashReportVariable) != nullptr) {
        return ravix::RunCrashReporter(argc, argv);
    }
    // --help, --version and unknown options are answered before any window or device opens.
    if (std::optional<int> exitCode =
            ravix::AnswerCommandLine(tarnwick::ProgramHelp(), argc, argv)) {
        return *exitCode;
    }
    ravix::InstallCrashHandler();
    ravix::SetCrashReportLibraries(ravix::DesktopLibraryVersion(),
                                   ravix::ALDevice::LibraryVersion());
    const bool headless = HasArgument(argc, argv, "-headless");
    std::unique_ptr<ravix::Platform> platform;
    ravix::ConsoleHeadlessPlatform* console = nullptr;
    if (headless) {
        auto headlessPlatform = std::make_unique<ravix::ConsoleHeadlessPlatform>();
        headlessPlatform->SetCommandLine(std::vector<std::string>(argv, argv + argc));
        console = headlessPlatform.get();
        platform = std::move(headlessPlatform);
    } else {
        std::string error;
        platform = ravix::OpenDesktopPlatform(argc, argv, error);
        if (platform == nullptr) {
            std::fprintf(stderr, "tarnwick: %s\n", error.c_str());
            return 1;
        }
    }
    auto app = std::make_unique<tarnwick::GameApp>(std::move(platform));
    // Beside the program, installed at ../share/tarnwick, or the build's; -changedir overrides.
    app->mStartFolder = ravix::FindDataFolder(app->mStartFolder, "tarnwick", TARNWICK_DATA_DIR);
    app->mSilent = headless;
    ravix::gApplication = app.get();
    app->Initialize();
    // The sound device is open now, so the full version text is known.
    ravix::SetCrashReportLibraries(ravix::DesktopLibraryVersion(),
                                   ravix::ALDevice::LibraryVersion());
    app->Run();
    const int exitCode = console != nullptr ? console->ExitCodeFor(0) : 0;
    app.reset();
    ravix::gApplication = nullptr;
    return exitCode;
}
