// GIF files through the image loader.
#include "ImageFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageFile("input.gif", data, size);
}
