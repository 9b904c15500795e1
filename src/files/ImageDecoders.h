#pragma once

#include "files/ImageLib.h"
#include "files/PakInterface.h"

#include <cstdint>
#include <memory>

// The decoders behind LoadImageFile. Each reads an open file of the pak layer from its
// position and returns the image, or null for a file it cannot decode. Sizes a file claims are
// checked before anything is allocated for them: the pixels must fit the 32-bit limit of
// Image::Create, and a file claiming more pixels than its remaining bytes could possibly
// describe is refused.
namespace ravix::ImageLib {

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
// JPEG 2000 code streams and JP2 files through the run-time loaded codec, opaque; null while the
// codec is not loaded.
std::unique_ptr<Image> DecodeJpeg2000(PakFile* file);

// Whether a claim of rows x rowSize units could come from dataUnits units of coded data that
// describe at most unitsPerDataUnit units each (the format's best compression ratio).
inline bool ClaimFitsData(uint64_t rows, uint64_t rowSize, uint64_t dataUnits,
                          uint64_t unitsPerDataUnit) {
    using Wide = unsigned __int128;
    return Wide(rows) * rowSize <= Wide(dataUnits) * unitsPerDataUnit;
}

} // namespace ravix::ImageLib
