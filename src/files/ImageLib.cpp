// LoadImageFile: the extension search, the decoders and the alpha files.

#include "files/ImageLib.h"

#include "base/AsciiText.h"
#include "files/ImageDecoders.h"

#include <algorithm>
#include <bit>
#include <new>
#include <string_view>

namespace ravix::ImageLib {

// Decoders write and read pixels as bytes blue, green, red, alpha.
static_assert(std::endian::native == std::endian::little,
              "image pixels are stored as little-endian 0xAARRGGBB words");

namespace {

// The size cap also keeps every image within the 32-bit byte count of MemoryImage.
static_assert(kMaxImageBytes + 4 <= 0xFFFFFFFFull);

constexpr uint32_t kWhite = 0xFFFFFF;

thread_local uint32_t tAlphaOnlyColor = kWhite;

using Decoder = std::unique_ptr<Image> (*)(PakFile*);

struct Loader {
    std::string_view mExtension;
    Decoder mDecode;
};

// In the order a name without an extension tries them.
constexpr Loader kLoaders[] = {
    {".tga", DecodeTga}, {".jpg", DecodeJpeg},     {".png", DecodePng},
    {".gif", DecodeGif}, {".j2k", DecodeJpeg2000}, {".jp2", DecodeJpeg2000},
};

// Index just after the last "\" or "/", 0 when there is none.
size_t FileNameStart(const std::string& name) {
    size_t separator = name.find_last_of("\\/");
    return separator == std::string::npos ? 0 : separator + 1;
}

std::unique_ptr<Image> LoadColorImage(const std::string& name) {
    // The extension is the text from the last "." on, when that "." is in the file name part.
    size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot >= FileNameStart(name);
    const std::string_view extension =
        hasExtension ? std::string_view(name).substr(dot) : std::string_view();
    const std::string base = hasExtension ? name.substr(0, dot) : name;
    for (const Loader& loader : kLoaders) {
        if (hasExtension && !EqualsIgnoringCase(extension, loader.mExtension))
            continue;
        PakFile* file = pak_fopen((base + std::string(loader.mExtension)).c_str(), "rb");
        if (!file)
            continue;
        std::unique_ptr<Image> image = loader.mDecode(file);
        pak_fclose(file);
        if (image)
            return image;
    }
    return nullptr;
}

std::unique_ptr<Image> LoadAlphaImage(const std::string& name) {
    const size_t fileName = FileNameStart(name);
    std::unique_ptr<Image> alpha =
        LoadColorImage(name.substr(0, fileName) + "_" + name.substr(fileName));
    if (!alpha && fileName != 0)
        alpha = LoadColorImage("_" + name);
    return alpha;
}

} // namespace

Image::~Image() = default;

std::unique_ptr<Image> Image::Create(int width, int height, Fill fill) {
    if (width <= 0 || height <= 0 || !FitsImageCap(uint64_t(width), uint64_t(height)))
        return nullptr;
    const uint64_t count = uint64_t(width) * uint64_t(height);
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    if (!image)
        return nullptr;
    image->mBits.reset(fill == Fill::TransparentBlack ? new (std::nothrow) uint32_t[count]()
                                                      : new (std::nothrow) uint32_t[count]);
    if (!image->mBits)
        return nullptr;
    image->mWidth = width;
    image->mHeight = height;
    return image;
}

std::unique_ptr<Image> LoadImageFile(const std::string& name, AlphaFile alphaFile) {
    std::unique_ptr<Image> color = LoadColorImage(name);
    if (alphaFile == AlphaFile::Ignore)
        return color;
    std::unique_ptr<Image> alpha = LoadAlphaImage(name);
    if (!alpha)
        return color;
    if (!color) {
        // The alpha file alone: its blue channel is the alpha, the colour is the setting.
        const uint32_t rgb = GetAlphaOnlyColor() & kWhite;
        uint32_t* bits = alpha->GetBits();
        for (size_t i = 0, n = alpha->PixelCount(); i < n; ++i)
            bits[i] = (bits[i] << 24) | rgb;
        return alpha;
    }
    if (alpha->GetWidth() != color->GetWidth() || alpha->GetHeight() != color->GetHeight())
        return color;
    uint32_t* bits = color->GetBits();
    const uint32_t* alphaBits = alpha->GetBits();
    for (size_t i = 0, n = color->PixelCount(); i < n; ++i)
        bits[i] = (bits[i] & 0x00FFFFFF) | (alphaBits[i] << 24);
    return color;
}

void SetAlphaOnlyColor(uint32_t color) {
    tAlphaOnlyColor = color;
}

uint32_t GetAlphaOnlyColor() {
    return tAlphaOnlyColor;
}

} // namespace ravix::ImageLib
