// tarnwick-tool resources: check a resource manifest the way the program reads and loads it.
#include "ToolCommands.h"

#include "app/RavixAppBase.h"
#include "audio/ALDevice.h"
#include "audio/ALSoundManager.h"
#include "files/PakInterface.h"
#include "platform/headless/HeadlessPlatform.h"
#include "resources/ResourceManager.h"

#include <cstdio>
#include <memory>

namespace tarnwick::tool {

namespace {

constexpr int kLoopbackRate = 44100;

// Sounds are decoded into a device that mixes only when asked, so nothing is heard.
std::unique_ptr<ravix::SoundManager> SilentSoundManager() {
    std::shared_ptr<ravix::ALDevice> device = ravix::ALDevice::OpenLoopback(kLoopbackRate);
    if (!device)
        std::fputs("tarnwick-tool: no OpenAL loopback device, sounds are not decoded\n", stderr);
    return std::make_unique<ravix::ALSoundManager>(device, "");
}

// Parses the manifest and loads the groups (every group when none is named). File names are
// taken relative to the working folder, where "main.pak" is mounted as the program does.
int Check(const std::string& manifest, Args groups) {
    ravix::gPakInterface->MountArchive("main.pak"); // a missing archive is no error
    ravix::RavixAppBase app(std::make_unique<ravix::HeadlessPlatform>());
    app.mSounds = SilentSoundManager();
    ravix::ResourceManager& resources = *app.mResources;
    bool ok = resources.ParseManifest(manifest);
    if (groups.empty())
        groups = resources.GroupIds();
    int images = 0, sounds = 0, fonts = 0;
    for (size_t i = 0; ok && i < groups.size(); ++i) {
        ok = resources.LoadResourceGroup(groups[i]);
        images += resources.CountGroupImages(groups[i]);
        sounds += resources.CountGroupSounds(groups[i]);
        fonts += resources.CountGroupFonts(groups[i]);
    }
    // Font descriptors report their own errors as message boxes.
    auto& platform = static_cast<ravix::HeadlessPlatform&>(app.GetPlatform());
    for (const auto& box : platform.MessageBoxes())
        std::fprintf(stderr, "%s\n", box.mText.c_str());
    if (!ok) {
        std::fprintf(stderr, "%s\n", resources.ErrorText().c_str());
        return 1;
    }
    std::printf("%zu groups: %d images, %d sounds, %d fonts\n", groups.size(), images, sounds,
                fonts);
    return 0;
}

} // namespace

int RunResourcesCommand(const Args& args) {
    if (args.size() >= 2 && args[0] == "check")
        return Check(args[1], Args(args.begin() + 2, args.end()));
    return UsageError();
}

} // namespace tarnwick::tool
