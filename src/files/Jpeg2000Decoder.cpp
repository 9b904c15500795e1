// JPEG 2000 files through libopenjp2, loaded at run time so that the program runs without it.
#include "files/ImageDecoders.h"
#include "files/PakReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <openjpeg.h>

namespace ravix::ImageLib {

namespace {

constexpr size_t kStreamBufferSize = 64 * 1024;
constexpr int kMaxPrecision = 31; // bits per sample

// The library's entry points, resolved when the library is loaded.
struct Codec {
    void* mLibrary = nullptr;
    decltype(&opj_version) mVersion = nullptr;
    decltype(&opj_create_decompress) mCreateDecompress = nullptr;
    decltype(&opj_destroy_codec) mDestroyCodec = nullptr;
    decltype(&opj_set_default_decoder_parameters) mSetDefaultDecoderParameters = nullptr;
    decltype(&opj_setup_decoder) mSetupDecoder = nullptr;
    decltype(&opj_set_error_handler) mSetErrorHandler = nullptr;
    decltype(&opj_set_warning_handler) mSetWarningHandler = nullptr;
    decltype(&opj_set_info_handler) mSetInfoHandler = nullptr;
    decltype(&opj_stream_create) mStreamCreate = nullptr;
    decltype(&opj_stream_destroy) mStreamDestroy = nullptr;
    decltype(&opj_stream_set_read_function) mStreamSetReadFunction = nullptr;
    decltype(&opj_stream_set_skip_function) mStreamSetSkipFunction = nullptr;
    decltype(&opj_stream_set_seek_function) mStreamSetSeekFunction = nullptr;
    decltype(&opj_stream_set_user_data) mStreamSetUserData = nullptr;
    decltype(&opj_stream_set_user_data_length) mStreamSetUserDataLength = nullptr;
    decltype(&opj_read_header) mReadHeader = nullptr;
    decltype(&opj_decode) mDecode = nullptr;
    decltype(&opj_end_decompress) mEndDecompress = nullptr;
    decltype(&opj_image_destroy) mImageDestroy = nullptr;
};

// Written only by LoadJpeg2000Codec and FreeJpeg2000Codec, which run while no image loads.
Codec gCodec;

template <class Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool ResolveAll(Codec& codec) {
    void* library = codec.mLibrary;
    return Resolve(library, "opj_version", codec.mVersion) &&
           Resolve(library, "opj_create_decompress", codec.mCreateDecompress) &&
           Resolve(library, "opj_destroy_codec", codec.mDestroyCodec) &&
           Resolve(library, "opj_set_default_decoder_parameters",
                   codec.mSetDefaultDecoderParameters) &&
           Resolve(library, "opj_setup_decoder", codec.mSetupDecoder) &&
           Resolve(library, "opj_set_error_handler", codec.mSetErrorHandler) &&
           Resolve(library, "opj_set_warning_handler", codec.mSetWarningHandler) &&
           Resolve(library, "opj_set_info_handler", codec.mSetInfoHandler) &&
           Resolve(library, "opj_stream_create", codec.mStreamCreate) &&
           Resolve(library, "opj_stream_destroy", codec.mStreamDestroy) &&
           Resolve(library, "opj_stream_set_read_function", codec.mStreamSetReadFunction) &&
           Resolve(library, "opj_stream_set_skip_function", codec.mStreamSetSkipFunction) &&
           Resolve(library, "opj_stream_set_seek_function", codec.mStreamSetSeekFunction) &&
           Resolve(library, "opj_stream_set_user_data", codec.mStreamSetUserData) &&
           Resolve(library, "opj_stream_set_user_data_length", codec.mStreamSetUserDataLength) &&
           Resolve(library, "opj_read_header", codec.mReadHeader) &&
           Resolve(library, "opj_decode", codec.mDecode) &&
           Resolve(library, "opj_end_decompress", codec.mEndDecompress) &&
           Resolve(library, "opj_image_destroy", codec.mImageDestroy);
}

// The codec's messages are not shown: a file it cannot decode just gives no image.
void IgnoreMessage(const char*, void*) {}

OPJ_SIZE_T ReadThroughPak(void* buffer, OPJ_SIZE_T count, void* file) {
    size_t read = pak_fread(buffer, 1, count, static_cast<PakFile*>(file));
    return read > 0 ? read : OPJ_SIZE_T(-1);
}

OPJ_OFF_T SkipThroughPak(OPJ_OFF_T count, void* file) {
    return pak_fseek(static_cast<PakFile*>(file), long(count), SEEK_CUR) == 0 ? count : -1;
}

OPJ_BOOL SeekThroughPak(OPJ_OFF_T offset, void* file) {
    return pak_fseek(static_cast<PakFile*>(file), long(offset), SEEK_SET) == 0;
}

// Which of the two layouts the file has: a JP2 file (signature box) or a bare code stream
// (start-of-code-stream and size markers).
bool DetectFormat(PakFile* file, OPJ_CODEC_FORMAT& format) {
    static const uint8_t kJp2Signature[] = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 13, 10, 0x87, 10};
    static const uint8_t kCodeStreamStart[] = {0xFF, 0x4F, 0xFF, 0x51};
    uint8_t head[sizeof kJp2Signature] = {};
    const long start = pak_ftell(file);
    const size_t read = pak_fread(head, 1, sizeof head, file);
    if (start < 0 || pak_fseek(file, start, SEEK_SET) != 0)
        return false;
    if (read == sizeof head && std::memcmp(head, kJp2Signature, sizeof head) == 0) {
        format = OPJ_CODEC_JP2;
        return true;
    }
    if (read >= sizeof kCodeStreamStart &&
        std::memcmp(head, kCodeStreamStart, sizeof kCodeStreamStart) == 0) {
        format = OPJ_CODEC_J2K;
        return true;
    }
    return false;
}

// One component's sample for the image pixel (x, y), as 8 bits.
class ComponentReader {
public:
    ComponentReader(const opj_image_t& image, const opj_image_comp_t& component)
        : mComponent(component), mImageX0(image.x0), mImageY0(image.y0) {
        mShift = component.prec > 8 ? int(component.prec) - 8 : 0;
        mMax = (1 << std::min<int>(int(component.prec), 8)) - 1;
        mOffset = component.sgnd ? 1 << (component.prec - 1) : 0;
    }

    bool IsUsable() const {
        return mComponent.data && mComponent.w > 0 && mComponent.h > 0 && mComponent.dx > 0 &&
               mComponent.dy > 0 && mComponent.prec >= 1 && mComponent.prec <= kMaxPrecision;
    }

    uint32_t Sample(uint32_t x, uint32_t y) const {
        const uint32_t cx = Clamp((mImageX0 + x) / mComponent.dx, mComponent.x0, mComponent.w);
        const uint32_t cy = Clamp((mImageY0 + y) / mComponent.dy, mComponent.y0, mComponent.h);
        int64_t value = int64_t(mComponent.data[size_t(cy) * mComponent.w + cx]) + mOffset;
        value = std::clamp<int64_t>(value >> mShift, 0, mMax);
        return uint32_t(mMax == 255 ? value : value * 255 / mMax);
    }

private:
    static uint32_t Clamp(uint32_t position, uint32_t origin, uint32_t size) {
        return position < origin ? 0 : std::min(position - origin, size - 1);
    }

    const opj_image_comp_t& mComponent;
    uint32_t mImageX0;
    uint32_t mImageY0;
    int mShift = 0;
    int64_t mMax = 255;
    int64_t mOffset = 0;
};

// Grey from one component, colour from the first three; always opaque.
std::unique_ptr<Image> ConvertImage(const opj_image_t& decoded, std::unique_ptr<Image> image) {
    if (decoded.numcomps < 1 || !decoded.comps)
        return nullptr;
    const bool color = decoded.numcomps >= 3;
    const ComponentReader red(decoded, decoded.comps[0]);
    const ComponentReader green(decoded, decoded.comps[color ? 1 : 0]);
    const ComponentReader blue(decoded, decoded.comps[color ? 2 : 0]);
    if (!red.IsUsable() || !green.IsUsable() || !blue.IsUsable())
        return nullptr;
    uint32_t* out = image->GetBits();
    for (int y = 0; y < image->GetHeight(); ++y)
        for (int x = 0; x < image->GetWidth(); ++x)
            *out++ =
                0xFF000000 | red.Sample(x, y) << 16 | green.Sample(x, y) << 8 | blue.Sample(x, y);
    return image;
}

std::unique_ptr<Image> DecodeWithCodec(const Codec& codec, opj_codec_t* decoder,
                                       opj_stream_t* stream) {
    codec.mSetErrorHandler(decoder, IgnoreMessage, nullptr);
    codec.mSetWarningHandler(decoder, IgnoreMessage, nullptr);
    codec.mSetInfoHandler(decoder, IgnoreMessage, nullptr);
    opj_dparameters_t parameters;
    codec.mSetDefaultDecoderParameters(&parameters);
    if (!codec.mSetupDecoder(decoder, &parameters))
        return nullptr;
    opj_image_t* decoded = nullptr;
    const bool haveHeader = codec.mReadHeader(stream, decoder, &decoded);
    if (!decoded)
        return nullptr;
    std::unique_ptr<Image> image;
    if (haveHeader && decoded->x1 > decoded->x0 && decoded->y1 > decoded->y0 &&
        decoded->x1 - decoded->x0 <= INT32_MAX && decoded->y1 - decoded->y0 <= INT32_MAX)
        image = Image::Create(int(decoded->x1 - decoded->x0), int(decoded->y1 - decoded->y0),
                              Image::Fill::Unset);
    if (image && codec.mDecode(decoder, stream, decoded) && codec.mEndDecompress(decoder, stream))
        image = ConvertImage(*decoded, std::move(image));
    else
        image.reset();
    codec.mImageDestroy(decoded);
    return image;
}

} // namespace

bool LoadJpeg2000Codec(const char* library) {
    FreeJpeg2000Codec();
    Codec codec;
    codec.mLibrary = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!codec.mLibrary)
        return false;
    const char* version = ResolveAll(codec) ? codec.mVersion() : nullptr;
    if (!version || std::atoi(version) < 2) {
        dlclose(codec.mLibrary);
        return false;
    }
    gCodec = codec;
    return true;
}

void FreeJpeg2000Codec() {
    if (gCodec.mLibrary)
        dlclose(gCodec.mLibrary);
    gCodec = Codec();
}

bool IsJpeg2000CodecLoaded() {
    return gCodec.mLibrary != nullptr;
}

std::unique_ptr<Image> DecodeJpeg2000(PakFile* file) {
    const Codec& codec = gCodec;
    OPJ_CODEC_FORMAT format;
    if (!codec.mLibrary || !DetectFormat(file, format))
        return nullptr;
    opj_stream_t* stream = codec.mStreamCreate(kStreamBufferSize, OPJ_TRUE);
    opj_codec_t* decoder = codec.mCreateDecompress(format);
    std::unique_ptr<Image> image;
    if (stream && decoder) {
        codec.mStreamSetReadFunction(stream, ReadThroughPak);
        codec.mStreamSetSkipFunction(stream, SkipThroughPak);
        codec.mStreamSetSeekFunction(stream, SeekThroughPak);
        codec.mStreamSetUserData(stream, file, nullptr);
        codec.mStreamSetUserDataLength(stream, PakBytesLeft(file));
        image = DecodeWithCodec(codec, decoder, stream);
    }
    if (decoder)
        codec.mDestroyCodec(decoder);
    if (stream)
        codec.mStreamDestroy(stream);
    return image;
}

} // namespace ravix::ImageLib
