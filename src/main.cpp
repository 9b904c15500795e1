#include "app/CrashHandler.h"
#include "app/CrashReporterApp.h"
#include "app/DataLocation.h"
#include "app/RavixAppBase.h"
#include "audio/ALDevice.h"
#include "game/ProgramHelp.h"
#include "platform/DesktopPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

// Starts the application in a window on the desktop, runs it until the window is closed and
// returns 0. Without a display it says so in one line and returns 1. Started by the crash
// handler (kCrashReportVariable set), it is the crash reporter instead.
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
    std::string error;
    std::unique_ptr<ravix::Platform> platform = ravix::OpenDesktopPlatform(argc, argv, error);
    if (platform == nullptr) {
        std::fprintf(stderr, "tarnwick: %s\n", error.c_str());
        return 1;
    }
    auto app = std::make_unique<ravix::RavixAppBase>(std::move(platform));
    app->mProductName = "Tarnwick";
    app->mWindowCaption = "Tarnwick";
    app->mRegistryKey = "Brannel\\Tarnwick";
    app->mScreenWidth = 800;
    app->mScreenHeight = 600;
    app->mStartFolder = ravix::FindDataFolder(app->mStartFolder, "tarnwick", TARNWICK_DATA_DIR);
    ravix::gApplication = app.get();
    app->Initialize();
    // The sound device is open now, so the full version text is known.
    ravix::SetCrashReportLibraries(ravix::DesktopLibraryVersion(),
                                   ravix::ALDevice::LibraryVersion());
    app->Run();
    app.reset();
    ravix::gApplication = nullptr;
    return 0;
}
