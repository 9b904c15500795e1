#pragma once

#include "files/ImageLib.h"

#include "FuzzInput.h"

// Decodes the input as an image file of the given name (its extension picks the decoder)
// through the image loader, as the program loads images.
inline int FuzzImageFile(const char* name, const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput(name, data, size);
    std::unique_ptr<ravix::ImageLib::Image> image =
        ravix::ImageLib::LoadImageFile(path, ravix::ImageLib::AlphaFile::Ignore);
    if (image) {
        // Every pixel must be readable: a short buffer shows up here under the sanitizer.
        volatile uint32_t sum = 0;
        for (size_t i = 0; i < image->PixelCount(); ++i)
            sum = sum + image->GetBits()[i];
    }
    return 0;
}
