#pragma once

#include "files/ImageLib.h"
#include "files/PakInterface.h"

#include <cstdint>
#include <memory>

// The decoders behind LoadImageFile. Each reads an open file of the pak layer from its
// position and returns the image, or null for a file it cannot decode. Sizes a file claims are
// checked before anything is allocated for them, by the decoder or by the codec library it
// drives: the picture must fit the size cap below, and a file claiming more pixels than its
// remaining bytes could possibly describe is refused.
namespace ravix::ImageLib {

// The largest picture any decoder accepts: no side above kMaxImageSide pixels and no more than
// kMaxImageBytes of decoded pixels at 4 bytes each (8192 x 4096, for example). Far above
// anything the game draws, and small enough that a header alone cannot make a load take
// hundreds of megabytes.
inline constexpr uint32_t kMaxImageSide = 16384;
inline constexpr uint64_t kMaxImageBytes = uint64_t(128) << 20;

[[nodiscard]] inline bool FitsImageCap(uint64_t width, uint64_t height) {
    return width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height * 4 <= kMaxImageBytes;
}

// Uncompressed 32-bit true-colour Targa files with 8 alpha bits and the first row at the top.
std::unique_ptr<Image> DecodeTga(PakFile* file);
// The first image of a GIF file; transparent pixels are 0, pixels the data does not reach are
// transparent black.
std::unique_ptr<Image> DecodeGif(PakFile* file);
// PNG files of any colour type and bit depth (16-bit channels are rounded to 8 bits),
// interlaced or not; opaque where the file has no alpha.
std::unique_ptr<Image> DecodePng(PakFile* file);
// Grey and three-component JPEG files, opaque.
std::unique_ptr<Image> DecodeJpeg(PakFile* file);
// JPEG 2000 code streams and JP2 files of one to four components through the run-time loaded
// codec, opaque; null while the codec is not loaded.
std::unique_ptr<Image> DecodeJpeg2000(PakFile* file);

// Whether a claim of rows x rowSize units could come from dataUnits units of coded data that
// describe at most unitsPerDataUnit units each (the format's best compression ratio).
inline bool ClaimFitsData(uint64_t rows, uint64_t rowSize, uint64_t dataUnits,
                          uint64_t unitsPerDataUnit) {
    using Wide = unsigned __int128;
    return Wide(rows) * rowSize <= Wide(dataUnits) * unitsPerDataUnit;
}

} // namespace ravix::ImageLib
