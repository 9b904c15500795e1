#include "app/RavixAppBase.h"
#include "platform/DesktopPlatform.h"

#include <cstdio>
#include <memory>
#include <string>

// Starts the application in a window on the desktop, runs it until the window is closed and
// returns 0. Without a display it says so in one line and returns 1.
int main(int argc, char** argv) {
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
    ravix::gApplication = app.get();
    app->Initialize();
    app->Run();
    app.reset();
    return 0;
}
