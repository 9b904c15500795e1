// tarnwick-tool image: look at image files the way the program loads them.
#include "ToolCommands.h"

#include "files/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageFile.h"

#include <cstdio>

namespace tarnwick::tool {

namespace {

namespace ImageLib = ravix::ImageLib;

// Loads like the program does: the alpha file included, JPEG 2000 when the codec is there.
bool Load(ravix::MemoryImage& image, const std::string& path) {
    ImageLib::LoadJpeg2000Codec();
    const bool loaded = ImageLib::LoadImageInto(image, path, true);
    if (!loaded)
        std::fprintf(stderr, "tarnwick-tool: %s: cannot load the image\n", path.c_str());
    return loaded;
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

int Info(const std::string& path) {
    ravix::MemoryImage image;
    if (!Load(image, path))
        return 1;
    std::printf("width: %d\nheight: %d\ntransparent pixels: %s\npartly transparent pixels: %s\n",
                image.GetWidth(), image.GetHeight(), YesNo(image.mHasTrans),
                YesNo(image.mHasAlpha));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Convert(const std::string& in, const std::string& out) {
    ravix::MemoryImage image;
    if (!Load(image, in))
        return 1;
    if (!ImageLib::WritePNG(out, image.GetPixels(), image.GetWidth(), image.GetHeight())) {
        std::fprintf(stderr, "tarnwick-tool: %s: cannot write the PNG file\n", out.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int RunImageCommand(const Args& args) {
    if (args.size() == 2 && args[0] == "info")
        return Info(args[1]);
    if (args.size() == 3 && args[0] == "convert")
        return Convert(args[1], args[2]);
    return UsageError();
}

} // namespace tarnwick::tool
