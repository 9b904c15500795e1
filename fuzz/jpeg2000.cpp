// JPEG 2000 code streams and JP2 files through the image loader, with the run-time loaded codec
// (the decoder tells the two layouts apart by their first bytes, whatever the extension).
#include "ImageFuzz.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!ravix::ImageLib::LoadJpeg2000Codec()) {
        std::fprintf(stderr, "the JPEG 2000 codec (%s) cannot be loaded\n",
                     ravix::ImageLib::kJpeg2000Library);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzImageFile("input.jp2", data, size);
}
