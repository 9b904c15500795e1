// Reads the input as a resource manifest, once as it is and once more with redefinition
// allowed, then loads every group against a folder of tiny images (sounds and fonts are
// skipped: their loaders have targets of their own), counts, looks ids up and releases.
#include "app/RavixAppBase.h"
#include "files/ImageLib.h"
#include "files/PakInterface.h"
#include "platform/headless/HeadlessPlatform.h"
#include "resources/ResourceManager.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace ravix;

namespace {

class ImagesOnlyManager : public ResourceManager {
public:
    using ResourceManager::ResourceManager;
    bool LoadSound(SoundRes&) override { return true; }
    bool LoadFont(FontRes&) override { return true; }
};

// The images the seed manifests name, served from a mounted archive so that relative names
// find them without changing the working folder: a 4 x 2 picture, a 2 x 1 grid and the alpha
// file of an image that has no colour file.
RavixAppBase& Application() {
    static RavixAppBase* app = [] {
        const std::filesystem::path folder =
            std::filesystem::path(WriteFuzzInput("resources.xml", nullptr, 0)).parent_path();
        const uint32_t pixels[] = {0xFF102030, 0x80405060, 0xFF000000, 0x00FFFFFF,
                                   0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC};
        const std::string picture = folder / "picture.png";
        const std::string grid = folder / "grid.png";
        if (!ImageLib::WritePNG(picture, pixels, 4, 2) || !ImageLib::WritePNG(grid, pixels, 2, 1))
            std::abort();
        const std::string archive = folder / "images.pak";
        paktest::WriteFile(archive, paktest::Archive({{"a.png", paktest::ReadFile(picture)},
                                                      {"g.png", paktest::ReadFile(grid)},
                                                      {"_b.png", paktest::ReadFile(picture)}}));
        if (!gPakInterface->MountArchive(archive))
            std::abort();
        return new RavixAppBase(std::make_unique<HeadlessPlatform>());
    }();
    return *app;
}

void Exercise(ImagesOnlyManager& manager) {
    for (const std::string& group : manager.GroupIds()) {
        const bool loaded = manager.LoadResourceGroup(group);
        if (loaded != !manager.HasFailed() || (!loaded && manager.ErrorText().empty()))
            std::abort();
        if (manager.CountGroupResources(group) < 0)
            std::abort();
    }
    for (const char* id : {"a", "b", "IMAGE_a"}) {
        try {
            manager.LookupImage(id);
        } catch (const ResourceManagerException& e) {
            if (e.mText.empty())
                std::abort();
        }
    }
    manager.ReleaseGroup("");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RavixAppBase& app = Application();
    const std::string path = WriteFuzzInput("resources.xml", data, size);
    ImagesOnlyManager manager(&app);
    if (manager.ParseManifest(path) == manager.HasFailed())
        std::abort();
    Exercise(manager);
    manager.SetAllowRedefinition(true);
    manager.ParseManifest(path);
    Exercise(manager);
    return 0;
}
