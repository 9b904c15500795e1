#include "app/CrashHandler.h"
#include "app/CrashReporterApp.h"
#include "audio/ALDevice.h"
#include "game/GameApp.h"
#include "platform/DesktopPlatform.h"
#include "platform/headless/ConsoleHeadlessPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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

// The working folder with the game's data when no -changedir names one: the program's own
// folder when the data lies there, else the data folder of the build tree the program was
// built in (a program run from its build folder finds its data without options).
std::string DefaultDataFolder(const std::string& programFolder) {
    std::error_code error;
    for (const char* manifest : {"properties/resources.xml", "Properties/resources.xml"}) {
        if (std::filesystem::exists(std::filesystem::path(programFolder) / manifest, error)) {
            return programFolder;
        }
    }
#ifdef TARNWICK_DATA_DIR
    if (std::filesystem::is_directory(TARNWICK_DATA_DIR, error)) {
        return TARNWICK_DATA_DIR;
    }
#endif
    return programFolder;
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
    app->mStartFolder = DefaultDataFolder(app->mStartFolder);
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
