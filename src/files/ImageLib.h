#pragma once

#include "files/AtomicFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Image files: decoding Targa, JPEG, PNG, GIF and JPEG 2000 files into plain 32-bit pixel
// buffers, with alpha taken from separate grey alpha files, and writing PNG and JPEG files.
// Every read goes through the pak file layer.
namespace ravix::ImageLib {

// A decoded picture: width x height pixels 0xAARRGGBB with straight alpha, rows from the top,
// stride equal to the width (in memory each pixel's bytes are blue, green, red, alpha).
class Image {
public:
    virtual ~Image();

    // What a new image's pixels hold: transparent black, or nothing yet, for decoders that
    // write every pixel (or fail) and need not touch memory a false size claims.
    enum class Fill { TransparentBlack, Unset };

    // An image of the given size. Null when a side is not positive, when the picture exceeds
    // the decoders' size cap (kMaxImageSide, kMaxImageBytes) or when the memory cannot be had.
    static std::unique_ptr<Image> Create(int width, int height, Fill fill = Fill::TransparentBlack);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    size_t PixelCount() const { return size_t(mWidth) * size_t(mHeight); }
    uint32_t* GetBits() { return mBits.get(); }
    const uint32_t* GetBits() const { return mBits.get(); }

private:
    Image() = default;

    int mWidth = 0;
    int mHeight = 0;
    std::unique_ptr<uint32_t[]> mBits;
};

// Whether LoadImageFile also looks for a grey alpha file named after the colour file.
enum class AlphaFile { Ignore, Look };

// Loads an image file. A name without an extension tries ".tga", ".jpg", ".png", ".gif", ".j2k"
// and ".jp2" in that order; a name with one of those extensions (in any case) opens only the
// file with that extension in lower case; any other extension finds nothing. With
// AlphaFile::Look the alpha file is the same name with "_" before the file name part (then "_"
// before the whole name): its blue channel becomes the colour image's alpha when both have the
// same size, and without a colour image the alpha file alone gives an image in the alpha-only
// colour. Null when nothing could be loaded.
[[nodiscard]] std::unique_ptr<Image> LoadImageFile(const std::string& name, AlphaFile alphaFile);

// The colour (0xRRGGBB) of images made from an alpha file alone; white unless set. The setting
// belongs to the calling thread, so that a load on another thread never sees it.
void SetAlphaOnlyColor(uint32_t color);
uint32_t GetAlphaOnlyColor();

// Writes a PNG file (8-bit RGBA) or a JPEG file (quality 80, alpha dropped) with the C library,
// through a temporary file renamed over the name (AtomicFile). False when the file cannot be
// written or the image is empty.
[[nodiscard]] bool WritePNG(const std::string& name, const Image& image,
                            FileAccess access = FileAccess::OwnerOnly);
[[nodiscard]] bool WritePNG(const std::string& name, const uint32_t* bits, int width, int height,
                            FileAccess access = FileAccess::OwnerOnly);
[[nodiscard]] bool WriteJPEG(const std::string& name, const Image& image,
                             FileAccess access = FileAccess::OwnerOnly);
[[nodiscard]] bool WriteJPEG(const std::string& name, const uint32_t* bits, int width, int height,
                             FileAccess access = FileAccess::OwnerOnly);

// The JPEG 2000 codec (libopenjp2) is loaded at run time: the application loads it when it
// starts and frees it when it ends, and JPEG 2000 files load only in between. Loading fails
// (and JPEG 2000 files keep failing) when the library or one of its entry points is missing or
// the library is older than version 2. Not to be called while other threads load images.
inline constexpr const char* kJpeg2000Library = "libopenjp2.so.7";
bool LoadJpeg2000Codec(const char* library = kJpeg2000Library);
void FreeJpeg2000Codec();
bool IsJpeg2000CodecLoaded();

} // namespace ravix::ImageLib
