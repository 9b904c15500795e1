// Targa files: uncompressed 32-bit true colour, 8 alpha bits, first row at the top.
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

namespace ravix::ImageLib {

namespace {

constexpr int kHeaderSize = 18;
constexpr int kTrueColorType = 2; // uncompressed true colour
constexpr int kPixelDepth = 32;
constexpr int kTopFirstWithAlpha = 0x28; // 8 alpha bits, first row at the top

} // namespace

std::unique_ptr<Image> DecodeTga(PakFile* file) {
    PakReader in(file);
    uint8_t header[kHeaderSize];
    if (!in.Read(header, sizeof header))
        return nullptr;
    const int idLength = header[0];
    const int colorMapType = header[1];
    const int imageType = header[2];
    const int colorMapLength = ReadLittleEndian16(header + 5);
    const int colorMapEntryBits = header[7];
    const int width = ReadLittleEndian16(header + 12);
    const int height = ReadLittleEndian16(header + 14);
    const int pixelDepth = header[16];
    const int descriptor = header[17];
    if (imageType != kTrueColorType || pixelDepth != kPixelDepth ||
        descriptor != kTopFirstWithAlpha)
        return nullptr;
    // A true-colour file may still carry an ID text and a colour map; the pixels follow them.
    const size_t colorMapBytes =
        colorMapType ? size_t(colorMapLength) * ((colorMapEntryBits + 7) / 8) : 0;
    if (!in.Skip(idLength + colorMapBytes))
        return nullptr;
    if (!ClaimFitsData(height, uint64_t(width) * 4, in.Remaining(), 1))
        return nullptr;
    std::unique_ptr<Image> image = Image::Create(width, height, Image::Fill::Unset);
    if (!image || !in.Read(image->GetBits(), image->PixelCount() * 4))
        return nullptr;
    return image;
}

} // namespace ravix::ImageLib
